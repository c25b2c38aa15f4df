/*
 * Handing work to the shell: its own window for finding files, and opening
 * a document with its associated program and waiting until that ends.
 */
#pragma once

#include "rni.h"

/* Asks the shell's automation object for its find window.  STATUS_OK, or
 * STATUS_STORED_ERROR with the failing HRESULT stored, or STATUS_APP_ERROR
 * with the object's own description recorded, or STATUS_CRT_ERROR when no
 * memory was left for that description. */
int OpenFindFilesWindow(void);

/* Opens file (required, not blank) with verb (null: its default verb).
 * With wait 1 it waits for the started process, keeping the caller's
 * windows disabled, and stores its exit code in *exitCode (may be null).
 * When the shell handed the document to a program already running there
 * is no process: STATUS_OK, nothing waited for, *exitCode untouched.  A
 * blank file: STATUS_SYSTEM_ERROR, last error ERROR_INVALID_PARAMETER; one
 * of MAX_PATH bytes or more: STATUS_SYSTEM_ERROR, ERROR_FILENAME_EXCED_RANGE;
 * a refusal of the shell: STATUS_SYSTEM_ERROR with the shell's last error. */
int ShellExecuteAndWait(const char *file, const char *verb, int wait, DWORD *exitCode);

extern "C" {
/* 0 once the find window was asked for, 1 on failure (no exception). */
int32_t __cdecl com_zorv_ZORVNI_NIWinShOpenSearchDlg(HObject self);
/* 1 once the started program has ended, else 0 with the exception for the
 * failure pending.  An empty verb means the default verb. */
int32_t __cdecl com_zorv_ZORVNI_NIWin32ShellExecuteEx(HObject self, HString file, HString verb);
}
