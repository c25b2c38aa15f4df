/*
 * Which Windows family the process runs on, starting a program, and waiting
 * for it.  A wait in a process without console keeps pumping the calling
 * thread's messages, so its windows stay painted, while they are disabled
 * so that the user cannot start a second action meanwhile.  The OS record
 * and the window table are process-wide and unguarded: one wait at a time.
 */
#include "process.h"

#include "error_record.h"
#include "strings.h"

#include <errno.h>
#include <io.h>
#include <stdlib.h>
#include <string.h>

OsVersion g_osVersion;

/* The enabled top-level windows of the thread that waits.  It grows as
 * needed: a thread may own any number of windows. */
struct WindowTable {
    HWND *windows;
    size_t count;
    size_t capacity;
    int status;   /* first failure while collecting */
};
static WindowTable g_windowTable;

static const size_t FIRST_TABLE_CAPACITY = 32;
static const size_t CONSOLE_TITLE_SIZE = 200;

/* The 9x family is split at version 4.0: anything later is Windows 98. */
static int NineXClass(DWORD major, DWORD minor)
{
    return (major > 4 || (major == 4 && minor > 0)) ? OS_CLASS_WIN98 : OS_CLASS_WIN95;
}

static void TakeVersionRecord(const OSVERSIONINFOEXA *info)
{
    switch (info->dwPlatformId) {
    case VER_PLATFORM_WIN32_NT:
        g_osVersion.osClass = OS_CLASS_NT;
        break;
    case VER_PLATFORM_WIN32_WINDOWS:
        g_osVersion.osClass = NineXClass(info->dwMajorVersion, info->dwMinorVersion);
        break;
    case VER_PLATFORM_WIN32s:
        g_osVersion.osClass = OS_CLASS_WIN32S;
        break;
    default:
        break;
    }
    g_osVersion.majorVersion = info->dwMajorVersion;
    g_osVersion.minorVersion = info->dwMinorVersion;
    g_osVersion.buildNumber = info->dwBuildNumber;
    /* Zero when only the short record was filled. */
    g_osVersion.servicePackMajor = info->wServicePackMajor;
    g_osVersion.servicePackMinor = info->wServicePackMinor;
}

void DecodeLegacyVersion(DWORD packed, OsVersion *version)
{
    OsVersion decoded = {};
    decoded.majorVersion = LOBYTE(LOWORD(packed));
    decoded.minorVersion = HIBYTE(LOWORD(packed));
    decoded.buildNumber = HIWORD(packed);
    if (!(packed & 0x80000000)) {
        decoded.osClass = OS_CLASS_NT;
    } else if (decoded.majorVersion < 4) {
        decoded.osClass = OS_CLASS_WIN32S;
        decoded.buildNumber &= 0x7FFF;   /* bit 31 is the family flag */
    } else {
        decoded.osClass = NineXClass(decoded.majorVersion, decoded.minorVersion);
    }
    if (version)
        *version = decoded;
}

/* Systems before NT 4.0 SP6 and Windows 2000 refuse the extended record;
 * the oldest ones know only GetVersion. */
int DetectOsVersion(void)
{
    OSVERSIONINFOEXA info = {};
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    BOOL filled = GetVersionExA((OSVERSIONINFOA *)&info);
    if (!filled) {
        SetLastError(0);
        ZeroMemory(&info, sizeof(info));
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        filled = GetVersionExA((OSVERSIONINFOA *)&info);
    }
    if (filled) {
        TakeVersionRecord(&info);
        return STATUS_OK;
    }
    SetLastError(0);
    DWORD packed = GetVersion();
    if (packed == 0)
        return STATUS_SYSTEM_ERROR;
    DecodeLegacyVersion(packed, &g_osVersion);
    return STATUS_OK;
}

/* COMSPEC, or the interpreter that the family ships when it is unset. */
static const char *CommandInterpreter(void)
{
    const char *comspec = getenv("COMSPEC");
    if (!IsBlankString(comspec))
        return comspec;
    return g_osVersion.osClass == OS_CLASS_NT ? "cmd.exe" : "command.com";
}

/* Asked with no command line: can a command be run through COMSPEC? */
static int InterpreterAvailable(void)
{
    const char *comspec = getenv("COMSPEC");
    if (!IsBlankString(comspec) && _access(comspec, 0) == 0)
        return STATUS_OK;
    errno = 0;
    return 1;
}

/* A writable copy for CreateProcessA, which may write into its command
 * line; through the interpreter it becomes "interpreter /c commandLine". */
static int BuildCommandLine(const char *commandLine, int useShell, char **line)
{
    if (useShell)
        return AppendStrings(line, 3, CommandInterpreter(), " /c ", commandLine);
    return DupString(line, commandLine);
}

static int StartProcess(char *line, int wait, PROCESS_INFORMATION *process)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW | (wait ? STARTF_FORCEONFEEDBACK : 0);
    startup.wShowWindow = SW_SHOWNORMAL;
    if (!CreateProcessA(NULL, line, NULL, NULL, FALSE, CREATE_NEW_CONSOLE, NULL, NULL,
                        &startup, process))
        return STATUS_SYSTEM_ERROR;
    return STATUS_OK;
}

int LaunchProgram(const char *commandLine, int useShell, int wait, DWORD *exitCode)
{
    if (useShell && !commandLine)
        return InterpreterAvailable();
    if (IsBlankString(commandLine))
        return InvalidParameterStatus();
    /* Taken before the start: the started program may take the focus. */
    HWND owner = wait ? GetActiveWindow() : NULL;
    char *line = NULL;
    PROCESS_INFORMATION process = {};
    int status = BuildCommandLine(commandLine, useShell, &line);
    if (status == STATUS_OK)
        status = StartProcess(line, wait, &process);
    if (status == STATUS_OK && wait)
        status = WaitForProcess(process.hProcess, owner, WAIT_MODE_CLOSE_ENDS_PROCESS, 1,
                                exitCode);
    if (process.hProcess) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    free(line);
    return status;
}

static int TableAppend(HWND window)
{
    WindowTable *table = &g_windowTable;
    if (table->count == table->capacity) {
        size_t capacity = table->capacity ? 2 * table->capacity : FIRST_TABLE_CAPACITY;
        HWND *grown = (HWND *)realloc(table->windows, capacity * sizeof(HWND));
        if (!grown) {
            errno = ENOMEM;
            return STATUS_CRT_ERROR;
        }
        table->windows = grown;
        table->capacity = capacity;
    }
    table->windows[table->count++] = window;
    return STATUS_OK;
}

BOOL CALLBACK EnableWindowCollector(HWND window, LPARAM)
{
    if (window && IsWindowEnabled(window) && g_windowTable.status == STATUS_OK)
        g_windowTable.status = TableAppend(window);
    /* Without room for a window there is no point in going on. */
    return g_windowTable.status == STATUS_OK;
}

static void EnableCollectedWindows(BOOL enable)
{
    for (size_t i = 0; i < g_windowTable.count; i++)
        EnableWindow(g_windowTable.windows[i], enable);
}

static void EmptyWindowTable(void)
{
    free(g_windowTable.windows);
    ZeroMemory(&g_windowTable, sizeof(g_windowTable));
}

static int HasConsole(void)
{
    char title[CONSOLE_TITLE_SIZE];
    return GetConsoleTitleA(title, sizeof(title)) > 0;
}

/* While the caller's windows are disabled, a close request comes from the
 * system or a task list, not from the user's clicks: the started program is
 * ended so that the wait returns, and the request still goes on to its
 * window. */
static void DispatchWaitingMessages(HANDLE process, int mode)
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        if (message.message == WM_CLOSE && mode == WAIT_MODE_CLOSE_ENDS_PROCESS)
            TerminateProcess(process, 0);
        DispatchMessageA(&message);
    }
}

static int PumpUntilEnded(HANDLE process, int mode)
{
    for (;;) {
        DWORD result = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0)
            return STATUS_OK;
        if (result == WAIT_FAILED)
            return STATUS_SYSTEM_ERROR;
        if (result != WAIT_OBJECT_0 + 1)
            return 1;
        DispatchWaitingMessages(process, mode);
    }
}

static void BringBackOwner(HWND owner)
{
    if (owner && GetForegroundWindow() != owner) {
        SetForegroundWindow(owner);
        SetActiveWindow(owner);
    }
}

/* Windows that were disabled before the wait are not in the table, so they
 * stay disabled after it. */
static int WaitPumpingMessages(HANDLE process, HWND owner, int mode)
{
    EnumThreadWindows(GetCurrentThreadId(), EnableWindowCollector, 0);
    int status = g_windowTable.status;
    if (status == STATUS_OK) {
        EnableCollectedWindows(FALSE);
        status = PumpUntilEnded(process, mode);
        EnableCollectedWindows(TRUE);
        BringBackOwner(owner);
    }
    EmptyWindowTable();
    return status;
}

static int WaitWithoutMessages(HANDLE process)
{
    return WaitForSingleObject(process, INFINITE) == WAIT_FAILED ? STATUS_SYSTEM_ERROR
                                                                 : STATUS_OK;
}

static int FetchExitCode(HANDLE process, DWORD *exitCode)
{
    DWORD code = 0;
    if (!GetExitCodeProcess(process, &code))
        return STATUS_SYSTEM_ERROR;
    if (exitCode)
        *exitCode = code;
    return STATUS_OK;
}

int WaitForProcess(HANDLE process, HWND owner, int mode, int, DWORD *exitCode)
{
    if (!process)
        return InvalidParameterStatus();
    int status = HasConsole() ? WaitWithoutMessages(process)
                              : WaitPumpingMessages(process, owner, mode);
    if (status == STATUS_OK && mode == WAIT_MODE_CLOSE_ENDS_PROCESS && exitCode)
        status = FetchExitCode(process, exitCode);
    return status;
}
