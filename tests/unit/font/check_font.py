#!/usr/bin/env python3
"""Checks that a TrueType file is fit to be the console font "Lucida Console CS".

It reads the font as GDI and the console would judge it: names, fixed pitch, the family GDI
derives, upright style, the ink of every glyph inside its cell (no negative A or C width) and
the characters of code page 852. Prints one line per check; exits 0 only when all pass.

Usage: check_font.py FONT.ttf
"""

import re
import sys
import unicodedata

from fontTools.pens.boundsPen import ControlBoundsPen
from fontTools.ttLib import TTFont

FACE_NAME = "Lucida Console CS"
ENGLISH, CZECH = 0x0409, 0x0405
SAMPLE_CHARACTERS = "čřů╔"


class Checks:
    def __init__(self):
        self.failed = 0

    def report(self, title, problem=None):
        """problem is None (or empty) when the check passed, else what is wrong."""
        if problem:
            self.failed += 1
            print(f"FAIL {title}: {problem}")
        else:
            print(f"ok   {title}")


def windows_name(font, name_id, language):
    record = font["name"].getName(name_id, 3, 1, language)
    return record.toUnicode() if record else None


def name_problems(font):
    wanted = [(1, ENGLISH, FACE_NAME), (4, ENGLISH, FACE_NAME), (2, ENGLISH, "Regular"),
              (2, CZECH, "Obyčejné")]
    wrong = [f"name {i}/{lang:#06x} is {windows_name(font, i, lang)!r}, not {text!r}"
             for i, lang, text in wanted if windows_name(font, i, lang) != text]
    postscript = windows_name(font, 6, ENGLISH) or ""
    if not re.fullmatch(r"[!-~]{1,63}", postscript) or re.search(r"[\[\](){}<>/%]", postscript):
        wrong.append(f"PostScript name {postscript!r} is not 1-63 printable ASCII characters")
    return "; ".join(wrong)


def licence_problems(font):
    # The Bitstream Vera licence: notices kept, reserved names not used by a modified font.
    wrong = []
    for record in font["name"].names:
        if record.nameID in (1, 3, 4, 6, 16, 17, 18, 21, 22) and \
                re.search(r"bitstream|vera", record.toUnicode(), re.IGNORECASE):
            wrong.append(f"name {record.nameID} {record.toUnicode()!r} uses a reserved name")
    notices = {0: "Copyright (c) 2003 by Bitstream, Inc.",
               13: "Bitstream Vera is a trademark of Bitstream, Inc."}
    for name_id, notice in notices.items():
        if notice not in (windows_name(font, name_id, ENGLISH) or ""):
            wrong.append(f"name {name_id} lacks the notice {notice!r}")
    return "; ".join(wrong)


def advance_widths(font):
    return {width for width, _ in font["hmtx"].metrics.values()}


def pitch_problems(font):
    widths = advance_widths(font)
    wrong = []
    if len(widths) != 1:
        wrong.append(f"{len(widths)} different advance widths")
    if not font["post"].isFixedPitch:
        wrong.append("post.isFixedPitch is 0")
    if font["OS/2"].panose.bProportion != 9:
        wrong.append(f"PANOSE proportion {font['OS/2'].panose.bProportion} is not monospaced")
    if font["hhea"].advanceWidthMax != max(widths) or font["OS/2"].xAvgCharWidth != max(widths):
        wrong.append("hhea.advanceWidthMax or OS/2.xAvgCharWidth differs from the advance")
    return "; ".join(wrong)


def gdi_family(panose):
    """The family nibble GDI gives a TrueType font, from its PANOSE classification."""
    if panose.bFamilyType == 4:
        return "FF_DECORATIVE"
    if panose.bFamilyType == 3:
        return "FF_SCRIPT"
    if panose.bProportion == 9:
        return "FF_MODERN"
    if 2 <= panose.bSerifStyle <= 10:
        return "FF_ROMAN"
    return "FF_SWISS" if 11 <= panose.bSerifStyle <= 15 else "FF_DONTCARE"


def italic_problems(font):
    wrong = []
    if font["OS/2"].fsSelection & 1:
        wrong.append("OS/2.fsSelection has the italic bit")
    if font["head"].macStyle & 2:
        wrong.append("head.macStyle has the italic bit")
    if font["post"].italicAngle:
        wrong.append(f"post.italicAngle is {font['post'].italicAngle}")
    return "; ".join(wrong)


def cell_problems(font):
    """Glyphs whose outline starts left of the origin (A < 0) or ends past the advance (C < 0).

    The box of the control points holds the ink, and is what the left side bearing measures.
    """
    glyphs = font.getGlyphSet()
    hmtx = font["hmtx"]
    outside = []
    for name in font.getGlyphOrder():
        pen = ControlBoundsPen(glyphs)
        glyphs[name].draw(pen)
        advance, left_bearing = hmtx[name]
        if pen.bounds is None:
            continue
        x_min, _, x_max, _ = pen.bounds
        if x_min < 0 or x_max > advance or left_bearing < 0 or left_bearing != x_min:
            outside.append(f"{name} ({x_min}..{x_max}, lsb {left_bearing})")
    hhea = font["hhea"]
    if hhea.minLeftSideBearing < 0 or hhea.minRightSideBearing < 0:
        outside.append(f"hhea side bearings {hhea.minLeftSideBearing}, {hhea.minRightSideBearing}")
    return f"{len(outside)}: {', '.join(outside[:6])}" if outside else None


def coverage_problems(font):
    cmap = font["cmap"].getcmap(3, 1)
    if cmap is None:
        return "no Windows Unicode character map"
    characters = [bytes([b]).decode("cp852") for b in range(0x20, 0x100)]
    wanted = [c for c in characters if unicodedata.category(c) != "Cc"] + list(SAMPLE_CHARACTERS)
    missing = sorted({c for c in wanted if ord(c) not in cmap.cmap})
    return f"no glyph for {''.join(missing)!r}" if missing else None


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    font = TTFont(sys.argv[1])
    checks = Checks()
    checks.report(f"face name {FACE_NAME!r}, subfamily Regular / Obyčejné", name_problems(font))
    checks.report("licence notices kept, reserved names avoided", licence_problems(font))
    checks.report("fixed pitch", pitch_problems(font))
    family = gdi_family(font["OS/2"].panose)
    checks.report("GDI family FF_MODERN", None if family == "FF_MODERN" else f"GDI sees {family}")
    checks.report("not italic", italic_problems(font))
    checks.report("no negative A or C widths", cell_problems(font))
    checks.report("glyphs for code page 852", coverage_problems(font))
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main())
