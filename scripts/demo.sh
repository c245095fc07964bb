#!/usr/bin/env bash
# Installs what is missing, builds, starts the private database under var/ with the demo
# factory and a plan scheme of its planner whose main demand is fetched and MRP run, and opens
# the plan scheme workbench in the desktop host logged in as that planner (liming /
# liming123). Without a display it prints how to start the host instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
"$root/scripts/pgcluster.sh" start "$root/var/pg"
kxmrp=("$root/build/bin/kxmrp" --server "$root/var/pg" --database kx_demo)
"${kxmrp[@]}" db init --demo
"${kxmrp[@]}" info
# The planner's demo scheme: twelve weeks from the demo factory's base day, fetched and run once.
planner=(--login liming --password liming123)
if ! "${kxmrp[@]}" "${planner[@]}" scheme list | grep -q '演示计划'; then
    out=$("${kxmrp[@]}" "${planner[@]}" scheme create --name 演示计划 --calendar 1 --from 2026-12-07 --weeks 12)
    echo "$out"
    iid=$(echo "$out" | sed -n 's/^方案 \([0-9]*\):.*/\1/p')
    "${kxmrp[@]}" "${planner[@]}" mps --scheme "$iid"
    "${kxmrp[@]}" "${planner[@]}" run --scheme "$iid" | tail -n 3
fi
shell=("$root/build/bin/kxshell" --server "$root/var/pg" --database kx_demo --user liming --password liming123
       --open KX_MRP.MRP)
if [ -n "${DISPLAY:-}" ]; then
    exec "${shell[@]}" "$@"
fi
echo
echo "没有图形显示 (DISPLAY 未设置)。在图形桌面中启动计划员的工作台:"
echo "  ${shell[*]}"
echo "或在虚拟显示中运行并保存截图:"
echo "  xvfb-run -a ${shell[*]} --screenshot kxshell.png"
