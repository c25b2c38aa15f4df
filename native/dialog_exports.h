/*
 * Dialogs for the Java side: a message box, the open-file dialog for one
 * or several files, and the folder browser.  Each blocks the calling Java
 * thread until the user closes it.
 */
#pragma once

#include "rni.h"

extern "C" {
/* MessageBoxA with the window handle, style and answer passed unchanged;
 * 0 without a box when text or caption is empty.  Raises nothing. */
int32_t __cdecl com_zorv_ZORVNI_NIMessageBox(HObject self, int32_t window, HString text,
                                             HString caption, int32_t type);

/* One file, copied into directory when chosen outside it: entry 1 of the
 * choice in the layout's form, an empty String after a cancel, or null
 * with ZORVException pending. */
HString __cdecl com_zorv_ZORVNI_NIChooseFile(HObject self, HString directory, HString filterName,
                                             HString filterPattern, int32_t layout,
                                             int32_t mustBeInside);

/* Up to maxFiles files: a String[] of the base directory, the files and a
 * final empty String; null after a cancel, or null with ZORVException (or
 * OutOfMemoryError) pending.  NIChooseFiles1 also copies files chosen
 * outside directory into it when copyOutside is 1. */
HObject __cdecl com_zorv_ZORVNI_NIChooseFiles(HObject self, HString directory, HString filterName,
                                              HString filterPattern, int32_t multiSelect,
                                              int32_t layout, int32_t mustBeInside,
                                              int32_t maxFiles);
HObject __cdecl com_zorv_ZORVNI_NIChooseFiles1(HObject self, HString directory, HString filterName,
                                               HString filterPattern, int32_t multiSelect,
                                               int32_t layout, int32_t mustBeInside,
                                               int32_t maxFiles, int32_t copyOutside);

/* The folder browser, opened at initialDirectory with the caller's BIF_
 * flags.  A choice stores its path in chosenDirectory (when not null) and 0
 * in directoryFlag; a cancel stores nothing.  Returns 0, or the failure
 * status with ZORVException pending (the VM's error, and no browser, for
 * an out parameter without an element 0). */
int32_t __cdecl com_zorv_ZORVNI_NIChooseDir(HObject self, HString initialDirectory, HString title,
                                            int32_t browseFlags, ArrayOfString *chosenDirectory,
                                            ArrayOfInt *directoryFlag);
}
