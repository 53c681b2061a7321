#!/bin/bash
# Regenerates the Big5/GB2312 code tables into a temporary folder and compares
# them byte for byte with the committed resources, so that a table edited by
# hand or a change in the generator cannot slip through unnoticed.
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
exit "$status"
