#!/usr/bin/env bash
# A silent installation by a Velk package against the same payload in an NSIS installer (zlib),
# each run under Wine in fresh prefixes, side by side; then the peak memory of setup.exe while it
# installs a large package.
#   install_vs_nsis.sh [FILES] [MEGABYTES] [RUNS] [MEMORY_MEGABYTES]
# Defaults: 2000 files, 200 MB (two thirds text-like, one third incompressible), 8 runs, 1024 MB.
# Memory is read from Linux while the program runs: the peak resident set (VmHWM) of its Wine
# process, and the peak of its private anonymous memory (RssAnon: heap and stacks, not the
# mapped images of Wine's libraries), sampled every 20 ms.
set -euo pipefail
# setup.exe makes its hidden main window: Wine needs a display for it.
[ -n "${DISPLAY:-}" ] || exec xvfb-run -a "$0" "$@"
root=$(cd "$(dirname "$0")/../.." && pwd)
files=${1:-2000}
megabytes=${2:-200}
runs=${3:-8}
memory_mb=${4:-1024}
velkpack=$root/dist/linux/velkpack
stub=$root/dist/windows/setup.exe
for needed in "$velkpack" "$stub"; do
  [ -f "$needed" ] || { echo "bench: $needed not found (make build)" >&2; exit 1; }
done
command -v makensis >/dev/null || { echo "bench: makensis not found (cmake/bootstrap.sh)" >&2; exit 1; }
source "$(dirname "$0")/fresh-prefix.sh"
template=${VELK_PREFIX_TEMPLATE:-$root/build/wineprefix-template}
# The installations go to a memory file system: here the disk's throughput drifts by a factor of
# two within minutes, which would swamp the programs' own differences.
memory=$(mktemp -d /dev/shm/velk-bench.XXXXXX)
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work" "$memory"' EXIT

# payload FOLDER FILES MEGABYTES: every third file incompressible, the others text-like.
payload() {
  python3 - "$@" <<'PY'
import os, random, sys
folder, count, total = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]) << 20
rng = random.Random(7)
words = [bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 9)))
         for _ in range(4000)]
size = total // count
for i in range(count):
    sub = os.path.join(folder, "d%02d" % (i % 20))
    os.makedirs(sub, exist_ok=True)
    with open(os.path.join(sub, "f%05d.%s" % (i, "bin" if i % 3 == 2 else "txt")), "wb") as out:
        if i % 3 == 2:
            out.write(os.urandom(size))
        else:
            text = bytearray()
            while len(text) < size:
                text += b" ".join(rng.choices(words, k=12)) + b"\r\n"
            out.write(text[:size])
PY
}

# velk_package SRC OUT: SRC/files/all becomes a main package whose one component installs it.
velk_package() {
  local src=$1
  cat >"$src/main.xml" <<XML
<main><variables><var name="AppName" value="Bench"/>
<var name="InstallPath" value="C:\\bench\\"/></variables>
<components><component id="all"/></components></main>
XML
  echo '<package><components><component id="all"><files>
<file src="*.*" dst="%InstallPath%*.*"/></files></component></components></package>' >"$src/db.xml"
  "$velkpack" build "$src" -o "$2" --stub "$stub" >/dev/null
}

nsis_installer() {
  cat >"$work/bench.nsi" <<NSI
SetCompressor /SOLID zlib
OutFile "$2"
InstallDir "C:\\nsisbench"
RequestExecutionLevel user
SilentInstall silent
Section
  SetOutPath "\$INSTDIR"
  File /r "$1/*"
SectionEnd
NSI
  makensis -V1 "$work/bench.nsi" >/dev/null
}

# Seconds for one silent installation in a fresh prefix, from the start of the program to its
# exit. The earlier run's writes are flushed first, so that neither program pays for the other's.
# The Wine server lingers for about two seconds after its last process whoever that was: it is
# waited for outside the clock.
timed_install() {
  rm -rf "$memory/run"
  cp -a "$template" "$memory/run"
  sync
  local start end
  start=$(date +%s.%N)
  WINEPREFIX=$memory/run wine "$1" /S
  end=$(date +%s.%N)
  WINEPREFIX=$memory/run wineserver -w
  # A run counts only when every file arrived.
  local arrived
  arrived=$(find "$memory/run/drive_c/$2" -type f | wc -l)
  [ "$arrived" -eq "$files" ] || { echo "bench: $1 installed $arrived of $files files" >&2; exit 1; }
  echo "$end - $start" | bc
}

median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

echo "bench: payload of $files files, $megabytes MB"
payload "$work/src/files/all" "$files" "$megabytes"
velk_package "$work/src" "$work/velk.exe"
nsis_installer "$work/src/files/all" "$work/nsis.exe"
echo "bench: package sizes: velk $(stat -c %s "$work/velk.exe") bytes, nsis $(stat -c %s "$work/nsis.exe") bytes"
# The machine drifts during a series, and the run after a pause goes faster: the two
# programs take turns going first, and each run's ratio is taken between neighbours.
velk_times=() nsis_times=() ratios=()
for run in $(seq "$runs"); do
  if [ $((run % 2)) -eq 1 ]; then
    velk_times+=("$(timed_install "$work/velk.exe" bench)")
    nsis_times+=("$(timed_install "$work/nsis.exe" nsisbench)")
  else
    nsis_times+=("$(timed_install "$work/nsis.exe" nsisbench)")
    velk_times+=("$(timed_install "$work/velk.exe" bench)")
  fi
  ratios+=("$(echo "scale=3; ${velk_times[-1]} / ${nsis_times[-1]}" | bc)")
  echo "bench: run $run: velk ${velk_times[-1]} s, nsis ${nsis_times[-1]} s, ratio ${ratios[-1]}"
done
velk=$(printf '%s\n' "${velk_times[@]}" | median)
nsis=$(printf '%s\n' "${nsis_times[@]}" | median)
ratio=$(printf '%s\n' "${ratios[@]}" | median)
echo "bench: median silent installation: velk $velk s, nsis $nsis s; median ratio $ratio"
rm -rf "$work/src" "$memory/run"

echo "bench: peak memory while installing $memory_mb MB"
payload "$work/src/files/all" 64 "$memory_mb"
velk_package "$work/src" "$work/big.exe"
rm -rf "$memory/run"
cp -a "$template" "$memory/run"
WINEPREFIX=$memory/run wine "$work/big.exe" /S &
hwm=0 anon=0
# The program's own process is the one whose command line names it (Wine's launcher ends early).
while kill -0 $! 2>/dev/null || pgrep -f 'big\.exe' >/dev/null; do
  for pid in $(pgrep -f 'big\.exe' || true); do
    read -r h a < <(awk '/VmHWM/ {h=$2} /RssAnon/ {a=$2} END {print h+0, a+0}' "/proc/$pid/status" 2>/dev/null || echo "0 0")
    [ "$h" -gt "$hwm" ] && hwm=$h
    [ "$a" -gt "$anon" ] && anon=$a
  done
  sleep 0.02
done
WINEPREFIX=$memory/run wineserver -w
echo "bench: setup.exe peak resident set $((hwm / 1024)) MB, peak private anonymous memory $((anon / 1024)) MB"
