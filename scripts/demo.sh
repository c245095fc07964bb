#!/usr/bin/env bash
# Installs what is missing, builds, starts the private database under var/ with the demo
# factory, and opens the desktop host logged in as the demo planner (liming / liming123).
# Without a display it prints how to start the host instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
"$root/scripts/pgcluster.sh" start "$root/var/pg"
kxmrp=("$root/build/bin/kxmrp" --server "$root/var/pg" --database kx_demo)
"${kxmrp[@]}" db init --demo
"${kxmrp[@]}" info
shell=("$root/build/bin/kxshell" --server "$root/var/pg" --database kx_demo --user liming --password liming123
       --open KX_MRP.Items)
if [ -n "${DISPLAY:-}" ]; then
    exec "${shell[@]}" "$@"
fi
echo
echo "没有图形显示 (DISPLAY 未设置)。在图形桌面中启动计划员的工作台:"
echo "  ${shell[*]}"
echo "或在虚拟显示中运行并保存截图:"
echo "  xvfb-run -a ${shell[*]} --screenshot kxshell.png"
