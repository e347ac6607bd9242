#!/usr/bin/env bash
# The program must run on a clean Windows 7 to 10: a GUI subsystem image that imports only
# system DLLs, with the C++ and GCC runtimes linked in.
exe=$1
dump=$(x86_64-w64-mingw32-objdump -p "$exe") || exit 1
dlls=$(grep 'DLL Name' <<<"$dump" | awk '{print tolower($3)}' | sort -u)
echo "imports: $(echo $dlls)"
status=0
for dll in $dlls; do
    case $dll in
        kernel32.dll | user32.dll | gdi32.dll | comctl32.dll | comdlg32.dll | shell32.dll | \
            ole32.dll | advapi32.dll | msvcrt.dll | version.dll | shlwapi.dll) ;;
        *) echo "not a system DLL: $dll"; status=1 ;;
    esac
done
grep -q 'Subsystem.*(Windows GUI)' <<<"$dump" || { echo "not a GUI subsystem image"; status=1; }
exit $status
