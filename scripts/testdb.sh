#!/usr/bin/env bash
# The test run's throwaway cluster: a fresh one per run with the template database that
# every database test suite clones.
#   testdb.sh start DIR KXMRP      KXMRP: the kxmrp program that builds the template
#   testdb.sh stop DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
action=${1:?start or stop}
dir=${2:?cluster folder}

case "$action" in
start)
    kxmrp=${3:?kxmrp program}
    "$here/pgcluster.sh" stop "$dir"
    rm -rf "$dir"
    # Test data need not survive a crash of the machine.
    KX_PG_FSYNC=off "$here/pgcluster.sh" start "$dir"
    "$kxmrp" --server "$dir" --database kx_template db init >/dev/null
    ;;
stop)
    "$here/pgcluster.sh" stop "$dir"
    rm -rf "$dir"
    ;;
esac
