#!/usr/bin/env bash
# A private PostgreSQL cluster in one folder, reached only through a Unix socket in that
# folder. PostgreSQL refuses to run as root: when root calls this, the server runs as the
# postgres system user and owns the cluster's files. The database superuser is named
# after the calling login, which connects by peer authentication. An MRP run saves
# hundreds of thousands of rows in one transaction: the write-ahead log may grow to 4 GB
# before a checkpoint, so that a save is not slowed by checkpoints in its middle.
#   pgcluster.sh start DIR      create the cluster when missing, then start it
#   pgcluster.sh stop DIR
#   pgcluster.sh status DIR
set -euo pipefail

action=${1:?start, stop or status}
dir=${2:?cluster folder}
pgbin=$(ls -d /usr/lib/postgresql/15/bin 2>/dev/null || true)
[ -n "$pgbin" ] || { echo "PostgreSQL 15 is not installed (/usr/lib/postgresql/15/bin)" >&2; exit 1; }
caller=$(id -un)

as_server() {
    if [ "$(id -u)" = 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

case "$action" in
start)
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    if [ "$(id -u)" = 0 ]; then
        chown postgres: "$dir"
        if ! runuser -u postgres -- test -x "$dir"; then
            echo "the postgres user cannot reach $dir; put the checkout where other users may enter its folders" >&2
            exit 1
        fi
    fi
    chmod 700 "$dir"
    if [ ! -f "$dir/data/PG_VERSION" ]; then
        as_server "$pgbin/initdb" -D "$dir/data" -U "$caller" -E UTF8 --locale=C.UTF-8 \
            --auth-local=peer --auth-host=reject >"$dir/initdb.log" 2>&1 \
            || { cat "$dir/initdb.log" >&2; exit 1; }
    fi
    if as_server "$pgbin/pg_ctl" -D "$dir/data" status >/dev/null 2>&1; then
        exit 0
    fi
    as_server "$pgbin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
        -o "-c listen_addresses='' -c unix_socket_directories='$dir' -c fsync=${KX_PG_FSYNC:-on} -c max_connections=200 -c max_wal_size=4GB" \
        start >/dev/null || { tail -n 30 "$dir/server.log" >&2; exit 1; }
    ;;
stop)
    [ -f "$dir/data/PG_VERSION" ] || exit 0
    as_server "$pgbin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true
    ;;
status)
    as_server "$pgbin/pg_ctl" -D "$dir/data" status
    ;;
*)
    echo "unknown action $action" >&2
    exit 2
    ;;
esac
