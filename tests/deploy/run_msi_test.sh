#!/usr/bin/env bash
# The installer as an administrator rolls releases out, under Wine's msiexec in a prefix of its
# own. Two packages of this tree, signed with a throwaway certificate: VERSION's and the next
# patch. The first installs with every feature; the second upgrades it in place (one product,
# its files, the registration of both views, the tours in both script hosts); the first is then
# refused and changes nothing; a deleted control and its registration are repaired; the 32-bit
# control is removed as a feature without touching the 64-bit one, and added back; the removal
# leaves nothing of ours. Every module of the archive and the package, and both packages, carry
# a signature that verifies against the certificate.
# Arguments: build root, scratch folder.
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/tests/deploy/deploy-common.sh"
build=$1 scratch=$2
export WINEPREFIX="$build/wineprefix-msi"
run="$here/scripts/wine-run"
rm -rf "$scratch" && mkdir -p "$scratch"

old=$(release_version)
next="${old%.*}.$(( ${old##*.} + 1 ))"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$scratch/key.pem" -out "$scratch/cert.pem" \
  -days 2 -subj "/CN=Corvane test signing" -addext extendedKeyUsage=codeSigning 2>/dev/null &&
  openssl pkcs12 -export -inkey "$scratch/key.pem" -in "$scratch/cert.pem" -passout pass:throwaway \
    -out "$scratch/signing.pfx" || fail "openssl made no certificate"
for release in "$old" "$next"; do
  env -u CORVANE_SIGN_TIMESTAMP CORVANE_SIGN_PFX="$scratch/signing.pfx" \
    CORVANE_SIGN_PASSWORD=throwaway BUILD="$build" "$here/scripts/dist.sh" --version "$release" \
    "$scratch/$release" > "$scratch/dist.log" 2>&1 ||
    { cat "$scratch/dist.log" >&2; fail "dist $release failed"; }
done
old_msi="$scratch/$old/corvane-$old.msi" new_msi="$scratch/$next/corvane-$next.msi"
new_stage="$scratch/$next/stage/corvane-$next"

signed() {
  osslsigncode verify -CAfile "$scratch/cert.pem" -in "$1" > "$scratch/verify.log" 2>&1 ||
    { cat "$scratch/verify.log" >&2; fail "the signature of $1 does not verify"; }
}
mkdir -p "$scratch/unzipped"
python3 -m zipfile -e "$scratch/$old/corvane-$old-windows.zip" "$scratch/unzipped"
mapfile -t modules < <(find "$scratch/unzipped" -name '*.ocx' -o -name '*.dll' -o -name '*.exe')
[ "${#modules[@]}" -ge 2 ] || fail "the archive holds no modules"
for file in "${modules[@]}" "$old_msi" "$new_msi"; do signed "$file"; done
msiinfo export "$old_msi" File | grep -q "^Corvane64	.*	$old.0	1033	" ||
  fail "the package gives Corvane.ocx no version"

# Our identifiers, with the upgrade code as the installer's keys spell it.
upgrade_code=$(grep -o 'UpgradeCode="[^"]*' "$here/packaging/corvane.wxs" | cut -d'"' -f2)
ours="$(our_identifiers "$here/packaging/Corvane.manifest.in")
$(python3 -c 'import uuid, sys; h = uuid.UUID(sys.argv[1]).hex.upper()
print(h[7::-1] + h[11:7:-1] + h[15:11:-1] + "".join(h[i + 1] + h[i] for i in range(16, 32, 2)))' \
  "$upgrade_code")"
files_of_ours() { (cd "$WINEPREFIX/drive_c" && find . -ipath '*corvane*' | sort); }
msi() { "$run" msiexec "$@"; local code=$?; wineserver -w; return $code; }
# The installed programs list: "name version" of each entry of ours.
products() {
  KEY='[Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\' awk '
    /^\[/ { entry = index($0, ENVIRON["KEY"]) == 1 }
    entry && /^"DisplayName"="Corvane/ { name = substr($0, 16, length($0) - 16) }
    entry && /^"DisplayVersion"=/ && name { print name " " substr($0, 19, length($0) - 19); name = "" }
  ' "$WINEPREFIX/system.reg"
}
expect_products() {
  [ "$(products)" = "$1" ] || fail "installed programs '$(products)', not '$1' $2"
}
# The default value of a key under HKLM, as the prefix's system.reg writes it.
default_of() {
  KEY="[${1//\\/\\\\}]" awk '/^\[/ { inside = (index($0, ENVIRON["KEY"]) == 1) }
                                inside && /^@=/ { print substr($0, 3) }' "$WINEPREFIX/system.reg"
}
clsid='Software\Classes\CLSID\{07ACEE36-F982-4B42-BBAF-ED747C684B26}\InprocServer32'
clsid32='Software\Classes\Wow6432Node\CLSID\{07ACEE36-F982-4B42-BBAF-ED747C684B26}\InprocServer32'
x64_ocx="$WINEPREFIX/drive_c/Program Files/Corvane/Corvane.ocx"
x86_ocx="$WINEPREFIX/drive_c/Program Files (x86)/Corvane/Corvane.ocx"
expect_registered() {
  [ "$(default_of "$clsid")" = '"C:\\Program Files\\Corvane\\Corvane.ocx"' ] ||
    fail "the 64-bit view has no class at C:\\Program Files\\Corvane\\Corvane.ocx $1"
  [ "$(default_of "$clsid32")" = '"C:\\Program Files (x86)\\Corvane\\Corvane.ocx"' ] ||
    fail "the 32-bit view has no class at C:\\Program Files (x86)\\Corvane\\Corvane.ocx $1"
}

start_prefix
registry_of_ours "$ours" > "$scratch/registry-before"
files_of_ours > "$scratch/files-before"

msi /i "Z:$old_msi" /qn || fail "msiexec /i $old failed with $?"
expect_products "Corvane $old $old" "after installing $old"
[ -f "$WINEPREFIX/drive_c/Program Files/Corvane/wine/ntevtsvc.dll" ] && [ -f "$x86_ocx" ] ||
  fail "the default features did not install the service and the 32-bit control"
for file in docs/README.html docs/errors.html examples/tasks/export-csv.vbs examples/tasks/watch.vbs; do
  [ -f "$WINEPREFIX/drive_c/Program Files/Corvane/$file" ] || fail "the package put no $file in C:\\Program Files\\Corvane"
done

msi /i "Z:$new_msi" /qn || fail "msiexec /i $next over $old failed with $?"
expect_products "Corvane $next $next" "after the upgrade"
expect_registered "after the upgrade"
head -1 "$WINEPREFIX/drive_c/Program Files/Corvane/README.txt" | grep -q "^Corvane $next:" ||
  fail "README.txt is not $next's"
for folder in x64 x86; do
  installed=$x64_ocx; [ $folder = x64 ] || installed=$x86_ocx
  cmp -s "$installed" "$new_stage/$folder/Corvane.ocx" ||
    fail "the $folder Corvane.ocx is not $next's"
  signed "$installed"
done
for bits in 64 32; do
  root='C:\Program Files\Corvane'; [ $bits = 64 ] || root='C:\Program Files (x86)\Corvane'
  for tour in rendal-tour.vbs rendal-tour.js; do
    backup="C:\\windows\\temp\\deploy-$bits-$tour.evt"
    "$run" cmd /c del "$backup" >/dev/null 2>&1
    CORVANE_BITS=$bits CORVANE_SYSTEM_LIBRARY="$root\\wine\\ntevtsvc.dll" \
      "$run" cscript //nologo 'C:\Program Files\Corvane\examples\'"$tour" "Deploy Tour" "$backup" \
      > "$scratch/tour.log" 2>&1
    code=$?
    "$run" cmd /c del "$backup" >/dev/null 2>&1
    [ "$code" -eq 77 ] ||
      { tr -d '\r' < "$scratch/tour.log" | tail -5 >&2; fail "$bits-bit $tour: exit $code"; }
  done
done

snapshot() {
  registry_of_ours "$ours"
  (cd "$WINEPREFIX/drive_c" && find . -ipath '*corvane*' -type f -print0 | sort -z | xargs -0 md5sum)
}
snapshot > "$scratch/upgraded"
# Wine's msiexec shows the refusal's text only in a window, never in its log.
msiinfo export "$old_msi" LaunchCondition |
  grep -qF 'A newer version of Corvane is already installed.' || fail "the package has no refusal"
msi /i "Z:$old_msi" /qn /l\* "Z:$scratch/downgrade.log" && fail "installing $old over $next succeeded"
grep -q 'WIX_DOWNGRADE_DETECTED = ' "$scratch/downgrade.log" ||
  fail "the downgrade was refused for another reason"
snapshot | diff "$scratch/upgraded" - >&2 || fail "the refused downgrade changed what was installed"

# Wine's msiexec passes the package of /fa on as a product code, so the repair is asked for by
# the properties /fa stands for.
rm -f "$x64_ocx"
"$run" reg delete "HKLM\\$clsid" /f >/dev/null || fail "reg delete failed"
msi /i "Z:$new_msi" REINSTALL=ALL REINSTALLMODE=a /qn || fail "the repair failed with $?"
cmp -s "$x64_ocx" "$new_stage/x64/Corvane.ocx" || fail "the repair did not put Corvane.ocx back"
expect_registered "after the repair"

# Windows keeps the program identifier and the type library's name once for both views: their
# rows must stay while either control is installed. Wine's msiexec writes the rows of every
# installed feature again on each change, which would hide a fault here, so the package shows it.
components=$(msiinfo export "$new_msi" Registry |
  awk -F'\t' '$3 == "Corvane.Rendal" { print $6 }')
[ -n "$components" ] || fail "the package does not register the program identifier"
for component in $components; do
  for feature in Control64 Control32; do
    msiinfo export "$new_msi" FeatureComponents | grep -qx "$feature	$component" ||
      fail "the program identifier's rows ($component) do not come with $feature"
  done
done
msi /i "Z:$new_msi" REMOVE=Control32 /qn || fail "removing the 32-bit feature failed with $?"
[ ! -e "$x86_ocx" ] && [ -z "$(default_of "$clsid32")" ] || fail "the 32-bit control stayed"
[ -f "$x64_ocx" ] && [ -n "$(default_of "$clsid")" ] ||
  fail "removing the 32-bit control took the 64-bit one's files or registration"
msi /i "Z:$new_msi" ADDLOCAL=Control32 /qn || fail "adding the 32-bit feature failed with $?"
expect_registered "after adding the 32-bit feature back"

msi /x "Z:$new_msi" /qn || fail "msiexec /x failed with $?"
expect_products "" "after the removal"
registry_of_ours "$ours" | diff "$scratch/registry-before" - >&2 ||
  fail "registry entries of ours remain after msiexec /x"
files_of_ours | diff "$scratch/files-before" - >&2 || fail "files of ours remain after msiexec /x"
rm -rf "$scratch"
echo "installer: $old installed, upgraded to $next, downgrade refused, repaired, a feature" \
  "removed and added back, removed; every signature verified"
