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

int DetectOsVersion(void);
/* Decodes a GetVersion() result into *version (the fallback of
 * DetectOsVersion). */
void DecodeLegacyVersion(DWORD packed, OsVersion *version);

enum { WAIT_MODE_CLOSE_ENDS_PROCESS = 6 };

/* Starts commandLine (useShell 1: through the command interpreter); with
 * wait set, waits and stores the exit code. */
int LaunchProgram(const char *commandLine, int useShell, int wait, DWORD *exitCode);
int WaitForProcess(HANDLE process, HWND owner, int mode, int reserved, DWORD *exitCode);
BOOL CALLBACK EnableWindowCollector(HWND window, LPARAM value);
