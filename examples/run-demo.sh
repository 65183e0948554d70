#!/usr/bin/env bash
# The main job on the bundled sample: builds examples/sample into a main package with the fresh
# velkpack and setup.exe, lists it, then runs it under Wine in a fresh prefix and says what it did.
set -euo pipefail
cd "$(dirname "$0")/.."
template=${VELK_PREFIX_TEMPLATE:?run through make demo}
setup_exe=$(realpath dist/windows/setup.exe)
velkpack=$(realpath dist/linux/velkpack)
work=$(mktemp -d /tmp/velk-demo.XXXXXX)
trap 'WINEPREFIX=$work/prefix wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
cp -a "$template" "$work/prefix"
export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

package=$work/VelkSample.exe
echo "demo: building examples/sample with velkpack (stub: setup.exe, $(stat -c %s "$setup_exe") bytes)"
"$velkpack" build examples/sample -o "$package" --stub "$setup_exe"
"$velkpack" list "$package"

temp_dir=$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -type d -iname temp | head -n 1)
before=$(find "$temp_dir" -mindepth 1 | wc -l)
echo "demo: running the package under Wine (silent switch /S): it locates and checks itself,"
echo "demo: extracts its setup-time files through the unpack library it carries, loads both"
echo "demo: enciphered databases and removes its work folder at the end"
set +e
# A run that stops on an error box never ends by itself: give it a minute.
timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" wine "$package" /S
code=$?
set -e
wineserver -w
after=$(find "$temp_dir" -mindepth 1 | wc -l)
if [ "$code" -eq 124 ]; then
    echo "demo: the run did not end: it is waiting on an error box" >&2
    exit 1
fi
echo "demo: the package exited with code $code, without an error box"
echo "demo: temporary folder held $before entries before and $after after the run" \
     "(the work folder was created and removed)"
[ "$code" -eq 0 ] && [ "$after" -eq "$before" ]
