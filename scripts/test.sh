#!/usr/bin/env bash
# Sets up everything the tests need, builds, and runs the whole suite:
#   1. the format check of every tracked C/C++ file (clang-format 14),
#   2. the normal build, warnings as errors, with every test (GUI tests offscreen, simulator
#      over real ptys),
#   3. the clang-tidy checks, warnings as errors, on every C++ file of src/, sim/, tests/, bench/
#      and fuzz/ that the build compiles, run beside the Debian package built, installed, its
#      programs started and removed again, and the screenshots; then the threaded and pty tests
#      repeated, so that a race shows here before it shows at random,
#   4. the same suite under address and undefined-behaviour sanitizers (the soak's 100 cycles of
#      connect-and-read and write under random unit faults included),
#   5. the threaded tests (link, worker, controller, cancellation) under thread sanitizer,
#   6. each fuzz target for a bounded time (clang, libFuzzer).
# PELNIX_QUICK=1 runs steps 1 and 2 only, with the clang-tidy checks on the C++ files changed
# since main instead of the whole tree. PELNIX_STRESS_REPEAT sets the repeats of step 3 (20).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
fuzz_seconds=${PELNIX_FUZZ_SECONDS:-30}

step() { printf '\n=== %s ===\n' "$*"; }

step "format"
# One clang-format call over all files: a second or two. Fix with `clang-format -i <file>`.
git ls-files -z -- '*.c' '*.cpp' '*.h' '*.hpp' | xargs -0 clang-format --dry-run -Werror

step "build and test"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELNIX_WERROR=ON >/dev/null
cmake --build build/release -j"$jobs"
ctest --test-dir build/release -j"$jobs" --output-on-failure

# The C++ files of src/, sim/, tests/, bench/ and fuzz/ that the build compiles (generated files
# and C fixtures left out): clang-tidy needs each one's own compile command.
tidy_files() {
  local root
  root=$(pwd -P)
  grep -o '"file": "[^"]*"' build/release/compile_commands.json | sed 's/^"file": "//; s/"$//' \
    | grep -E "^$root/(src|sim|tests|bench|fuzz)/.*\.cpp$" | sed "s|^$root/||" | sort -u || true
}
tidy() { nice xargs -d '\n' -P "$jobs" -n 4 clang-tidy -p build/release --quiet --warnings-as-errors='*'; }

if [ "${PELNIX_QUICK:-0}" = 1 ]; then
  step "clang-tidy on the files changed since main"
  # What a change touches is what it can break; the full run checks the whole tree.
  base=$(git merge-base HEAD origin/main 2>/dev/null || git merge-base HEAD main 2>/dev/null || true)
  if [ -n "$base" ]; then
    mapfile -t changed < <(comm -12 <(git diff --name-only --diff-filter=d "$base" -- '*.cpp' | sort -u) \
      <(tidy_files))
    if [ ${#changed[@]} -gt 0 ]; then
      printf '%s\n' "${changed[@]}" | tidy
    fi
    echo "${#changed[@]} changed file(s) checked"
  fi
  exit 0
fi

# The whole tree takes 19 to 23 minutes on a loaded two-core machine, so it runs beside the
# package and screenshot steps, in a process group of its own that the script ends if it stops
# early; its verdict and output come after them.
tidy_log=$(mktemp)
tidy_list=$(mktemp)
tidy_files >"$tidy_list"
if [ ! -s "$tidy_list" ]; then
  echo "no C++ file of the tree in build/release/compile_commands.json: nothing for clang-tidy to check"
  exit 1
fi
setsid -w bash -c "nice xargs -d '\n' -a '$tidy_list' -P '$jobs' -n 4 clang-tidy -p build/release --quiet \
  --warnings-as-errors='*'" >"$tidy_log" 2>&1 &
tidy_pid=$!
trap 'kill -- -"$tidy_pid" 2>/dev/null || true' EXIT

step "package, install, start and remove"
scripts/install-test.sh build/release

step "screenshots of every window and tab page under Xvfb"
shots=$(mktemp -d)
scripts/screenshots.sh "$shots"
rm -rf "$shots"

step "clang-tidy on every C++ file the build compiles ($(wc -l <"$tidy_list") files)"
tidy_status=0
wait "$tidy_pid" || tidy_status=$?
trap - EXIT
grep -v ' warnings\? generated\.$' "$tidy_log" || true
rm -f "$tidy_log" "$tidy_list"
if [ "$tidy_status" != 0 ]; then
  echo "clang-tidy found problems (exit $tidy_status)"
  exit 1
fi

step "stress: threaded and pty tests repeated"
repeat=${PELNIX_STRESS_REPEAT:-20}
ctest --test-dir build/release -j"$jobs" -L threaded --repeat until-fail:"$repeat" --output-on-failure
ctest --test-dir build/release -j"$jobs" -L pty --repeat until-fail:"$repeat" --output-on-failure
# The parallel scan's verdict against the sequential scan's, two runs side by side for load.
ctest --test-dir build/release -j"$jobs" -R 'ScanTellsEachPortsOutcome|ALateReplyNeverMakesAUnitUnsupported|AProbeThatEndsDoesNotCut' \
  --repeat until-fail:"$((repeat / 2))" --output-on-failure

step "address and undefined-behaviour sanitizers"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPELNIX_SANITIZE=address,undefined \
  -DPELNIX_BUILD_BENCH=OFF -DPELNIX_WERROR=ON >/dev/null
cmake --build build/asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=0 ctest --test-dir build/asan -j"$jobs" --output-on-failure

step "thread sanitizer (threaded tests)"
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPELNIX_SANITIZE=thread \
  -DPELNIX_BUILD_GUI=OFF -DPELNIX_BUILD_BENCH=OFF -DPELNIX_WERROR=ON >/dev/null
cmake --build build/tsan -j"$jobs"
ctest --test-dir build/tsan -j"$jobs" -L threaded --output-on-failure --no-tests=ignore

step "fuzzing, ${fuzz_seconds} s per target"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELNIX_FUZZ=ON \
  -DPELNIX_SANITIZE=address,undefined -DPELNIX_BUILD_GUI=OFF -DPELNIX_BUILD_TESTS=OFF \
  -DPELNIX_BUILD_BENCH=OFF >/dev/null
cmake --build build/fuzz -j"$jobs"
for dir in fuzz/*/; do
  name=$(basename "$dir")
  bin=build/fuzz/fuzz/$name/fuzz_$name
  [ -x "$bin" ] || continue
  work=$(mktemp -d)
  cp -r "$dir/corpus/." "$work/" 2>/dev/null || true
  dict=()
  [ -f "$dir/$name.dict" ] && dict=(-dict="$dir/$name.dict")
  # -close_fd_mask=3: the target's own printing (pelnix-cli's texts) stays out of the log.
  "$bin" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 -close_fd_mask=3 "${dict[@]}" \
    "$work" >"$work.log" 2>&1 || {
    tail -n 40 "$work.log"; echo "fuzz target $name failed"; exit 1; }
  echo "fuzz target $name: $(grep -c . "$work.log" >/dev/null; tail -n 1 "$work.log")"
  rm -rf "$work" "$work.log"
done

step "all passed"
