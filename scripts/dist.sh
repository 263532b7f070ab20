#!/usr/bin/env bash
# Builds the release from the built trees into build/dist (or the folder given):
#   corvane-<version>-windows.zip   x64/, x86/, wine/, docs/, examples/, README.txt and CHANGELOG.txt
#   corvane-<version>.msi           both bitnesses, registered by registry rows of the package
# The version comes from the file VERSION. The 64-bit half comes from build/win, the 32-bit half
# from build/win32; where build/win32 holds no build, both leave x86 out and say so. With
# CORVANE_SIGN_PFX set, every module and the package are signed (packaging/signing.sh).
#   scripts/dist.sh [--archive-only] [--version X.Y.Z] [output folder]
# --version names the release otherwise than VERSION does (two packages of one tree, to try an
# upgrade); the modules keep the version resource the build gave them from VERSION.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD:-build}"
case "$build" in /*) ;; *) build="$here/$build" ;; esac
fail() { echo "dist: $*" >&2; exit 1; }
archive_only=0
tree_version=$(tr -d '[:space:]' < "$here/VERSION")
version=$tree_version
while [ $# -gt 0 ]; do
  case "$1" in
    --archive-only) archive_only=1 ;;
    --version) [ $# -ge 2 ] || fail "--version needs a version"; version=$2; shift ;;
    -*) fail "unknown option $1" ;;
    *) break ;;
  esac
  shift
done
out=$(realpath -m "${1:-$build/dist}")
# An installer compares versions by their first three fields, at most 255.255.65535.
part='(0|[1-9][0-9]*)'
[[ $version =~ ^$part\.$part\.$part$ ]] && [ "${BASH_REMATCH[1]}" -le 255 ] &&
  [ "${BASH_REMATCH[2]}" -le 255 ] && [ "${BASH_REMATCH[3]}" -le 65535 ] ||
  fail "the version \"$version\" is not major.minor.patch within 255.255.65535"
[ "$version" = "$tree_version" ] ||
  echo "dist: releasing as $version; the modules' version resources keep VERSION's" >&2
source "$here/packaging/signing.sh"

# Entries are stamped with the time of the last commit, so the same tree gives the same bytes.
# The stripped modules take it as their link time too.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$here" log -1 --format=%ct 2>/dev/null || echo 315532800)}
export SOURCE_DATE_EPOCH=$epoch

name="corvane-$version"
stage="$out/stage/$name"
rm -rf "$out/stage" && mkdir -p "$stage/examples"

# Unix text files become Windows ones.
crlf() { sed -e 's/\r$//' -e 's/$/\r/' "$@"; }

# stage_bitness TREE FOLDER ARCH STRIP: one bitness folder and its service; false when TREE holds
# no build.
stage_bitness() {
  local tree="$build/$1" folder=$2 arch=$3 strip=$4
  local files=("$tree/bin/Corvane.ocx" "$tree/bin/VuvazeRUridazorar.tlb" "$tree/src/evtsvc/ntevtsvc.dll")
  for file in "${files[@]}"; do [ -f "$file" ] || return 1; done
  mkdir -p "$stage/$folder" "$stage/wine/$folder"
  # Without their debug information the modules are a tenth of the size.
  "$strip" --strip-debug -o "$stage/$folder/Corvane.ocx" "${files[0]}"
  cp "${files[1]}" "$stage/$folder/"
  "$strip" --strip-debug -o "$stage/wine/$folder/ntevtsvc.dll" "${files[2]}"
  sed -e "s/@VERSION@/$version.0/" -e "s/@ARCH@/$arch/" "$here/packaging/Corvane.manifest.in" |
    crlf > "$stage/$folder/Corvane.manifest"
}

stage_bitness win x64 amd64 x86_64-w64-mingw32-strip ||
  fail "build/win holds no Corvane.ocx, VuvazeRUridazorar.tlb and ntevtsvc.dll: run make first"
bitnesses=(x64)
if stage_bitness win32 x86 x86 i686-w64-mingw32-strip; then
  bitnesses+=(x86)
else
  echo "dist: build/win32 holds no 32-bit build: the archive and the package have no x86 part" >&2
fi

for script in "$here"/examples/*.vbs "$here"/examples/*.js; do
  crlf "$script" > "$stage/examples/$(basename "$script")"
done

# --- The reference and the task scripts --------------------------------------------------------
# stage_docs: docs/*.md as HTML pages in docs/ (Debian's python3-markdown, the system's python)
# and the task scripts in examples/tasks/ of the stage.
stage_docs() {
  /usr/bin/python3 "$here/packaging/docs_html.py" "$here/docs" "$stage/docs" ||
    fail "the reference could not be made into HTML (python3-markdown)"
  mkdir -p "$stage/examples/tasks"
  local script
  for script in "$here"/examples/tasks/*.vbs; do
    crlf "$script" > "$stage/examples/tasks/$(basename "$script")"
  done
}
# docs_rows FOLDER: docs.wxi in FOLDER, the installer's components of the staged pages and scripts.
docs_rows() {
  local file id
  {
    echo '<Include>'
    echo '  <Directory Id="DOCS" Name="docs">'
    echo '    <Component Id="Docs" Guid="5E0C3F0B-8E71-4A43-9A83-4C2B7D1E6A10" Win64="yes">'
    for file in "$stage"/docs/*.html; do
      id=$(basename "$file" .html | tr -c 'A-Za-z0-9\n' '_')
      echo "      <File Id=\"Doc_$id\" Source=\"docs/$(basename "$file")\"/>"
    done
    echo '    </Component>'
    echo '  </Directory>'
    echo '  <Directory Id="TASKS_PARENT" Name="examples">'
    echo '    <Directory Id="TASKS" Name="tasks">'
    echo '      <Component Id="Tasks" Guid="0B8D2A55-1F6C-4E7B-B1D8-93A5C2E47F21" Win64="yes">'
    for file in "$stage"/examples/tasks/*.vbs; do
      id=$(basename "$file" .vbs | tr -c 'A-Za-z0-9\n' '_')
      echo "        <File Id=\"Task_$id\" Source=\"examples/tasks/$(basename "$file")\"/>"
    done
    echo '      </Component>'
    echo '    </Directory>'
    echo '  </Directory>'
    echo '</Include>'
  } > "$1/docs.wxi"
}
stage_docs
# -----------------------------------------------------------------------------------------------
sed -e "s/@VERSION@/$version/g" -e "s/@VERSION4@/$version.0/g" "$here/packaging/README.txt" |
  crlf > "$stage/README.txt"
crlf "$here/CHANGELOG.md" > "$stage/CHANGELOG.txt"

mapfile -t modules < <(find "$stage" -type f \( -name '*.ocx' -o -name '*.dll' -o -name '*.exe' \) |
  sort)
# The modules carry the version the build took from VERSION: a tree built before VERSION last
# changed is refused.
module_version=$tree_version.0
found=$(python3 "$here/packaging/pe_version.py" "${modules[@]}") || fail "rebuild (make)"
mapfile -t found <<<"$found"
for i in "${!modules[@]}"; do
  [ "${found[i]}" = "$module_version" ] ||
    fail "${modules[i]#"$stage/"} carries version ${found[i]}, VERSION says $tree_version:" \
      "rebuild (make)"
done
# The registration depends on the controls as built, not on their signatures or the version the
# release is given: packages of one build share one capture (below).
capture_key=$(for folder in "${bitnesses[@]}"; do
    echo "$folder"; cat "$stage/$folder/Corvane.ocx" "$stage/$folder/VuvazeRUridazorar.tlb"
  done | cat - "$0" "$here/packaging/registry_rows.py" | sha256sum | cut -c1-16)

# Signed before anything takes them: the archive, the registration capture and the package.
signing_start
sign_release "${modules[@]}"
[ "$signing" = 0 ] || echo "dist: signed and verified ${modules[*]#"$stage/"}"

zip="$out/$name-windows.zip"
python3 "$here/packaging/zip_tree.py" "$zip" "$stage" "$epoch"
echo "dist: $zip (${bitnesses[*]})"
[ "$archive_only" = 0 ] || exit 0

# The registration as registry rows: each bitness's own regsvr32 registers the staged control in
# a prefix of its own, and whatever it added to the classes root becomes the rows. The prefix's
# registry goes back to its first state after each capture. The prefix keeps the rows of the
# last build it captured.
export WINEPREFIX="${CORVANE_CAPTURE_PREFIX:-$build/wineprefix-capture}"
rows="$out/rows"
captured="$WINEPREFIX/rows-$capture_key"
rm -rf "$rows" && mkdir -p "$rows"
if [ -d "$captured" ]; then
  cp "$captured"/*.wxi "$rows/"
else
  "$here/scripts/wine-run" cmd /c exit >/dev/null 2>&1 || fail "cannot start Wine in $WINEPREFIX"
  wineserver -w
  first="$WINEPREFIX/system.reg.first"
  [ -f "$first" ] || cp "$WINEPREFIX/system.reg" "$first"
  for folder in "${bitnesses[@]}"; do
    bits=64 directory=INSTALLDIR64
    [ "$folder" = x64 ] || bits=32 directory=INSTALLDIR32
    cp "$first" "$WINEPREFIX/system.reg"
    place="$WINEPREFIX/drive_c/corvane/$folder"
    rm -rf "$WINEPREFIX/drive_c/corvane" && mkdir -p "$place" && cp "$stage/$folder"/* "$place/"
    CORVANE_BITS=$bits "$here/scripts/wine-run" regsvr32 /s "C:\\corvane\\$folder\\Corvane.ocx" ||
      fail "regsvr32 could not register the $folder control"
    wineserver -w
    python3 "$here/packaging/registry_rows.py" "$first" "$WINEPREFIX/system.reg" \
      "C:\\corvane\\$folder\\" "$directory" "$rows/rows-$folder.wxi" "$rows/shared-$folder.wxi"
    cp "$first" "$WINEPREFIX/system.reg"
  done
  rm -rf "$WINEPREFIX"/rows-* && cp -r "$rows" "$captured.new" && mv "$captured.new" "$captured"
fi

docs_rows "$rows"
msi="$out/$name.msi"
x86=0
[ ! -f "$rows/rows-x86.wxi" ] || x86=1
# One product code per version: a package of a version already installed is never listed a
# second time.
product_code=$(python3 -c 'import sys, uuid; print(uuid.uuid5(uuid.NAMESPACE_URL, sys.argv[1]))' \
  "urn:corvane:product:$version" | tr a-f A-F)
# wixl finds the files named by the source relative to the folder it runs in.
(cd "$stage" && wixl -a x64 -D "Version=$version" -D "ProductCode=$product_code" -D "X86=$x86" \
  -I "$rows" -o "$msi" "$here/packaging/corvane.wxs")
# wixl leaves every file of the package unversioned, as if it were data; Windows Installer decides
# whether to replace a module on disk by the version the File table gives it.
while IFS=$'\t' read -r id _ file_name _; do
  case "${file_name##*|}" in *.ocx | *.dll | *.exe) ;; *) continue ;; esac
  msibuild "$msi" -q "UPDATE \`File\` SET \`Version\` = '$module_version', \`Language\` = '1033'
    WHERE \`File\` = '$id'"
  msibuild "$msi" -q "DELETE FROM \`MsiFileHash\` WHERE \`File_\` = '$id'"
done < <(msiinfo export "$msi" File | tail -n +4)
sign_release "$msi"
[ "$signing" = 0 ] || echo "dist: signed and verified $(basename "$msi")"
echo "dist: $msi (${bitnesses[*]})"
