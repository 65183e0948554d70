#!/usr/bin/env bash
# The main job on the bundled sample: runs the freshly built setup.exe under Wine in a fresh
# prefix and says what it did.
set -euo pipefail
cd "$(dirname "$0")/.."
template=${VELK_PREFIX_TEMPLATE:?run through make demo}
setup_exe=$(realpath dist/windows/setup.exe)
work=$(mktemp -d /tmp/velk-demo.XXXXXX)
trap 'WINEPREFIX=$work/prefix wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
cp -a "$template" "$work/prefix"
export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

temp_dir=$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -type d -iname temp | head -n 1)
before=$(find "$temp_dir" -mindepth 1 | wc -l)
echo "demo: setup.exe is $(stat -c %s "$setup_exe") bytes; running it under Wine (silent switch /S)"
set +e
xvfb-run -a -s "-screen 0 1024x768x24" wine "$setup_exe" /S
code=$?
set -e
wineserver -w
after=$(find "$temp_dir" -mindepth 1 | wc -l)
echo "demo: setup.exe exited with code $code"
echo "demo: temporary folder held $before entries before and $after after the run" \
     "(the work folder was created and removed)"
[ "$code" -eq 0 ] && [ "$after" -eq "$before" ]
