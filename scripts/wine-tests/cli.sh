#!/usr/bin/env bash
# vantrel-cli.exe under Wine: finds the simulated writer, reports that no real
# writer is attached (exit 1), and runs a configuration and a firmware upgrade
# against the simulated writer in virtual time.
#
# Usage: scripts/wine-tests/cli.sh BUILD_DIR
#   BUILD_DIR  the Windows build folder (cmake --preset windows)
# WINEPREFIX must name a prefix prepared with `wineboot -i`. Exits non-zero on any
# failure.
set -u
build=$(cd "${1:?usage: cli.sh BUILD_DIR}" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
: "${WINEPREFIX:?WINEPREFIX must name a prepared Wine prefix}"
export WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}
exe=$build/vantrel-cli.exe
if [ ! -f "$exe" ]; then
    echo "cli.sh: $exe is missing (build the windows preset first)"
    exit 1
fi

work=$(mktemp -d /tmp/vantrel-cli-wine.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0

# Runs the exe in the work folder (relative paths: no drive mapping needed); sets
# $out (standard output without CRs) and $rc.
run() {
    (cd "$work" && wine "$exe" "$@" >"$work/stdout" 2>"$work/stderr")
    rc=$?
    out=$(tr -d '\r' <"$work/stdout")
}

expect() {  # expect DESCRIPTION WANTED_RC LINE...
    local what=$1 wanted=$2 line
    shift 2
    if [ "$rc" != "$wanted" ]; then
        echo "FAIL $what: exit $rc, expected $wanted; output:"
        echo "$out"
        failures=$((failures + 1))
        return
    fi
    for line in "$@"; do
        if ! grep -qxF -- "$line" <<<"$out"; then
            echo "FAIL $what: no line '$line'; output:"
            echo "$out"
            failures=$((failures + 1))
            return
        fi
    done
    echo "ok   $what"
}

run --simulate status
expect "simulated writer found" 0 "writer connect"

run status
expect "no real writer" 3 "writer unconnect"

run --version
expect "version" 0 "vantrel-cli 1.1.0.0"

cp "$root/samples/demo-ic.json" "$root/samples/demo-firmware.hex.txt" "$work/"
run pack demo-ic.json -o demo.ctl
expect "pack" 0
run --simulate --sim-clock virtual --mode five configure demo.ctl
expect "configure the simulated writer" 0 "writer connect" "IC: VT7-DEMO" "配置成功" "MEMORY：DEMO"
run seal demo-firmware.hex.txt -o demo.hex
expect "seal" 0
run --simulate --sim-clock virtual --sim-aprom-out aprom.bin upgrade demo.hex
expect "upgrade the simulated writer" 0 "系统复位完成!" "writer connect"
# The APROM holds the sample's 4 KB, and zero bytes in every page the file does
# not name.
python3 - "$root/samples/demo-firmware.hex.txt" "$work/expected.bin" <<'PY'
import sys
image = bytearray(69632)
for line in open(sys.argv[1]):
    line = line.strip()
    if len(line) > 9 and line[7:9] == "00":
        n, off = int(line[1:3], 16), int(line[3:7], 16)
        image[off:off + n] = bytes.fromhex(line[9:9 + 2 * n])
open(sys.argv[2], "wb").write(image)
PY
if cmp -s "$work/aprom.bin" "$work/expected.bin"; then
    echo "ok   the simulated APROM holds the sample firmware"
else
    echo "FAIL the simulated APROM does not hold the sample firmware"
    failures=$((failures + 1))
fi

[ $failures -eq 0 ] && echo "cli.sh: all passed"
[ $failures -eq 0 ]
