#!/usr/bin/env bash
# dlgwatch.exe end to end: another program in the same Wine session shows an error box, dlgwatch
# finds it by its caption, reports it and presses OK, and the program goes on.
#   dlgwatch_test.sh DLGWATCH_EXE PROBE_EXE
set -euo pipefail
dlgwatch=$1
probe=$2
template=${VELK_PREFIX_TEMPLATE:?VELK_PREFIX_TEMPLATE is not set (run through make test)}
work=$(mktemp -d /tmp/velk-dlgwatch.XXXXXX)
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
cp -a "$template" "$work/prefix"
export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

fail() { echo "dlgwatch_test: $*" >&2; cat "$work/seen.txt" >&2 || true; exit 1; }

wine "$probe" error "Velk watched" "Disk not ready" &
shown=$!
wine "$dlgwatch" --caption "Velk watched" --press OK --timeout-ms 20000 \
  --out "Z:$(echo "$work/seen.txt" | tr / '\\')" || fail "no box found"
wait "$shown" || fail "the program showing the box failed"

value() { sed -n "s/^$1=//p" "$work/seen.txt" | tr -d '\r'; }
[ "$(value found)" = 1 ] || fail "found"
[ "$(value caption)" = "Velk watched" ] || fail "caption"
[ "$(value text)" = "Disk not ready" ] || fail "text"
[ "$(value buttons)" = OK ] || fail "buttons"
[ "$(value icon)" = stop ] || fail "icon"
[ "$(value owner)" = 0x0 ] || fail "owner"
[ "$(value pressed)" = OK ] || fail "pressed"
[ "$(value closed)" = 1 ] || fail "closed"
# Centred on the work area, halves cut toward zero.
IFS=, read -r left top right bottom <<<"$(value rect)"
IFS=, read -r aleft atop aright abottom <<<"$(value workarea)"
[ "$left" -eq $((aleft + (aright - aleft - (right - left)) / 2)) ] || fail "not centred across"
[ "$top" -eq $((atop + (abottom - atop - (bottom - top)) / 2)) ] || fail "not centred down"
echo "dlgwatch_test: ok"
