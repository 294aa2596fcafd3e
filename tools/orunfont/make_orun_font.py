#!/usr/bin/python3
"""Makes the program's icon font "OrunFont" from Debian's Font Awesome 4.7
(SIL OFL 1.1, package fonts-font-awesome): the same glyphs under the family
name the pages ask for, plus the task tab's glyph at U+E115, which Font
Awesome leaves empty (it takes the "tasks" glyph, U+F0AE).

    make_orun_font.py SOURCE.ttf OUT.ttf
"""
import sys

from fontTools.ttLib import TTFont

FAMILY = "OrunFont"
EXTRA = {0xE115: 0xF0AE}  # code point -> code point whose glyph it shows


def main(source, out):
    font = TTFont(source)
    for table in font["cmap"].tables:
        if not table.isUnicode():
            continue
        for extra, existing in EXTRA.items():
            if existing in table.cmap:
                table.cmap[extra] = table.cmap[existing]
    names = font["name"]
    for record in list(names.names):
        if record.nameID in (1, 16):
            names.setName(FAMILY, record.nameID, record.platformID, record.platEncID, record.langID)
        elif record.nameID in (4,):
            names.setName(FAMILY + " Regular", record.nameID, record.platformID, record.platEncID, record.langID)
        elif record.nameID == 6:
            names.setName(FAMILY + "-Regular", record.nameID, record.platformID, record.platEncID, record.langID)
    font.save(out)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
