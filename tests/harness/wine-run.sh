#!/usr/bin/env bash
# Runs one Windows program under Wine in a fresh prefix copied from the cached template.
# The prefix lives for this run only; VELK_KEEP_PREFIX=1 keeps it for inspection.
# The program sees VELK_PREFIX (the prefix on the Linux side) in its environment.
set -uo pipefail
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
wineserver -w
exit $rc
