#!/usr/bin/env bash
# Checks each built deliverable as a clean Windows would load it: the DLLs
# it imports are all system DLLs (zorvrni may also import the VM's
# msjava.dll), the programs import nothing from shell32 (Windows 95 may
# lack what they would bind; they load it at run time), every function a
# 32-bit deliverable imports is on the list of imports checked against
# Windows 95 and NT 4.0, and zorvrni exports exactly the names its module
# definition lists.  A BIN_DIR that is missing fails.
#   check_binaries.sh DEF_FILE IMPORT_LIST BIN_DIR...
set -u
export LC_ALL=C
def_file=$1
import_list=$2
shift 2
allowed='^(kernel32|user32|gdi32|advapi32|shell32|comdlg32|ole32|oleaut32|version|msvcrt)\.dll$'
# The names the VM binds: the first word of each line after EXPORTS.
expected_exports=$(awk '/^EXPORTS/ {on = 1; next} on && NF {print $1}' "$def_file")

# "dll function" for each entry of the list; DLL names in lower case.
listed=$(awk '!/^#/ && NF >= 2 {print tolower($1), $2}' "$import_list" | sort -u)

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# "dll function" for each function the objdump -p text imports by name.
imported_functions() {
    awk '/DLL Name:/ {dll = tolower($3); next}
         /^PE File Base Relocations|^The Export Tables|^The Function Table/ {dll = ""}
         dll && /^\t[0-9a-f]+\t/ {print dll, $NF}'
}

for bin in "$@"; do
    [ -d "$bin" ] || { fail "$bin is missing: build its target first"; continue; }
    for file in Vantrelc.exe zorv.exe zorvrni.dll; do
        path="$bin/$file"
        [ -f "$path" ] || { fail "$path is missing"; continue; }
        dump=$(x86_64-w64-mingw32-objdump -p "$path")
        case "$(echo "$dump" | grep -m1 '^Magic')" in
            *010b*) arch=x86 ;;
            *020b*) arch=x64 ;;
            *) arch=unknown ;;
        esac
        imports=$(echo "$dump" | awk '/DLL Name:/ {print tolower($3)}')
        [ "$file" = zorvrni.dll ] && imports=$(echo "$imports" | grep -vx msjava.dll)
        bad=$(echo "$imports" | grep -Ev "$allowed")
        [ -n "$bad" ] && fail "$path ($arch) imports" $bad
        if [ "$file" != zorvrni.dll ] && echo "$imports" | grep -qx shell32.dll; then
            fail "$path ($arch) imports shell32.dll statically"
        fi
        if [ "$arch" = x86 ]; then
            unlisted=$(comm -23 <(echo "$dump" | imported_functions | sort -u) <(echo "$listed"))
            [ -n "$unlisted" ] && fail "$path ($arch) imports what $import_list does not list:" \
                "$(echo "$unlisted" | tr '\n' ';')"
        fi
        subsystem=$(echo "$dump" | awk '/^Subsystem/ {print $2}')
        if [ "$file" != zorvrni.dll ] && [ "$subsystem" != 00000002 ]; then
            fail "$path ($arch) is not a Windows GUI program (subsystem $subsystem)"
        fi
        if [ "$file" = zorvrni.dll ]; then
            exports=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
                      awk '/\[/ && !/Table/ {print $NF}' | sort)
            if [ "$exports" != "$(echo "$expected_exports" | sort)" ]; then
                fail "$path ($arch) exports differ:"
                diff <(echo "$expected_exports" | sort) <(echo "$exports")
            fi
        fi
        echo "ok: $path ($arch)"
    done
done
echo "$failures failed"
[ "$failures" -eq 0 ]
