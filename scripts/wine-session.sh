# Sourced by the test and demo scripts: boots the project's Wine prefix once and keeps one
# wineserver alive for the whole run (Debian's wrapper would otherwise start one per program).
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$here/${BUILD:-build}/wineprefix}"
case "$WINEPREFIX" in /*) ;; *) WINEPREFIX="$here/$WINEPREFIX" ;; esac
export WINEDEBUG=-all WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
"$here/scripts/wine-run" cmd /c exit >/dev/null 2>&1 || true
wineserver -p >/dev/null 2>&1 || true
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
