#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every
# test. Before that, the threaded parts (window messages, serial port, set-file load,
# device link) run under ThreadSanitizer in a build of their own. After the tests every
# fuzz target of the readers is built with clang and runs over its corpus and a few
# seconds more, so none stops building or running unnoticed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache); fi

threaded="platform/ui/Messages;platform/serial;platform/filer;hwzel"
cmake -S "$root" -B "$root/build-tsan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZEL_TSAN=ON \
  "-DZEL_TEST_FOLDERS=$threaded" "${launcher[@]}"
cmake --build "$root/build-tsan" -j "$jobs" --target zel_selected_tests
ctest --test-dir "$root/build-tsan" -j "$jobs" --timeout 300 --output-on-failure

cmake -S "$root" -B "$root/build-test" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZEL_SANITIZE=ON "${launcher[@]}"
cmake --build "$root/build-test" -j "$jobs"
ctest --test-dir "$root/build-test" -j "$jobs" --timeout 300 --output-on-failure

bash "$root/tools/fuzz.sh" --check 5
