#!/usr/bin/env bash
# Checks that the layers under src/ point one way: framework <- system <- core <- automation <-
# pages <- server, with the bundled service (evtsvc) on the framework alone. Lists every include
# that reaches up or across and fails when there is one.
set -uo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)/src"
order=(framework system core automation pages server)
status=0

# check LAYER ALLOWED...: every "dir/..." include of src/LAYER names an allowed folder.
check() {
  local layer=$1
  shift
  [ -d "$src/$layer" ] || return 0
  local allowed="^($(IFS='|'; echo "$*"))/"
  while IFS= read -r hit; do
    local included=${hit#*#include \"}
    included=${included%%\"*}
    # Includes without a folder are the build's own (generated headers, a folder's neighbours).
    [[ $included == */* ]] || continue
    if [[ ! $included =~ $allowed ]]; then
      echo "layering: $hit"
      status=1
    fi
  done < <(grep -rn --include='*.h' --include='*.cpp' --include='*.rc' -E '^\s*#\s*include\s+"' "$src/$layer" |
           sed "s|^$src/||")
}

for i in "${!order[@]}"; do
  check "${order[$i]}" "${order[@]:0:$((i + 1))}"
done
check evtsvc evtsvc framework

[ $status -eq 0 ] && echo "layering: every include points down"
exit $status
