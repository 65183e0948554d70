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
echo "demo: enciphered databases, installs the files of its default selection and removes its"
echo "demo: work folder at the end"
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

# The same sample run as a user sees it: its shaped splash, then the preparation window. The
# sample's setup-time files take a moment; 40 MB of extra setup-time data keeps the window up
# long enough for a screenshot.
mkdir -p build/demo
shots=$(realpath -m build/demo)
cp -r examples/sample "$work/visible"
mkdir -p "$work/visible/presetup"
head -c 40000000 /dev/urandom > "$work/visible/presetup/payload.bin"
"$velkpack" build "$work/visible" -o "$work/VelkSample.exe" --stub "$setup_exe" >/dev/null
rm -f "$shots/splash.png" "$shots/preparation.png"
echo "demo: running the package again without /S, with screenshots of its windows"
timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    wine "$1" & program=$!
    while kill -0 $program 2>/dev/null; do
        windows=$(xwininfo -root -tree 2>/dev/null)
        if [ ! -f "$2/splash.png" ] && grep -q "\"VKSplashWindow\"" <<<"$windows"; then
            sleep 0.3; import -window root -silent "$2/splash.png"
        fi
        if [ ! -f "$2/preparation.png" ] && grep -q "\"Preparing " <<<"$windows"; then
            import -window root -silent "$2/preparation.png"
        fi
        sleep 0.05
    done' _ "$work/VelkSample.exe" "$shots" || true
wineserver -w || true
for shot in splash preparation; do
    if [ -f "$shots/$shot.png" ]; then
        echo "demo: screenshot of the $shot window: $shots/$shot.png"
    else
        echo "demo: no screenshot of the $shot window was taken" >&2
    fi
done

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
