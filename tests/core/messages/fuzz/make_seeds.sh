#!/bin/sh
# Writes the message fuzzers' seeds from message files (.mc), each compiled with 16-bit and with
# 8-bit texts: the tables as the message compiler writes them into OUTPUT/tables, and a small
# resource-only 64-bit module holding each compilation's tables into OUTPUT/modules.
# Usage: make_seeds.sh OUTPUT FILE.mc...
set -eu
out=$1
shift
work=$out/work
rm -rf "$out"
mkdir -p "$out/tables" "$out/modules"
for mc in "$@"; do
  base=$(basename "$mc" .mc)
  for texts in unicode ansi; do
    rm -rf "$work" && mkdir -p "$work"
    flag=; [ "$texts" = ansi ] && flag=-A
    (cd "$work" && x86_64-w64-mingw32-windmc -b -C 65001 $flag -r . -h . "$mc" &&
      x86_64-w64-mingw32-windres "$base.rc" -o res.o &&
      x86_64-w64-mingw32-gcc -shared -nostdlib -s -Wl,-e,0 -o "../modules/$base-$texts.dll" res.o)
    for table in "$work"/*.bin; do cp "$table" "$out/tables/$texts-$(basename "$table")"; done
  done
done
rm -rf "$work"
