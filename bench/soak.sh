#!/usr/bin/env bash
# Soak: an MRP run of one generated factory (size S), interrupted and raced many times over.
# Each iteration starts a run of the same scheme and, at a random moment, does one of: kill -9
# the run, Ctrl-C it, terminate it, stop the database server (fast or immediate) and start it
# again, start a second run of the scheme, or fetch its main demand; or it lets the run
# finish. After each iteration the scheme's results must be those
# of the clean run (a completed run computes them again; anything else leaves them as they
# were), no set-aside table of a save may be left behind, and no lock may outlive its session,
# which the server ends within seconds of its program's death.
# It reports the outcomes, the step of the run each kill or server stop fell in, and timings.
#   bench/soak.sh [ITERATIONS] [CLUSTER_DIR]       (defaults: 200, /tmp/kxmrp-soak)
# It uses a cluster of its own, which it stops and removes at the end.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
iterations=${1:-200}
cluster=${2:-/tmp/kxmrp-soak}
kxmrp="$root/build/bin/kxmrp"
pgbin=/usr/lib/postgresql/15/bin
db=kx_soak
export KXMRP_SERVER="$cluster" KXMRP_DATABASE="$db" KXMRP_LOGIN=admin KXMRP_PASSWORD=admin123
work=$(mktemp -d /tmp/kxmrp-soak-work.XXXXXX)
trap 'rm -rf "$work"' EXIT

as_server() { if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }
psql_() { "$pgbin/psql" -h "$cluster" -d "$db" -XAtq -v ON_ERROR_STOP=1 -c "$1"; }
server_up() { "$root/scripts/pgcluster.sh" start "$cluster" >/dev/null; }
fail() { echo "soak: $*" >&2; exit 1; }

# The scheme's results as a digest: every row of the result tables but the run's own time.
digest() {
    psql_ "select md5(string_agg(x, '|' order by x)) from (
             select 'D'||(d.*)::text as x from KX_MRP_Demands d where DmdSchIID=$scheme
             union all select 'S'||(s.*)::text from KX_MRP_Supplies s where SupSchIID=$scheme
             union all select 'A'||(a.*)::text from KX_MRP_Allots a where AltSchIID=$scheme
             union all select 'B'||(b.*)::text from KX_MRP_Balance b where BalSchIID=$scheme
             union all select 'L'||count(*)::text from KX_MRP_RunLog where LogSchIID=$scheme
             union all select 'M'||(m.*)::text from KX_MRP_Main m where ManSchIID=$scheme
             union all select 'X'||SchState||SchMrpCalIID||SchMrpPeriods from KX_MRP_Schemes where SchIID=$scheme) as t"
}

# What a save or a lock may leave behind when its session dies: none may remain.
leftovers() {
    psql_ "select (select count(*) from pg_class where relname like 'kx\_mrp\_%\_next')
                ||' '||(select count(*) from KX_MRP_SchemeLocks as k where exists (select 1 from pg_locks as l
                        where l.locktype='advisory' and l.pid=k.LckPID and l.objid=k.LckSchIID and l.granted))"
}

# The server ends the session of a killed program when it next looks (every second, also in
# the middle of a statement). Waits for the sessions of the module to end, at most 5 s;
# $settled is how long that took.
settle() {
    local from; from=$(date +%s.%N)
    for ((t = 0; t < 50; t++)); do
        [ "$(psql_ "select count(*) from pg_stat_activity where datname=current_database() and application_name='KX_MRP'")" = 0 ] && break
        sleep 0.1
    done
    settled=$(echo "$(date +%s.%N) - $from" | bc)
}

# Starts the run in the background; its process is $pid.
run_bg() { "$kxmrp" run --scheme "$scheme" >"$work/run.out" 2>&1 & pid=$!; }
# Waits for the run: $status is its exit status, or "refused" when another session held the scheme.
wait_run() { { wait "$pid"; } 2>/dev/null; status=$?; if grep -q "正被" "$work/run.out"; then status=refused; fi; }
# The step of the run its last log line names: where an interruption fell. The run logs
# "执行完成" as the first line of its save, which ends when the run's transaction commits.
phase() {
    local last; last=$(grep -E '获取物料|分析物料|运算第|生成物料|计算各层|检查需求|保存物料|执行完成' "$work/run.out" | tail -n 1)
    if [ "$status" = 0 ]; then echo "6 after the run had completed"; return; fi
    case $last in
    "") echo "0 before the first step (start, login, lock)" ;;
    *获取物料*) echo "1 gathering demand and supply" ;;
    *分析物料*) echo "2 low-level codes" ;;
    *运算第*) echo "3 planning the levels" ;;
    *生成物料* | *计算各层* | *检查需求*) echo "4 balance, kits, checks" ;;
    *) echo "5 saving the results" ;;
    esac
}

echo "== soak: $iterations iterations on a size-S factory in $cluster"
"$root/scripts/pgcluster.sh" stop "$cluster"; as_server rm -rf "$cluster"; rm -rf "$cluster"
KX_PG_FSYNC=off server_up || fail "cluster did not start"
"$kxmrp" db init --demo >/dev/null || fail "db init"
"$kxmrp" gen --size S --replace >/dev/null || fail "gen"
"$kxmrp" db init --demo >/dev/null || fail "db init after gen"
scheme=$("$kxmrp" scheme create --name soak --weeks 26 --track 9 | sed -n 's/^方案 \([0-9]*\):.*/\1/p')
[ -n "$scheme" ] || fail "scheme create"
"$kxmrp" mps --scheme "$scheme" >/dev/null || fail "mps"
start=$(date +%s.%N)
"$kxmrp" run --scheme "$scheme" >/dev/null || fail "clean run"
clean_seconds=$(echo "$(date +%s.%N) - $start" | bc)
clean=$(digest)
"$kxmrp" run --scheme "$scheme" >/dev/null || fail "second clean run"
[ "$(digest)" = "$clean" ] || fail "two clean runs gave different results: the comparison cannot hold"
printf 'clean run: %.1f s\n' "$clean_seconds"

declare -A done_by=() fell_in=() told=()
# What a command that did not complete told its user, its last two lines (digits as #, so
# that timings group); a killed program says nothing.
# every such text must be a sentence of the module, never a bare server text.
tell() {
    local text; text=$(grep -v '^\s*$' "$1" | tail -n 2 | sed 's/[0-9][0-9]*/#/g' | paste -sd '|')
    text=${text:-(nothing)}
    told[$text]=$(( ${told[$text]:-0} + 1 ))
}
failures=0
delays=0 timed=0 longest_settle=0
for ((i = 1; i <= iterations; i++)); do
    action=$((RANDOM % 9))
    # A moment within the run: up to 1.2 times the clean run's length. (Drawn here: a command
    # substitution is a subshell, which draws from a generator of its own.)
    share=$((RANDOM % 120))
    delay=$(echo "scale=2; $clean_seconds * $share / 100" | bc)
    if ((action != 8)); then delays=$(echo "$delays + $delay" | bc); timed=$((timed + 1)); fi
    outcome=""
    case $action in
    0 | 1 | 2)  # kill -9, Ctrl-C, terminate
        signal=(KILL INT TERM); signal=${signal[$action]}
        run_bg; sleep "$delay"; kill -s "$signal" "$pid" 2>/dev/null; wait_run
        where=$(phase); fell_in[$where]=$(( ${fell_in[$where]:-0} + 1 ))
        name="kill -$signal"; outcome=$status ;;
    3 | 4)      # the server stops in the middle, fast or immediately, and comes back
        mode=(fast immediate); mode=${mode[$((action - 3))]}
        run_bg; sleep "$delay"
        as_server "$pgbin/pg_ctl" -D "$cluster/data" -m "$mode" -w stop >/dev/null 2>&1
        wait_run
        where=$(phase); fell_in[$where]=$(( ${fell_in[$where]:-0} + 1 ))
        server_up || fail "server did not come back"
        name="server stop $mode"; outcome=$status ;;
    5 | 6)      # a second run at once
        run_bg; sleep "$delay"
        "$kxmrp" run --scheme "$scheme" >"$work/second.out" 2>&1; second=$?
        wait_run
        grep -q "正被" "$work/second.out" && second=refused
        name="two runs"; outcome="$status/$second" ;;
    7)          # a fetch of the main demand during the run (kept: same bills, same lines)
        run_bg; sleep "$delay"
        "$kxmrp" mps --scheme "$scheme" >"$work/second.out" 2>&1; second=$?
        wait_run
        grep -q "正被" "$work/second.out" && second=refused
        if [ "$second" = 0 ]; then "$kxmrp" run --scheme "$scheme" >/dev/null 2>&1; fi
        name="run + mps"; outcome="$status/$second" ;;
    8)          # a run that is left alone
        "$kxmrp" run --scheme "$scheme" >"$work/run.out" 2>&1; status=$?
        name="run"; outcome=$status ;;
    esac
    done_by["$name $outcome"]=$(( ${done_by["$name $outcome"]:-0} + 1 ))
    [ "$status" = 0 ] || [ "$status" = 137 ] || tell "$work/run.out"
    [ "${second:-0}" = 0 ] || tell "$work/second.out"
    second=""
    settle
    (($(echo "$settled > $longest_settle" | bc))) && longest_settle=$settled
    left=$(leftovers)
    now=$(digest)
    if [ "$left" != "0 0" ] || [ "$now" != "$clean" ]; then
        failures=$((failures + 1))
        echo "iteration $i ($name, $outcome): leftovers $left, results $( [ "$now" = "$clean" ] && echo equal || echo DIFFERENT )"
        tail -n 5 "$work/run.out"
    fi
    (( i % 20 == 0 )) && echo "  $i iterations, $failures failures"
done

"$kxmrp" run --scheme "$scheme" >/dev/null || fail "final run"
[ "$(digest)" = "$clean" ] || failures=$((failures + 1))
echo "== outcomes (exit status of the run / of the second command)"
for k in "${!done_by[@]}"; do printf '  %-32s %4d\n' "$k" "${done_by[$k]}"; done | sort
echo "== what the commands that did not complete said (their error line; digits as #)"
for k in "${!told[@]}"; do printf '  %4d  %s\n' "${told[$k]}" "$k"; done | sort -rn
echo "== step of the run in which a kill or a server stop fell"
for k in "${!fell_in[@]}"; do printf '%s\t%d\n' "$k" "${fell_in[$k]}"; done | sort |
    while IFS=$'\t' read -r k n; do printf '  %-48s %4d\n' "${k#? }" "$n"; done
printf '== mean delay before the interruption or second command: %.2f s (%d iterations) of a %.1f s run\n' \
    "$(echo "scale=3; $delays / ($timed + ($timed == 0))" | bc)" "$timed" "$clean_seconds"
printf '== longest wait for the sessions of killed programs to end: %.1f s\n' "$longest_settle"
echo "== $iterations iterations, $failures failures; final run equal to the clean run: $( [ "$(digest)" = "$clean" ] && echo yes || echo no )"
"$root/scripts/pgcluster.sh" stop "$cluster"; as_server rm -rf "$cluster"; rm -rf "$cluster"
[ "$failures" = 0 ]
