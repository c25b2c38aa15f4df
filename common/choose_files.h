/*
 * The open-file dialog for one or several existing files, with the choice
 * checked against a reference directory (the one the dialog opens in),
 * optionally copied into it, and handed back as path entries laid out
 * relative to it; and the path tests that rest under it.
 */
#pragma once

#include <windows.h>

typedef char PathEntry[MAX_PATH];

enum {
    CHOOSE_LAYOUT_FULL = 1,     /* entry 0 the base directory, then full paths */
    CHOOSE_LAYOUT_RELATIVE = 2, /* the caller's directory, then paths below it */
    CHOOSE_LAYOUT_NAMES = 3     /* the base directory, then bare names */
};

enum { CHOOSE_MAX_FILES = 1000 };

#define CHOOSE_FILES_TITLE "Choose Files"
#define OUTSIDE_DIRECTORY_MESSAGE_ID "tarex00122"

/* Shows the dialog in directory with the one filter (either part may be
 * null) and waits for the user.  multiSelect, mustBeInside and copyOutside
 * count when 1.  *result receives an array of maxFiles + 2 entries: entry 0
 * the base directory, then the files, then an empty entry; the caller
 * frees it, whatever the status, once it is set.  A cancel gives STATUS_OK
 * and a null *result.  A null result or maxFiles outside 1 to
 * CHOOSE_MAX_FILES fails with STATUS_SYSTEM_ERROR (87) and touches nothing.
 * A failure after files were copied into directory deletes the copies. */
int ChooseFiles(const char *directory, const char *filterName, const char *filterPattern,
                int multiSelect, int layout, int mustBeInside, int maxFiles, int copyOutside,
                PathEntry **result);

/* Needs all three; directory and path must exist.  *inside becomes 1 when
 * the directory of path (path itself when it is a directory) is directory
 * or lies below it, whole component by whole component, in any case and
 * with either separator; else 0. */
int IsInsideDirectory(const char *directory, const char *path, int *inside);

/* Needs both.  Rewrites path (a path entry) in place to what follows the
 * leading components it shares with base: for a path below base, the part
 * below it (empty for base itself). */
int MakeRelativePath(char *path, const char *base);

/* Needs all three.  *equal becomes 1 when lstrcmpiA finds the texts equal. */
int EqualsNoCase(const char *first, const char *second, int *equal);
