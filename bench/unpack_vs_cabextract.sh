#!/usr/bin/env bash
# unpack.dll under Wine against cabextract, extracting the same 256 MiB MSZIP package made by
# gcab -c -z from mixed files (random, text, system binaries). Both are measured in this one run,
# after the package has been read once so that both find it in the page cache; both results are
# compared with the source files.
#   unpack_vs_cabextract.sh [WINPROD_DIR] [WORK_DIR]
# WINPROD_DIR is a windows-product build tree (default build/windows-product); the Wine prefix is
# copied from VELK_PREFIX_TEMPLATE (default build/wineprefix-template).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
winprod=$(cd "${1:-$root/build/windows-product}" && pwd)
work=${2:-$(mktemp -d /tmp/velk-unpack-bench.XXXXXX)}
template=${VELK_PREFIX_TEMPLATE:-$root/build/wineprefix-template}
dll=$winprod/unpack/unpack.dll
[ -f "$dll" ] || { echo "bench: $dll not found (make windows-product)" >&2; exit 1; }
[ -d "$template" ] || { echo "bench: no Wine prefix template at $template (make prefix)" >&2; exit 1; }

mkdir -p "$work"
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
winpath() { echo "Z:$1" | tr / '\\'; }
now() { date +%s.%N; }

echo "bench: making 256 MiB of mixed files"
mkdir -p "$work/src/random" "$work/src/text" "$work/src/binary"
for i in $(seq -w 1 24); do head -c 4M /dev/urandom > "$work/src/random/r$i.bin"; done
# the writers stop early when head has enough
{ seq 1 100000000 || true; } | head -c 80M | split -b 4M -d -a 2 - "$work/src/text/t"
{ find /usr/lib /usr/bin -type f -size +100k 2>/dev/null | sort | xargs cat 2>/dev/null || true; } |
  head -c 80M | split -b 4M -d -a 2 - "$work/src/binary/b"
size=$(find "$work/src" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
[ "$size" -eq $((256 * 1024 * 1024)) ] || { echo "bench: sources are $size bytes" >&2; exit 1; }

echo "bench: gcab -c -z"
(cd "$work/src" && find . -type f | sed 's|^\./||' | sort | xargs gcab -c -z "$work/package.cab")
cat "$work/package.cab" > /dev/null

i686-w64-mingw32-gcc-win32 -O2 -Wall -Wextra -Werror -I"$root" -o "$work/unpack_extract.exe" \
  "$root/bench/unpack_extract.c"
cp -a "$template" "$work/prefix"
export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

mkdir -p "$work/by-cabextract" "$work/by-unpack"
start=$(now)
cabextract -q -d "$work/by-cabextract" "$work/package.cab"
cabextract_s=$(echo "$(now) - $start" | bc -l)

start=$(now)
inside_s=$(wine "$work/unpack_extract.exe" "$(winpath "$dll")" "$(winpath "$work/package.cab")" \
  "$(winpath "$work/by-unpack")\\" | tr -d '\r')
wine_s=$(echo "$(now) - $start" | bc -l)

diff -r "$work/src" "$work/by-cabextract" >/dev/null || { echo "bench: cabextract differs" >&2; exit 1; }
diff -r "$work/src" "$work/by-unpack" >/dev/null || { echo "bench: unpack.dll differs" >&2; exit 1; }

printf 'bench: package %d bytes, unpack.dll %d bytes\n' \
  "$(stat -c %s "$work/package.cab")" "$(stat -c %s "$dll")"
printf 'bench: cabextract                  %8.3f s\n' "$cabextract_s"
printf 'bench: unpack.dll (Open..Close)    %8.3f s   ratio %.2f\n' "$inside_s" \
  "$(echo "$inside_s / $cabextract_s" | bc -l)"
printf 'bench: unpack.dll (whole wine run) %8.3f s   ratio %.2f\n' "$wine_s" \
  "$(echo "$wine_s / $cabextract_s" | bc -l)"
