#!/bin/bash
# Regenerates the Big5/GB2312 code tables into a temporary folder and compares
# them byte for byte with the committed resources, so that a table edited by
# hand or a change in the generator cannot slip through unnoticed. Then runs
# every character of both sets through the committed tables: one that has a
# counterpart in the other set must not come out as the fill value.
set -u
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

if ! /usr/bin/python3 "$root/tools/gen_code_tables.py" "$tmp"; then
    echo "check_code_tables: the generator failed" >&2
    exit 2
fi

status=0
for name in big5gb.tbl gbbig5.tbl; do
    if ! cmp "$tmp/$name" "$root/resources/$name"; then
        echo "check_code_tables: resources/$name differs from the generator's output" >&2
        status=1
    fi
done
[ "$status" -eq 0 ] && echo "check_code_tables: both tables match the generator"

# A counterpart here is anything the generator may choose from: the character
# itself or its same-symbol twins, a character up to two variant links away,
# or one with the same compatibility decomposition.
/usr/bin/python3 - "$root" <<'PYTHON' || status=1
import sys
import unicodedata

sys.path.insert(0, sys.argv[1] + "/tools")
import gen_code_tables as gen

big5_chars, gb_chars, to_gb, to_big5 = gen.load()
tables = {}
for name in ("big5gb.tbl", "gbbig5.tbl"):
    with open("%s/resources/%s" % (sys.argv[1], name), "rb") as f:
        tables[name] = f.read()


def has_counterpart(char, direction):
    near = {char} | set(gen.SAME_SYMBOL_OF.get(char, []))
    for _ in range(2):
        near |= {far for c in near for far in direction.graph.get(c, ())}
    return (any(c in direction.target_codes for c in near)
            or unicodedata.normalize("NFKC", chr(char)) in direction.nfkc_twins)


checks = (("Big5", big5_chars, "big5gb.tbl", lambda lead, trail: (lead - 0xA1) * 191 + trail - 0x40,
           gen.GB_SPACE, to_gb, gen.BIG5_NO_MAPPING_LEADS),
          ("GB2312", gb_chars, "gbbig5.tbl",
           lambda lead, trail: (lead - (0xA1 if lead < 0xB0 else 0xA7)) * 94 + trail - 0xA1,
           gen.BIG5_SPACE, to_big5, gen.GB_NO_MAPPING_LEADS))
failed = False
for name, chars, table, entry, fill, direction, empty_rows in checks:
    lost, none = [], 0
    for (lead, trail), char in sorted(chars.items()):
        index = entry(lead, trail)
        # The ideographic space is the fill value itself.
        if lead in empty_rows or char == 0x3000 or tables[table][2 * index:2 * index + 2] != fill:
            continue
        if has_counterpart(char, direction):
            lost.append(chr(char))
        else:
            none += 1
    print("check_code_tables: %d %s characters with a counterpart become the fill value, "
          "%d without one do" % (len(lost), name, none))
    if lost:
        print("check_code_tables: " + "".join(lost), file=sys.stderr)
        failed = True
sys.exit(1 if failed else 0)
PYTHON
exit "$status"
