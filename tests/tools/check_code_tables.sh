#!/bin/bash
# Regenerates the Big5/GB2312 code tables and compares them byte for byte with
# the committed resources, so that a table edited by hand cannot slip through;
# then holds them against OpenCC's and MediaWiki's character tables: no Han
# character may become the fill value where either knows a counterpart.
set -u
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

/usr/bin/python3 "$root/tools/gen_code_tables.py" "$tmp" || exit 2
status=0
for name in big5gb.tbl gbbig5.tbl; do cmp "$tmp/$name" "$root/resources/$name" || status=1; done

/usr/bin/python3 - "$root" <<'PYTHON' || status=1
import sys
import unicodedata

sys.path.insert(0, sys.argv[1] + "/tools")
import gen_code_tables as gen

big5_chars, gb_chars, to_gb, to_big5 = gen.load()
failed = False
for chars, table, fill, direction, opencc, empty_rows, entry in (
        (big5_chars, "big5gb.tbl", gen.GB_SPACE, to_gb, gen.read_opencc("TSCharacters"),
         gen.BIG5_NO_MAPPING_LEADS, lambda lead, trail: (lead - 0xA1) * 191 + trail - 0x40),
        (gb_chars, "gbbig5.tbl", gen.BIG5_SPACE, to_big5, gen.read_opencc("STCharacters"),
         gen.GB_NO_MAPPING_LEADS | set(gen.GB_USER_DEFINED_LEADS),
         lambda lead, trail: (lead - (0xA1 if lead < 0xB0 else 0xA7)) * 94 + trail - 0xA1)):
    entries = open("%s/resources/%s" % (sys.argv[1], table), "rb").read()
    chars_of = {code: char for char, code in direction.target_codes.items()}
    moved, found = [], {"OpenCC": ([], []), "MediaWiki": ([], [])}
    for (lead, trail), char in sorted(item for item in chars.items() if item[0][0] not in empty_rows):
        got = entries[2 * entry(lead, trail):2 * entry(lead, trail) + 2]
        if char in direction.target_codes:
            moved += [chr(char)] if got != direction.target_codes[char] else []
            continue
        for witness, forms in (("OpenCC", opencc.get(char, [])), ("MediaWiki", [direction.mediawiki.get(char)])):
            # The witness's counterparts in the other set, Taiwan's form first towards Big5.
            known = [c for form in forms for c in (direction.local.get(form), form) if c in direction.target_codes]
            blank, other = found[witness]
            if known and got == fill and unicodedata.name(chr(char), "").startswith("CJK "):
                blank.append(chr(char))
            elif known and chars_of.get(got) != known[0]:
                other.append(chr(char) + chr(chars_of[got]))
    lines = [(moved, "characters not mapped to themselves although the other set has them", True)]
    for witness, (blank, other) in found.items():
        lines += [(blank, "Han characters blank although %s knows a counterpart" % witness, True),
                  (other, "mappings other than %s's first counterpart (to watch)" % witness, False)]
    for listed, what, fails in lines:
        print("check_code_tables: %s: %d %s %s" % (table, len(listed), what, " ".join(listed)))
        failed = failed or fails and bool(listed)
sys.exit(1 if failed else 0)
PYTHON
exit "$status"
