#!/usr/bin/env bash
# The command line as a user runs it: every real-world shader source assembles, its listing
# prints, and assembling the listing gives the same bytes.
set -euo pipefail
shasm=$1
dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
count=0
while IFS= read -r -d '' src; do
  "$shasm" asm "$src" -o "$work/a.bin"
  "$shasm" dis "$work/a.bin" > "$work/a.txt"
  [ -s "$work/a.txt" ] || { echo "empty listing for $src"; exit 1; }
  "$shasm" asm "$work/a.txt" -o "$work/b.bin"
  cmp "$work/a.bin" "$work/b.bin" || { echo "round trip differs for $src"; exit 1; }
  count=$((count + 1))
done < <(find "$dir" -type f \( -name '*.vsh' -o -name '*.psh' -o -name '*.nvv' -o -name '*.nvp' \) -print0)
[ "$count" -gt 0 ] || { echo "no shader sources under $dir"; exit 1; }
# Bad input fails with a located message and a non-zero status.
printf 'vs.1.1\nmov oPos, q0\n' > "$work/bad.vsh"
if "$shasm" asm "$work/bad.vsh" -o "$work/bad.vso" 2> "$work/err.txt"; then exit 1; fi
grep -q "bad.vsh:2:11: error:" "$work/err.txt"
"$shasm" --help | grep -q "usage: vantrel-shasm"
echo "$count shader sources round-tripped"
