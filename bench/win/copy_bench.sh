#!/usr/bin/env bash
# Runs copy_bench.exe (built in the windows-tests tree) under Wine in a fresh prefix, on a file
# in a scratch folder on the Linux side.
#   copy_bench.sh [WINTESTS_DIR] [MEGABYTES] [ROUNDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
wintests=$(cd "${1:-$root/build/windows-tests}" && pwd)
program=$wintests/tests/harness/copy_bench.exe
template=${VELK_PREFIX_TEMPLATE:-$root/build/wineprefix-template}
[ -f "$program" ] || { echo "bench: $program not found (make windows-tests)" >&2; exit 1; }
[ -d "$template" ] || { echo "bench: no Wine prefix template at $template (make prefix)" >&2; exit 1; }
work=$(mktemp -d /tmp/velk-copy-bench.XXXXXX)
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
cp -a "$template" "$work/prefix"
export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine "$program" "Z:$(echo "$work" | tr / '\\')" "${2:-256}" "${3:-9}" | tr -d '\r'
