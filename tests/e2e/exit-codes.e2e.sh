#!/usr/bin/env bash
# The exit code is the command that closed the main window: Enter or Space right after start
# press "Close", and so does Enter in the tree (1); Esc, Alt+F4, the close box and the system
# menu's Close cancel (2). Driven with real X input.
. "$(dirname "$0")/e2e-lib.sh"
qs_stage

close_with() {
    local how=$1
    shift
    case $how in
        key)
            xdotool windowfocus --sync "$QS_WINDOW" 2>/dev/null
            xdotool key "$@"
            ;;
        closebox)
            local point
            point=$(qs_probe closer) || qs_fail "no close box found"
            # shellcheck disable=SC2086
            xdotool mousemove --sync $point click 1
            ;;
    esac
}

status=0
while read -r expected how args; do
    qs_start "$QS_STAGED_COPY"
    qs_wait_main
    # shellcheck disable=SC2086
    close_with "$how" $args
    qs_wait_exit
    echo "$how $args: exit code $QS_RC (expected $expected)"
    [ "$QS_RC" = "$expected" ] || status=1
done <<'CASES'
1 key Return
1 key space
1 key Tab Return
2 key Escape
2 key alt+F4
2 key --delay 400 alt+space c
2 closebox
CASES
[ $status -eq 0 ] || qs_fail "wrong exit codes"
echo PASS
