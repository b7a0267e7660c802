#!/bin/bash
# The cases of scripts/usb-e2e, run inside the guest (root, its own kernel, the
# host's file system under a memory overlay). Argument: the results folder shared
# with the host, which holds `settings` and the sample files. Writes one line per
# case to RESULTS/results ("PASS name" / "FAIL name: why"), then "END".
set -u
out=${1:?results folder}
source "$out/settings"
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8
results=$out/results
logs=$out/logs
files=$out/files
mkdir -p "$logs" /root
: >"$results"
cli=$native/vantrel-cli
gadget=$native/vantrel-gadget
# The guest's own /tmp and /run, clean of this machine's sockets and locks (its X
# displays, its wineserver). A folder the cases use that lies below them here (a
# checkout in /tmp) is bound back to its place from the root underneath.
mkdir -p /.host && mount --bind / /.host
mount -t tmpfs tmp /tmp
mount -t tmpfs run /run
for path in "$root" "$native" "$windows" "${prefix:-}"; do
    for top in /tmp /run; do
        [[ $path == "$top"/* ]] || continue
        below=${path#"$top"/}
        place=$top/${below%%/*}
        mountpoint -q "$place" && continue
        if [ -d "/.host$place" ]; then
            mkdir -p "$place" && mount --bind "/.host$place" "$place"
        fi
    done
done

say() { echo "guest: $*" >&2; }
# visible FILE...: whether the guest sees the files; else $why names the first it
# cannot see (a tree hidden from the guest would otherwise look like a tool's fault).
visible() {
    local file
    for file in "$@"; do
        [ -e "$file" ] && continue
        why="${why:+$why; }the guest cannot see $file"
        return 1
    done
}
# libudev's own test: udevd's control socket exists.
udevd_running() { [ -S /run/udev/control ]; }
now() { date +%s.%N; }
elapsed() { echo "$(now) $1" | awk '{ printf "%.1f", $1 - $2 }'; }

selected() {  # selected NAME: whether the case was asked for
    [ "$cases" = all ] && return 0
    local item
    for item in ${cases//,/ }; do
        [ "${1#"$item"}" != "$1" ] && return 0
    done
    return 1
}

# run_case NAME SECONDS FUNCTION: runs the case function (which sets $why on
# failure) and records the outcome.
run_case() {
    local name=$1 limit=$2 function=$3 started rc
    selected "$name" || return 0
    why=""
    started=$(now)
    say "case $name"
    case_deadline=$limit
    "$function"
    rc=$?
    stop_bridge
    if [ $rc -eq 0 ] && [ -z "$why" ]; then
        echo "PASS $name [$(elapsed "$started") s]" | tee -a "$results"
    else
        echo "FAIL $name: ${why:-exit $rc} [$(elapsed "$started") s]" | tee -a "$results"
    fi
}

# ---- The bridge ---------------------------------------------------------------------
# dummy_hcd runs two controllers: the first writer (the bridge) is on dummy_udc.0,
# a second one (the cases with two writers) on dummy_udc.1.
bridge_pid=""
second_pid=""

# await_writers COUNT PID LOG: waits until the host side has COUNT hidraw nodes of
# the writer (and udevd, when it runs, has handled them), while the gadget PID runs.
await_writers() {
    local count=$1 pid=$2 log=$3 tries=0
    until [ "$(grep -ls 'HID_ID=0003:00000416:00005020' /sys/class/hidraw/hidraw*/device/uevent |
               wc -l)" -ge "$count" ]; do
        tries=$((tries + 1))
        if [ $tries -gt 200 ] || ! kill -0 "$pid" 2>/dev/null; then
            why="no hidraw node for the gadget ($(tail -n 2 "$log" | tr '\n' ' '))"
            return 1
        fi
        sleep 0.1
    done
    udevd_running && udevadm settle -t 20
    return 0
}

# start_bridge NAME ARGS...: starts vantrel-gadget and waits for its writer.
start_bridge() {
    local name=$1
    shift
    bridge_log=$logs/$name.gadget.log
    visible "$gadget" || return 1
    "$gadget" --udc dummy_udc.0 --trace "$logs/$name.gadget.trace" "$@" >"$bridge_log" 2>&1 &
    bridge_pid=$!
    await_writers 1 "$bridge_pid" "$bridge_log"
}

# start_second NAME ARGS...: a second writer, next to the bridge's.
start_second() {
    local name=$1
    shift
    visible "$gadget" || return 1
    "$gadget" --name vantrel-b --udc dummy_udc.1 --trace "$logs/$name.gadget.trace" "$@" \
        >"$logs/$name.gadget.log" 2>&1 &
    second_pid=$!
    await_writers 2 "$second_pid" "$logs/$name.gadget.log"
}

# end_gadget PID NAME SIGNAL: ends a gadget and checks that it removed itself.
end_gadget() {
    local pid=$1 name=$2 signal=$3 tries=0
    kill "-$signal" "$pid" 2>/dev/null
    while kill -0 "$pid" 2>/dev/null && [ $tries -lt 100 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill -9 "$pid"
        why="${why:+$why; }the gadget $name did not end on SIG$signal"
    fi
    wait "$pid" 2>/dev/null
    if [ -e "/sys/kernel/config/usb_gadget/$name" ]; then
        why="${why:+$why; }the gadget $name was left behind"
        rmdir "/sys/kernel/config/usb_gadget/$name/configs/c.1/strings/0x409" 2>/dev/null
    fi
}

# Ends the bridge (and the second writer) with SIGTERM (or $1).
stop_bridge() {
    [ -n "$second_pid" ] && end_gadget "$second_pid" vantrel-b "${1:-TERM}"
    second_pid=""
    [ -n "$bridge_pid" ] && end_gadget "$bridge_pid" vantrel "${1:-TERM}"
    bridge_pid=""
    return 0
}

# run_tool NAME SECONDS COMMAND...: runs a tool with a time limit; its output goes
# to logs/NAME.out, its exit status to $tool_rc, its run time to $tool_seconds.
run_tool() {
    local name=$1 limit=$2 started arg
    shift 2
    tool_out=$logs/$name.out
    for arg in "$@"; do  # the program: the first argument from one of the builds
        [[ $arg == "$native"/* || $arg == "$windows"/* ]] || continue
        visible "$arg" || { tool_rc=127 tool_seconds=0; : >"$tool_out"; return 0; }
        break
    done
    started=$(now)
    echo "$name started at uptime $(cut -d' ' -f1 /proc/uptime)" >>"$logs/uptimes"
    timeout -k 5 "$limit" "$@" >"$logs/$name.out" 2>&1
    tool_rc=$?
    echo "$name ended at uptime $(cut -d' ' -f1 /proc/uptime)" >>"$logs/uptimes"
    tool_seconds=$(elapsed "$started")
    tool_out=$logs/$name.out
    [ $tool_rc -eq 124 ] && why="no end within $limit s (a hang)"
    return 0
}

expect_rc() {
    [ "$tool_rc" -eq "$1" ] && return 0
    why="${why:+$why; }exit $tool_rc, wanted $1 ($(tail -n 3 "$tool_out" | tr '\n' '|'))"
    return 1
}

expect_text() {
    grep -qF -- "$1" "$tool_out" && return 0
    why="${why:+$why; }no \"$1\" in the output"
    return 1
}

same_file() {  # same_file WHAT GOT WANTED
    cmp -s "$2" "$3" && return 0
    why="${why:+$why; }$1 differs from the simulated writer's (${2##*/} vs ${3##*/})"
    return 1
}

timing() { echo "$1 $2" >>"$out/timings"; }

# ---- Native cases (vantrel-cli over hidraw) ----------------------------------------------
native_status_application() {
    start_bridge native-status-app || return 1
    run_tool native-status-app 60 "$cli" status
    expect_rc 0 && expect_text "writer connect"
}

native_status_boot() {
    start_bridge native-status-boot --sim-boot || return 1
    run_tool native-status-boot 60 "$cli" status
    expect_rc 0 && expect_text "boot connect"
}

native_configure() {
    start_bridge native-configure || return 1
    run_tool native-configure 120 "$cli" --mode five configure "$files/demo.ctl" \
        --trace "$logs/native-configure.cli.trace"
    timing "native configure" "$tool_seconds"
    expect_rc 0 && expect_text "配置成功" || return 1
    stop_bridge
    same_file "the bridge's record" "$logs/native-configure.gadget.trace" \
        "$files/reference-configure.trace" &&
        same_file "the tool's trace" "$logs/native-configure.cli.trace" \
            "$files/reference-configure.trace"
}

native_upgrade() {
    start_bridge native-upgrade --sim-aprom-out "$logs/native-upgrade.aprom" || return 1
    run_tool native-upgrade 240 "$cli" upgrade "$files/demo.hex"
    timing "native upgrade" "$tool_seconds"
    expect_rc 0 && expect_text "writer connect" || return 1
    stop_bridge
    same_file "the APROM" "$logs/native-upgrade.aprom" "$files/reference-aprom.bin"
}

native_upgrade_unplugged() {
    start_bridge native-upgrade-unplugged --unplug-after 'ProgramApromPage#20' || return 1
    run_tool native-upgrade-unplugged 120 "$cli" upgrade "$files/demo.hex"
    expect_rc 1 || return 1
    # The page whose data the unplug cut off, or the checksum read after it when the
    # data had already been taken.
    grep -qF -e "APROM烧录失败!" -e "APROM读取CheckSum失败!" "$tool_out" ||
        why="neither \"APROM烧录失败!\" nor \"APROM读取CheckSum失败!\" in the output"
    ! grep -qF "系统复位完成!" "$tool_out" || why="${why:+$why; }the upgrade claims to have ended"
    [ -z "$why" ]
}

native_upgrade_without_udevd() {
    udevadm control --exit 2>/dev/null
    rm -f /run/udev/control
    start_bridge native-upgrade-no-udevd --sim-aprom-out "$logs/native-upgrade-no-udevd.aprom" ||
        return 1
    run_tool native-upgrade-no-udevd 240 "$cli" upgrade "$files/demo.hex"
    local rc=0
    expect_rc 0 && expect_text "writer connect" || rc=1
    stop_bridge
    [ $rc -eq 0 ] && same_file "the APROM" "$logs/native-upgrade-no-udevd.aprom" \
        "$files/reference-aprom.bin" || rc=1
    start_udevd
    return $rc
}

# Link timings (Open, one write, one read, both restarts) on the gadget and on the
# simulated writer, and the whole jobs on the simulated writer in real time, for
# the comparison with the cases' own times. measure_link LABEL COMMAND...
measure_link() {
    local label=$1 name
    shift
    name=timings-${label// /-}
    run_tool "$name" 300 "$@"
    expect_rc 0 || return 1
    tr -d '\r' <"$tool_out" | while read -r measure mean min max count; do
        timing "$label $measure (ms, mean of $count; min $min, max $max)" "$mean"
    done
}

native_timings() {
    start_bridge native-timings || return 1
    measure_link "hidraw" "$native/vantrel_link_timings" --count 30 &&
        measure_link "simulated" "$native/vantrel_link_timings" --simulate --count 30 || return 1
    run_tool native-sim-configure 120 "$cli" --simulate --mode five configure "$files/demo.ctl"
    timing "simulated configure" "$tool_seconds"
    run_tool native-sim-upgrade 120 "$cli" --simulate upgrade "$files/demo.hex"
    timing "simulated upgrade" "$tool_seconds"
    expect_rc 0
}

# ---- Two writers, one on each controller ------------------------------------------------
# The USB location (devpath, such as 2-1) of the device on dummy_hcd's controller N,
# read from sysfs: what `list` must report.
location_of() {
    local device
    for device in /sys/devices/platform/dummy_hcd."$1"/usb*/[0-9]*-[0-9]*; do
        case $device in *:*) continue ;; esac
        [ -e "$device" ] && basename "$device" && return 0
    done
    return 1
}

# two_writers NAME [ARGS of the first]: both attached; sets $location_a and $location_b.
two_writers() {
    local name=$1
    shift
    start_bridge "$name-a" "$@" && start_second "$name-b" || return 1
    location_a=$(location_of 0) && location_b=$(location_of 1) && return 0
    why="the writers' USB devices are not in sysfs"
    return 1
}

# json_value FILE EXPRESSION: prints the Python expression over `j` (the last JSON
# line of FILE; `sel` is $selector); json_holds FILE EXPRESSION [WHAT]: it is true.
json_value() {
    selector=${selector:-} python3 - "$1" "$2" <<'PYTHON' 2>/dev/null
import json, os, sys
lines = [line for line in open(sys.argv[1], encoding="utf-8") if line.startswith("{")]
j = json.loads(lines[-1])
sel = os.environ["selector"]
value = eval(sys.argv[2])
print(value)
sys.exit(0 if value is not None else 1)
PYTHON
}

json_holds() {
    [ "$(json_value "$1" "bool($2)")" = True ] && return 0
    why="${why:+$why; }${3:-$2}: not so in ${1##*/}"
    return 1
}

# in_background NAME SECONDS COMMAND...: run_tool in the background; `collect NAME`
# later sets $tool_rc and $tool_out from it.
in_background() {
    (
        run_tool "$@"
        echo "$tool_rc $tool_seconds" >"$logs/$1.rc"
    ) &
}

collect() {
    tool_out=$logs/$1.out
    local result
    result=$(cat "$logs/$1.rc" 2>/dev/null || echo 255 0)
    tool_rc=${result%% *}
    timing "$1" "${result#* }"
    [ "$tool_rc" -eq 124 ] && why="${why:+$why; }$1: a hang"
    return 0
}

# Whether the runs NAME-A and NAME-B were under way at the same time.
overlapped() {
    awk -v a="$1" -v b="$2" '
        $1 == a && $2 == "started" { sa = $5 }  $1 == a && $2 == "ended" { ea = $5 }
        $1 == b && $2 == "started" { sb = $5 }  $1 == b && $2 == "ended" { eb = $5 }
        END { exit !(sa < eb && sb < ea) }' "$logs/uptimes" && return 0
    why="${why:+$why; }$1 and $2 did not run at the same time"
    return 1
}

# used_writer NAME SELECTOR: the JSON result of NAME says success on the writer
# chosen: at that location, or where the backend tells none, at that path (after an
# upgrade it may have come back at another).
used_writer() {
    collect "$1"
    local selector=$2
    expect_rc 0 && json_holds "$tool_out" \
        "j['ok'] and (j['device']['location'] == sel if j['device']['location'] else
                      j['command'] == 'upgrade' or j['device']['path'].lower() == sel.lower())" \
        "success on the writer at $2"
}

native_two_list() {
    two_writers native-two-list || return 1
    run_tool native-two-list 60 "$cli" --json list
    expect_rc 0 && json_holds "$tool_out" \
        "sorted((w['mode'], w['location']) for w in j['writers']) == \
         sorted([('application', '$location_a'), ('application', '$location_b')])" \
        "both writers listed in their application at $location_a and $location_b" || return 1
    # Without --device the tool will not choose: exit 3 and the list.
    run_tool native-two-refused 60 "$cli" --mode five configure "$files/demo.ctl"
    expect_rc 3 && expect_text "$location_a" && expect_text "$location_b" || return 1
    stop_bridge
    # Neither writer received anything.
    [ ! -s "$logs/native-two-list-a.gadget.trace" ] && [ ! -s "$logs/native-two-list-b.gadget.trace" ] ||
        why="a writer received reports from list or from the refused configuration"
}

# at_once NAME ARGS-A... -- ARGS-B...: the tool (the command in the array $tool, by
# default the native vantrel-cli) with --device $location_a and ARGS-A, and with
# --device $location_b and ARGS-B, at the same time (runs NAME-a and NAME-b, with
# --json); both must succeed, each on its own writer, while the other runs.
at_once() {
    local name=$1 first=() a b
    shift
    while [ $# -gt 0 ] && [ "$1" != -- ]; do
        first+=("$1")
        shift
    done
    shift
    [ ${#tool[@]} -gt 0 ] || tool=("$cli")
    in_background "$name-a" 400 "${tool[@]}" --device "$location_a" --json "${first[@]}"
    a=$!
    in_background "$name-b" 400 "${tool[@]}" --device "$location_b" --json "$@"
    b=$!
    wait "$a" "$b"
    used_writer "$name-a" "$location_a" && used_writer "$name-b" "$location_b" &&
        overlapped "$name-a" "$name-b"
}
tool=()

# Two configurations at the same time, one per writer: each writer's record is that
# of one whole configuration.
native_two_configure() {
    two_writers native-two-configure || return 1
    at_once native-two-configure --mode five configure "$files/demo.ctl" -- \
        --mode five configure "$files/demo.ctl" || return 1
    stop_bridge
    same_file "writer a's record" "$logs/native-two-configure-a.gadget.trace" \
        "$files/reference-configure.trace" &&
        same_file "writer b's record" "$logs/native-two-configure-b.gadget.trace" \
            "$files/reference-configure.trace"
}

# An upgrade of one writer (which leaves the bus twice) while the other is configured.
native_two_upgrade() {
    two_writers native-two-upgrade --sim-aprom-out "$logs/native-two-upgrade.aprom" || return 1
    at_once native-two-upgrade upgrade "$files/demo.hex" -- \
        --mode five configure "$files/demo.ctl" || return 1
    json_holds "$logs/native-two-upgrade-a.out" \
        "any(t['text'] == '系统复位完成!' for t in j['texts'])" "the upgrade reached 系统复位完成!" ||
        return 1
    stop_bridge
    same_file "the APROM" "$logs/native-two-upgrade.aprom" "$files/reference-aprom.bin" &&
        same_file "writer b's record" "$logs/native-two-upgrade-b.gadget.trace" \
            "$files/reference-configure.trace"
}

# ---- The station (--all): both writers at once, one log line each ------------------------
# station_logged LOG EXPECTED: the log's (location, ok) pairs are EXPECTED (a Python
# list), and every line is one whole JSON object.
station_logged() {
    python3 - "$1" "$2" <<'PYTHON' 2>/dev/null && return 0
import json, sys
lines = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8")]
got = sorted((l["location"], l["ok"]) for l in lines)
sys.exit(0 if got == sorted(eval(sys.argv[2])) else 1)
PYTHON
    why="${why:+$why; }the log ${1##*/} holds $(tr '\n' '|' <"$1" | cut -c1-300), wanted $2"
    return 1
}

# A station configures both writers at once; each writer's record is that of one whole
# configuration.
native_station_configure() {
    local log=$logs/native-station-configure.jsonl
    two_writers native-station-configure || return 1
    run_tool native-station-configure 150 "$cli" --all --mode five --log "$log" \
        configure "$files/demo.ctl"
    expect_rc 0 && station_logged "$log" "[('$location_a', True), ('$location_b', True)]" || return 1
    stop_bridge
    same_file "writer a's record" "$logs/native-station-configure-a.gadget.trace" \
        "$files/reference-configure.trace" &&
        same_file "writer b's record" "$logs/native-station-configure-b.gadget.trace" \
            "$files/reference-configure.trace"
}

# --watch: the writer present is configured, then the one plugged in later; --count ends it.
native_station_watch() {
    local log=$logs/native-station-watch.jsonl tries=0
    start_bridge native-station-watch-a || return 1
    in_background native-station-watch 200 "$cli" --all --watch --count 2 --mode five \
        --log "$log" configure "$files/demo.ctl"
    local station=$!
    until [ -s "$log" ] || [ $tries -ge 900 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    [ -s "$log" ] || why="the first writer's job did not end"
    [ -z "$why" ] && start_second native-station-watch-b
    wait "$station"
    collect native-station-watch
    location_a=$(location_of 0) && location_b=$(location_of 1) ||
        { why="${why:+$why; }the writers' USB devices are not in sysfs"; return 1; }
    expect_rc 0 && station_logged "$log" "[('$location_a', True), ('$location_b', True)]" || return 1
    stop_bridge
    same_file "writer b's record" "$logs/native-station-watch-b.gadget.trace" \
        "$files/reference-configure.trace"
}

# An upgrade of two, one of which is unplugged mid-programming: the other succeeds, the
# log has both lines, the exit is 1.
native_station_unplug() {
    local log=$logs/native-station-unplug.jsonl
    two_writers native-station-unplug --sim-aprom-out "$logs/native-station-unplug.aprom" || return 1
    # The second writer again, this time with the unplug.
    end_gadget "$second_pid" vantrel-b TERM
    second_pid=""
    start_second native-station-unplug-b --unplug-after 'ProgramApromPage#20' || return 1
    location_b=$(location_of 1) || { why="the second writer is not in sysfs"; return 1; }
    run_tool native-station-unplug 300 "$cli" --all --log "$log" upgrade "$files/demo.hex"
    expect_rc 1 && station_logged "$log" "[('$location_a', True), ('$location_b', False)]" ||
        return 1
    stop_bridge
    same_file "the APROM" "$logs/native-station-unplug.aprom" "$files/reference-aprom.bin"
}

start_udevd() {
    udevd_running && return 0
    /usr/lib/systemd/systemd-udevd --daemon 2>>"$logs/udevd.log"
    udevadm trigger --action=add >/dev/null 2>&1
    udevadm settle -t 30
}

# ---- Wine cases (vantrel-cli.exe and Vantrel.exe over Wine's HID stack) --------------
# One writer for the whole Wine phase, attached before Wine starts, and one Wine
# process kept alive throughout, so that Wine's server and its device services
# start once (under emulation that alone takes a minute).
wine_keeper=""
xvfb_pid=""
wine_bridge_pid=""
wine_exe() {  # wine_exe NAME SECONDS EXE ARGS...: a Windows program in the work folder
    local name=$1 limit=$2
    shift 2
    # Below Wine's own services, so that under emulation the tool's polling of the
    # device list does not hold up Wine's handling of the device arriving.
    run_tool "$name" "$limit" nice -n 10 wine "$@"
    tr -d '\r' <"$tool_out" >"$tool_out.txt" && mv "$tool_out.txt" "$tool_out"
}

wine_start() {
    # The prefix made on the host; the guest's memory layer takes Wine's writes.
    export WINEPREFIX=$prefix WINEDEBUG=-all DISPLAY=:7
    # The writer, attached before Wine starts (Wine's HID bus finds it at once).
    start_bridge wine --sim-aprom-out "$logs/wine.aprom" || return 1
    wine_bridge_pid=$bridge_pid
    bridge_pid=""
    udevadm monitor --kernel --udev --subsystem-match=hidraw >"$logs/udev-monitor.log" 2>&1 &
    Xvfb :7 -screen 0 1280x1024x24 -nolisten tcp >"$logs/xvfb.log" 2>&1 &
    xvfb_pid=$!
    local tries=0
    until [ -S /tmp/.X11-unix/X7 ]; do
        tries=$((tries + 1))
        [ $tries -gt 300 ] && { why="Xvfb did not start"; return 1; }
        sleep 0.1
    done
    # `pause` waits on its input, which stays open as long as `sleep` runs.
    (sleep 100000 | wine cmd /c pause >/dev/null 2>&1) &
    wine_keeper=$!
    run_tool wine-start 400 wine cmd /c exit
    expect_rc 0 || return 1
    # Like a PC that has met the writer before: Wine installs each new device the
    # first time it appears, which under emulation takes longer than the upgrade's
    # 10 s wait for the boot loader. One restart cycle (natively) before the cases.
    local started
    started=$(now)
    timeout 120 "$native/vantrel_link_timings" --count 1 >"$logs/wine-warm-up.out" 2>&1 ||
        { why="the warm-up restart cycle failed"; return 1; }
    timing "Wine warm-up" "$(elapsed "$started")"
}

wine_stop() {
    wine reg query 'HKLM\System\CurrentControlSet\Enum\HID' /s >"$logs/wine-hid-devices.txt" 2>&1
    [ -n "$wine_keeper" ] && pkill -P "$wine_keeper" sleep 2>/dev/null
    timeout 60 wineserver -k 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    bridge_pid=$wine_bridge_pid
    wine_bridge_pid=""
    stop_bridge
}

# Waits until vantrel-cli.exe finds the writer in its application (Wine lists a
# device a while after udev has announced it); a writer left in its boot loader by
# an earlier case is replaced by a fresh one first.
wine_writer_ready() {
    local name=$1 tries=0
    if [ "$(cat /sys/kernel/config/usb_gadget/vantrel/bcdDevice 2>/dev/null)" != 0x0100 ]; then
        bridge_pid=$wine_bridge_pid
        stop_bridge
        start_bridge wine --sim-aprom-out "$logs/wine.aprom" || return 1
        wine_bridge_pid=$bridge_pid
        bridge_pid=""
    fi
    while :; do
        wine_exe "$name" 120 "$windows/vantrel-cli.exe" status
        { grep -qF "writer connect" "$tool_out" || [ $tries -ge 8 ]; } && break
        tries=$((tries + 1))
        sleep 3
    done
    expect_rc 0 && expect_text "writer connect"
}

wine_status() { wine_writer_ready wine-status; }

# The Windows side of `list`: the writer, its interface path and the location SetupAPI
# gives (Wine's HID bus may give none).
wine_list() {
    wine_exe wine-list 120 "$windows/vantrel-cli.exe" --json list
    expect_rc 0 && json_holds "$tool_out" \
        "[w['mode'] for w in j['writers']] == ['application']" "one writer in its application"
}

wine_timings() {
    measure_link "Wine" wine "$windows/vantrel_link_timings.exe" --count 20 &&
        measure_link "Wine simulated" wine "$windows/vantrel_link_timings.exe" --simulate --count 20 ||
        return 1
    wine_exe wine-sim-configure 200 "$windows/vantrel-cli.exe" --simulate --mode five configure \
        "$(winepath -w "$files/demo.ctl")"
    timing "Wine simulated configure" "$tool_seconds"
    wine_exe wine-sim-upgrade 300 "$windows/vantrel-cli.exe" --simulate upgrade \
        "$(winepath -w "$files/demo.hex")"
    timing "Wine simulated upgrade" "$tool_seconds"
    expect_rc 0
}

wine_configure() {
    local from
    from=$(wc -l <"$logs/wine.gadget.trace")
    wine_exe wine-configure 300 "$windows/vantrel-cli.exe" --mode five configure \
        "$(winepath -w "$files/demo.ctl")"
    timing "Wine configure" "$tool_seconds"
    expect_rc 0 && expect_text "配置成功" || return 1
    tail -n "+$((from + 1))" "$logs/wine.gadget.trace" >"$logs/wine-configure.gadget.trace"
    same_file "the bridge's record" "$logs/wine-configure.gadget.trace" \
        "$files/reference-configure.trace"
}

wine_upgrade() {
    rm -f "$logs/wine.aprom"
    # Chosen by its interface path, the one the list gave: Wine tells no location.
    local path
    path=$(python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["writers"][0]["path"])' \
        "$logs/wine-list.out" 2>/dev/null)
    wine_exe wine-upgrade 600 "$windows/vantrel-cli.exe" ${path:+--device "$path"} upgrade \
        "$(winepath -w "$files/demo.hex")"
    timing "Wine upgrade" "$tool_seconds"
    expect_rc 0 && expect_text "系统复位完成!" || return 1
    same_file "the APROM" "$logs/wine.aprom" "$files/reference-aprom.bin"
}

wine_gui() {
    local work=/root/gui-work shots=$out/screenshots
    mkdir -p "$work" "$shots"
    wine_writer_ready wine-gui-status || return 1
    rm -f "$logs/wine.aprom"
    wine_exe wine-gui 900 "$windows/vantrel_gui_driver.exe" --real-writer \
        "$(winepath -w "$windows")" "$(winepath -w "$work")" "$(winepath -w "$shots")"
    timing "Wine dialog (configuration and upgrade)" "$tool_seconds"
    expect_rc 0 || return 1
    local shot
    for shot in main-after-configuration real-writer-after-upgrade; do
        [ -f "$shots/$shot.bmp" ] || { why="screenshot $shot is missing"; return 1; }
    done
    # The driver's own firmware file, upgraded on the simulated writer for comparison.
    "$cli" --simulate --sim-clock virtual upgrade "$work/样本 文件/固件 1.2.hex" \
        --sim-aprom-out "$logs/wine-gui.reference-aprom.bin" >/dev/null ||
        { why="the simulated upgrade of the driver's firmware failed"; return 1; }
    same_file "the APROM" "$logs/wine.aprom" "$logs/wine-gui.reference-aprom.bin"
}

# Two writers under Wine, chosen by their paths (Wine's HID bus tells no location):
# listed, configured at the same time, and the bridge's upgraded while the other is
# configured. The last Wine case: with two attached, a run without --device refuses.
wine_two() {
    wine_writer_ready wine-two-alone || return 1
    wine_exe wine-two-list-alone 120 "$windows/vantrel-cli.exe" --json list
    expect_rc 0 || return 1
    location_a=$(json_value "$tool_out" "j['writers'][0]['path']") ||
        { why="no writer in the list"; return 1; }
    start_second wine-two-b || return 1
    # Wine lists a new device a while after udev has announced it.
    local tries=0
    until wine_exe wine-two-list 120 "$windows/vantrel-cli.exe" --json list &&
          [ "$(json_value "$tool_out" "len(j['writers'])")" = 2 ]; do
        tries=$((tries + 1))
        [ $tries -ge 20 ] && { why="Wine did not list the second writer"; return 1; }
        sleep 3
    done
    json_holds "$tool_out" "[w['mode'] for w in j['writers']] == ['application'] * 2" \
        "both writers listed in their application" || return 1
    location_b=$(selector=$location_a json_value "$tool_out" \
        "[w['path'] for w in j['writers'] if w['path'].lower() != sel.lower()][0]") ||
        { why="the first writer's path is not in the list of two"; return 1; }

    local ctl hex from_a from_b rc=0
    ctl=$(winepath -w "$files/demo.ctl")
    hex=$(winepath -w "$files/demo.hex")
    tool=(nice -n 10 wine "$windows/vantrel-cli.exe")
    from_a=$(wc -l <"$logs/wine.gadget.trace")
    if at_once wine-two-configure --mode five configure "$ctl" -- --mode five configure "$ctl"; then
        tail -n "+$((from_a + 1))" "$logs/wine.gadget.trace" >"$logs/wine-two-configure-a.gadget.trace"
        same_file "writer a's record" "$logs/wine-two-configure-a.gadget.trace" \
            "$files/reference-configure.trace" &&
            same_file "writer b's record" "$logs/wine-two-b.gadget.trace" \
                "$files/reference-configure.trace" || rc=1
        from_b=$(wc -l <"$logs/wine-two-b.gadget.trace")
        rm -f "$logs/wine.aprom"
        if [ $rc -eq 0 ] && at_once wine-two-upgrade upgrade "$hex" -- --mode five configure "$ctl"; then
            tail -n "+$((from_b + 1))" "$logs/wine-two-b.gadget.trace" \
                >"$logs/wine-two-upgrade-b.gadget.trace"
            same_file "the APROM" "$logs/wine.aprom" "$files/reference-aprom.bin" &&
                same_file "writer b's record" "$logs/wine-two-upgrade-b.gadget.trace" \
                    "$files/reference-configure.trace" || rc=1
        else
            rc=1
        fi
    else
        rc=1
    fi
    tool=()
    # A station of the two, each followed by its path.
    if [ $rc -eq 0 ]; then
        local log=$logs/wine-two-station.jsonl
        wine_exe wine-two-station 400 "$windows/vantrel-cli.exe" --all --mode five \
            --log "$(winepath -w "$log")" configure "$ctl"
        expect_rc 0 && station_logged "$log" "[(None, True), (None, True)]" || rc=1
    fi
    return $rc
}

# ---- One writer, one job: the claim, interruptions, a writer left mid-transfer -------
# The trace lines the cases wait for: a page's program command to the boot loader,
# and the command record of DownData (its reply comes 2 s later, so a signal sent
# 0.5 s after it finds the writer waiting for the data reports).
program_line='^OUT boot 050301000100'
downdata_line='^OUT app 0[23]0308000000'

# start_job NAME COMMAND...: the tool in the background (not under `timeout`, so that a
# signal sent to $job_pid reaches the tool itself); its output goes to logs/NAME.out.
start_job() {
    local name=$1
    shift
    echo "$name started at uptime $(cut -d' ' -f1 /proc/uptime)" >>"$logs/uptimes"
    "$@" >"$logs/$name.out" 2>&1 &
    job_pid=$!
    eval "job_start_${name//-/_}=\$(now)"
}

# end_job NAME PID SECONDS: waits for the job (killed after SECONDS: a hang) and sets
# $tool_rc, $tool_out and $tool_seconds as run_tool does.
end_job() {
    local name=$1 pid=$2 until=$((SECONDS + $3)) began
    while kill -0 "$pid" 2>/dev/null && [ $SECONDS -lt $until ]; do sleep 0.2; done
    if kill -0 "$pid" 2>/dev/null; then
        kill -9 "$pid" 2>/dev/null
        why="${why:+$why; }$name: no end within $3 s (a hang)"
    fi
    wait "$pid"
    tool_rc=$?
    echo "$name ended at uptime $(cut -d' ' -f1 /proc/uptime)" >>"$logs/uptimes"
    eval "began=\$job_start_${name//-/_}"
    tool_seconds=$(elapsed "$began")
    tool_out=$logs/$name.out
}

# await_trace FILE PATTERN COUNT PID SECONDS: waits until FILE holds COUNT lines that
# match PATTERN while the job PID runs.
await_trace() {
    local until=$((SECONDS + $5))
    until [ "$(grep -c -- "$2" "$1" 2>/dev/null)" -ge "$3" ]; do
        if ! kill -0 "$4" 2>/dev/null || [ $SECONDS -ge $until ]; then
            why="${why:+$why; }no $3 lines '$2' in ${1##*/} while the tool ran"
            return 1
        fi
        sleep 0.05
    done
}

# The last configuration in the bridge's record (as many lines as the reference has)
# equals the reference: the run after an interrupted one configured the writer whole.
last_configuration_whole() {
    tail -n "$(wc -l <"$files/reference-configure.trace")" "$1" >"$1.last"
    same_file "the bridge's last configuration" "$1.last" "$files/reference-configure.trace"
}

# Two configurations of one writer started 0.3 s apart: one is refused before it
# sends anything, and the writer receives one whole configuration.
native_busy_configure() {
    start_bridge native-busy-configure || return 1
    busy_pair native-busy-configure "$cli" "$files/demo.ctl" || return 1
    stop_bridge
    same_file "the bridge's record" "$logs/native-busy-configure.gadget.trace" \
        "$files/reference-configure.trace"
}

# busy_pair NAME TOOL... CTL: two configurations with TOOL (runs NAME-a and NAME-b,
# the second 0.3 s after the first): exactly one succeeds; the other exits 3 saying
# the writer is busy, with an empty trace (the trace files named as TOOL sees them:
# $trace_name maps a file of this machine to that name).
busy_pair() {
    local name=$1 ctl=${*: -1} tool_words=("${@:2:$#-2}") pid_a pid_b rc_a rc_b winner loser
    local trace_a trace_b
    rm -f "$logs/$name"-[ab].cli.trace
    # Both names first: under emulation winepath alone takes longer than a configuration.
    trace_a=$(${trace_name:-echo} "$logs/$name-a.cli.trace")
    trace_b=$(${trace_name:-echo} "$logs/$name-b.cli.trace")
    start_job "$name-a" "${tool_words[@]}" --mode five configure "$ctl" --trace "$trace_a"
    pid_a=$job_pid
    sleep 0.3
    start_job "$name-b" "${tool_words[@]}" --mode five configure "$ctl" --trace "$trace_b"
    pid_b=$job_pid
    end_job "$name-a" "$pid_a" 400
    rc_a=$tool_rc
    timing "$name-a" "$tool_seconds"
    end_job "$name-b" "$pid_b" 400
    rc_b=$tool_rc
    timing "$name-b" "$tool_seconds"
    if [ "$rc_a" -eq 0 ]; then winner=a loser=b; else winner=b loser=a; fi
    tool_out=$logs/$name-$winner.out
    tool_rc=$([ $winner = a ] && echo "$rc_a" || echo "$rc_b")
    expect_rc 0 && expect_text "配置成功" || return 1
    tool_out=$logs/$name-$loser.out
    tool_rc=$([ $loser = a ] && echo "$rc_a" || echo "$rc_b")
    expect_rc 3 && expect_text "is busy: vantrel-cli" || return 1
    [ ! -s "$logs/$name-$loser.cli.trace" ] && return 0
    why="the refused run sent or received reports ($(wc -l <"$logs/$name-$loser.cli.trace") lines)"
    return 1
}

# `status` and `list` while an upgrade programs the writer: both say busy and send
# nothing; the upgrade passes and the APROM equals the image.
native_busy_status() {
    start_bridge native-busy-status --sim-aprom-out "$logs/native-busy-status.aprom" || return 1
    local pid rc=0
    start_job native-busy-status-upgrade "$cli" upgrade "$files/demo.hex" \
        --trace "$logs/native-busy-status-upgrade.cli.trace"
    pid=$job_pid
    if await_trace "$logs/native-busy-status-upgrade.cli.trace" "$program_line" 5 "$pid" 120; then
        run_tool native-busy-status-status 60 "$cli" status \
            --trace "$logs/native-busy-status-status.cli.trace"
        expect_rc 3 && expect_text "is busy: vantrel-cli" && expect_text "upgrade since" || rc=1
        [ -s "$logs/native-busy-status-status.cli.trace" ] &&
            { why="${why:+$why; }status sent or received reports"; rc=1; }
        run_tool native-busy-status-list 60 "$cli" --json list
        expect_rc 0 && json_holds "$tool_out" \
            "[(w['mode'], 'upgrade' in str(w.get('held_by'))) for w in j['writers']] == \
             [('busy', True)]" "one writer, busy with an upgrade" || rc=1
        # Both were refused while the upgrade was still programming.
        [ "$(grep -c -- "$program_line" "$logs/native-busy-status-upgrade.cli.trace")" -lt 136 ] ||
            { why="${why:+$why; }the upgrade had programmed every page before status and list ran"; rc=1; }
    else
        rc=1
    fi
    end_job native-busy-status-upgrade "$pid" 240
    timing "native upgrade beside status and list" "$tool_seconds"
    expect_rc 0 && expect_text "writer connect" || return 1
    [ $rc -eq 0 ] || return 1
    stop_bridge
    same_file "the APROM" "$logs/native-busy-status.aprom" "$files/reference-aprom.bin"
}

# An upgrade stopped with SIGINT while it programs, then `upgrade` again without
# unplugging: passes, and the APROM equals the image.
native_sigint_upgrade() {
    start_bridge native-sigint-upgrade --sim-aprom-out "$logs/native-sigint-upgrade.aprom" ||
        return 1
    local pid trace=$logs/native-sigint-upgrade-1.cli.trace
    start_job native-sigint-upgrade-1 "$cli" upgrade "$files/demo.hex" --trace "$trace"
    pid=$job_pid
    await_trace "$trace" "$program_line" 30 "$pid" 120 && kill -INT "$pid"
    end_job native-sigint-upgrade-1 "$pid" 60
    expect_rc 130 && expect_text "interrupted: finishing the transfer in progress first" ||
        return 1
    timing "native upgrade stopped by SIGINT (s to its end)" "$tool_seconds"
    run_tool native-sigint-upgrade-2 240 "$cli" upgrade "$files/demo.hex"
    timing "native upgrade after one stopped by SIGINT" "$tool_seconds"
    expect_rc 0 && expect_text "writer connect" || return 1
    stop_bridge
    same_file "the APROM" "$logs/native-sigint-upgrade.aprom" "$files/reference-aprom.bin"
}

# Data reports sent after the last program command in a trace ("none" when an
# answer came after it: the page was complete).
data_after_program() {
    awk -v program="${program_line#^}" '
        index($0, program) == 1 { n = 0; open = 1; next }
        /^IN / { open = 0 }
        /^OUT / { n++ }
        END { print open ? n : "none" }' "$1"
}

# An upgrade killed (SIGKILL) in the middle of a page, then `upgrade` again without
# unplugging: the next run completes the page with filler reports, then passes. The
# tool is stopped (SIGSTOP) at a program command and killed when fewer of the page's
# data reports than one short of all have gone (the one being written may arrive);
# otherwise it goes on to the next page.
native_sigkill_upgrade() {
    start_bridge native-sigkill-upgrade --sim-aprom-out "$logs/native-sigkill-upgrade.aprom" ||
        return 1
    local pid trace=$logs/native-sigkill-upgrade-1.cli.trace page=20 sent killed=0
    start_job native-sigkill-upgrade-1 "$cli" upgrade "$files/demo.hex" --trace "$trace"
    pid=$job_pid
    while [ $page -lt 130 ] && await_trace "$trace" "$program_line" "$page" "$pid" 120; do
        kill -STOP "$pid"
        sent=$(data_after_program "$trace")
        if [ "$sent" != none ] && [ "$sent" -le 6 ]; then
            kill -KILL "$pid"
            killed=1
            echo "killed after $sent data reports of page $(grep -c -- "$program_line" "$trace")" \
                >"$logs/native-sigkill-upgrade.where"
            break
        fi
        kill -CONT "$pid"
        page=$((page + 1))
    done
    end_job native-sigkill-upgrade-1 "$pid" 240
    [ $killed -eq 1 ] || { why="${why:+$why; }never stopped the upgrade in the middle of a page"; return 1; }
    run_tool native-sigkill-upgrade-2 240 "$cli" upgrade "$files/demo.hex"
    timing "native upgrade after one killed mid-page" "$tool_seconds"
    expect_rc 0 && expect_text "was left in the middle of a transfer by a run that ended" &&
        expect_text "writer connect" || return 1
    stop_bridge
    same_file "the APROM" "$logs/native-sigkill-upgrade.aprom" "$files/reference-aprom.bin"
}

# expect_stopped SIGNAL: the last run ended as SIGNAL ends one (KILL: at once; any
# other: at the transaction boundary, exit 130).
expect_stopped() {
    if [ "$1" = KILL ]; then
        expect_rc 137
    else
        expect_rc 130 && expect_text "interrupted: finishing the transfer in progress first"
    fi
}

# expect_configured_again SIGNAL: the configuration after one stopped by SIGNAL passed,
# and after a kill it first completed the transfer left pending.
expect_configured_again() {
    expect_rc 0 && expect_text "配置成功" || return 1
    [ "$1" != KILL ] || expect_text "was left in the middle of a transfer by a run that ended"
}

# interrupted_configure NAME SIGNAL: a configuration hit with SIGNAL while DownData
# waits for its data reports, then configured again: passes, and the bridge's last
# configuration is a whole one.
interrupted_configure() {
    local name=$1 signal=$2 pid trace=$logs/$1-1.cli.trace
    start_bridge "$name" || return 1
    start_job "$name-1" "$cli" --mode five configure "$files/demo.ctl" --trace "$trace"
    pid=$job_pid
    await_trace "$trace" "$downdata_line" 1 "$pid" 120 && sleep 0.5 && kill "-$signal" "$pid"
    end_job "$name-1" "$pid" 60
    expect_stopped "$signal" || return 1
    run_tool "$name-2" 120 "$cli" --mode five configure "$files/demo.ctl"
    timing "native configure after one stopped by SIG$signal" "$tool_seconds"
    expect_configured_again "$signal" || return 1
    stop_bridge
    last_configuration_whole "$logs/$name.gadget.trace"
}

native_sigint_configure() { interrupted_configure native-sigint-configure INT; }
native_sigkill_configure() { interrupted_configure native-sigkill-configure KILL; }

# Under Wine: two configurations of the Wine phase's writer 0.3 s apart with
# vantrel-cli.exe (the claim is a named mutex keyed by the interface path there).
wine_busy_configure() {
    wine_writer_ready wine-busy-configure-status || return 1
    local from rc=0
    from=$(wc -l <"$logs/wine.gadget.trace")
    trace_name="winepath -w" busy_pair wine-busy-configure nice -n 10 wine \
        "$windows/vantrel-cli.exe" "$(winepath -w "$files/demo.ctl")" || rc=1
    [ $rc -eq 0 ] || return 1
    tail -n "+$((from + 1))" "$logs/wine.gadget.trace" >"$logs/wine-busy-configure.gadget.trace"
    same_file "the bridge's record" "$logs/wine-busy-configure.gadget.trace" \
        "$files/reference-configure.trace"
}

# wine_interrupted_configure NAME SIGNAL: under Wine, vantrel-cli.exe's configuration
# hit with SIGNAL while DownData waits for its data reports (seen in the bridge's
# record), then configured again: passes, and the last configuration is whole.
wine_interrupted_configure() {
    local name=$1 signal=$2 pid from downdata ctl
    wine_writer_ready "$name-status" || return 1
    ctl=$(winepath -w "$files/demo.ctl")
    from=$(wc -l <"$logs/wine.gadget.trace")
    downdata=$(grep -c -- "$downdata_line" "$logs/wine.gadget.trace")
    start_job "$name-1" nice -n 10 wine "$windows/vantrel-cli.exe" --mode five configure "$ctl"
    pid=$job_pid
    await_trace "$logs/wine.gadget.trace" "$downdata_line" $((downdata + 1)) "$pid" 300 &&
        sleep 0.5 && kill "-$signal" "$pid"
    end_job "$name-1" "$pid" 120
    expect_stopped "$signal" || return 1
    wine_exe "$name-2" 300 "$windows/vantrel-cli.exe" --mode five configure "$ctl"
    timing "Wine configure after one stopped by SIG$signal" "$tool_seconds"
    expect_configured_again "$signal" || return 1
    tail -n "+$((from + 1))" "$logs/wine.gadget.trace" >"$logs/$name.gadget.trace"
    last_configuration_whole "$logs/$name.gadget.trace"
}

wine_sigint_configure() { wine_interrupted_configure wine-sigint-configure INT; }
wine_sigkill_configure() { wine_interrupted_configure wine-sigkill-configure KILL; }

# The dialog's configuration and upgrade (wine-gui) with vantrel-cli.exe beside it:
# while the dialog programs the writer's boot loader, `status` is refused as busy and
# sends nothing, and the dialog's jobs still pass.
wine_gui_beside_cli() {
    local from gui rc=0 trace
    from=$(wc -l <"$logs/wine.gadget.trace" 2>/dev/null || echo 0)
    trace=$(winepath -w "$logs/wine-gui-busy-status.cli.trace")
    (
        wine_gui
        echo "$?|$why" >"$logs/wine-gui.result"
    ) &
    gui=$!
    local until=$((SECONDS + 900))
    until [ "$(tail -n "+$((from + 1))" "$logs/wine.gadget.trace" | grep -c -- "$program_line")" -ge 5 ]; do
        if ! kill -0 "$gui" 2>/dev/null || [ $SECONDS -ge $until ]; then
            why="the dialog's upgrade did not program a page"
            rc=1
            break
        fi
        sleep 0.5
    done
    if [ $rc -eq 0 ]; then
        wine_exe wine-gui-busy-status 120 "$windows/vantrel-cli.exe" status --trace "$trace"
        expect_rc 3 && expect_text "is busy:" || rc=1
        [ -s "$logs/wine-gui-busy-status.cli.trace" ] &&
            { why="${why:+$why; }status beside the dialog sent or received reports"; rc=1; }
    fi
    wait "$gui"
    local result
    result=$(cat "$logs/wine-gui.result" 2>/dev/null || echo "1|the dialog's run left no result")
    [ "${result%%|*}" = 0 ] && [ -z "${result#*|}" ] ||
        { why="${why:+$why; }the dialog: ${result#*|}"; rc=1; }
    return $rc
}

# ---- The guest's USB stack ----------------------------------------------------------
started=$(now)
start_udevd
modprobe -a configfs libcomposite usb_f_hid usbhid hid_generic && modprobe dummy_hcd num=2 ||
    { echo "FAIL setup: cannot load the USB modules" >>"$results"; echo END >>"$results"; exit 1; }
mountpoint -q /sys/kernel/config || mount -t configfs none /sys/kernel/config
say "udevd and USB modules ready after $(elapsed "$started") s"

run_case native-status-app 60 native_status_application
run_case native-status-boot 60 native_status_boot
run_case native-configure 150 native_configure
run_case native-upgrade 250 native_upgrade
run_case native-upgrade-unplugged 150 native_upgrade_unplugged
run_case native-upgrade-no-udevd 250 native_upgrade_without_udevd
run_case native-timings 200 native_timings
run_case native-two-list 90 native_two_list
run_case native-two-configure 150 native_two_configure
run_case native-two-upgrade 250 native_two_upgrade
run_case native-station-configure 150 native_station_configure
run_case native-station-watch 200 native_station_watch
run_case native-station-unplug 300 native_station_unplug
run_case native-busy-configure 150 native_busy_configure
run_case native-busy-status 250 native_busy_status
run_case native-sigint-upgrade 400 native_sigint_upgrade
run_case native-sigkill-upgrade 400 native_sigkill_upgrade
run_case native-sigint-configure 150 native_sigint_configure
run_case native-sigkill-configure 150 native_sigkill_configure

wine_wanted=0
for name in wine-status wine-list wine-timings wine-configure wine-busy-configure \
            wine-sigint-configure wine-sigkill-configure wine-upgrade wine-gui wine-two; do
    selected "$name" && wine_wanted=1
done
if [ "$wine" = 1 ] && [ $wine_wanted -eq 1 ]; then
    why=""
    say "starting Wine"
    if wine_start; then
        say "Wine ready after $tool_seconds s"
        timing "Wine start" "$tool_seconds"
        run_case wine-status 200 wine_status
        run_case wine-list 150 wine_list
        run_case wine-timings 400 wine_timings
        run_case wine-configure 300 wine_configure
        run_case wine-busy-configure 600 wine_busy_configure
        run_case wine-sigint-configure 600 wine_sigint_configure
        run_case wine-sigkill-configure 600 wine_sigkill_configure
        run_case wine-upgrade 600 wine_upgrade
        run_case wine-gui 900 wine_gui
        run_case wine-two 900 wine_two
    else
        echo "FAIL wine-start: $why" | tee -a "$results"
    fi
    wine_stop
fi

echo END >>"$results"
