/*
 * Starting a program, and waiting for it.  A wait in a process without console keeps pumping the calling
 * thread's messages, so its windows stay painted, while they are disabled
 * so that the user cannot start a second action meanwhile.  The window
 * table is process-wide and unguarded: one wait at a time.
 */
#include "process.h"

#include "alloc.h"
#include "error_record.h"
#include "os_version.h"
#include "strings.h"

#include <errno.h>
#include <io.h>
#include <stdlib.h>
#include <string.h>

/* The enabled top-level windows of the thread that waits.  It grows as
 * needed: a thread may own any number of windows. */
struct WindowTable {
    HWND *windows;
    size_t count;
    size_t capacity;
    int status; /* first failure while collecting */
};
static WindowTable g_windowTable;

static const size_t FIRST_TABLE_CAPACITY = 32;
static const size_t CONSOLE_TITLE_SIZE = 200;

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
    return INTERPRETER_MISSING;
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
    if (!CreateProcessA(NULL, line, NULL, NULL, FALSE, CREATE_NEW_CONSOLE, NULL, NULL, &startup,
                        process))
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
        status = WaitForProcess(process.hProcess, owner, WAIT_MODE_CLOSE_ENDS_PROCESS, 1, exitCode);
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
    int status = GrowArray(&table->windows, &table->capacity, table->count + 1, sizeof(HWND),
                           FIRST_TABLE_CAPACITY);
    if (status == STATUS_OK)
        table->windows[table->count++] = window;
    return status;
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
    return WaitForSingleObject(process, INFINITE) == WAIT_FAILED ? STATUS_SYSTEM_ERROR : STATUS_OK;
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
