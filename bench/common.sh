# Shared by the benchmark scripts (sourced, not run).

# A free TCP port on loopback.
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

# Waits up to ten seconds until url answers.
wait_for_url() {
  for _ in $(seq 1 100); do
    curl -fs "$1" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "no answer from $1" >&2
  return 1
}

# Builds quorvex-cli when it is missing and prints its absolute path.
quorvex_cli() {
  if [ ! -x build/src/quorvex-cli ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j2 --target quorvex-cli >/dev/null
  fi
  realpath build/src/quorvex-cli
}
