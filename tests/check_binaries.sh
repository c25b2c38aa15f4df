#!/usr/bin/env bash
# Checks each built deliverable as a clean Windows would load it: the DLLs
# it imports are all system DLLs (zorvrni may also import the VM's
# msjava.dll), the programs import nothing from shell32 (Windows 95 may
# lack what they would bind; they load it at run time), and zorvrni exports
# exactly the names its module definition lists.
#   check_binaries.sh DEF_FILE BIN_DIR...
set -u
def_file=$1
shift
allowed='^(kernel32|user32|gdi32|advapi32|shell32|comdlg32|ole32|oleaut32|version|msvcrt)\.dll$'
# The names the VM binds: the first word of each line after EXPORTS.
expected_exports=$(awk '/^EXPORTS/ {on = 1; next} on && NF {print $1}' "$def_file")

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for bin in "$@"; do
    [ -d "$bin" ] || { echo "skip: no $bin"; continue; }
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
