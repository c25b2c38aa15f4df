#!/usr/bin/env bash
# Checks each built deliverable as a clean Windows would load it: the DLLs
# it imports are all system DLLs (zorvrni may also import the VM's
# msjava.dll), and zorvrni exports exactly the names the VM binds.
#   check_binaries.sh BIN_DIR...
set -u
allowed='^(kernel32|user32|gdi32|advapi32|shell32|comdlg32|ole32|oleaut32|version|msvcrt)\.dll$'
expected_exports="RNIGetCompatibleVersion
_RNIRunMsJVM@4
bTPAReqArrived
com_zorv_ZORVNI_NIChooseDir
com_zorv_ZORVNI_NIChooseFile
com_zorv_ZORVNI_NIChooseFiles
com_zorv_ZORVNI_NIChooseFiles1
com_zorv_ZORVNI_NICompareVersions
com_zorv_ZORVNI_NICreateEmptyFile
com_zorv_ZORVNI_NIGetOSTempDir
com_zorv_ZORVNI_NIGetZORVDLLVersion
com_zorv_ZORVNI_NIListenTPARequest
com_zorv_ZORVNI_NIMessageBox
com_zorv_ZORVNI_NIWin32MAPISendMail
com_zorv_ZORVNI_NIWin32ShellExecuteEx
com_zorv_ZORVNI_NIWinShOpenContextMenu
com_zorv_ZORVNI_NIWinShOpenSearchDlg
com_zorv_ZORVNI_NIWinShOpenSendToMenu
com_zorv_ZORVNI_Win32GetFileInfo
com_zorv_ZORVNI_Win32GetFileSystemInfo
com_zorv_ZORVNI_Win32GetStorageInfo
gTPAReq
gTPARes"

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
