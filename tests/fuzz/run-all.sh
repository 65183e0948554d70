#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build tree for SECONDS each.
#   run-all.sh BUILD_DIR SECONDS
# Each target keeps its corpus in BUILD_DIR/corpus/<target> (seeded from tests/fuzz/seeds/<target>
# when that folder exists) and uses tests/fuzz/<target>.dict when present. Crash inputs land in
# BUILD_DIR/artifacts/<target>/. Exits non-zero when any target finds a fault.
set -uo pipefail
build=${1:?usage: run-all.sh BUILD_DIR SECONDS}
seconds=${2:?usage: run-all.sh BUILD_DIR SECONDS}
here=$(cd "$(dirname "$0")" && pwd)

mapfile -t targets < <(find "$build/tests/fuzz" -maxdepth 1 -type f -name '*_fuzz' -perm -u+x | sort)
if [ "${#targets[@]}" -eq 0 ]; then
  echo "fuzz: no targets built in $build/tests/fuzz" >&2
  exit 1
fi

failed=()
for target in "${targets[@]}"; do
  name=$(basename "$target")
  corpus=$build/corpus/$name
  artifacts=$build/artifacts/$name
  mkdir -p "$corpus" "$artifacts"
  args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$artifacts/")
  [ -f "$here/$name.dict" ] && args+=(-dict="$here/$name.dict")
  seeds=()
  [ -d "$here/seeds/$name" ] && seeds=("$here/seeds/$name")
  echo "fuzz: $name for ${seconds}s (corpus $corpus)"
  if ! "$target" "${args[@]}" "$corpus" "${seeds[@]}" >"$build/$name.log" 2>&1; then
    echo "fuzz: $name FAILED; log $build/$name.log, inputs in $artifacts" >&2
    tail -n 40 "$build/$name.log" >&2
    failed+=("$name")
  else
    grep -E '^stat::number_of_executed_runs|^Done' "$build/$name.log" || true
  fi
done

if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzz: faults found in ${failed[*]}" >&2
  exit 1
fi
echo "fuzz: all ${#targets[@]} targets ran ${seconds}s without a fault"
