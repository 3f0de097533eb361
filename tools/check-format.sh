#!/usr/bin/env bash
# Fails when a C++ file of the tree differs from what clang-format makes of it.
# Run `clang-format -i $(git ls-files '*.cpp' '*.h')` to apply the style.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
