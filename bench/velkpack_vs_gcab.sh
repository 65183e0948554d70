#!/usr/bin/env bash
# velkpack build against gcab -c -z, both writing an MSZIP cabinet of the same 200 MB in 2,000
# files (two thirds text: the system's C headers, Perl and Python sources; one third random),
# measured side by side in this one run after the files have been read once so that both find
# them in the page cache. cabextract checks every result.
#   velkpack_vs_gcab.sh [VELKPACK] [WORK_DIR]
# VELKPACK is a velkpack built for speed (default: the one `make build` ships, dist/linux).
# VELK_BENCH_LEVELS="1 9" also measures velkpack at those compression levels.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
velkpack=${1:-$root/dist/linux/velkpack}
work=${2:-$(mktemp -d /tmp/velk-build-bench.XXXXXX)}
[ -x "$velkpack" ] || { echo "bench: $velkpack not found (make build)" >&2; exit 1; }

mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
now() { date +%s.%N; }

files=2000
total=200000000
text_total=$((total * 2 / 3))
echo "bench: making $total bytes in $files files"
src=$work/src/files/mixed
mkdir -p "$src/text" "$src/random"
# The text, read in name order and repeated as needed (its repeats lie far beyond deflate's reach).
{ find /usr/include /usr/share/perl /usr/lib/python3 -type f \
    \( -name '*.h' -o -name '*.hpp' -o -name '*.py' -o -name '*.pm' \) 2>/dev/null | sort > "$work/list"
  for _ in 1 2 3 4 5 6 7 8; do xargs cat < "$work/list" 2>/dev/null || true; done; } |
  head -c "$text_total" > "$work/text"
head -c $((total - text_total)) /dev/urandom > "$work/random"

# File sizes from 1 to 199,999 bytes (a fixed pseudo-random sequence), each kind cut from its
# stream in turn: every third file random, the last of each kind taking what is left.
seed=12345 text_at=0 random_at=0 last_random=$((files / 3 * 3))
for i in $(seq 1 "$files"); do
  seed=$(((seed * 1103515245 + 12345) % 2147483648))
  size=$((seed % 199999 + 1))
  if [ $((i % 3)) -eq 0 ]; then
    kind=random at=$random_at left=$((total - text_total - random_at)) last=$last_random
  else
    kind=text at=$text_at left=$((text_total - text_at)) last=$files
  fi
  { [ "$i" -eq "$last" ] || [ "$size" -gt "$left" ]; } && size=$left
  dd if="$work/$kind" of="$src/$kind/f$(printf %04d "$i")" bs=1M skip="$at" count="$size" \
    iflag=skip_bytes,count_bytes status=none
  if [ "$kind" = text ]; then text_at=$((text_at + size)); else random_at=$((random_at + size)); fi
done
rm -f "$work/text" "$work/random" "$work/list"
size=$(find "$src" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
count=$(find "$src" -type f | wc -l)
[ "$size" -eq "$total" ] || { echo "bench: sources are $size bytes" >&2; exit 1; }
echo '<package><components><component id="mixed"/></components></package>' > "$work/src/db.xml"
find "$work/src" -type f -exec cat {} + > /dev/null

# Each run starts with the page cache holding the sources and no output waiting to be written;
# the tools take turns, and each one's best of VELK_BENCH_RUNS (default 3) counts.
best() { echo "if ($1 < $2) $1 else $2" | bc -l; }
timed() { sync; local start; start=$(now); "$@" > /dev/null; echo "$(now) - $start" | bc -l; }
gcab_run() { (cd "$src" && find . -type f | sed 's|^\./||' | sort | xargs gcab -c -z "$work/gcab.cab"); }
levels=(default ${VELK_BENCH_LEVELS:-})
gcab_s=1000000
declare -A velkpack_s velkpack_size
for run in $(seq 1 "${VELK_BENCH_RUNS:-3}"); do
  gcab_s=$(best "$gcab_s" "$(timed gcab_run)")
  for level in "${levels[@]}"; do
    option=()
    [ "$level" = default ] || option=(--level "$level")
    s=$(timed "$velkpack" build "$work/src" -o "$work/package-$level.vkp" --date 2024-05-01 \
      "${option[@]}")
    velkpack_s[$level]=$(best "${velkpack_s[$level]:-1000000}" "$s")
  done
done
gcab_size=$(stat -c %s "$work/gcab.cab")
cabextract -q -t "$work/gcab.cab" > /dev/null || { echo "bench: gcab's cabinet fails" >&2; exit 1; }

printf 'bench: %d files, %d bytes (%d text, %d random); %d cores, best of %d runs\n' "$count" \
  "$size" "$text_total" $((total - text_total)) "$(nproc)" "${VELK_BENCH_RUNS:-3}"
printf 'bench: %-28s %8.3f s  %10d bytes\n' "gcab -c -z" "$gcab_s" "$gcab_size"
for level in "${levels[@]}"; do
  label="velkpack build"
  [ "$level" = default ] || label="velkpack build --level $level"
  package=$work/package-$level.vkp
  cabextract -q -t "$package" > /dev/null 2>&1 || { echo "bench: $package fails" >&2; exit 1; }
  printf 'bench: %-28s %8.3f s  %10d bytes   %.2fx faster, %.4f of the size\n' "$label" \
    "${velkpack_s[$level]}" "$(stat -c %s "$package")" \
    "$(echo "$gcab_s / ${velkpack_s[$level]}" | bc -l)" \
    "$(echo "$(stat -c %s "$package") / $gcab_size" | bc -l)"
done
