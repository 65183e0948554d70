#!/usr/bin/env bash
# What setup.exe's loader adds to a run: the timing build of the loader (windows-tests tree) runs
# as the shipped one does up to the engine's entry, then prints the microseconds since its process
# was created and the time of each of its steps, and stops. Runs it under Wine with a persistent
# server, so that only the program is timed, and prints medians and ranges; then the same for a
# program that imports the engine's system libraries directly, which is what the loader is
# measured against.
#   loader_startup.sh [WINTESTS_DIR] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
wintests=$(cd "${1:-$root/build/windows-tests}" && pwd)
program=$wintests/tests/setup/setup_timing.exe
baseline=$wintests/tests/harness/startup_baseline.exe
[ -f "$program" ] || { echo "bench: $program not found (make windows-tests)" >&2; exit 1; }
source "$(dirname "$0")/fresh-prefix.sh"
wineserver -p
wine "$program" >/dev/null # the first run loads Wine's own libraries
times=$(for _ in $(seq "${2:-30}"); do wine "$program" | tr -d '\r'; done)
summary() {
  sort -n | awk -v what="$1" '{ t[NR] = $1 } END {
    printf "%s: median %.2f ms (%.2f to %.2f ms, %d runs)\n", what, t[int((NR + 1) / 2)] / 1000,
           t[1] / 1000, t[NR] / 1000, NR }'
}
steps=("process start to engine entry" "  folders and unpack.dll written" "  unpack.dll loaded"
       "  engine unpacked" "  engine.dll loaded (with the system libraries it imports)")
for i in "${!steps[@]}"; do
  cut -d' ' -f$((i + 1)) <<<"$times" | summary "${steps[$i]}"
done
# The same imports without the loader: what the loader adds is the difference.
[ -f "$baseline" ] && for _ in $(seq "${2:-30}"); do wine "$baseline" | tr -d '\r'; done |
  summary "a program importing the engine's system libraries, process start to main"
