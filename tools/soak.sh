#!/usr/bin/env bash
# A soak run: the headless recorder polls the simulated instrument for MINUTES minutes (default 3)
# while the line misbehaves (answers dropped and corrupted half of each minute, a hang-up and return
# every 150 s) and the broker is stopped for 10 s every 120 s. At the end it checks that:
#  - every second of the run has its second row, except the seconds the log reports the port away
#    and the fresh seconds after it came back (at most 3);
#  - every minute row reached the broker (by its "time");
#  - no record file was cut (every line whole, ended by CR LF, with all its fields);
#  - resident memory grew by less than 2 MB after the first minute, and the open file descriptors
#    did not grow.
# The figures are printed; the exit status is 0 only when every check holds. Needs a built tree
# (tools/build.sh); QEMRA_BUILD_DIR picks another build folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/tools/presets.sh"
build="${QEMRA_BUILD_DIR:-$(qemra_build_dir)}"
minutes="${1:-3}"
if ! [[ "$minutes" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: tools/soak.sh [MINUTES]" >&2
    exit 2
fi
monitor="$build/app/qemra-monitor"
sim="$build/sim/qemra-sim"
for program in "$monitor" "$sim"; do
    [ -x "$program" ] || { echo "soak: $program is missing; build first (bash tools/build.sh)" >&2; exit 2; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/qemra-soak-XXXXXX")"
data="$work/data"
mkdir -p "$data" "$work/broker" "$work/bin"
# Copies, so a rebuild during a long run leaves the programs under test alone.
cp "$monitor" "$sim" "$work/bin/"
monitor="$work/bin/qemra-monitor"
sim="$work/bin/qemra-sim"
pids=()
broker_pid=""
cleanup() {
    for pid in "${pids[@]}" $broker_pid; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    if [ "${QEMRA_SOAK_KEEP:-0}" = 1 ]; then echo "soak: files kept in $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

port="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')"
cat >"$work/broker/mosquitto.conf" <<EOF
listener $port 127.0.0.1
allow_anonymous true
persistence true
persistence_location $work/broker/
log_dest file $work/broker/broker.log
EOF
start_broker() {
    mosquitto -c "$work/broker/mosquitto.conf" >/dev/null 2>&1 &
    broker_pid=$!
    for _ in $(seq 50); do
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && return 0
        sleep 0.1
    done
    echo "soak: the broker did not start" >&2
    exit 1
}
stop_broker() {
    kill "$broker_pid" 2>/dev/null || true
    wait "$broker_pid" 2>/dev/null || true
    broker_pid=""
}
start_broker

# A subscriber with a session the broker keeps across its restarts, so no minute row slips past.
mosquitto_sub -h 127.0.0.1 -p "$port" -q 1 -c -i qemra-soak-listener -t soak/minute >"$work/minute.json" 2>/dev/null &
pids+=($!)
sleep 1

printf '[Record]\r\nSecRec=1\r\n' >"$data/BaseSetpoint.ini"
printf '[Mqtt]\r\nHost=127.0.0.1\r\nPort=%s\r\nTopicPrefix=soak\r\n' "$port" >"$data/Publish.ini"
"$sim" --quiet --seed 5 --link "$work/sim.tty" --port-ini "$data/Port0.ini" --command-pipe "$work/sim.cmd" \
    </dev/null >"$work/sim.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -e "$work/sim.tty" ] && [ -p "$work/sim.cmd" ] && break; sleep 0.1; done
[ -e "$work/sim.tty" ] || { echo "soak: the simulator made no link" >&2; exit 1; }

"$monitor" --headless --data-dir "$data" 2>"$work/recorder.log" &
recorder=$!
pids+=($recorder)

sim_command() { echo "$1" >"$work/sim.cmd"; }
sample() {
    local rss fds
    rss="$(awk '/^VmRSS:/ {print $2}' "/proc/$recorder/status" 2>/dev/null || echo 0)"
    fds="$(ls "/proc/$recorder/fd" 2>/dev/null | wc -l)"
    echo "$1 $rss $fds" >>"$work/samples"
}

# Every event lies on one schedule; nothing happens in the last 30 s, so the run ends steady, nor
# around the first minute's sample, so both samples see the port and the broker connected.
total=$((minutes * 60))
echo "soak: $minutes minutes, recorder pid $recorder, broker port $port"
for ((t = 1; t <= total; ++t)); do
    sleep 1
    kill -0 "$recorder" 2>/dev/null || { echo "soak: the recorder ended early" >&2; cat "$work/recorder.log" >&2; exit 1; }
    quiet=$((t > total - 30))
    case $((t % 60)) in
        15) ((quiet)) || { sim_command "drop 0.05"; sim_command "corrupt 0.05"; } ;;
        45) sim_command "drop 0"; sim_command "corrupt 0" ;;
    esac
    ((t % 150 == 100 && !quiet)) && sim_command "hangup"
    ((t % 120 == 70 && !quiet)) && stop_broker
    ((t % 120 == 80)) && [ -z "$broker_pid" ] && start_broker
    ((t == 60)) && sample first
    ((t % 60 == 0)) && sample "t$t"
done
# Ends in the middle of a minute, well after its row went out.
while [ "$(date +%-S)" -lt 25 ] || [ "$(date +%-S)" -gt 40 ]; do sleep 1; done
[ -z "$broker_pid" ] && start_broker
sleep 5
sample last
kill -TERM "$recorder"
wait "$recorder" || { echo "soak: the recorder ended with status $?" >&2; exit 1; }
sleep 2

python3 - "$data" "$work" <<'EOF'
import datetime, glob, json, os, re, sys

data, work = sys.argv[1], sys.argv[2]
failures = []
log = open(os.path.join(work, "recorder.log"), encoding="utf-8", errors="replace").read().splitlines()

def when(line):
    return datetime.datetime.fromisoformat(line.split(" ", 1)[0]).replace(tzinfo=None)

# Whole files: every line ends with CR LF and has the fields of its header.
second_rows, minute_rows = set(), []
for path in sorted(glob.glob(os.path.join(data, "Record", "*"))):
    raw = open(path, "rb").read()
    name = os.path.basename(path)
    if raw and not raw.endswith(b"\r\n"):
        failures.append(f"{name} ends in the middle of a line")
    lines = raw.split(b"\r\n")[:-1]
    if any(b"\n" in line or b"\r" in line for line in lines):
        failures.append(f"{name} holds a bare line break")
    stamp = re.compile(rb"^\d{4}/\d\d/\d\d \d\d:\d\d(:\d\d)?,")
    rows = [line for line in lines if stamp.match(line)]
    widths = {line.count(b",") for line in rows}
    if len(widths) > 1:
        failures.append(f"{name} has rows of {sorted(widths)} fields")
    for row in rows:
        text = row.split(b",", 1)[0].decode()
        if name.endswith(".csv"):
            second_rows.add(datetime.datetime.strptime(text, "%Y/%m/%d %H:%M:%S"))
        else:
            minute_rows.append(datetime.datetime.strptime(text, "%Y/%m/%d %H:%M"))

# Seconds the port was away: from "port lost" to "port back" plus at most three fresh seconds;
# the start counts as a return.
away = []
lost = None
for line in log:
    if "qemra-monitor: port lost: " in line:
        lost = when(line)
    elif "qemra-monitor: port back: " in line or "qemra-monitor: connected: " in line:
        back = when(line)
        away.append((lost or back, back + datetime.timedelta(seconds=3)))
        lost = None
if lost is not None:
    failures.append("the port was lost and never came back")
start = min(second_rows) if second_rows else None
end = max(second_rows) if second_rows else None
missing = []
if start:
    t = start
    while t <= end:
        if t not in second_rows and not any(a <= t <= b for a, b in away):
            missing.append(t)
        t += datetime.timedelta(seconds=1)
if missing:
    failures.append(f"{len(missing)} seconds without a row: " + ", ".join(str(t.time()) for t in missing[:10]))
fresh_skipped = 0
for a, b in away:
    t = a
    while t <= b:
        fresh_skipped += t not in second_rows
        t += datetime.timedelta(seconds=1)

published = set()
for line in open(os.path.join(work, "minute.json"), encoding="utf-8"):
    try:
        published.add(json.loads(line)["time"][:16])
    except (ValueError, KeyError):
        failures.append(f"a minute message that is no JSON with a time: {line.strip()[:80]}")
unpublished = [m for m in minute_rows if m.strftime("%Y-%m-%dT%H:%M") not in published]
if unpublished:
    failures.append(f"{len(unpublished)} minute rows never reached the broker: " +
                    ", ".join(m.strftime("%H:%M") for m in unpublished))

samples = {}
for line in open(os.path.join(work, "samples")):
    name, rss, fds = line.split()
    samples[name] = (int(rss), int(fds))
first, last = samples["first"], samples["last"]
growth_kb = last[0] - first[0]
if growth_kb >= 2048:
    failures.append(f"resident memory grew by {growth_kb} kB after the first minute")
if last[1] > first[1]:
    failures.append(f"open file descriptors grew from {first[1]} to {last[1]}")

events = lambda word: sum(word in line for line in log)
print(f"soak: {len(second_rows)} second rows from {start} to {end}, {len(minute_rows)} minute rows, "
      f"{len(published)} minutes at the broker")
print(f"soak: port lost {events('port lost: ')} times, {fresh_skipped} seconds without a row while away or fresh; "
      f"{events('MQTT: ')} broker lines in the log")
print(f"soak: resident memory {first[0]} kB after the first minute, {last[0]} kB at the end "
      f"({growth_kb:+d} kB); open file descriptors {first[1]} -> {last[1]}")
print("soak: samples (kB, fds): " + ", ".join(f"{k} {v[0]}/{v[1]}" for k, v in samples.items()))
for failure in failures:
    print("soak: FAILED: " + failure)
sys.exit(1 if failures else 0)
EOF
