/*
 * Starting a program, and waiting for it while the calling thread's windows
 * stay painted but disabled.
 */
#pragma once

#include <windows.h>
#include <stdint.h>

/* A close request to the waiting thread ends the started process, whose
 * exit code is then fetched. */
enum { WAIT_MODE_CLOSE_ENDS_PROCESS = 6 };

/* The answer of LaunchProgram when asked about an interpreter it lacks. */
enum { INTERPRETER_MISSING = 1 };

/* Starts commandLine as it stands (useShell 1: through the command
 * interpreter); with wait set, waits and stores the exit code in *exitCode
 * (may be null), else leaves it alone.  A blank command line:
 * STATUS_SYSTEM_ERROR, last error 87.  useShell 1 with a null command line
 * only asks whether COMSPEC names an existing file: STATUS_OK, else
 * INTERPRETER_MISSING. */
int LaunchProgram(const char *commandLine, int useShell, int wait, DWORD *exitCode);
/* Waits for process (required; the caller keeps and closes it); without a
 * console it pumps the thread's messages with the thread's enabled windows
 * disabled, and brings owner (may be null) back to the front afterwards.
 * The exit code goes to *exitCode (may be null).  reserved is not used. */
int WaitForProcess(HANDLE process, HWND owner, int mode, int reserved, DWORD *exitCode);
/* EnumThreadWindows callback of the wait: collects the enabled windows into
 * the wait's table.  FALSE stops the enumeration once the table is full. */
BOOL CALLBACK EnableWindowCollector(HWND window, LPARAM value);
