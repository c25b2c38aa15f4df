/*
 * The Send To menu: built from the user's Send To folder (subfolders as
 * submenus, shortcuts as their targets, files with an associated program),
 * it sends one file to the entry the user picks.
 */
#pragma once

#include "rni.h"

/* Shows the menu for file (required) at point in the hidden owner's client
 * coordinates, or at the cursor when point is null, and sends the file to
 * the chosen entry: a folder gets a copy, anything else is started with
 * the file's path as its argument.  STATUS_OK also when nothing was
 * chosen; STATUS_SYSTEM_ERROR, STATUS_STORED_ERROR (an HRESULT stored) or
 * the status of the program's start. */
int ShowSendToMenu(const char *file, const POINT *point);

/* Appends the entries of folder to menu, subfolders depth-first as
 * submenus, numbering them from *counter on (their id, and the counter
 * afterwards).  Each file entry carries an allocated MAX_PATH copy of its
 * target as item data, which the menu's owner frees.  Entries whose path
 * would not fit MAX_PATH are left out. */
int FillSendToMenu(HWND owner, HMENU menu, UINT *counter, const char *folder);

/* Empties target and description (MAX_PATH bytes each, required) and fills
 * them from the shortcut at path: the target in its short form.  Returns
 * the HRESULT of the last step tried. */
HRESULT ResolveShortcut(HWND owner, const char *path, char *target, char *description);

extern "C" {
int32_t __cdecl com_zorv_ZORVNI_NIWinShOpenSendToMenu(HObject self, HString directory,
                                                      HString name);
}
