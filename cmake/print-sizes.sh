#!/usr/bin/env bash
# Prints what setup.exe is made of: the loader's own code, the engine library (raw and as carried,
# MSZIP-compressed), unpack.dll, and the program as shipped, against its budget.
set -euo pipefail
tree=${1:?usage: print-sizes.sh WINDOWS-PRODUCT-TREE}
size() { stat -c %s "$1"; }
code=$((16#$(i686-w64-mingw32-objdump -h "$tree/setup/setup.exe" | awk '$2 == ".text" { print $3 }')))
printf '%-28s %8d bytes\n' "loader code (.text)" "$code" \
  "engine.dll" "$(size "$tree/setup/engine.dll")" \
  "engine.dll compressed" "$(size "$tree/setup/engine.cab")" \
  "unpack.dll" "$(size "$tree/unpack/unpack.dll")" \
  "setup.exe (limit 262128)" "$(size "$tree/setup/setup.exe")"
