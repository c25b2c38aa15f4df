/*
 * The OS class of the running system, starting a program, and waiting for
 * it while the calling thread's windows stay painted but disabled.
 */
#pragma once

#include <windows.h>
#include <stdint.h>

enum {
    OS_CLASS_NT = 1,
    OS_CLASS_WIN95 = 3,
    OS_CLASS_WIN98 = 4,
    OS_CLASS_WIN32S = 5
};

struct OsVersion {
    int32_t osClass;          /* 0 until detected */
    uint32_t majorVersion;
    uint32_t minorVersion;
    uint32_t buildNumber;
    uint16_t servicePackMajor;
    uint16_t servicePackMinor;
};

/* Filled once at start-up by the programs; read by everyone else. */
extern OsVersion g_osVersion;

/* Fills g_osVersion; STATUS_SYSTEM_ERROR when the system tells nothing. */
int DetectOsVersion(void);
/* Decodes a GetVersion() result into *version (the fallback of
 * DetectOsVersion). */
void DecodeLegacyVersion(DWORD packed, OsVersion *version);

/* A close request to the waiting thread ends the started process, whose
 * exit code is then fetched. */
enum { WAIT_MODE_CLOSE_ENDS_PROCESS = 6 };

/* Starts commandLine as it stands (useShell 1: through the command
 * interpreter); with wait set, waits and stores the exit code, else leaves
 * it alone.  A blank command line: STATUS_SYSTEM_ERROR, last error 87.
 * useShell 1 with a null command line only asks whether COMSPEC names an
 * existing file: STATUS_OK, else 1. */
int LaunchProgram(const char *commandLine, int useShell, int wait, DWORD *exitCode);
/* Waits for process; without a console it pumps the thread's messages with
 * the thread's enabled windows disabled, and brings owner (may be null)
 * back to the front afterwards.  reserved is not used. */
int WaitForProcess(HANDLE process, HWND owner, int mode, int reserved, DWORD *exitCode);
/* EnumThreadWindows callback: collects the enabled windows for the wait. */
BOOL CALLBACK EnableWindowCollector(HWND window, LPARAM value);
