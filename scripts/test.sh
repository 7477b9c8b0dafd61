#!/usr/bin/env bash
# Sets up the machine, then builds and runs every test of every build:
# native, native with sanitizers, and Windows under Wine.
# Ends with one line: "N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh || { echo "0 passed, 1 failed"; exit 1; }

passed=0
failed=0

# Runs one step that is not a ctest run; it counts as one test.
step() {
  local name=$1; shift
  echo "== $name"
  if "$@"; then passed=$((passed + 1)); else echo "FAILED: $name"; failed=$((failed + 1)); fi
}

# Configures, builds and tests one preset; counts its ctest results.
run_preset() {
  local preset=$1 log
  echo "== $preset: configure and build"
  log=$(mktemp)
  if ! cmake --preset "$preset" >"$log" 2>&1 || ! cmake --build --preset "$preset" >>"$log" 2>&1; then
    tail -n 60 "$log"
    rm -f "$log"
    echo "FAILED: $preset build"
    failed=$((failed + 1))
    return
  fi
  rm -f "$log"
  echo "== $preset: test"
  # Windows builds: one Wine server, with the prefix brought up, for the
  # whole run; ended after it.
  local server=build/$preset/wine-server.sh
  [ -x "$server" ] && timeout 300 "$server" up
  log=$(mktemp)
  # Under Wine a test process now and then passes and then fails to end
  # (it hangs at exit, or loses its pipe to the Wine server): such a test
  # runs once more, and counts as failed only if it fails again.
  local repeat=()
  [ -x "$server" ] && repeat=(--repeat until-pass:2)
  ctest --preset "$preset" -j "$(nproc)" --timeout 90 "${repeat[@]}" 2>&1 | tee "$log"
  [ -x "$server" ] && timeout 60 "$server" down
  local summary total bad
  summary=$(grep -E 'tests failed out of [0-9]+' "$log" | tail -n 1)
  rm -f "$log"
  if [ -z "$summary" ]; then
    echo "FAILED: $preset ran no test"
    failed=$((failed + 1))
    return
  fi
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
  bad=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$summary")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

run_preset linux
run_preset linux-asan
run_preset windows
run_preset windows-clang

step "static checks (clang-tidy, cppcheck), from a copy under a /src/ path" bash scripts/static-checks-anywhere.sh
step "fuzzing (a few seconds per target)" bash scripts/fuzz.sh 5
step "reproducible DLL, checker and both zips" bash scripts/check-reproducible.sh

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
