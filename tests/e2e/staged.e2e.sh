#!/usr/bin/env bash
# The staged program shows the staged volume as one collapsed root; opening it lists the top
# folder, folders first. The exit code is the command that closed the main window: Enter
# or Space right after start press "Close", and so does Enter in the tree (1); Esc, Alt+F4 and
# the system menu's Close cancel (2). Driven with real X input.
. "$(dirname "$0")/e2e-lib.sh"
qs_stage

qs_start "$QS_STAGED_COPY"
qs_wait_main
tree=$(qs_tree_settled)
echo "$tree"
[ -z "$(qs_probe boxes)" ] || qs_fail "a message box appeared"
[ "$tree" = "count 1"$'\n'"item 0 1 0 1 $QS_VOLUME" ] || qs_fail "expected one collapsed root"
qs_keys Tab Right  # the tree takes the focus from "Close" and opens its first item
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
qs_keys Escape
qs_wait_exit
[ "$QS_RC" = 2 ] || qs_fail "Esc ended the program with $QS_RC"

status=0
while read -r expected keys; do
    qs_start "$QS_STAGED_COPY"
    qs_wait_main
    # shellcheck disable=SC2086
    qs_keys $keys
    qs_wait_exit
    echo "$keys: exit code $QS_RC (expected $expected)"
    [ "$QS_RC" = "$expected" ] || status=1
done <<'CASES'
1 Return
1 space
1 Tab Return
2 alt+F4
2 --delay 400 alt+space c
CASES
[ $status -eq 0 ] || qs_fail "wrong exit codes"
echo PASS
