#!/usr/bin/env python3
"""Derives the console font "Lucida Console CS" (mrk_lccs.ttf) from DejaVu Sans Mono.

The Windows console offers a TrueType font only when it has a fixed pitch, belongs to the
FF_MODERN family, is not italic and has no negative A or C widths; DOS programs also need every
character of code page 852. DejaVu Sans Mono has the glyphs, but some of them reach outside their
cell and its names are not ours. This script renames the font, brings every glyph into its cell,
checks the result and only then writes it. The same input gives the same bytes.

Usage: make_font.py SOURCE.ttf OUTPUT.ttf
"""

import argparse
import collections
import copy
import os
import sys
import unicodedata

from fontTools.misc.roundTools import otRound
from fontTools.ttLib import TTFont
from fontTools.ttLib.tables import ttProgram
from fontTools.ttLib.tables._g_l_y_f import USE_MY_METRICS, Glyph

FAMILY = "Lucida Console CS"
POSTSCRIPT_NAME = "LucidaConsoleCS"
SUBFAMILY = "Regular"
SUBFAMILY_CZECH = "Obyčejné"
FONT_VERSION = "1.000"
MAKER = "MOREK"

WINDOWS, UNICODE_BMP = 3, 1
ENGLISH_US, CZECH = 0x0409, 0x0405

COPYRIGHT, FAMILY_ID, SUBFAMILY_ID, UNIQUE_ID, FULL_NAME, VERSION_ID, POSTSCRIPT_ID = range(7)
LICENSE, LICENSE_URL = 13, 14
# The source's licence wants its copyright and licence notices kept; every other record is ours.
KEPT_NAME_IDS = (COPYRIGHT, LICENSE, LICENSE_URL)
# A modified font must not carry these words in its names (Bitstream Vera licence).
RESERVED_WORDS = ("bitstream", "vera")
FONT_NAME_IDS = (1, 2, 3, 4, 6, 16, 17, 18, 21, 22, 25)

# Box drawing and block elements overlap the neighbouring cells so that their lines join. Cut at
# the cell edge they still meet their neighbours; moved sideways, they would not.
CELL_JOINING_CHARACTERS = range(0x2500, 0x25A0)

# GDI makes a TrueType font FF_MODERN when its PANOSE family is not script or decorative and its
# proportion is monospaced; the OS/2 family class plays no part.
PANOSE_LATIN_TEXT = 2
PANOSE_MONOSPACED = 9
FS_SELECTION_ITALIC, FS_SELECTION_BOLD, FS_SELECTION_REGULAR = 1 << 0, 1 << 5, 1 << 6
MAC_STYLE_BOLD, MAC_STYLE_ITALIC = 1 << 0, 1 << 1


class FontError(Exception):
    pass


def code_page_852_characters():
    """The printable characters of code page 852: bytes 0x20-0xFF without control characters."""
    text = bytes(range(0x20, 0x100)).decode("cp852")
    return [ch for ch in text if unicodedata.category(ch) != "Cc"]


def common_advance(font):
    """The advance width that all glyphs with ink share (empty ones may have another)."""
    hmtx, glyf = font["hmtx"], font["glyf"]
    inked = {name: width for name, (width, _) in hmtx.metrics.items()
             if glyf[name].numberOfContours != 0}
    widths = set(inked.values())
    if len(widths) != 1:
        raise FontError(f"the source font is not monospaced: {len(widths)} advance widths "
                        f"from {min(widths)} to {max(widths)}")
    return widths.pop()


def components_first(glyf):
    """Glyph names ordered so that every component comes before the glyphs that use it."""
    order, placed = [], set()

    def place(name):
        if name not in placed:
            placed.add(name)
            if glyf[name].isComposite():
                for component in glyf[name].components:
                    place(component.glyphName)
            order.append(name)

    for name in glyf.keys():
        place(name)
    return order


def decomposed(glyph, glyf):
    """A simple glyph with the outline of a composite one. Its hinting does not carry over."""
    coordinates, end_points, flags = glyph.getCoordinates(glyf)
    simple = Glyph()
    simple.numberOfContours = len(end_points)
    simple.coordinates = coordinates
    simple.endPtsOfContours = list(end_points)
    simple.flags = bytearray(flag & 1 for flag in flags)  # the on-curve bit only
    simple.program = ttProgram.Program()
    simple.program.fromBytecode(b"")
    return simple


def map_x(glyph, mapping):
    coordinates = glyph.coordinates
    for i, (x, y) in enumerate(coordinates):
        coordinates[i] = (mapping(x), y)


def fit_into_cells(font, advance):
    """Brings the ink of every glyph into [0, advance]: no negative A or C width is left.

    Cell-joining glyphs are cut at the cell edges, glyphs that fit are moved, wider ones narrowed.
    Returns the x mapping applied to each changed glyph, so that anchors can follow, and how many
    glyphs each kind of change took.
    """
    glyf = font["glyf"]
    cmap = font.getBestCmap()
    joining = {cmap[c] for c in CELL_JOINING_CHARACTERS if c in cmap}
    shifts, mappings, counts = {}, {}, collections.Counter()
    for name in components_first(glyf):
        glyph = glyf[name]
        if glyph.isComposite():
            # A moved component is moved back inside the glyphs that use it: they keep their look.
            for component in glyph.components:
                component.x -= shifts.get(component.glyphName, 0)
        if glyph.numberOfContours == 0:
            continue
        glyph.recalcBounds(glyf)
        x_min, x_max = glyph.xMin, glyph.xMax
        if 0 <= x_min and x_max <= advance:
            continue
        if name in joining:
            change, mapping = "cut at the cell edge", lambda x: min(max(x, 0), advance)
        elif x_max - x_min <= advance:
            dx = -x_min if x_min < 0 else advance - x_max
            change, mapping = "moved", lambda x, dx=dx: x + dx
            shifts[name] = dx
        else:
            scale = advance / (x_max - x_min)
            change = "narrowed"
            mapping = lambda x, x_min=x_min, scale=scale: otRound((x - x_min) * scale)
        if glyph.isComposite() and name in shifts:
            for component in glyph.components:
                component.x += shifts[name]
        else:
            if glyph.isComposite():
                glyph = glyf[name] = decomposed(glyph, glyf)
            map_x(glyph, mapping)
        mappings[name] = mapping
        counts[change] += 1
    clear_misplaced_metrics_flags(glyf)
    return mappings, counts


def clear_misplaced_metrics_flags(glyf):
    """A component that lends its metrics to the glyph must sit at x 0, or the glyph's origin
    would move with it; all glyphs share one advance, so the glyph's own metrics serve as well."""
    for name in glyf.keys():
        glyph = glyf[name]
        if glyph.isComposite():
            for component in glyph.components:
                if component.flags & USE_MY_METRICS and component.x != 0:
                    component.flags &= ~USE_MY_METRICS


def move_anchors(font, mappings):
    """Attachment points of marks follow their glyphs, so that marks still sit where they did."""
    if "GPOS" not in font:
        return

    def moved(anchor, mapping):
        anchor = copy.copy(anchor)
        anchor.XCoordinate = mapping(anchor.XCoordinate)
        return anchor

    def each_glyph_anchor(coverage, records, anchors_of, set_anchors):
        for glyph_name, record in zip(coverage.glyphs, records):
            mapping = mappings.get(glyph_name)
            if mapping:
                set_anchors(record, [a and moved(a, mapping) for a in anchors_of(record)])

    for lookup in font["GPOS"].table.LookupList.Lookup:
        for subtable in lookup.SubTable:
            if lookup.LookupType == 9:
                subtable = subtable.ExtSubTable
            kind = subtable.LookupType
            if kind in (4, 5):  # mark to base, mark to ligature
                marks, bases = subtable.MarkCoverage, subtable.MarkArray.MarkRecord
            elif kind == 6:  # mark to mark
                marks, bases = subtable.Mark1Coverage, subtable.Mark1Array.MarkRecord
            else:
                continue
            each_glyph_anchor(marks, bases, lambda r: [r.MarkAnchor],
                              lambda r, a: setattr(r, "MarkAnchor", a[0]))
            if kind == 4:
                each_glyph_anchor(subtable.BaseCoverage, subtable.BaseArray.BaseRecord,
                                  lambda r: r.BaseAnchor, lambda r, a: setattr(r, "BaseAnchor", a))
            elif kind == 6:
                each_glyph_anchor(subtable.Mark2Coverage, subtable.Mark2Array.Mark2Record,
                                  lambda r: r.Mark2Anchor,
                                  lambda r, a: setattr(r, "Mark2Anchor", a))
            else:
                for glyph_name, attach in zip(subtable.LigatureCoverage.glyphs,
                                              subtable.LigatureArray.LigatureAttach):
                    mapping = mappings.get(glyph_name)
                    for component in attach.ComponentRecord if mapping else []:
                        component.LigatureAnchor = [a and moved(a, mapping)
                                                    for a in component.LigatureAnchor]


def set_metrics(font, advance):
    """One advance for every glyph, and left side bearings that match the outlines."""
    glyf, hmtx = font["glyf"], font["hmtx"]
    for name in glyf.keys():
        glyph = glyf[name]
        glyph.recalcBounds(glyf)
        hmtx[name] = (advance, glyph.xMin if glyph.numberOfContours != 0 else 0)
    font["OS/2"].xAvgCharWidth = advance


def set_style(font):
    """Fixed pitch and FF_MODERN in every table that says so. A flag cannot make slanted or bold
    glyphs upright and regular, so such a source is refused."""
    os2, head, post = font["OS/2"], font["head"], font["post"]
    if post.italicAngle != 0 or os2.fsSelection & FS_SELECTION_ITALIC or \
            head.macStyle & MAC_STYLE_ITALIC:
        raise FontError("the source font is italic; the console takes upright fonts only")
    if os2.fsSelection & FS_SELECTION_BOLD or head.macStyle & MAC_STYLE_BOLD:
        raise FontError("the source font is bold; the console font is the regular one")
    post.isFixedPitch = 1
    os2.panose.bFamilyType = PANOSE_LATIN_TEXT
    os2.panose.bProportion = PANOSE_MONOSPACED
    os2.fsSelection |= FS_SELECTION_REGULAR


def rename(font):
    """Our names in English and Czech; the source's copyright and licence notices stay."""
    name = font["name"]
    kept = {}
    for name_id in KEPT_NAME_IDS:
        record = name.getName(name_id, WINDOWS, UNICODE_BMP, ENGLISH_US)
        if record is None:
            raise FontError(f"the source font has no name record {name_id} to keep")
        kept[name_id] = record.toUnicode()
    source_version = name.getName(VERSION_ID, WINDOWS, UNICODE_BMP, ENGLISH_US).toUnicode()
    source = f"{name.getDebugName(FAMILY_ID)} {source_version.removeprefix('Version ')}"
    english = {
        FAMILY_ID: FAMILY,
        SUBFAMILY_ID: SUBFAMILY,
        UNIQUE_ID: f"{MAKER}: {FAMILY} {SUBFAMILY}: {FONT_VERSION}",
        FULL_NAME: FAMILY,
        VERSION_ID: f"Version {FONT_VERSION}; derived from {source}",
        POSTSCRIPT_ID: POSTSCRIPT_NAME,
        **kept,
    }
    czech = {FAMILY_ID: FAMILY, SUBFAMILY_ID: SUBFAMILY_CZECH, FULL_NAME: FAMILY}
    name.names = []
    for name_id, text in sorted(english.items()):
        name.setName(text, name_id, WINDOWS, UNICODE_BMP, ENGLISH_US)
    for name_id, text in sorted(czech.items()):
        name.setName(text, name_id, WINDOWS, UNICODE_BMP, CZECH)
    font["head"].fontRevision = float(FONT_VERSION)


def derive(source_path):
    # The time stamps stay those of the source, so that a rebuild gives the same bytes.
    font = TTFont(source_path, recalcBBoxes=True, recalcTimestamp=False)
    # FontForge's own time stamps of the source; they describe another font.
    if "FFTM" in font:
        del font["FFTM"]
    advance = common_advance(font)
    mappings, counts = fit_into_cells(font, advance)
    move_anchors(font, mappings)
    set_metrics(font, advance)
    set_style(font)
    rename(font)
    changes = ", ".join(f"{count} {change}" for change, count in sorted(counts.items()))
    return font, f"{len(font.getGlyphOrder())} glyphs; brought into their cells: {changes}"


def problems_of(path):
    """What the console (or the licence) would object to in the font written at path."""
    font = TTFont(path)
    problems = []
    names = {(r.nameID, r.langID): r.toUnicode() for r in font["name"].names
             if (r.platformID, r.platEncID) == (WINDOWS, UNICODE_BMP)}
    expected = {(FAMILY_ID, ENGLISH_US): FAMILY, (FULL_NAME, ENGLISH_US): FAMILY,
                (SUBFAMILY_ID, ENGLISH_US): SUBFAMILY, (SUBFAMILY_ID, CZECH): SUBFAMILY_CZECH,
                (POSTSCRIPT_ID, ENGLISH_US): POSTSCRIPT_NAME}
    for key, text in expected.items():
        if names.get(key) != text:
            problems.append(f"name {key[0]} for language {key[1]:#06x} is {names.get(key)!r}")
    for (name_id, _), text in names.items():
        if name_id in FONT_NAME_IDS and any(w in text.lower() for w in RESERVED_WORDS):
            problems.append(f"name {name_id} uses a reserved name: {text!r}")

    glyf, hmtx = font["glyf"], font["hmtx"]
    advances = {width for width, _ in hmtx.metrics.values()}
    if len(advances) != 1:
        problems.append(f"advance widths differ: {sorted(advances)}")
    advance = max(advances)
    outside = []
    for glyph_name in font.getGlyphOrder():
        glyph = glyf[glyph_name]
        if glyph.numberOfContours != 0:
            glyph.recalcBounds(glyf)
            if glyph.xMin < 0 or glyph.xMax > advance or hmtx[glyph_name][1] != glyph.xMin:
                outside.append(glyph_name)
    if outside:
        problems.append(f"{len(outside)} glyphs leave their cell: {', '.join(outside[:8])}")

    os2, post, head = font["OS/2"], font["post"], font["head"]
    if not post.isFixedPitch or os2.panose.bProportion != PANOSE_MONOSPACED:
        problems.append("not marked as fixed pitch")
    if os2.panose.bFamilyType != PANOSE_LATIN_TEXT:
        problems.append(f"PANOSE family {os2.panose.bFamilyType} would not give FF_MODERN")
    if os2.fsSelection & FS_SELECTION_ITALIC or head.macStyle & MAC_STYLE_ITALIC or \
            post.italicAngle != 0:
        problems.append("marked as italic")

    cmap = font["cmap"].getcmap(WINDOWS, UNICODE_BMP).cmap
    missing = [ch for ch in code_page_852_characters() if ord(ch) not in cmap]
    if missing:
        problems.append(f"no glyph for code page 852 characters {''.join(missing)!r}")
    return problems


def write(font, output_path):
    partial = output_path + ".partial"
    font.save(partial)
    problems = problems_of(partial)
    if problems:
        os.remove(partial)
        raise FontError("the derived font is unfit for the console:\n  " + "\n  ".join(problems))
    os.replace(partial, output_path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("source", help="DejaVuSansMono.ttf")
    parser.add_argument("output", help="the console font to write")
    args = parser.parse_args()
    try:
        font, summary = derive(args.source)
        write(font, args.output)
    except (FontError, OSError) as error:
        print(f"make_font.py: {error}", file=sys.stderr)
        return 1
    print(f"make_font.py: {args.output}: {summary}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
