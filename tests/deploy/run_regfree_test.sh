#!/usr/bin/env bash
# Uses the control from the release archive without registration: the archive is unpacked in a
# prefix of its own where nothing of ours is registered, the host and its application manifest
# go beside one bitness folder's files, and the host runs bound to the archive's bundled
# service. The prefix's registry must hold none of our identifiers before or after.
# Arguments: build root, host program, x64 or x86, scratch folder.
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/tests/deploy/deploy-common.sh"
build=$1 host=$2 folder=$3 scratch=$4
arch=amd64 bits=64
[ "$folder" = x64 ] || arch=x86 bits=32
export CORVANE_BITS=$bits WINEPREFIX="$build/wineprefix-regfree"

rm -rf "$scratch" && mkdir -p "$scratch"
BUILD="$build" "$here/scripts/dist.sh" --archive-only "$scratch" >/dev/null || fail "no archive"
release=$(release_name)
start_prefix
ours=$(our_identifiers "$here/packaging/Corvane.manifest.in")
expect_none_registered "$ours" "before the host ran"

app="$WINEPREFIX/drive_c/regfree"
rm -rf "$app" && mkdir -p "$app"
python3 -m zipfile -e "$scratch/$release-windows.zip" "$app" || fail "cannot unpack the archive"
[ -d "$app/$release/$folder" ] || fail "the archive has no $folder folder (see dist's message)"
cp "$app/$release/$folder"/* "$host" "$app/"
exe=$(basename "$host")
cat > "$app/$exe.manifest" <<MANIFEST
<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <assemblyIdentity type="win32" name="Corvane.RegistrationFreeHost" version="1.0.0.0"
                    processorArchitecture="$arch"/>
  <dependency><dependentAssembly>
    <assemblyIdentity type="win32" name="Corvane" version="$(release_version).0"
                      processorArchitecture="$arch"/>
  </dependentAssembly></dependency>
</assembly>
MANIFEST

CORVANE_SYSTEM_LIBRARY="C:\\regfree\\$release\\wine\\$folder\\ntevtsvc.dll" \
  "$here/scripts/with-display" "$here/scripts/wine-run" "C:\\regfree\\$exe" --gtest_brief=1 |
  tr -d '\r' | tee "$scratch/host.log"
wineserver -w
grep -q '^\[  PASSED  \] 3 tests\.' "$scratch/host.log" || fail "the host's tests did not all pass"
expect_none_registered "$ours" "after the host ran"
rm -rf "$app" "$scratch"
echo "registration-free: passed, nothing of ours in the registry before or after"
