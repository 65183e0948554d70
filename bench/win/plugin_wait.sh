#!/usr/bin/env bash
# Runs plugin_wait_bench.exe (built in the windows-tests tree) under Wine in a fresh prefix: events
# from a worker thread to the test plug-in while the main thread waits for the worker, in the
# host's WaitForWorker and, for comparison, pumping messages.
#   plugin_wait.sh [WINTESTS_DIR] [COUNT] [RUNS]
set -euo pipefail
# The host's main window needs a display under Wine.
[ -n "${DISPLAY:-}" ] || exec xvfb-run -a "$0" "$@"
root=$(cd "$(dirname "$0")/../.." && pwd)
wintests=$(cd "${1:-$root/build/windows-tests}" && pwd)
program=$wintests/tests/plugins/plugin_wait_bench.exe
probe=$wintests/tests/plugins/probe_plugin.dll
for needed in "$program" "$probe"; do
  [ -f "$needed" ] || { echo "bench: $needed not found (make windows-tests)" >&2; exit 1; }
done
source "$(dirname "$0")/fresh-prefix.sh"
wine "$program" "Z:$(echo "$probe" | tr / '\\')" "${2:-50000}" "${3:-5}" | tr -d '\r'
