#!/usr/bin/env bash
# Builds the release from the built trees into build/dist (or the folder given):
#   corvane-<version>-windows.zip   x64/, x86/, wine/, docs/, examples/ and README.txt
#   corvane-<version>.msi           both bitnesses, registered by registry rows of the package
# The version comes from the file VERSION. The 64-bit half comes from build/win, the 32-bit half
# from build/win32; where build/win32 holds no build, both leave x86 out and say so.
#   scripts/dist.sh [--archive-only] [output folder]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD:-build}"
case "$build" in /*) ;; *) build="$here/$build" ;; esac
archive_only=0
if [ "${1:-}" = --archive-only ]; then archive_only=1; shift; fi
out=$(realpath -m "${1:-$build/dist}")
version=$(tr -d '[:space:]' < "$here/VERSION")
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] ||
  { echo "dist: VERSION holds \"$version\", not major.minor.patch" >&2; exit 1; }
fail() { echo "dist: $*" >&2; exit 1; }

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

zip="$out/$name-windows.zip"
python3 "$here/packaging/zip_tree.py" "$zip" "$stage" "$epoch"
echo "dist: $zip (${bitnesses[*]})"
[ "$archive_only" = 0 ] || exit 0

# The registration as registry rows: each bitness's own regsvr32 registers the staged control in
# a prefix of its own, and whatever it added to the classes root becomes the rows. The prefix's
# registry goes back to its first state after each capture.
export WINEPREFIX="${CORVANE_CAPTURE_PREFIX:-$build/wineprefix-capture}"
rows="$out/rows"
rm -rf "$rows" && mkdir -p "$rows"
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
    "C:\\corvane\\$folder\\" "$directory" > "$rows/rows-$folder.wxi"
  cp "$first" "$WINEPREFIX/system.reg"
done

docs_rows "$rows"
msi="$out/$name.msi"
x86=0
[ ! -f "$rows/rows-x86.wxi" ] || x86=1
# wixl finds the files named by the source relative to the folder it runs in.
(cd "$stage" && wixl -a x64 -D "Version=$version" -D "X86=$x86" -I "$rows" -o "$msi" \
  "$here/packaging/corvane.wxs")
echo "dist: $msi (${bitnesses[*]})"
