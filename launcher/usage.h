/*
 * The launcher's help message: a logo read from a file's version resource
 * and the fixed usage text behind it.
 */
#pragma once

#include <windows.h>

/* Slots of a version strings record.  Slot 0 owns the version block; the
 * others point into it and stay null for strings the resource lacks. */
enum {
    VERSION_BLOCK = 0,
    VERSION_COMPANY_NAME,
    VERSION_FILE_DESCRIPTION,
    VERSION_FILE_VERSION,
    VERSION_INTERNAL_NAME,
    VERSION_LEGAL_COPYRIGHT,
    VERSION_ORIGINAL_FILENAME,
    VERSION_PRODUCT_NAME,
    VERSION_PRODUCT_VERSION,
    VERSION_COMMENTS,
    VERSION_LEGAL_TRADEMARKS,
    VERSION_PRIVATE_BUILD,
    VERSION_SPECIAL_BUILD,
    VERSION_SLOT_COUNT
};

struct VersionStrings {
    char *slot[VERSION_SLOT_COUNT];
};

/* The usage text: it opens with a line feed and has none at its end. */
extern const char USAGE_TEXT[];

/* The string table of fileName (null: the running program) in the first
 * language the resource lists.  A file without version information gives
 * STATUS_OK and a null record.  Free the record with FreeVersionStrings. */
int GetVersionStrings(const char *fileName, VersionStrings **record);
/* Frees a record of GetVersionStrings and its block; null does nothing. */
void FreeVersionStrings(VersionStrings *record);

/* Up to three lines, each ending in a line feed: the company, the
 * description with its version, the copyright.  *text is allocated, or null
 * when the file names none of the three; the caller frees it. */
int BuildLogo(const char *fileName, char **text);

/* The help message of the running program: its logo (when withLogo is 1 and
 * there is one) followed by the usage text.  A logo that cannot be read is
 * left out.  *text is allocated; the caller frees it. */
int BuildHelpMessage(int withLogo, char **text);
