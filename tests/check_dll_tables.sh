#!/usr/bin/env bash
# check_dll_tables.sh OBJDUMP PLUGIN
# The plugin imports Windows system DLLs only (the C and C++ runtimes are
# linked in) and exports exactly its entry points, the ANSI ones and their
# wide twins, by plain names (no stdcall decoration in the 32-bit build).
set -euo pipefail
objdump=$1 plugin=$2
dump=$("$objdump" -p "$plugin")

allowed='^(kernel32|user32|gdi32|shell32|advapi32|version|comctl32|msvcrt|ole32|oleaut32|psapi|ntdll|shlwapi|comdlg32|wintrust|crypt32|api-ms-win-[a-z0-9-]+)\.dll$'
imports=$(printf '%s\n' "$dump" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
bad=$(printf '%s\n' "$imports" | grep -Ev "$allowed" || true)
if [ -n "$bad" ]; then
  echo "FAIL: imports non-system DLLs:"; printf '  %s\n' $bad; exit 1
fi

# The root name, the field names and closing a search have no wide form.
expected="FsContentGetDefaultView FsContentGetDefaultViewW FsContentGetSupportedField
FsContentGetValue FsContentGetValueW FsDeleteFile FsDeleteFileW FsExecuteFile FsExecuteFileW
FsExtractCustomIcon FsExtractCustomIconW FsFindClose FsFindFirst FsFindFirstW FsFindNext
FsFindNextW FsGetDefRootName FsGetFile FsGetFileW FsInit FsInitW FsStatusInfo FsStatusInfoW"
expected=$(printf '%s\n' $expected | sort)
# The export name table: lines "[ n] +base[ m] 0xhint Name" under "[Ordinal/Name Pointer] Table".
exports=$(printf '%s\n' "$dump" | awk '/Ordinal\/Name Pointer/{t=1;next} t&&/^[ \t]*\[/{print $NF;next} t&&NF==0{t=0}' | sort)
if [ "$exports" != "$expected" ]; then
  echo "FAIL: export table differs"; diff <(echo "$expected") <(echo "$exports") || true; exit 1
fi
echo "imports: $(echo $imports)"
echo "1 passed, 0 failed"
