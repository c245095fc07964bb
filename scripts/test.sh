#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite on a throwaway
# PostgreSQL cluster of its own.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
cd "$root/build"
ctest --output-on-failure -j"$(nproc)" "$@"
