#!/usr/bin/env bash
# Events raised on a worker thread and carried through the main window to a plug-in on the main
# thread: the road of every progress event of an installation. A package with two copies of the
# test plug-in runs under Wine; the sender's second thread relays COUNT named messages to the
# receiver, which only counts them, while the sender pumps messages on the main thread: the main
# thread is not in the host's wait for a worker, so every event travels as the main window's
# message (plugin_wait.sh measures that wait). Prints events per second for each run and the
# median.
#   plugin_events.sh [COUNT] [RUNS]
set -euo pipefail
# setup.exe makes its hidden main window: Wine needs a display for it.
[ -n "${DISPLAY:-}" ] || exec xvfb-run -a "$0" "$@"
root=$(cd "$(dirname "$0")/../.." && pwd)
count=${1:-50000}
runs=${2:-5}
stub=$root/build/windows-product/setup/setup.exe
probe=$root/build/windows-tests/tests/plugins/probe_plugin.dll
velkpack=${VELKPACK:-$root/build/native/tools/velkpack/velkpack}
template=${VELK_PREFIX_TEMPLATE:-$root/build/wineprefix-template}
for needed in "$stub" "$probe" "$velkpack"; do
  [ -f "$needed" ] || { echo "bench: $needed not found (make build)" >&2; exit 1; }
done
[ -d "$template" ] || { echo "bench: no Wine prefix template at $template (make prefix)" >&2; exit 1; }
work=$(mktemp -d /tmp/velk-plugin-bench.XXXXXX)
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

mkdir -p "$work/src/plugins/0" "$work/src/plugins/1"
echo '<main><variables><var name="AppName" value="Bench"/></variables></main>' >"$work/src/main.xml"
echo '<package><plugins><plugin id="sender"/><plugin id="receiver"/></plugins></package>' \
  >"$work/src/db.xml"
cp "$probe" "$work/src/plugins/0/sender.dll"
cp "$probe" "$work/src/plugins/1/receiver.dll"
printf 'receiver EV_LOAD mute BURST\nsender EV_SHOWDIALOGS thread BURST %d\n' "$count" >"$work/script.txt"
"$velkpack" build "$work/src" -o "$work/bench.exe" --stub "$stub" >/dev/null

cp -a "$template" "$work/prefix"
export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export VELK_PROBE_SCRIPT=Z:${work//\//\\}\\script.txt VELK_PROBE_LOG=Z:${work//\//\\}\\probe.log
wineserver -p
rates=()
for _ in $(seq "$runs"); do
  rm -f "$work/probe.log"
  wine "$work/bench.exe" /S
  line=$(tr -d '\r' <"$work/probe.log" | grep '^sender thread BURST')
  received=$(tr -d '\r' <"$work/probe.log" | sed -n 's/^receiver muted BURST count=//p')
  us=${line##*us=}
  [ "$received" = "$count" ] || { echo "bench: the receiver saw $received of $count" >&2; exit 1; }
  rate=$(awk -v n="$count" -v us="$us" 'BEGIN { printf "%d", n / (us / 1e6) }')
  echo "run: $count events in $((us / 1000)) ms, $rate events/s"
  rates+=("$rate")
done
printf '%s\n' "${rates[@]}" | sort -n | awk '{ r[NR] = $1 } END {
  printf "plug-in events from a worker thread: median %d events/s (%d to %d, %d runs)\n",
         r[int((NR + 1) / 2)], r[1], r[NR], NR }'
