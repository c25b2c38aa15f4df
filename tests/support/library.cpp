/*
 * The library under test, loaded once by its path.
 */
#include "library.h"

#include "child.h"

static HMODULE g_library;

HMODULE LibraryUnderTest(void)
{
    if (!g_library)
        g_library = LoadLibraryA(DeliverablePath("zorvrni.dll").c_str());
    return g_library;
}

void FreeLibraryUnderTest(void)
{
    if (g_library)
        FreeLibrary(g_library);
    g_library = NULL;
}
