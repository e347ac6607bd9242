#!/usr/bin/env bash
# The staged program shows the staged volume as one collapsed root; a click on its button
# lists the top folder, folders first.
. "$(dirname "$0")/e2e-lib.sh"
qs_stage

qs_start "$QS_STAGED_COPY"
qs_wait_main
tree=$(qs_tree_settled)
echo "$tree"
[ -z "$(qs_probe boxes)" ] || qs_fail "a message box appeared"
expected_root="item 0 1 0 1 $QS_VOLUME"
[ "$(head -1 <<<"$tree")" = "count 1" ] || qs_fail "expected one item"
[ "$(sed -n 2p <<<"$tree")" = "$expected_root" ] || qs_fail "expected the collapsed root: $expected_root"
qs_screenshot "$QS_SCRATCH/collapsed.png"

point=$(qs_probe expander) || qs_fail "the root has no expand button"
# shellcheck disable=SC2086
xdotool mousemove --sync $point click 1
tree=$(qs_tree_settled)
echo "$tree"
qs_screenshot "$QS_SCRATCH/expanded.png"
[ "$(sed -n 2p <<<"$tree")" = "item 0 1 1 1 $QS_VOLUME" ] || qs_fail "the root did not expand"
children=$(grep '^item 1 ' <<<"$tree")
# Folders (item data 1) first, then files (0); the names within each group in listing order.
flags=$(cut -d' ' -f3 <<<"$children" | tr -d '\n')
[ "$flags" = 11100 ] || qs_fail "expected three folders, then two files; got $flags"
names=$(cut -d' ' -f6- <<<"$children" | LC_ALL=C sort | tr '\n' ' ')
[ "$names" = '$Recycle.Bin BOOTNXT Boot Recovery bootmgr ' ] || qs_fail "unexpected names: $names"

xdotool windowfocus --sync "$QS_WINDOW" 2>/dev/null
xdotool key Escape
qs_wait_exit
[ "$QS_RC" = 2 ] || qs_fail "Esc ended the program with $QS_RC"
echo PASS
