#!/usr/bin/env bash
# The program must run on a clean Windows 7 to 10: a GUI subsystem image that imports only
# system DLLs, with the C++ and GCC runtimes linked in, and that carries its resources in US
# English: templates, menus, icons, its name, the version resource and the manifest.
exe=$1
dump=$(x86_64-w64-mingw32-objdump -p "$exe") || exit 1
status=0
fail() { echo "$*" && status=1; }
for dll in $(grep 'DLL Name' <<<"$dump" | awk '{print tolower($3)}' | sort -u); do
    case $dll in
        kernel32.dll | user32.dll | gdi32.dll | comctl32.dll | comdlg32.dll | shell32.dll | \
            ole32.dll | oleaut32.dll | oleacc.dll | advapi32.dll | msvcrt.dll | version.dll | \
            shlwapi.dll) ;;
        *) fail "not a system DLL: $dll" ;;
    esac
done
grep -q 'Subsystem.*(Windows GUI)' <<<"$dump" || fail "not a GUI subsystem image"
# "type id" of each resource in US English, read from the resource directory's three levels.
found=$(awk '/^[0-9a-f]+   Entry/ {t = $4} /^[0-9a-f]+     Entry/ {n = $4}
    /^[0-9a-f]+       Entry/ && $4 == "0x000409," {print t, n}' <<<"$dump" | tr -d , |
    while read -r t n; do echo $((t)) $((n)); done)
# Dialogs (5) 100-102, menus (4) 201-202, icon groups (14), the string block (6) holding 128,
# the version (16) and the manifest (24).
for want in "5 100" "5 101" "5 102" "4 201" "4 202" "14 128" "14 204" "14 205" "14 207" "6 9" \
    "16 1" "24 1"; do
    grep -qx "$want" <<<"$found" || fail "no resource '$want' in US English"
done
grep -q 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' "$exe" ||
    fail "the manifest does not ask for the common controls 6"
exit $status
