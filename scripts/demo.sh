#!/usr/bin/env bash
# Installs what is missing, builds, starts the private database under var/ with the demo
# factory, and runs the main job.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
"$root/scripts/pgcluster.sh" start "$root/var/pg"
kxmrp=("$root/build/bin/kxmrp" --server "$root/var/pg" --database kx_demo)
"${kxmrp[@]}" db init --demo
"${kxmrp[@]}" info
