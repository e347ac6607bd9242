# Sourced by the *.e2e.sh scripts: arguments, the Wine session, and helpers to start the
# program, ask the probe and wait for the exit code.
# Arguments: Quarrystone.exe QuarrystoneStaged.exe qs_probe.exe scratch-folder
set -u
QS_PROGRAM=$1 QS_STAGED=$2 QS_PROBE=$3 QS_SCRATCH=$4 QS_PID= QS_STEP=
. "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine-env.sh"
build=$(dirname "$QS_PROGRAM")
while [ "$build" != / ] && [ ! -f "$build/CMakeCache.txt" ]; do build=$(dirname "$build"); done
qs_wine_prefix "$build/${QS_PREFIX_NAME:-wineprefix}"
qs_start_xvfb || exit 1
rm -rf "$QS_SCRATCH" && mkdir -p "$QS_SCRATCH"

# Names the step that follows, for the log and for a failure. With QS_SHOTS set, the screen as
# the step begins is kept as step-NN.png.
qs_step() {
    QS_STEP=$1 QS_STEPS=$((${QS_STEPS:-0} + 1))
    echo "step: $1"
    [ -z "${QS_SHOTS:-}" ] || qs_screenshot "$(printf '%s/step-%02d.png' "$QS_SCRATCH" $QS_STEPS)"
}

qs_fail() {
    echo "FAIL${QS_STEP:+ in step \"$QS_STEP\"}: $*" >&2
    qs_screenshot "$QS_SCRATCH/failed.png" >&2
    exit 1
}

qs_cleanup() {
    [ -n "$QS_PID" ] && kill "$QS_PID" 2>/dev/null && wait "$QS_PID" 2>/dev/null
    qs_stop_xvfb
}
trap qs_cleanup EXIT

# Starts a program under Wine in the background; its exit code comes back from qs_wait_exit. The
# acceptance run's first program lives through nearly all of it: about 85 s on a busy machine.
qs_start() {
    timeout -k 5 240 wine "$1" >"$QS_SCRATCH/program.log" 2>&1 </dev/null &
    QS_PID=$!
}

# Output goes through a file, not a pipe: a Wine process may leave helpers behind that hold a
# pipe open long after it has ended.
qs_probe() {
    timeout -k 5 30 wine "$QS_PROBE" "$@" >"$QS_SCRATCH/probe.out" 2>/dev/null </dev/null
    local rc=$?
    tr -d '\r' <"$QS_SCRATCH/probe.out"
    return $rc
}

# Waits for the main window, visible both to Wine and to X; sets QS_WINDOW (the X window).
qs_wait_main() {
    qs_probe main 30000 >/dev/null || qs_fail "the main window did not appear"
    QS_WINDOW=$(timeout 20 xdotool search --sync --onlyvisible --name '^Quarrystone$' | head -1)
    [ -n "$QS_WINDOW" ] || qs_fail "X does not show the main window"
}

# Runs the command (eval'd) up to $2 times, $1 seconds apart, until it succeeds.
qs_until() {
    local i
    for ((i = 0; i < $2; i++)); do eval "$3" && return; sleep "$1"; done
    return 1
}

# Waits up to 15 s for the program to end; sets QS_RC to its exit code ("running" if it hasn't).
qs_wait_exit() {
    qs_until 0.1 150 '! kill -0 "$QS_PID" 2>/dev/null'
    QS_RC=running
    kill "$QS_PID" 2>/dev/null || { wait "$QS_PID"; QS_RC=$?; }
    wait "$QS_PID" 2>/dev/null
    QS_PID=
}

# Sends keys to the main window.
qs_keys() {
    xdotool windowfocus --sync "$QS_WINDOW" 2>/dev/null
    xdotool key "$@"
}

# Waits until the tree shows something other than what it shows now, or a few seconds pass.
qs_tree_settled() {
    local before now
    before=$(qs_probe tree)
    qs_until 0 20 'sleep 0.25; now=$(qs_probe tree); [ "$now" = "$before" ] || ! before=$now'
    echo "$before"
}

# Waits for the program's one message box, checks its text, and presses OK in it.
qs_expect_box() {
    local boxes
    qs_until 0.25 40 'boxes=$(qs_probe boxes) && [ -n "$boxes" ]'
    [ "$(cut -d' ' -f3- <<<"$boxes")" = "$1" ] || qs_fail "expected the one box '$1', got '$boxes'"
    qs_probe dismiss "$(cut -d' ' -f2 <<<"$boxes")" >/dev/null
    sleep 0.5
    [ -z "$(qs_probe boxes)" ] || qs_fail "a second box appeared"
}

qs_screenshot() {
    import -window root "$1" 2>/dev/null && echo "screenshot: $1"
}

# A staged machine in $QS_SCRATCH: the staged program beside its table, and a small hidden
# volume in a folder. Sets QS_STAGED_COPY and QS_VOLUME (the volume's name as the program sees it).
qs_stage() {
    local volume=$QS_SCRATCH/volume
    mkdir -p "$volume/Boot/en-US" "$volume/Recovery" "$volume/\$Recycle.Bin"
    head -c 28672 /dev/urandom >"$volume/Boot/BCD"
    head -c 3000 /dev/urandom >"$volume/Boot/en-US/bootmgr.exe.mui"
    head -c 4096 /dev/urandom >"$volume/bootmgr"
    : >"$volume/BOOTNXT"
    QS_STAGED_COPY=$QS_SCRATCH/QuarrystoneStaged.exe
    cp "$QS_STAGED" "$QS_STAGED_COPY"
    QS_VOLUME='\\?\Z:'$(tr / '\\' <<<"$volume")'\'
    printf '%s\n' '\\?\Volume{3f1c2a10-0000-0000-0000-100000000000}\|3|C:\|NTFS|255953203200' \
        "$QS_VOLUME|3||NTFS|104857600|44040192" >"$QS_SCRATCH/staged-volumes.txt"
}
