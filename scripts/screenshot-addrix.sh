#!/usr/bin/env bash
# Shows Addrix on the current X display beside a camera on another subnet, uses it as a
# person would, and saves pictures of the window and its dialogs:
#   addrix-unconfigurable.png  the window, with the line about the camera it cannot configure
#   addrix-unconfigurable-list.png  the list of such cameras
#   addrix-forceip.png         the temporary IP dialog for that camera
#   addrix-forced.png          the window after the camera took the address, with it selected
#   addrix-details.png         the details of that camera
# Runs only inside scripts/with-fake-cameras.sh (the camera on another subnet is our FORCEIP
# responder, which brings a simulated camera up at the address it is given):
#   scripts/screenshot-addrix.sh OUT_DIR [PROGRAM] [RESPONDER]
# The window sits at the screen's origin (no window manager); clicks go through xdotool at
# positions measured on its fixed layout.
set -euo pipefail
out=$1 program=${2:-install/bin/Addrix} responder=${3:-build/default/bin/zelkcam-forceip-responder}
if [ -z "${QELT_FAKE_CAMERAS:-}" ] || [ "$(ip -o link show | awk -F': ' '{print $2}')" != "lo" ]; then
    echo "screenshot-addrix: run inside scripts/with-fake-cameras.sh" >&2
    exit 1
fi
mkdir -p "$out"
"$responder" --address 192.168.77.5 --mac 02:00:5e:10:00:42 --serial FAKE0077 &
responder_pid=$!
sleep 0.5
if ! kill -0 "$responder_pid" 2>/dev/null; then
    echo "screenshot-addrix: the FORCEIP responder did not start" >&2
    exit 1
fi
"$program" &
pid=$!
trap 'kill "$pid" "$responder_pid" 2>/dev/null || true; wait 2>/dev/null || true' EXIT

program_name=Addrix
source "$(dirname "$0")/xdotool-helpers.sh"
shot() {
    running
    window=$(xdotool search --name '^Addrix$' | head -n 1)
    import -window "$window" "$out/$1"
}

sleep 5
xdotool mousemove 300 400
shot addrix-unconfigurable.png
# The line under the list entries, then the dialog's only entry's button.
click 60 157
shot addrix-unconfigurable-list.png
click 455 100
# Clicking into the dialog's body leaves the pointer off the buttons.
click 120 200 0.3
shot addrix-forceip.png
# Send: the camera takes the proposed address, and the rescan lists and selects it.
click 390 200 8
xdotool mousemove 300 400
sleep 0.5
shot addrix-forced.png
# The details of the selected camera: the second line under the entries.
click 60 190
xdotool mousemove 300 400
sleep 0.5
shot addrix-details.png
echo "screenshots written to $out"
