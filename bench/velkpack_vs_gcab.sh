#!/usr/bin/env bash
# velkpack build against gcab -c -z, both writing an MSZIP cabinet of the same 256 MiB of mixed
# files (random, text, system binaries), measured in this one run after the files have been read
# once so that both find them in the page cache. cabextract checks both results.
#   velkpack_vs_gcab.sh [VELKPACK] [WORK_DIR]
# VELKPACK is a velkpack built for speed (default: the bench tree's, build/bench).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
velkpack=${1:-$root/build/bench/tools/velkpack/velkpack}
work=${2:-$(mktemp -d /tmp/velk-build-bench.XXXXXX)}
[ -x "$velkpack" ] || { echo "bench: $velkpack not found (make bench)" >&2; exit 1; }

mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
now() { date +%s.%N; }

echo "bench: making 256 MiB of mixed files"
files=$work/src/files/mixed
mkdir -p "$files/random" "$files/text" "$files/binary"
for i in $(seq -w 1 24); do head -c 4M /dev/urandom > "$files/random/r$i.bin"; done
# the writers stop early when head has enough
{ seq 1 100000000 || true; } | head -c 80M | split -b 4M -d -a 2 - "$files/text/t"
{ find /usr/lib /usr/bin -type f -size +100k 2>/dev/null | sort | xargs cat 2>/dev/null || true; } |
  head -c 80M | split -b 4M -d -a 2 - "$files/binary/b"
size=$(find "$files" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
[ "$size" -eq $((256 * 1024 * 1024)) ] || { echo "bench: sources are $size bytes" >&2; exit 1; }
echo '<package><components><component id="mixed"/></components></package>' > "$work/src/db.xml"
find "$work/src" -type f -exec cat {} + > /dev/null

start=$(now)
(cd "$files" && find . -type f | sed 's|^\./||' | sort | xargs gcab -c -z "$work/gcab.cab")
gcab_s=$(echo "$(now) - $start" | bc -l)

start=$(now)
"$velkpack" build "$work/src" -o "$work/package.vkp" --date 2024-05-01 > /dev/null
velkpack_s=$(echo "$(now) - $start" | bc -l)

cabextract -q -t "$work/gcab.cab" > /dev/null || { echo "bench: gcab's cabinet fails" >&2; exit 1; }
cabextract -q -t "$work/package.vkp" > /dev/null 2>&1 ||
  { echo "bench: velkpack's package fails" >&2; exit 1; }

printf 'bench: sources %d bytes; gcab cabinet %d bytes, velkpack package %d bytes\n' "$size" \
  "$(stat -c %s "$work/gcab.cab")" "$(stat -c %s "$work/package.vkp")"
printf 'bench: gcab -c -z          %8.3f s\n' "$gcab_s"
printf 'bench: velkpack build      %8.3f s   ratio %.2f\n' "$velkpack_s" \
  "$(echo "$velkpack_s / $gcab_s" | bc -l)"
