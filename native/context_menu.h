/*
 * The shell's context menu for one file or folder, and the pieces that the
 * Send To menu shares with it: the path of the two menu exports, the hidden
 * window that owns a menu, and where a menu opens.
 */
#pragma once

#include "rni.h"

#include <shellapi.h>
#include <shlobj.h>

/* The items before the terminator of an item ID list (required). */
int CountItemIds(LPCITEMIDLIST list);
/* The item after item, or null when item is the terminator. */
LPCITEMIDLIST NextItemId(LPCITEMIDLIST item);
/* A one-item list of item from allocator, freed by the caller with
 * allocator's Free; null for the terminator or when no memory is left. */
LPITEMIDLIST CopySingleItemId(IMalloc *allocator, LPCITEMIDLIST item);

/* Destroys its window and ends the thread's message loop on WM_CLOSE and
 * WM_COMMAND; everything else goes to DefWindowProcA. */
LRESULT CALLBACK HiddenOwnerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

/* Registers className under the executable and makes its never-shown
 * window; *window receives it, for DestroyHiddenOwner.  The class name is
 * the lock: while it is registered a second owner of that class fails,
 * STATUS_SYSTEM_ERROR (ERROR_CLASS_ALREADY_EXISTS). */
int CreateHiddenOwner(const char *className, const char *title, HWND *window);
void DestroyHiddenOwner(HWND window, const char *className);

/* Screen position of a menu: point (in owner's client coordinates) or,
 * when point is null, the cursor. */
int MenuPosition(HWND owner, const POINT *point, POINT *position);

/* Shows the menu of path (required) and carries out the chosen command,
 * waiting ten seconds after it before anything is released.  Without
 * owner a hidden window owns the menu; without point it opens at the
 * cursor.  STATUS_OK also when nothing was chosen; STATUS_SYSTEM_ERROR, or
 * STATUS_STORED_ERROR with the shell's HRESULT stored. */
int ShowShellContextMenu(HWND owner, const char *path, const POINT *point);

/* What both menu exports do with their Java arguments: directory and name
 * joined (a blank name: the directory alone) and handed to show; result 0
 * when show succeeded, else 1.  A path that would not fit MAX_PATH gives 1;
 * a directory or name the code page cannot write, or one holding a NUL,
 * gives 1 with the refusal in the error record, and no menu is shown.
 * Raises nothing. */
int RunMenuExport(HString directory, HString name, int (*show)(const char *path));

extern "C" {
int32_t __cdecl com_zorv_ZORVNI_NIWinShOpenContextMenu(HObject self, HString directory,
                                                       HString name);
}
