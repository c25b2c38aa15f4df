/*
 * The deliverable zorvrni.dll, reached as the VM reaches it: loaded by its
 * path, each export bound by its name.
 */
#pragma once

#include <windows.h>

/* zorvrni.dll from ZORV_BIN, loaded by the first call and kept to the end
 * of the program; null when it cannot be loaded (GetLastError says why).
 * The first call comes from one thread only. */
HMODULE LibraryUnderTest(void);

/* Frees the library, for a test of what it takes once per load: the next
 * LibraryUnderTest loads it afresh.  What was bound from it is void. */
void FreeLibraryUnderTest(void);

/* The export name of the library under test as a T, a pointer to a
 * function or to data; null when the library or the export is missing. */
template <typename T> T Export(const char *name)
{
    HMODULE library = LibraryUnderTest();
    return library ? (T)(void *)GetProcAddress(library, name) : NULL;
}

/* The export of one of the library's own declarations, as a pointer of the
 * declared type: EXPORT_OF(RNIGetCompatibleVersion). */
#define EXPORT_OF(declaration) Export<decltype(&declaration)>(#declaration)
/* A native method of com.zorv.ZORVNI, named without its class:
 * EXPORT(NIChooseFile) is the export com_zorv_ZORVNI_NIChooseFile. */
#define EXPORT(method) EXPORT_OF(com_zorv_ZORVNI_##method)
