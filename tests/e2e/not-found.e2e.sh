#!/usr/bin/env bash
# The product on Wine, which has no volume without a drive letter: exactly one warning box,
# an empty tree, and the program still closes normally.
. "$(dirname "$0")/e2e-lib.sh"

qs_start "$QS_PROGRAM"
qs_wait_main
for i in $(seq 40); do
    [ -n "$(qs_probe boxes)" ] && break
    sleep 0.25
done
sleep 1
boxes=$(qs_probe boxes)
echo "$boxes"
qs_screenshot "$QS_SCRATCH/not-found.png"
[ "$(cut -d' ' -f1,3- <<<"$boxes")" = "box The hidden system drive was not found" ] ||
    qs_fail "expected one box saying the drive was not found"
qs_probe dismiss "$(cut -d' ' -f2 <<<"$boxes")" || qs_fail "could not dismiss the box"
sleep 1
[ -z "$(qs_probe boxes)" ] || qs_fail "a second box appeared"
[ "$(qs_probe tree)" = "count 0" ] || qs_fail "the tree is not empty"
qs_keys Escape
qs_wait_exit
[ "$QS_RC" = 2 ] || qs_fail "Esc ended the program with $QS_RC, not 2"
echo PASS
