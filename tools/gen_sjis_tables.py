#!/usr/bin/env python3
"""Generates src/text/sjis_tables_generated.cpp: the Shift-JIS <-> Unicode tables.

Source: Python's standard `shift_jis_2004` codec (Shift_JIS-2004, JIS X 0213:2004 planes
1 and 2 with JIS X 0201 single bytes), with the program's fixed choices applied:

- single bytes: 0x00 -> 0, 0x5C -> U+00A5, 0x7E -> U+203E, other 0x01-0x7F to themselves,
  0xA1-0xDF -> U+FF61-U+FF9F, 0x80-0xA0 and 0xE0-0xFF -> 0;
- 0x815C -> U+2014 (the codec says U+2015);
- 0x81D4 -> U+FF5F and 0x81D5 -> U+FF60 (the codec says U+2985, U+2986);
- the 25 codes the codec decodes to two code points -> 0.

The reverse table is the exact inverse of the forward table over U+0000-U+FFFF. The script
checks the counts and a set of telling rows and fails rather than write a table that
differs from the expected mapping.

Usage:
  tools/gen_sjis_tables.py [OUTPUT]     write the C++ source (default: stdout)
  tools/gen_sjis_tables.py --check FILE exit 1 when FILE differs from what would be written
"""

import sys

# Forward table: three direct-indexed ranges.
FORWARD_RANGES = [(0x0000, 0x0100), (0x8000, 0xA000), (0xE000, 0xFD00)]
# Reverse table: three direct-indexed ranges of UTF-16 units.
REVERSE_RANGES = [(0x0000, 0x0500), (0x1E00, 0xA000), (0xF900, 0x10000)]

LEAD_BYTES = list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD))
CORRECTIONS = {0x815C: 0x2014, 0x81D4: 0xFF5F, 0x81D5: 0xFF60}

EXPECTED_SINGLE = 190
EXPECTED_DOUBLE = 11208
EXPECTED_ABOVE_BMP = 303
EXPECTED_MULTI = 25
EXPECTED_REVERSE = 11095

TELLING_FORWARD = {
    0x5C: 0x00A5, 0x7E: 0x203E, 0xA1: 0xFF61, 0xDF: 0xFF9F, 0x80: 0, 0xA0: 0, 0x00: 0,
    0x8140: 0x3000, 0x815C: 0x2014, 0x815F: 0x005C, 0x8160: 0x301C, 0x8161: 0x2016,
    0x817C: 0x2212, 0x8191: 0x00A2, 0x81B0: 0x007E, 0x81D4: 0xFF5F, 0x81D5: 0xFF60,
    0x83BB: 0x2661, 0x8540: 0x20AC, 0x87A0: 0x2000B, 0x889F: 0x4E9C, 0xFCF4: 0x2A6B2,
    0x8790: 0, 0x8791: 0, 0x8792: 0, 0x8794: 0, 0x8795: 0, 0x8796: 0, 0x8797: 0,
    0x879A: 0, 0x879B: 0, 0x879C: 0, 0x9873: 0x20B9F, 0xFC5A: 0x9B1C, 0x82F5: 0,
}
TELLING_REVERSE = {
    0x005C: 0x815F, 0x007E: 0x81B0, 0x00A5: 0x5C, 0x203E: 0x7E, 0xFF71: 0xB1,
    0x2014: 0x815C, 0x2015: 0, 0xFF5E: 0, 0x2661: 0x83BB,
}


def single_byte(b):
    if b == 0x5C:
        return 0x00A5
    if b == 0x7E:
        return 0x203E
    if 0x01 <= b <= 0x7F:
        return b
    if 0xA1 <= b <= 0xDF:
        return 0xFF61 + (b - 0xA1)
    return 0


def build_forward():
    """Returns {code: code point} for every mapped code, and the number of codes dropped
    because the codec gives two code points."""
    forward = {}
    for b in range(0x100):
        if single_byte(b):
            forward[b] = single_byte(b)
    multi = 0
    for lead in LEAD_BYTES:
        for trail in range(0x100):
            try:
                text = bytes([lead, trail]).decode("shift_jis_2004")
            except UnicodeDecodeError:
                continue
            code = lead << 8 | trail
            if len(text) != 1:
                multi += 1
                continue
            forward[code] = CORRECTIONS.get(code, ord(text))
    return forward, multi


def build_reverse(forward):
    reverse = {}
    for code, cp in forward.items():
        if cp > 0xFFFF:
            continue
        if cp in reverse:
            sys.exit("code point U+%04X has two codes: %X and %X" % (cp, reverse[cp], code))
        if not any(lo <= cp < hi for lo, hi in REVERSE_RANGES):
            sys.exit("code point U+%04X lies outside the reverse table" % cp)
        reverse[cp] = code
    return reverse


def check(forward, multi, reverse):
    def expect(what, got, want):
        if got != want:
            sys.exit("%s: got %s, expected %s" % (what, got, want))

    expect("single bytes mapped", sum(1 for c in forward if c < 0x100), EXPECTED_SINGLE)
    expect("double-byte codes mapped", sum(1 for c in forward if c >= 0x100), EXPECTED_DOUBLE)
    expect("codes above U+FFFF", sum(1 for cp in forward.values() if cp > 0xFFFF),
           EXPECTED_ABOVE_BMP)
    expect("two-code-point codes", multi, EXPECTED_MULTI)
    expect("reverse entries", len(reverse), EXPECTED_REVERSE)
    for code in forward:
        if code >= 0x100:
            trail = code & 0xFF
            if code >> 8 not in LEAD_BYTES or trail < 0x40 or trail > 0xFC or trail == 0x7F:
                sys.exit("unexpected double-byte code %X" % code)
        if not any(lo <= code < hi for lo, hi in FORWARD_RANGES):
            sys.exit("code %X lies outside the forward table" % code)
    for code, cp in TELLING_FORWARD.items():
        expect("forward %X" % code, forward.get(code, 0), cp)
    for cp, code in TELLING_REVERSE.items():
        expect("reverse U+%04X" % cp, reverse.get(cp, 0), code)


def emit_table(lines, ctype, name, size_expr, ranges, mapping, width):
    lines.append("const %s %s[%s] = {" % (ctype, name, size_expr))
    for lo, hi in ranges:
        lines.append("// ---- 0x%04X-0x%04X ----" % (lo, hi - 1))
        for start in range(lo, hi, 16):
            cells = []
            for key in range(start, start + 16):
                value = mapping.get(key, 0)
                cells.append(("0x%0*X" % (width, value)) if value else "0")
            lines.append("/* %04X */ %s," % (start, ", ".join(cells)))
    lines.append("};")


def render():
    forward, multi = build_forward()
    reverse = build_reverse(forward)
    check(forward, multi, reverse)
    lines = [
        "// Generated by tools/gen_sjis_tables.py from Python's shift_jis_2004 codec; "
        "do not edit.",
        "// clang-format off",
        "// Shift_JIS-2004 with the program's fixed choices (see the generator). Rows are",
        "// marked with the code (forward) or code point (reverse) of their first entry.",
        "",
        '#include "text/encoding.h"',
        "",
    ]
    emit_table(lines, "uint32_t", "SjisToUniTable", "256 + 8192 + 7424", FORWARD_RANGES,
               forward, 4)
    lines.append("")
    emit_table(lines, "uint16_t", "UniToSjisTable", "1280 + 33280 + 1792", REVERSE_RANGES,
               reverse, 2)
    return "\n".join(lines) + "\n"


def run(argv, render, script, encoding):
    """The command line of a generator: write, check or print what render() gives."""
    text = render()
    if len(argv) == 3 and argv[1] == "--check":
        with open(argv[2], encoding=encoding) as f:
            if f.read() != text:
                print("%s is out of date; run tools/%s %s" % (argv[2], script, argv[2]),
                      file=sys.stderr)
                return 1
        return 0
    if len(argv) == 2 and not argv[1].startswith("-"):
        with open(argv[1], "w", encoding=encoding, newline="\n") as f:
            f.write(text)
        return 0
    if len(argv) == 1:
        sys.stdout.write(text)
        return 0
    return 2


def main(argv):
    status = run(argv, render, "gen_sjis_tables.py", "ascii")
    if status == 2:
        print(__doc__, file=sys.stderr)
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))
