#!/bin/bash
# Regenerates the Big5/GB2312 code tables and compares them byte for byte with
# the committed resources, so that a table edited by hand cannot slip through;
# then no character with a counterpart in the other set may become the fill value.
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

def has_counterpart(char, direction):
    # Anything the generator may choose from: the character or its same-symbol
    # twins, characters up to two variant links away, or the same NFKC form.
    near = {char} | set(gen.SAME_SYMBOL_OF.get(char, []))
    for _ in range(2):
        near |= {far for c in near for far in direction.graph.get(c, ())}
    return (any(c in direction.target_codes for c in near)
            or unicodedata.normalize("NFKC", chr(char)) in direction.nfkc_twins)

lost = []
for chars, table, fill, direction, empty_rows, entry in (
        (big5_chars, "big5gb.tbl", gen.GB_SPACE, to_gb, gen.BIG5_NO_MAPPING_LEADS,
         lambda lead, trail: (lead - 0xA1) * 191 + trail - 0x40),
        (gb_chars, "gbbig5.tbl", gen.BIG5_SPACE, to_big5, gen.GB_NO_MAPPING_LEADS,
         lambda lead, trail: (lead - (0xA1 if lead < 0xB0 else 0xA7)) * 94 + trail - 0xA1)):
    entries = open("%s/resources/%s" % (sys.argv[1], table), "rb").read()
    # The ideographic space is the fill value itself.
    lost += [chr(char) for (lead, trail), char in sorted(chars.items())
             if lead not in empty_rows and char != 0x3000 and has_counterpart(char, direction)
             and entries[2 * entry(lead, trail):2 * entry(lead, trail) + 2] == fill]
print("check_code_tables: %d characters with a counterpart become the fill value %s"
      % (len(lost), "".join(lost)))
sys.exit(1 if lost else 0)
PYTHON
exit "$status"
