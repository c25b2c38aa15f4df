/*
 * Vantrelc's entry.  WinMain runs the launcher once and ends the process
 * with its exit code.
 */
#pragma once

#include <windows.h>

/* The running program's path into a MAX_PATH buffer.  A path that does not
 * fit gives STATUS_SYSTEM_ERROR with ERROR_INSUFFICIENT_BUFFER and an empty
 * buffer. */
int GetModulePath(char path[MAX_PATH]);
