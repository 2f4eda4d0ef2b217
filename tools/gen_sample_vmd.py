#!/usr/bin/env python3
"""Writes samples/sample.vmd, the small motion of our own that `make run` checks.

It holds something of every kind the report colours: a twist bone keyed (red), a shoulder P
bone (orange), an arm IK bone (orange-red), a moved lower body and a strongly twisted right
arm (yellow), a mildly twisted left arm (pale yellow), a moving finger, a bone no built-in
table knows, and two facial morphs. Usage: tools/gen_sample_vmd.py [OUTPUT]
"""
import math
import struct
import sys
from pathlib import Path

# Bone length axes of the standard model's arms, as the checker measures twists about them.
LEFT_ARM_AXIS = (0.819742, -0.572734, 0.0)
RIGHT_ARM_AXIS = (0.819742, 0.572734, 0.0)

# Linear interpolation, in the four shifted rows of the bone record.
_ROW = bytes([20, 20, 0, 0, 20, 20, 20, 20, 107, 107, 107, 107, 107, 107, 107, 107])
INTERPOLATION = b"".join(_ROW[i:] + bytes(i) for i in range(4))


def sjis(text, width):
    raw = text.encode("shift_jis_2004")
    if len(raw) > width:
        raise ValueError(f"{text} does not fit {width} bytes")
    return raw + bytes(width - len(raw))


def about(axis, degrees):
    half = math.radians(degrees) / 2.0
    n = math.sqrt(sum(c * c for c in axis))
    s = math.sin(half) / n
    return (axis[0] * s, axis[1] * s, axis[2] * s, math.cos(half))


def bone(name, frame, position=(0.0, 0.0, 0.0), rotation=(0.0, 0.0, 0.0, 1.0)):
    assert len(INTERPOLATION) == 64
    return (sjis(name, 15) + struct.pack("<i3f4f", frame, *position, *rotation)
            + INTERPOLATION)


def morph(name, frame, weight):
    return sjis(name, 15) + struct.pack("<if", frame, weight)


def build():
    bones = [
        bone("センター", 0),
        bone("センター", 30, position=(0.0, 0.0, 1.5)),
        bone("下半身", 0),
        bone("下半身", 30, position=(0.0, 0.2, 0.0), rotation=about((0, 1, 0), 10.0)),
        bone("左腕", 0),
        bone("左腕", 20, rotation=about(LEFT_ARM_AXIS, 150.0)),
        bone("右腕", 0),
        bone("右腕", 25, rotation=about(RIGHT_ARM_AXIS, -170.0)),
        bone("左腕捩", 10, rotation=about((1, 0, 0), 40.0)),
        bone("左肩P", 15, rotation=about((0, 0, 1), 12.0)),
        bone("左腕ＩＫ", 5, position=(0.5, 0.0, 0.0)),
        bone("左人指１", 12, position=(0.0, 0.1, 0.0), rotation=about((0, 0, 1), 30.0)),
        bone("ポニテ", 8, rotation=about((1, 0, 0), 25.0)),
    ]
    morphs = [
        morph("まばたき", 0, 0.0),
        morph("まばたき", 10, 1.0),
        morph("あ", 12, 0.5),
    ]
    out = bytearray(b"Vocaloid Motion Data 0002".ljust(30, b"\0"))
    out += sjis("サンプル", 20)
    out += struct.pack("<i", len(bones)) + b"".join(bones)
    out += struct.pack("<i", len(morphs)) + b"".join(morphs)
    out += struct.pack("<4i", 0, 0, 0, 0)  # camera, light, self-shadow, show-and-IK
    return bytes(out)


def main():
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else (
        Path(__file__).resolve().parent.parent / "samples" / "sample.vmd")
    target.write_bytes(build())
    print(f"wrote {target} ({target.stat().st_size} bytes)")


if __name__ == "__main__":
    main()
