#!/usr/bin/env python3
"""Writes the hand-made seed inputs of the fuzz targets into fuzz/corpus/<target>/seed-*.

The seeds are small and committed; run this again after changing it. The run script also
feeds the sample motions (../shared/samples/vmd and samples/) to the motion and fix targets.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def sjis(text):
    return text.encode("cp932")


def field(data, width):
    return data[:width] + b"\0" * (width - len(data[:width]))


def vmd(model="", bones=(), morphs=(), cameras=0, lights=0, shadows=0, show_ik=(),
        counts=None):
    """A VMD 0002 file. bones: (name, frame, position, quaternion); morphs: (name, frame,
    weight); show_ik: IK counts of the show-and-IK records. counts overrides stored counts."""
    out = field(b"Vocaloid Motion Data 0002", 30) + field(sjis(model), 20)
    stored = counts or {}
    out += struct.pack("<i", stored.get("bones", len(bones)))
    for name, frame, pos, quat in bones:
        out += field(sjis(name), 15) + struct.pack("<i7f", frame, *pos, *quat)
        out += bytes(range(64))
    out += struct.pack("<i", stored.get("morphs", len(morphs)))
    for name, frame, weight in morphs:
        out += field(sjis(name), 15) + struct.pack("<if", frame, weight)
    out += struct.pack("<i", cameras)
    out += (struct.pack("<i7f", 1, 45, 0, 10, 0, 0.1, 0.2, 0.3) + bytes(24)
            + struct.pack("<fB", 30, 0)) * cameras
    out += struct.pack("<i", lights)
    out += struct.pack("<i6f", 2, 0.6, 0.6, 0.6, -0.5, -1, 0.5) * lights
    out += struct.pack("<i", shadows)
    out += struct.pack("<iBf", 3, 1, 0.1) * shadows
    out += struct.pack("<i", len(show_ik))
    for ik in show_ik:
        out += struct.pack("<iBi", 4, 1, ik)
        out += (field(sjis("左足ＩＫ"), 20) + b"\x01") * ik
    return out


def motion_seeds():
    half = 0.7071068
    bones = [
        ("左腕", 0, (0, 0, 0), (0.5, 0.1, 0, 0.86)),
        ("左腕", 30, (0, 0, 0), (-0.9, 0.2, 0.1, -0.37)),
        ("右ひじ", 10, (0, 0, 0), (0.3, 0.6, 0, 0.74)),
        ("左腕捩", 5, (0, 0, 0), (-0.8, 0, 0, 0.6)),
        ("右手捩", 6, (0, 0, 0), (0.99, 0, 0, 0.14)),
        ("センター", 0, (1.5, -2, 30), (0, 0, 0, 1)),
        ("上半身２", 0, (0, 0, 0), (0.2, 0, 0, 0.98)),
        ("下半身", 12, (0, 0, 0), (0, half, 0, half)),
        ("左足IK親", 3, (0, 0, 0), (0, 0.9, 0, 0.43)),
        ("髪1", 0, (0, 0.2, 0), (0.1, 0, 0, 0.99)),
        ("ポニテ", 1, (0, 0, 0), (0.3, 0, 0, 0.95)),
    ]
    morphs = [("あ", 0, 1.0), ("まばたき", 5, 0.5), ("∩", 7, 1.0), ("謎", 8, -0.2)]
    full = vmd("初音ミク", bones, morphs, cameras=1, lights=1, shadows=1, show_ik=(0, 2))
    return {
        "seed-full.vmd": full,
        "seed-bones-only.vmd": vmd("ミク", bones[:3])[: 54 + 3 * 111],
        "seed-header-only.vmd": vmd("x")[:50],
        "seed-bad-version.vmd": full[:21] + b"0001" + full[25:80],
        "seed-negative-counts.vmd": vmd("", counts={"bones": -1, "morphs": -5}),
        "seed-cut-morph-name.vmd": full[: len(vmd("初音ミク", bones, morphs[:1])) - 16 - 10],
        "seed-huge-count.vmd": vmd("", bones[:2], counts={"bones": 0x7FFFFFFF}),
        "seed-model-lead.vmd": vmd("", bones[:1])[:30] + sjis("あいうえおかきくけ") + b"\x82"
        + vmd("", bones[:1])[50:],
    }


def fix_seeds():
    def turn(axis, degrees):
        half = math.radians(degrees) / 2
        v = [0.0, 0.0, 0.0]
        v[axis] = math.sin(half)
        return (*v, math.cos(half))

    still = (0, 0, 0)
    arm_and_twist = [("左腕", 0, still, turn(2, 0)), ("左腕", 10, still, turn(2, 40)),
                     ("左腕", 20, still, turn(2, -30)), ("左腕捩", 0, still, turn(0, 0)),
                     ("左腕捩", 5, still, turn(0, 20)), ("左腕捩", 20, still, turn(0, -60))]
    wrist = [("右手首", 0, still, turn(1, 10)), ("右手首", 8, still, turn(1, -50)),
             ("右手捩", 4, still, turn(0, 90)), ("右手捩", 9, still, turn(0, 170))]
    shoulder_p = [("左肩P", 0, still, turn(2, 0)), ("左肩P", 6, still, turn(2, 25)),
                  ("左肩", 0, still, turn(2, 0)), ("左肩", 6, still, turn(0, 15)),
                  ("左腕", 3, still, turn(1, 30))]
    return {
        # Keys out of order, a frame keyed twice, a twist key that moves.
        "seed-arm-twist.vmd": vmd("ミク",
                                  arm_and_twist[::-1] + [("左腕捩", 5, (1, 0, 0), turn(0, 5))],
                                  [("あ", 0, 1.0)], cameras=1),
        "seed-wrist-twist.vmd": vmd("", wrist),
        "seed-shoulder-p.vmd": vmd("", shoulder_p + arm_and_twist[3:]),
        "seed-renames.vmd": vmd("", [("上半身２", 0, still, turn(0, 10)),
                                     ("左足ＩＫ親", 2, (0, 1, 0), turn(1, 5)),
                                     ("右足ＩＫ親", 2, still, turn(1, 5)),
                                     ("右足IK親", 4, still, turn(1, 9))], show_ik=(2,)),
        "seed-no-rotation.vmd": vmd("", [("左腕捩", 3, still, (0, 0, 0, 0)),
                                         ("左腕", 0, still, turn(2, 10))]),
        "seed-long-segment.vmd": vmd("", [("左腕", 0, still, turn(2, 0)),
                                          ("左腕", 3900, still, turn(2, 170)),
                                          ("左腕捩", 1, still, turn(0, 0)),
                                          ("左腕捩", 3000, still, turn(0, 120))]),
    }


def alias_seeds():
    rules = ("-Bone\r\n"
             "// bone names\r\n"
             "\"左腕\"F LeftArm\r\n"
             "左 L_\r\n"
             "\"捩\"L Twist\r\n"
             "\"右\"FL Right\r\n"
             "右* R\r\n"
             "指？ Finger\r\n"
             "\"上 半身\" \"Upper Body\" trailing\r\n"
             "\t  -MORPH ignored\n"
             "あ A\n"
             "\"unterminated LeftLeg\n"
             "onlyone\n"
             "まばたき Blink_with_a_very_long_replacement\x1a")
    names = b"\0".join([sjis("左腕捩"), sjis("右ひじ"), sjis("左人指１"), sjis("あ")])
    return {
        "seed-sjis": bytes([len(names)]) + sjis(rules) + names,
        "seed-utf8": bytes([64 | len(names)]) + rules.encode("utf-8") + names,
        "seed-bom": bytes([4]) + b"\xef\xbb\xbf" + "左 L\n".encode("utf-8") + sjis("左右"),
        "seed-empty": bytes([0]),
    }


def args_seeds():
    return {
        "seed-plain": b"\0prog.exe  \"C:\\my motions\\dance.vmd\"   -ND\0" + sjis("表示.vmd"),
        "seed-quotes": b"\0prog.exe \"a b\"c \"\" d \t e \0\"quoted arg\0   \0\"",
        "seed-sjis": b"\0" + sjis("プログラム.exe ソ\"ー ス\".vmd 表\\示") + b"\0x",
        "seed-long": b"\x09prog.exe aaaa bbbb \0c",
        "seed-many": b"\x12p q\0r\0s t",
        "seed-wide": b"\x04p\0r\0o\0g\0 \0a\0\0\0\x42\x30",
    }


def encoding_seeds():
    mixed = sjis("左腕ｱｲｳ～―＼¢") + b"\x87\xa0\x98\x73\x80\x41\x82\x20\xfd\x5c\x7e\xa0"
    return {
        "seed-sjis": bytes([0x40]) + mixed,
        "seed-utf8": bytes([0x81]) + "左腕 ｱ ～〜― \U0001F600 \ufeff".encode("utf-8")
        + b"\xc3\x28\xe2\x82",
        "seed-utf16": bytes([0x12]) + "左腕\U0001F600".encode("utf-16-le") + b"\x00\xd8\x41\x00"
        + b"\x00\xdc",
        "seed-lead-end": bytes([0x06]) + sjis("あ") + b"\x82",
    }


def scan_seeds():
    return {
        "seed-sjis": bytes([0]) + sjis("-Bone\n左腕 LeftArm\n"),
        "seed-sjis-e0": bytes([1]) + sjis("漢字") + b"\xe0\x40",
        "seed-utf8-bom": bytes([2]) + b"\xef\xbb\xbf" + "左腕 LeftArm\n".encode("utf-8"),
        "seed-broken": bytes([1]) + b"\x80\x41\x82\x20\xfd\xc3",
    }


def namelist_seeds():
    patterns = ["髪*", "左？指３先", "a?c", "スカート*", "左目先", "左目*", "左HA*", "*"]
    names = ["髪1", "左人指３先", "abc", "aあc", "スカート", "スカート前", "左目先", "左ha1",
             "左HA1", "a" * 70, "あ" * 40]
    body = b"\0".join([sjis(p) for p in patterns] + [sjis(n) for n in names])
    return {
        "seed-patterns": bytes([len(patterns)]) + body,
        "seed-builtin": bytes([16 | 2]) + body,
        "seed-full": bytes([0xF0 | 3]) + body,
    }


def glyph_seeds():
    return {
        "seed-sjis": bytes([0x62, 0, 0xFF]) + sjis("A&&B&nC&rD&vE 左腕 ｱｲ") + b"&",
        "seed-mono": bytes([0x10, 1, 3]) + b"AV To  ",
        "seed-utf16": bytes([0x07, 0, 0xFF]) + "左腕\U0001F600 AV".encode("utf-16-le"),
        "seed-spaces": bytes([0x52, 0, 0xFF]) + b"    ",
        "seed-bad-slot": bytes([0x92, 0, 0xFF]) + b"A",
    }


def main():
    sets = {
        "fuzz_motion": motion_seeds(),
        "fuzz_fix": fix_seeds(),
        "fuzz_alias": alias_seeds(),
        "fuzz_args": args_seeds(),
        "fuzz_encoding": encoding_seeds(),
        "fuzz_scan": scan_seeds(),
        "fuzz_namelist": namelist_seeds(),
        "fuzz_glyph": glyph_seeds(),
    }
    for target, seeds in sets.items():
        folder = os.path.join(HERE, "corpus", target)
        os.makedirs(folder, exist_ok=True)
        for name, data in seeds.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
