# Sourced by the Windows benchmarks: a scratch folder ($work) with a fresh Wine prefix copied from
# the template, both removed on exit, and Wine's environment for it. Needs $root.
template=${VELK_PREFIX_TEMPLATE:-$root/build/wineprefix-template}
[ -d "$template" ] || { echo "bench: no Wine prefix template at $template (make prefix)" >&2; exit 1; }
work=$(mktemp -d /tmp/velk-bench.XXXXXX)
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
cp -a "$template" "$work/prefix"
export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
