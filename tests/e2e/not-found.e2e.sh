#!/usr/bin/env bash
# The product on Wine, which has no volume without a drive letter: exactly one warning box,
# an empty tree, and the program still closes normally.
. "$(dirname "$0")/e2e-lib.sh"

qs_start "$QS_PROGRAM"
qs_wait_main
boxes=
for i in $(seq 40); do
    boxes=$(qs_probe boxes)
    [ -n "$boxes" ] && break
    sleep 0.25
done
sleep 1
boxes=$(qs_probe boxes)
echo "$boxes"
[ "$(grep -c '^box ' <<<"$boxes")" -eq 1 ] || qs_fail "expected one message box"
[ "$(cut -d' ' -f3- <<<"$boxes")" = "The hidden system drive was not found" ] || qs_fail "wrong text"
qs_screenshot "$QS_SCRATCH/not-found.png"

qs_probe dismiss "$(cut -d' ' -f2 <<<"$boxes")" || qs_fail "could not dismiss the box"
sleep 1
[ -z "$(qs_probe boxes)" ] || qs_fail "a second box appeared"
tree=$(qs_probe tree)
echo "$tree"
[ "$tree" = "count 0" ] || qs_fail "the tree is not empty"

xdotool windowfocus --sync "$QS_WINDOW" 2>/dev/null
xdotool key Escape
qs_wait_exit
[ "$QS_RC" = 2 ] || qs_fail "Esc ended the program with $QS_RC, not 2"
echo PASS
