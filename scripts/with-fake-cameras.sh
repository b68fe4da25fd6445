#!/usr/bin/env bash
# Runs a command next to N fake GigE Vision cameras, inside a private network
# namespace that holds nothing but loopback, so no camera traffic can ever reach
# a real network.
#
#   scripts/with-fake-cameras.sh [--ir] [--ir-arg ARG]... N -- command [args...]
#
# --ir starts simulated IR cameras (zelkir-fake-ir-camera) instead of Aravis's plain
# arv-fake-gv-camera-0.8; each --ir-arg passes one more argument to every one of them
# (and implies --ir), e.g. --ir-arg --test-pattern --ir-arg --width=160. The program is
# $QELT_FAKE_IR_CAMERA, by default build/default/bin/zelkir-fake-ir-camera of this
# checkout, else install/bin/zelkir-fake-ir-camera.
#
# Camera k (1..N) answers on 127.0.0.(k+1) with serial number FAKE%04d of its
# last octet (FAKE0002, FAKE0003, ...). The command sees:
#   QELT_FAKE_CAMERAS         camera addresses, space separated, in order
#   QELT_FAKE_CAMERA_SERIALS  their serial numbers, same order
#   QELT_FAKE_CAMERA_PIDS     their process ids, same order (to stop one)
# The cameras are stopped when the command ends; its exit status is returned.
# The command runs in the background of this script, so its standard input is
# not the terminal.
set -euo pipefail

readonly gvcp_port=3956
readonly ready_timeout_s=10
readonly max_cameras=200

usage() {
    echo "usage: $(basename "$0") [--ir] [--ir-arg ARG]... N -- command [args...]   (0 <= N <= $max_cameras)" >&2
    exit 2
}

# Kept whole for the re-run inside the namespace.
all_args=("$@")
ir=0
ir_args=()
while [ $# -gt 0 ]; do
    case $1 in
        --ir) ir=1; shift ;;
        --ir-arg) [ $# -ge 2 ] || usage; ir=1; ir_args+=("$2"); shift 2 ;;
        *) break ;;
    esac
done

[ $# -ge 3 ] || usage
[[ $1 =~ ^[0-9]+$ ]] && [ "$1" -le $max_cameras ] || usage
[ "$2" = "--" ] || usage

if [ "${QELT_FAKE_CAMERAS_INSIDE:-}" != 1 ]; then
    # Enter a fresh network namespace; without root, a user namespace maps us to root in it.
    if [ "$(id -u)" -eq 0 ] && unshare -n true 2>/dev/null; then
        enter=(unshare -n)
    elif unshare -rn true 2>/dev/null; then
        enter=(unshare -rn)
    else
        echo "$(basename "$0"): cannot create a private network namespace (unshare -n / -rn)" >&2
        exit 1
    fi
    exec "${enter[@]}" env QELT_FAKE_CAMERAS_INSIDE=1 bash "$0" "${all_args[@]}"
fi

if [ $ir = 1 ]; then
    root=$(cd "$(dirname "$0")/.." && pwd)
    camera_program=${QELT_FAKE_IR_CAMERA:-$root/build/default/bin/zelkir-fake-ir-camera}
    if [ -z "${QELT_FAKE_IR_CAMERA:-}" ] && [ ! -x "$camera_program" ]; then
        camera_program=$root/install/bin/zelkir-fake-ir-camera
    fi
    if [ ! -x "$camera_program" ]; then
        echo "$(basename "$0"): $camera_program is not there; build zelkir-fake-ir-camera or set QELT_FAKE_IR_CAMERA" >&2
        exit 1
    fi
else
    camera_program=arv-fake-gv-camera-0.8
    ir_args=()
fi

# Inside the namespace. Refuse to go on if anything but loopback is visible: that
# would mean we are not where we think we are.
links=$(ip -o link show | awk -F': ' '{print $2}')
if [ "$links" != "lo" ]; then
    echo "$(basename "$0"): network interfaces other than lo are present; refusing to start cameras" >&2
    exit 1
fi

count=$1
shift 2

ip link set lo up

log_dir=$(mktemp -d)
addresses=()
serials=()
pids=()
command_pid=

cleanup() {
    trap - EXIT INT TERM HUP
    if [ -n "$command_pid" ]; then
        kill "$command_pid" 2>/dev/null || true
    fi
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$log_dir"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
trap 'exit 129' HUP

for ((k = 1; k <= count; k++)); do
    octet=$((k + 1))
    address=127.0.0.$octet
    serial=$(printf 'FAKE%04d' "$octet")
    ip addr add "$address/8" dev lo
    "$camera_program" -i "$address" -s "$serial" "${ir_args[@]}" >"$log_dir/$serial.log" 2>&1 &
    pids+=("$!")
    addresses+=("$address")
    serials+=("$serial")
done

# A camera is ready once its control port is bound: requests sent from then on wait
# in its socket until it reads them. An IR camera sets its registers just after binding
# and says so on its output.
ready() {
    ss -Hlun "src $1 and sport = :$gvcp_port" | grep -q . \
        && { [ $ir = 0 ] || grep -q "answers on" "$log_dir/$2.log"; }
}
deadline=$((SECONDS + ready_timeout_s))
for i in "${!addresses[@]}"; do
    address=${addresses[$i]}
    until ready "$address" "${serials[$i]}"; do
        if ! kill -0 "${pids[$i]}" 2>/dev/null || [ $SECONDS -ge $deadline ]; then
            echo "$(basename "$0"): fake camera on $address did not start" >&2
            cat "$log_dir/${serials[$i]}.log" >&2 || true
            exit 1
        fi
        sleep 0.02
    done
done

export QELT_FAKE_CAMERAS="${addresses[*]}"
export QELT_FAKE_CAMERA_SERIALS="${serials[*]}"
export QELT_FAKE_CAMERA_PIDS="${pids[*]}"
unset QELT_FAKE_CAMERAS_INSIDE

set +e
"$@" &
command_pid=$!
wait "$command_pid"
status=$?
command_pid=
set -e
exit "$status"
