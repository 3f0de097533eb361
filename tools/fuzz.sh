#!/usr/bin/env bash
# Fuzzes every reader of bytes from outside the program for a bounded time: run it
# before and after touching a reader. Each target starts from its corpus under
# tools/fuzz/corpus/<target>; inputs that reach new code are merged back into that
# corpus (commit them with the change), and a crashing input is left in
# build-fuzz/artifacts/ with the command that reproduces it.
#
#   tools/fuzz.sh [--check] [seconds per target, default 60] [target ...]
#
# --check (CI, tools/test.sh): every target runs over its corpus and then for the given
# time, and the corpus in the tree is left as it is.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
merge=1
if [ "${1:-}" = "--check" ]; then
  merge=0
  shift
fi
seconds="${1:-60}"
shift || true
all=(mps_fuzz setfile_fuzz register_fuzz ini_fuzz lbl_fuzz language_fuzz bitmap_fuzz splitter_fuzz receive_fuzz values_fuzz
  script_fuzz zds_fuzz)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then targets=("${all[@]}"); fi

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache); fi
build="$root/build-fuzz"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DZEL_FUZZ=ON -DZEL_TESTS=OFF "${launcher[@]}"
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
mkdir -p "$build/artifacts"
failed=()
for target in "${targets[@]}"; do
  corpus="$root/tools/fuzz/corpus/$target"
  found="$build/found/$target"
  mkdir -p "$corpus" "$found"
  echo "== $target: $seconds s"
  # Run in the build folder: a reader that writes beside itself (lbl_fuzz) writes there.
  if ! (cd "$build" && "$build/fuzz/$target" "$found" "$corpus" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1) >"$build/$target.log" 2>&1; then
    failed+=("$target")
    tail -n 40 "$build/$target.log"
    echo "reproduce: $build/fuzz/$target $build/artifacts/$target-<file>"
    continue
  fi
  tail -n 3 "$build/$target.log"
  # Keep only the inputs that add coverage, so the corpus in the tree stays small.
  if [ "$merge" = 1 ]; then
    (cd "$build" && "$build/fuzz/$target" -merge=1 "$corpus" "$found") >"$build/$target.merge.log" 2>&1
  fi
  rm -rf "$found"
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "failed: ${failed[*]}"
  exit 1
fi
echo "every reader held"
