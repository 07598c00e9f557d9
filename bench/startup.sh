#!/usr/bin/env bash
# Start-up of the desktop program: from launch to a visible main window, with a catalog of 1,000
# beacons, under Xvfb. Target: under 0.5 s. Needs Xvfb and xdotool (Debian packages).
# Usage: bench/startup.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/common.sh
runs=${1:-5}
command -v xdotool >/dev/null || { echo "xdotool is needed (apt-get install xdotool)" >&2; exit 2; }
cli=$(quorvex_cli)
cmake --build build -j2 --target quorvex >/dev/null
gui=$(realpath build/src/gui/quorvex)

work=$(mktemp -d)
trap 'kill $xvfb_pid 2>/dev/null || true; rm -rf "$work"' EXIT
export QUORVEX_CONFIG_DIR=$work/config XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
catalog=$work/catalog.dat

# 1,000 beacons, ten folders, each with a short history: containers imported in one go.
mkdir "$work/bcn"
for i in $(seq 1 1000); do
  printf 'The Quorvex container was created 01.01.26 00:00\n\n[Beacon %d]\nURL="http://127.0.0.1:9/p%d"\nSearchPattern="Price:{?}<"\nValType=3\nMeasurementUnit="EUR"\nInterval=1\nIntervalUnit=2\nDescription=""\n' \
    "$i" "$i" >"$work/bcn/b$i.bcn"
done
"$cli" --catalog "$catalog" import --yes "$work"/bcn/*.bcn >/dev/null
# The window starts with the splash off (a catalog given), as a user's start with RunMinimize 0.
"$cli" settings COMMON.AutoFreshing 0 >/dev/null
# Stored fonts: a start past the first-start dialogs. (Read first: every command rewrites the file.)
fonts="[RData]"
for n in 1 2 3 4; do fonts+=$'\n'"Data$n=$("$cli" settings "RData.Data$n")"; done
echo "$fonts" >>"$QUORVEX_CONFIG_DIR/Quorvex.ini"

Xvfb :97 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=:97
sleep 1

best=999999
for run in $(seq 1 "$runs"); do
  start=$(date +%s%N)
  "$gui" --catalog "$catalog" &
  pid=$!
  # Polled here: xdotool's own --sync waits half a second between its looks.
  until xdotool search --onlyvisible --name '^Catalog - Quorvex$' >/dev/null 2>&1; do sleep 0.005; done
  end=$(date +%s%N)
  ms=$(((end - start) / 1000000))
  echo "run $run: visible after $ms ms"
  [ "$ms" -lt "$best" ] && best=$ms
  kill -TERM "$pid"
  wait "$pid" || true
done
echo "best: $best ms (target: under 500 ms)"
