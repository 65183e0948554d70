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
echo "demo: running the package under Wine (silent switch /S: its wizard shows no page): it"
echo "demo: locates and checks itself, extracts its setup-time files through the unpack library"
echo "demo: it carries, loads both enciphered databases, installs the files of its default"
echo "demo: selection and removes its work folder at the end"
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
[ "$code" -eq 0 ] && [ "$after" -eq "$before" ] || exit 1
installed="$WINEPREFIX/drive_c/Program Files/Velk Sample"
[ -d "$installed" ] || { echo "demo: nothing was installed" >&2; exit 1; }
echo "demo: it installed the chosen components into C:\\Program Files\\Velk Sample:"
(cd "$installed" && find . -type f -printf 'demo:   %P  (%s bytes, dated %TY-%Tm-%Td %TH:%TM)\n' | sort)
echo "demo: its registry value (HKCU\\Software\\Velk Sample), INI entry and shortcut:"
grep -A2 -i '^\[Software\\\\Velk Sample\]' "$WINEPREFIX/user.reg" | grep '^"' | sed 's/^/demo:   /'
tr -d '\r' <"$installed/bin/sample.ini" | sed 's/^/demo:   sample.ini: /'
find "$WINEPREFIX/drive_c" -path '*Velk Sample/Read me.lnk' -printf 'demo:   shortcut %P\n'
echo "demo: it listed itself among the installed programs (HKLM\\...\\Uninstall\\VelkSample):"
grep -A3 -i '^\[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\VelkSample\]' \
    "$WINEPREFIX/system.reg" | grep '^"' | sed 's/^/demo:   /'
echo "demo: its install log records what the uninstaller takes back:"
tr -d '\r' <"$(find "$installed" -maxdepth 1 -iname install.log)" | grep -A20 '^\[CopyFiles\]' | sed '/^$/q' | sed 's/^/demo:   /'
echo "demo: running the uninstaller as the entry says, silently (/S)"
WINEDEBUG=-all wine "C:\\Program Files\\Velk Sample\\Uninstall.exe" \
    "C:\\Program Files\\Velk Sample\\install.log" /S || true
wineserver -w
left=$( (find "$installed" -type f 2>/dev/null || true) | wc -l)
echo "demo: after uninstalling, $left files are left in C:\\Program Files\\Velk Sample" \
     "(folder $([ -d "$installed" ] && echo kept || echo removed))"

# The same sample run as a user sees it: its shaped splash, the preparation window, then the
# pages of the standard wizard, walked with Next by a helper that presses its buttons through
# window messages, and its progress window. 40 MB of extra setup-time data keeps the preparation
# window up long enough for a screenshot, 40 MB of extra product data the progress window.
mkdir -p build/demo
shots=$(realpath -m build/demo)
walker=$(realpath build/windows-tests/tests/harness/wizardpress.exe)
cp -r examples/sample "$work/visible"
mkdir -p "$work/visible/presetup"
head -c 40000000 /dev/urandom > "$work/visible/presetup/payload.bin"
head -c 40000000 /dev/urandom > "$work/visible/files/core/bin/payload.bin"
"$velkpack" build "$work/visible" -o "$work/VelkSample.exe" --stub "$setup_exe" >/dev/null
pages=(splash preparation wizard-welcome wizard-license wizard-components wizard-folder
       wizard-ready wizard-progress wizard-finish)
for page in "${pages[@]}"; do rm -f "$shots/$page.png"; done
echo "demo: running the package again without /S, walking its wizard with screenshots"
rm -rf "$installed"
timeout 180 xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    shots=$2 walker=$3
    shot() { sleep 0.3; import -window root -silent "$shots/$1.png"; }
    page() { wine "$walker" --caption "Velk Sample Setup" --heading "$@"; }
    wine "$1" & program=$!
    while kill -0 $program 2>/dev/null; do
        windows=$(xwininfo -root -tree 2>/dev/null)
        if [ ! -f "$shots/splash.png" ] && grep -q "\"VKSplashWindow\"" <<<"$windows"; then
            shot splash
        fi
        if [ ! -f "$shots/preparation.png" ] && grep -q "\"Preparing " <<<"$windows"; then
            import -window root -silent "$shots/preparation.png"
        fi
        grep -q "\"Velk Sample Setup\"" <<<"$windows" && break
        sleep 0.05
    done
    for step in "welcome:Welcome" "license:License agreement:accept" \
                "components:Choose components" "folder:Choose the destination folder" \
                "ready:Ready to install"; do
        IFS=: read -r name heading extra <<<"$step"
        page "$heading" || exit 1
        shot "wizard-$name"
        page "$heading" ${extra:+--press $extra} --press next || exit 1
    done
    for ((i = 0; i < 400; ++i)); do
        if xwininfo -root -tree 2>/dev/null | grep -q "\"Installing Velk Sample\""; then
            shot wizard-progress
            break
        fi
        sleep 0.05
    done
    page "Installation complete" && shot wizard-finish
    page "Installation complete" --press next
    wait $program' _ "$work/VelkSample.exe" "$shots" "$walker" || true
wineserver -w || true
for page in "${pages[@]}"; do
    if [ -f "$shots/$page.png" ]; then
        echo "demo: screenshot of the $page window: $shots/$page.png"
    else
        echo "demo: no screenshot of the $page window was taken" >&2
    fi
done
[ -f "$installed/bin/payload.bin" ] || { echo "demo: the wizard's run installed nothing" >&2; exit 1; }
echo "demo: the wizard's run installed the sample again"

# korvx_demo against the test stand-ins for MapInfo and the KorvelX control: a few seconds on
# screen, a screenshot, and the statements it sent at load.
shot=$(realpath -m build/demo/korvx_demo.png)
cp -a "$template" "$work/korvx-prefix"
export WINEPREFIX=$work/korvx-prefix KORVX_STANDIN_LOG=$(winepath -w "$work/korvx.log")
export KORVX_STANDIN_SCRIPT=
echo "demo: running korvx_demo.exe under Wine against the stand-ins"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    for dll in standin_MapInfo.dll standin_KorvelX.dll; do
        wine regsvr32 /s "$(winepath -w "build/windows-tests/tests/demo/$dll")"
    done
    wine dist/windows/korvx_demo.exe >/dev/null 2>&1 &
    sleep 5
    import -window root -silent "$1"
    wineserver -k || true' _ "$shot"
wineserver -w || true
echo "demo: korvx_demo sent $(wc -l < "$work/korvx.log") calls to the stand-in MapInfo:"
sed 's/^/demo:   /' "$work/korvx.log"
echo "demo: screenshot of its window: $shot"
