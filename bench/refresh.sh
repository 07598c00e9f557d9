#!/usr/bin/env bash
# Refresh throughput: 1,000 pages (one beacon each) served on loopback by nginx, fetched by one
# `quorvex-cli check --all` with ThreadsAtTheTime 0 (as many as possible) and 16; pages/s, failed pages
# and peak memory of each. Then urlwatch on the same 1,000 addresses, and the ratio. Installs nginx and
# urlwatch (Debian) when missing; everything else lives in a temporary folder that is removed at the
# end. Not part of the test suite.
# Usage: bench/refresh.sh [--no-urlwatch] [PAGES]
#   --no-urlwatch  skips the comparison with urlwatch (the large runs: urlwatch takes minutes there)
#   PAGES          number of pages, 1,000 by default. The reliability run is
#                  `bench/refresh.sh --no-urlwatch 10000`: no failed page and peak RSS under 200 MiB
#                  with ThreadsAtTheTime 0.
# RUNS (environment) sets the runs per measurement, 3 by default; THREADS the ThreadsAtTheTime values
# measured, "0 16" by default (the comparison with urlwatch needs both).
# RATE (environment) caps nginx's sending to that many bytes per second and connection, so that every
# page takes seconds as distant servers do and the simultaneous fetches pile up (off by default).
set -euo pipefail
cd "$(dirname "$0")/.."
compare=1
if [ "${1:-}" = --no-urlwatch ]; then
  compare=0
  shift
fi
pages=${1:-1000}
source bench/common.sh

need=()
command -v nginx >/dev/null || [ -x /usr/sbin/nginx ] || need+=(nginx)
[ "$compare" -eq 0 ] || command -v urlwatch >/dev/null || need+=(urlwatch)
[ -x /usr/bin/time ] || need+=(time)
if [ ${#need[@]} -gt 0 ]; then
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  # The nginx package must not start the system's own server on port 80.
  made_policy=0
  if [ ! -e /usr/sbin/policy-rc.d ]; then
    printf '#!/bin/sh\nexit 101\n' | "${as_root[@]}" tee /usr/sbin/policy-rc.d >/dev/null
    "${as_root[@]}" chmod 755 /usr/sbin/policy-rc.d
    made_policy=1
  fi
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y --no-install-recommends "${need[@]}" >/dev/null ||
    { "${as_root[@]}" apt-get update >/dev/null &&
      DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y --no-install-recommends "${need[@]}" >/dev/null; }
  [ "$made_policy" -eq 0 ] || "${as_root[@]}" rm -f /usr/sbin/policy-rc.d
fi
cli=$(quorvex_cli)

work=$(mktemp -d /tmp/quorvex-bench-XXXXXX)
chmod 755 "$work"
nginx_pid=
cleanup() {
  [ -z "$nginx_pid" ] || kill "$nginx_pid" 2>/dev/null || true
  [ -z "$nginx_pid" ] || wait "$nginx_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The pages: a little HTML with a price each.
mkdir -p "$work/www"
for i in $(seq 1 "$pages"); do
  printf '<html><head><title>Item %d</title></head><body>\n<p>Item %d</p>\n<td>Price: <b>%d.50</b></td>\n</body></html>\n' \
    "$i" "$i" "$i" >"$work/www/p$i.html"
done

port=$(free_port)
cat >"$work/nginx.conf" <<EOF
worker_processes 2;
pid $work/nginx.pid;
error_log $work/nginx-error.log;
events { worker_connections 4096; }
http {
  access_log off;
  ${RATE:+limit_rate ${RATE}; limit_rate_after 0;}
  client_body_temp_path $work/tmp-body;
  proxy_temp_path $work/tmp-proxy;
  fastcgi_temp_path $work/tmp-fastcgi;
  uwsgi_temp_path $work/tmp-uwsgi;
  scgi_temp_path $work/tmp-scgi;
  server {
    listen 127.0.0.1:$port;
    root $work/www;
  }
}
EOF
nginx=$(command -v nginx || echo /usr/sbin/nginx)
"$nginx" -c "$work/nginx.conf" -p "$work" -g 'daemon off;' &
nginx_pid=$!
wait_for_url "http://127.0.0.1:$port/p1.html"

# Every quorvex-cli run below uses its own settings folder and catalog.
export QUORVEX_CONFIG_DIR="$work/config"
catalog="$work/catalog.dat"
ulimit -n 8192 2>/dev/null || true
echo "== building a catalog of $pages beacons"
# One container per beacon (what `add --pattern` makes), imported by one command: 10,000 `add`s would
# take many minutes.
mkdir -p "$work/bcn"
for i in $(seq 1 "$pages"); do
  printf 'The Quorvex container\n\n[Item %d]\nURL="http://127.0.0.1:%d/p%d.html"\nSearchPattern="Price: <b>{?}</b>"\nValType=2\nMeasurementUnit=""\nInterval=0\nIntervalUnit=2\nDescription=""\n' \
    "$i" "$port" "$i" >"$work/bcn/i$i.bcn"
done
(cd "$work/bcn" && find . -name '*.bcn' -print0 | xargs -0 "$cli" --catalog "$catalog" import --yes >/dev/null)
imported=$("$cli" --catalog "$catalog" list | grep -c "127.0.0.1:$port/" || true)
[ "$imported" -eq "$pages" ] || { echo "the catalog holds $imported beacons, not $pages" >&2; exit 1; }

# pages/s and peak memory: the best of $runs runs (the machine is shared, so the best run shows the
# program rather than its neighbours), elapsed seconds and max RSS from /usr/bin/time -v; failures: the
# most failed pages of any run, from quorvex-cli's summary line.
runs=${RUNS:-3}
measure() {
  local label=$1
  shift
  local best=999999 peak=0 failed=0 wall rss f log="$work/time-$label.log"
  for _ in $(seq 1 "$runs"); do
    /usr/bin/time -v "$@" >"$work/out-$label.log" 2>"$log" || true
    wall=$(awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; print s }' "$log")
    rss=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$log")
    f=$(sed -n 's/^Checked [0-9]* pages*: [0-9]* changed, \([0-9]*\) failed.*/\1/p' "$work/out-$label.log" | head -1)
    best=$(python3 -c "print(min($best, $wall))")
    peak=$(python3 -c "print(max($peak, $rss))")
    failed=$((failed > ${f:-0} ? failed : ${f:-0}))
  done
  local rate
  rate=$(python3 -c "print(f'{$pages / max($best, 0.01):.0f}')")
  local failures=
  case $label in quorvex*) failures="  failed pages $failed" ;; esac
  printf '%-22s best of %d: %6.2f s  %6s pages/s  peak RSS %6.1f MiB%s\n' "$label" "$runs" "$best" "$rate" \
    "$(python3 -c "print($peak / 1024)")" "$failures"
  eval "rate_${label}=$rate"
}

echo "== quorvex-cli check --all"
for threads in ${THREADS:-0 16}; do
  "$cli" settings COMMON.ThreadsAtTheTime "$threads" >/dev/null
  measure "quorvex_threads_$threads" "$cli" --catalog "$catalog" check --all
  head -1 "$work/out-quorvex_threads_$threads.log"
  # The first reasons, when pages failed.
  grep -m 5 -i 'fail' "$work/out-quorvex_threads_$threads.log" | sed -n '2,$p' || true
done
[ "$compare" -eq 1 ] || exit 0

echo "== urlwatch on the same addresses"
urls="$work/urls.yaml"
: >"$urls"
for i in $(seq 1 "$pages"); do
  [ "$i" -eq 1 ] || echo '---' >>"$urls"
  echo "url: http://127.0.0.1:$port/p$i.html" >>"$urls"
done
: >"$work/hooks.py"
export HOME="$work/home"
mkdir -p "$HOME"
urlwatch=(urlwatch --urls "$urls" --config "$work/urlwatch.yaml" --hooks "$work/hooks.py" --cache "$work/cache.db")
# The first run writes the default configuration and fills the cache, as the first check filled the
# catalog; the measured runs compare, as the later checks did.
"${urlwatch[@]}" >/dev/null 2>&1 || true
measure urlwatch "${urlwatch[@]}"

python3 - "$rate_quorvex_threads_16" "$rate_quorvex_threads_0" "$rate_urlwatch" <<'EOF'
import sys
q16, q0, u = map(float, sys.argv[1:])
print(f"== ratio to urlwatch ({u:.0f} pages/s): ThreadsAtTheTime 16 {q16 / u:.1f}x, "
      f"ThreadsAtTheTime 0 {q0 / u:.1f}x (target 10x)")
EOF
