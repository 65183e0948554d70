#!/usr/bin/env bash
# Runs every benchmark program of a bench build tree.
#   run-all.sh BUILD_DIR [extra Google Benchmark arguments]
set -uo pipefail
build=${1:?usage: run-all.sh BUILD_DIR [ARGS...]}
shift

mapfile -t programs < <(find "$build/bench" -maxdepth 1 -type f -name '*_bench' -perm -u+x | sort)
if [ "${#programs[@]}" -eq 0 ]; then
  echo "bench: no programs built in $build/bench" >&2
  exit 1
fi

failed=()
for program in "${programs[@]}"; do
  echo "bench: $(basename "$program")"
  "$program" "$@" || failed+=("$(basename "$program")")
done

# Optional, needs a windows-product build and Wine: VELK_BENCH_UNPACK=1 also measures unpack.dll
# against cabextract on a 256 MiB package.
if [ "${VELK_BENCH_UNPACK:-0}" = 1 ]; then
  echo "bench: unpack_vs_cabextract"
  bash "$(dirname "$0")/unpack_vs_cabextract.sh" || failed+=(unpack_vs_cabextract)
fi

# Optional, needs a windows-tests build and Wine: VELK_BENCH_COPY=1 also measures
# CopyFileWithProgress against the system's CopyFileA on a 256 MB file.
if [ "${VELK_BENCH_COPY:-0}" = 1 ]; then
  echo "bench: copy_bench"
  bash "$(dirname "$0")/win/copy_bench.sh" || failed+=(copy_bench)
fi

# Optional, needs a windows-tests build and Wine: VELK_BENCH_LOADER=1 also measures the time
# from setup.exe's process start to its engine's entry.
if [ "${VELK_BENCH_LOADER:-0}" = 1 ]; then
  echo "bench: loader_startup"
  bash "$(dirname "$0")/win/loader_startup.sh" || failed+=(loader_startup)
fi

# Optional, needs the product and Windows test builds and Wine: VELK_BENCH_PLUGINS=1 also
# measures plug-in events raised on a worker thread, carried through the main window.
if [ "${VELK_BENCH_PLUGINS:-0}" = 1 ]; then
  echo "bench: plugin_events"
  bash "$(dirname "$0")/win/plugin_events.sh" || failed+=(plugin_events)
fi

# Optional: VELK_BENCH_BUILD=1 also measures velkpack build against gcab -c -z on 200 MB in
# 2,000 files, with the velkpack of this tree.
if [ "${VELK_BENCH_BUILD:-0}" = 1 ]; then
  echo "bench: velkpack_vs_gcab"
  bash "$(dirname "$0")/velkpack_vs_gcab.sh" "$build/tools/velkpack/velkpack" ||
    failed+=(velkpack_vs_gcab)
fi

if [ "${#failed[@]}" -gt 0 ]; then
  echo "bench: failed: ${failed[*]}" >&2
  exit 1
fi
