# Sourced by the deployment tests: the release's name, a prefix of the test's own, and the
# check that a prefix's registry holds none of our identifiers. Expects `here` (the tree).

fail() { echo "${0##*/}: $*" >&2; exit 1; }

release_version() { tr -d '[:space:]' < "$here/VERSION"; }
release_name() { echo "corvane-$(release_version)"; }

# Boots WINEPREFIX when it is new and waits until its registry is on disk.
start_prefix() {
  "$here/scripts/wine-run" cmd /c exit >/dev/null 2>&1 || fail "Wine does not start in $WINEPREFIX"
  wineserver -w
}

# The class and library identifiers the assembly manifest names, and the program identifier.
our_identifiers() {
  { grep -o '{[0-9A-Fa-f-]\{36\}}' "$1"; echo Corvane.Rendal; } | sort -u
}

# The lines of the prefix's registry that name one of `ids` or "Corvane", sorted, without the
# times Wine stamps on keys.
registry_of_ours() {
  local ids=$1 patterns=()
  for id in $ids Corvane; do patterns+=(-e "$id"); done
  wineserver -w
  cat "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg" | grep -iF "${patterns[@]}" |
    sed -e 's/\] [0-9]*$/]/' | sort
}

expect_none_registered() {
  local found
  found=$(registry_of_ours "$1")
  [ -z "$found" ] || { printf '%s\n' "$found" | head -20 >&2; fail "the registry holds keys of ours $2"; }
}
