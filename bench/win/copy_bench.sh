#!/usr/bin/env bash
# Runs copy_bench.exe (built in the windows-tests tree) under Wine in a fresh prefix, on a file
# in a scratch folder on the Linux side.
#   copy_bench.sh [WINTESTS_DIR] [MEGABYTES] [ROUNDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
wintests=$(cd "${1:-$root/build/windows-tests}" && pwd)
program=$wintests/tests/harness/copy_bench.exe
[ -f "$program" ] || { echo "bench: $program not found (make windows-tests)" >&2; exit 1; }
source "$(dirname "$0")/fresh-prefix.sh"
wine "$program" "Z:$(echo "$work" | tr / '\\')" "${2:-256}" "${3:-9}" | tr -d '\r'
