#!/usr/bin/env bash
# A shortened soak of the headless agent: `quorvex-cli run --interval 1` over pages that work, fail
# (refused connections, server errors, patterns that find nothing), answer slowly or redirect; the
# failing ones are due again at every tick, so the agent fetches about a hundred pages a second. Samples
# the agent's resident memory every few seconds and reports its growth after the warm-up. Everything
# lives in a temporary folder; the servers run on loopback and are stopped at the end. Not part of the
# test suite. Usage: bench/soak.sh [SECONDS] (default 180)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-180}
warmup=30
source bench/common.sh
cli=$(quorvex_cli)

work=$(mktemp -d /tmp/quorvex-soak-XXXXXX)
server_pid=
agent_pid=
cleanup() {
  [ -z "$agent_pid" ] || kill "$agent_pid" 2>/dev/null || true
  [ -z "$server_pid" ] || kill "$server_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

port=$(free_port)
closed=$(free_port)  # nothing listens there: refused connections
python3 bench/soak_server.py "$port" &
server_pid=$!
wait_for_url "http://127.0.0.1:$port/ok/1"

export QUORVEX_CONFIG_DIR="$work/config"
catalog="$work/catalog.dat"
"$cli" settings COMMON.ThreadsAtTheTime 0 >/dev/null
add() { "$cli" --catalog "$catalog" add --name "$1" --url "$2" --pattern 'Price: <b>{?}</b>' "${@:3}" >/dev/null; }
echo "== building the catalog"
for i in $(seq 1 50); do add "ok $i" "http://127.0.0.1:$port/ok/$i" --every 1 minutes; done
for i in $(seq 1 30); do add "nomatch $i" "http://127.0.0.1:$port/nomatch/$i"; done
for i in $(seq 1 20); do add "redirect $i" "http://127.0.0.1:$port/redirect/$i"; done
for i in $(seq 1 20); do add "error $i" "http://127.0.0.1:$port/error/$i"; done
for i in $(seq 1 10); do add "slow $i" "http://127.0.0.1:$port/slow/$i"; done
for i in $(seq 1 20); do add "refused $i" "http://127.0.0.1:$closed/refused/$i"; done

echo "== running the agent for $seconds s"
"$cli" --catalog "$catalog" run --interval 1 >"$work/agent.out" 2>"$work/agent.err" &
agent_pid=$!
samples="$work/rss.txt"
: >"$samples"
start=$(date +%s)
while [ $(($(date +%s) - start)) -lt "$seconds" ]; do
  sleep 5
  rss=$(awk '/VmRSS/ { print $2 }' "/proc/$agent_pid/status" 2>/dev/null || echo 0)
  threads=$(awk '/Threads/ { print $2 }' "/proc/$agent_pid/status" 2>/dev/null || echo 0)
  fds=$(ls "/proc/$agent_pid/fd" 2>/dev/null | wc -l)
  echo "$(($(date +%s) - start)) $rss $threads $fds" >>"$samples"
done
kill -TERM "$agent_pid"
wait "$agent_pid" && status=0 || status=$?
agent_pid=

passes=$(grep -c ' checked ' "$work/agent.out" || true)
fetched=$(awk '/ checked / { n += $4 } END { print n + 0 }' "$work/agent.out")
echo "agent exit status $status; $passes passes reported, $fetched pages handled"
tail -1 "$work/agent.out"
python3 - "$samples" "$warmup" <<'PY'
import sys
rows = [tuple(map(int, line.split())) for line in open(sys.argv[1]) if line.strip()]
warm = int(sys.argv[2])
print("  t(s)  RSS(KiB)  threads  fds")
for t, rss, threads, fds in rows:
    print(f"{t:6d} {rss:9d} {threads:8d} {fds:4d}")
after = [r for r in rows if r[0] >= warm] or rows
first, last = after[0], after[-1]
growth = last[1] - first[1]
span = max(last[0] - first[0], 1)
print(f"== RSS after warm-up: {first[1]} KiB at {first[0]} s -> {last[1]} KiB at {last[0]} s: "
      f"{growth:+d} KiB ({growth * 60 / span:+.0f} KiB/min); peak {max(r[1] for r in rows)} KiB")
PY
