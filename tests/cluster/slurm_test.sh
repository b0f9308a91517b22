#!/usr/bin/env bash
# fiverow-match --slurm on a real Slurm cluster of one node, started here from
# Debian's slurm-wlm and munge: munged, slurmctld and slurmd with their
# configuration (SLURM_CONF), spool folders and munge socket in a temporary
# folder, so nothing else on the machine is touched, and every daemon stopped
# at the end. A match played there must print the summary the match played
# whole prints, and an SPRT must decide at the same game.
#   slurm_test.sh FIVEROW_MATCH
# Starting the daemons needs root: elsewhere the test is skipped (exit 77),
# unless FIVEROW_REQUIRE_SLURM is set, as in CI, where it fails instead.
set -uo pipefail
match=${1:?usage: slurm_test.sh FIVEROW_MATCH}

skip() {
  if [[ -n ${FIVEROW_REQUIRE_SLURM:-} ]]; then
    echo "FAIL: $* (FIVEROW_REQUIRE_SLURM is set)"
    exit 1
  fi
  echo "skipped: $*"
  exit 77
}
((EUID == 0)) || skip "starting munged, slurmctld and slurmd needs root"
for program in munged mungekey slurmctld slurmd sbatch squeue scancel sinfo scontrol; do
  command -v "$program" >/dev/null || skip "$program is not installed (slurm-wlm, munge)"
done

dir=$(mktemp -d "${TMPDIR:-/tmp}/fiverow-slurm.XXXXXX") || exit 1
chmod 755 "$dir"
mkdir -p "$dir"/{munge,ctld,d,log,work}
chmod 700 "$dir/munge"
export SLURM_CONF=$dir/slurm.conf

stop_cluster() {
  local pidfile pid pids=()
  for pidfile in "$dir/slurmd.pid" "$dir/slurmctld.pid" "$dir/munge/munged.pid"; do
    [[ -s $pidfile ]] && pids+=("$(cat "$pidfile")")
  done
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null
  done
  rm -rf "$dir"
}
trap stop_cluster EXIT

show_logs() {
  local log
  for log in "$dir"/log/* "$dir"/munge/munged.log "$dir"/work/*/*.out; do
    [[ -f $log ]] && { echo "--- $log"; tail -n 20 "$log"; }
  done
}

# Two free ports for the daemons, from the kernel.
read -r ctld_port d_port < <(python3 -c '
import socket
socks = [socket.socket() for _ in range(2)]
for s in socks: s.bind(("127.0.0.1", 0))
print(*[s.getsockname()[1] for s in socks])')
node=$(hostname -s)

mungekey --create --keyfile="$dir/munge/munge.key" || exit 1
munged --force --socket="$dir/munge/socket" --key-file="$dir/munge/munge.key" \
  --pid-file="$dir/munge/munged.pid" --log-file="$dir/munge/munged.log" \
  --seed-file="$dir/munge/munged.seed" || { show_logs; exit 1; }
touch "$dir/plugstack.conf"
cat >"$SLURM_CONF" <<EOF
ClusterName=fiverow-test
SlurmctldHost=$node(127.0.0.1)
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$dir/munge/socket
SlurmctldPort=$ctld_port
SlurmdPort=$d_port
StateSaveLocation=$dir/ctld
SlurmdSpoolDir=$dir/d
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/log/slurmctld.log
SlurmdLogFile=$dir/log/slurmd.log
PlugStackConfig=$dir/plugstack.conf
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
MpiDefault=none
SchedulerType=sched/builtin
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
JobCompType=jobcomp/none
AccountingStorageType=accounting_storage/none
JobAcctGatherType=jobacct_gather/none
NodeName=$node NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=test Nodes=$node Default=YES MaxTime=INFINITE State=UP
EOF
slurmctld -i && slurmd || { show_logs; exit 1; }
# The bounds on the waits below are generous: a loaded machine's slurmctld can
# take many seconds per step, and a wait that ends early only fails the test.
for _ in $(seq 1200); do
  [[ $(sinfo --noheader --format=%T 2>/dev/null) == idle ]] && break
  sleep 0.1
done
[[ $(sinfo --noheader --format=%T 2>/dev/null) == idle ]] || {
  echo "FAIL: the node did not come up"; show_logs; exit 1
}

failed=0
# The summary without what depends on timing: the median move times.
summary() { sed -E 's/ *[0-9.]+ (ms|s)\b/ T/g' "$1"; }

# check NAME SLURM-ARGS FIVEROW-MATCH-ARGS...: the match played whole and
# with --slurm 4 and the words of SLURM-ARGS prints the same summary.
check() {
  local name=$1 out=$dir/work/$1 slurm_args
  read -ra slurm_args <<<"$2"
  shift 2
  mkdir -p "$out"
  (cd "$dir/work" && "$match" "$@" >"$out/whole.txt" 2>"$out/whole.err") || {
    echo "FAIL: $name: the whole match failed"; cat "$out/whole.err"; failed=1; return
  }
  (cd "$dir/work" && "$match" --slurm 4 --cluster-dir "$out" "${slurm_args[@]}" "$@" >"$out/slurm.txt" \
    2>"$out/slurm.err") || {
    echo "FAIL: $name: the match on Slurm failed"; cat "$out/slurm.err"; show_logs; failed=1; return
  }
  if ! diff <(summary "$out/whole.txt") <(summary "$out/slurm.txt"); then
    echo "FAIL: $name: the summaries differ"
    failed=1
  else
    echo "ok: $name"
  fi
}

check match "" --games 8 --depth 1 pbrain-fiverow pbrain-fiverow
# B searches deeper than A: H1 (B the stronger) is accepted within the
# first batches.
check sprt "--batch-games 8" --games 200 --sprt elo0=0,elo1=50,alpha=0.1,beta=0.1 \
  --depth A:1 --depth B:3 pbrain-fiverow pbrain-fiverow
grep -q "accepted after" "$dir/work/sprt/slurm.txt" || { echo "FAIL: sprt: no decision"; failed=1; }

# Stopped while its shards run (Ctrl-C; SIGINT is ignored by a background job
# here, SIGTERM takes the same way), the match cancels its job array.
(cd "$dir/work" && exec "$match" --slurm 2 --cluster-dir "$dir/work/cancel" --games 5000 \
  --depth 1 pbrain-fiverow pbrain-fiverow >"$dir/work/cancel.out" 2>"$dir/work/cancel.err") &
referee=$!
for _ in $(seq 1200); do
  [[ -n $(squeue --noheader --states=RUNNING 2>/dev/null) ]] && break
  sleep 0.1
done
kill -TERM "$referee"
wait "$referee"
status=$?
for _ in $(seq 600); do
  [[ -z $(squeue --noheader 2>/dev/null) ]] && break
  sleep 0.1
done
if ((status != 1)) || ! grep -q "cancelled Slurm job" "$dir/work/cancel.err" ||
  [[ -n $(squeue --noheader 2>/dev/null) ]]; then
  echo "FAIL: cancel: status $status, jobs left: $(squeue --noheader 2>&1)"
  cat "$dir/work/cancel.err"
  failed=1
else
  echo "ok: cancel"
fi
exit "$failed"
