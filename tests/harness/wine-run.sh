#!/usr/bin/env bash
# Runs one Windows program under Wine in a fresh prefix copied from the cached template.
#   wine-run.sh [--then CHECK] PROGRAM [ARGS...]
# The prefix lives for this run only; VELK_KEEP_PREFIX=1 keeps it for inspection.
# The program sees VELK_PREFIX (the prefix on the Linux side) in its environment.
# With --then, the Linux program CHECK runs after PROGRAM has ended and the Wine server has
# saved the registry (user.reg, system.reg) into the prefix, with the same VELK_PREFIX, so that
# it can check from the Linux side what PROGRAM left there; the run fails when either fails.
set -uo pipefail
check=
if [ "${1:-}" = --then ]; then
  check=${2:?--then needs a program}
  shift 2
fi
template=${VELK_PREFIX_TEMPLATE:?VELK_PREFIX_TEMPLATE is not set (run through make test)}
run_dir=$(mktemp -d /tmp/velk-wine.XXXXXX)
cp -a "$template" "$run_dir/prefix"
export WINEPREFIX=$run_dir/prefix WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=" VELK_PREFIX=$run_dir/prefix
cleanup() {
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  [ "${VELK_KEEP_PREFIX:-0}" = 1 ] && echo "prefix kept: $run_dir/prefix" >&2 || rm -rf "$run_dir"
}
trap cleanup EXIT
wine "$@"
rc=$?
# The server saves the registry when it ends, which it does once the last program has.
wineserver -w
if [ -n "$check" ]; then
  "$check"
  check_rc=$?
  [ $rc -eq 0 ] && rc=$check_rc
fi
exit $rc
