#!/usr/bin/env bash
# The release archive is made twice from the same built tree, its files staged afresh (new
# times) each time, unsigned: both must be the same bytes and hold what a user needs.
# Arguments: build root, scratch folder.
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/tests/deploy/deploy-common.sh"
build=$1 scratch=$2
rm -rf "$scratch" && mkdir -p "$scratch"
zip="$(release_name)-windows.zip"
for round in first second; do
  env -u CORVANE_SIGN_PFX BUILD="$build" "$here/scripts/dist.sh" --archive-only "$scratch/$round" \
    > /dev/null 2> "$scratch/dist.log" || { cat "$scratch/dist.log" >&2; fail "dist failed"; }
  sleep 1
done
grep -q '^dist: unsigned release' "$scratch/dist.log" || fail "dist did not say the release is unsigned"
cmp "$scratch/first/$zip" "$scratch/second/$zip" || fail "the same tree gave two archives"

listing=$(python3 -m zipfile -l "$scratch/first/$zip" | awk 'NR > 1 { print $1 }')
expected="README.txt CHANGELOG.txt examples/for-each.js examples/for-each.vbs examples/rendal-tour.js
  examples/rendal-tour.vbs wine/x64/ntevtsvc.dll x64/Corvane.manifest x64/Corvane.ocx
  x64/VuvazeRUridazorar.tlb"
# The reference as HTML, a page for each page of docs/, and the task scripts.
for page in "$here"/docs/*.md; do expected+=" docs/$(basename "$page" .md).html"; done
for script in "$here"/examples/tasks/*.vbs; do expected+=" examples/tasks/$(basename "$script")"; done
if [ -f "$build/win32/bin/Corvane.ocx" ]; then
  expected+=" wine/x86/ntevtsvc.dll x86/Corvane.manifest x86/Corvane.ocx x86/VuvazeRUridazorar.tlb"
fi
for file in $expected; do
  grep -qx "$(release_name)/$file" <<<"$listing" || fail "the archive has no $file"
done
rm -rf "$scratch"
echo "archive: $zip rebuilt byte for byte, $(wc -l <<<"$listing") files"
