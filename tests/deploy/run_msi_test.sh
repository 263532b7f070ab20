#!/usr/bin/env bash
# Installs the package with Wine's msiexec in a prefix of its own, runs the VBScript and JScript
# tours from the installed examples in the script host of each installed bitness, removes the
# package, and compares the prefix's files and registry entries of ours before and after.
# Arguments: build root, scratch folder.
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/tests/deploy/deploy-common.sh"
build=$1 scratch=$2
export WINEPREFIX="$build/wineprefix-msi"
run="$here/scripts/wine-run"

rm -rf "$scratch" && mkdir -p "$scratch"
BUILD="$build" "$here/scripts/dist.sh" "$scratch" 2>&1 | tee "$scratch/dist.log" >&2
msi="$scratch/$(release_name).msi"
[ -f "$msi" ] || fail "dist wrote no package"
start_prefix
ours=$(our_identifiers "$here/packaging/Corvane.manifest.in")
files_of_ours() { (cd "$WINEPREFIX/drive_c" && find . -ipath '*corvane*' | sort); }
registry_of_ours "$ours" > "$scratch/registry-before"
files_of_ours > "$scratch/files-before"

"$run" msiexec /i "Z:$msi" /qn || fail "msiexec /i failed with $?"
wineserver -w
installed=(x64)
# The rows went in, so the comparison after removal has something to miss.
registry_of_ours "$ours" | grep -qiF '@="C:\\Program Files\\Corvane\\Corvane.ocx"' ||
  fail "the package registered no class at C:\\Program Files\\Corvane\\Corvane.ocx"
files_of_ours | grep -qx './Program Files/Corvane/Corvane.ocx' ||
  fail "the package put no Corvane.ocx in C:\\Program Files\\Corvane"
for file in docs/README.html docs/errors.html examples/tasks/export-csv.vbs examples/tasks/watch.vbs; do
  files_of_ours | grep -qx "./Program Files/Corvane/$file" || fail "the package put no $file in C:\\Program Files\\Corvane"
done
if files_of_ours | grep -qx './Program Files (x86)/Corvane/Corvane.ocx'; then
  installed+=(x86)
else
  echo "NOTE: the package holds no x86 part (no build/win32): the 32-bit script host was not tried"
fi

status=0
for folder in "${installed[@]}"; do
  bits=64 root='C:\Program Files\Corvane'
  [ "$folder" = x64 ] || bits=32 root='C:\Program Files (x86)\Corvane'
  for tour in rendal-tour.vbs rendal-tour.js; do
    backup="C:\\windows\\temp\\deploy-$bits-$tour.evt"
    "$run" cmd /c del "$backup" >/dev/null 2>&1
    CORVANE_BITS=$bits CORVANE_SYSTEM_LIBRARY="$root\\wine\\ntevtsvc.dll" \
      "$run" cscript //nologo 'C:\Program Files\Corvane\examples\'"$tour" "Deploy Tour" "$backup" \
      > "$scratch/$bits-$tour.log" 2>&1
    code=$?
    "$run" cmd /c del "$backup" >/dev/null 2>&1
    echo "$bits-bit cscript $tour: exit $code"
    [ "$code" -eq 77 ] || { tr -d '\r' < "$scratch/$bits-$tour.log" | tail -5 >&2; status=1; }
  done
done

"$run" msiexec /x "Z:$msi" /qn || fail "msiexec /x failed with $?"
wineserver -w
registry_of_ours "$ours" > "$scratch/registry-after"
files_of_ours > "$scratch/files-after"
diff "$scratch/files-before" "$scratch/files-after" >&2 || fail "files of ours remain after msiexec /x"
diff "$scratch/registry-before" "$scratch/registry-after" >&2 ||
  fail "registry entries of ours remain after msiexec /x"
[ "$status" -eq 0 ] || fail "a tour did not reach its end"
rm -rf "$scratch"
echo "installer: passed (${installed[*]}); nothing of ours remains after removal"
