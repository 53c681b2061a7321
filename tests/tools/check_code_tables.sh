#!/bin/bash
# Regenerates the Big5/GB2312 code tables and compares them byte for byte with
# the committed resources, so that a table edited by hand cannot slip through;
# then holds them against OpenCC's character dictionaries: no Han character may
# become the fill value where OpenCC knows a counterpart in the other set.
set -u
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

/usr/bin/python3 "$root/tools/gen_code_tables.py" "$tmp" || exit 2
status=0
for name in big5gb.tbl gbbig5.tbl; do
    cmp "$tmp/$name" "$root/resources/$name" || status=1
done

/usr/bin/python3 - "$root" <<'PYTHON' || status=1
import sys
import unicodedata

sys.path.insert(0, sys.argv[1] + "/tools")
import gen_code_tables as gen

big5_chars, gb_chars, to_gb, to_big5 = gen.load()
taiwan = gen.read_opencc("TWVariants")
failed = False
for chars, table, fill, direction, opencc, local, empty_rows, entry in (
        (big5_chars, "big5gb.tbl", gen.GB_SPACE, to_gb, gen.read_opencc("TSCharacters"), {},
         gen.BIG5_NO_MAPPING_LEADS, lambda lead, trail: (lead - 0xA1) * 191 + trail - 0x40),
        (gb_chars, "gbbig5.tbl", gen.BIG5_SPACE, to_big5, gen.read_opencc("STCharacters"), taiwan,
         gen.GB_NO_MAPPING_LEADS | set(gen.GB_USER_DEFINED_LEADS),
         lambda lead, trail: (lead - (0xA1 if lead < 0xB0 else 0xA7)) * 94 + trail - 0xA1)):
    entries = open("%s/resources/%s" % (sys.argv[1], table), "rb").read()
    chars_of = {code: char for char, code in direction.target_codes.items()}
    blank, other, moved = [], [], []
    for (lead, trail), char in sorted(chars.items()):
        got = entries[2 * entry(lead, trail):2 * entry(lead, trail) + 2]
        if lead in empty_rows:
            continue
        if char in direction.target_codes:
            moved += [chr(char)] if got != direction.target_codes[char] else []
            continue
        # OpenCC's counterparts in the other set, Taiwan's form first towards Big5.
        known = [c for form in opencc.get(char, []) for c in local.get(form, []) + [form]
                 if c in direction.target_codes]
        if known and got == fill and unicodedata.name(chr(char), "").startswith("CJK "):
            blank.append(chr(char))
        elif known and chars_of.get(got) != known[0]:
            other.append(chr(char) + chr(chars_of[got]))
    for found, what in ((blank, "Han characters blank although OpenCC knows a counterpart"),
                        (moved, "characters not mapped to themselves although the other set has them"),
                        (other, "mappings other than OpenCC's first counterpart (to watch)")):
        print("check_code_tables: %s: %d %s %s" % (table, len(found), what, " ".join(found)))
    failed = failed or bool(blank or moved)
sys.exit(1 if failed else 0)
PYTHON
exit "$status"
