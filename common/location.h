/*
 * Where files lie: directory and open probes, registry strings, the
 * recursive wildcard search, the current directory and the search path.
 * Allocated results belong to the caller (free()).
 */
#pragma once

#include <windows.h>

enum { MATCH_EXACT = 1, MATCH_ANY = 2, MATCH_NONE = 3 };

/* Opens path for reading its information only (directories too); the
 * caller closes the handle.  INVALID_HANDLE_VALUE with the last error set
 * on failure. */
HANDLE OpenForQuery(const char *path);
int IsExistingDirectory(const char *path, int *isDirectory);
int CanOpenPath(const char *path, int *opened);
/* Only REG_SZ.  missingIsEmpty 1: a missing key or value, or another type,
 * gives STATUS_OK and a null value. */
int ReadRegistryString(HKEY root, const char *subkey, const char *valueName,
                       int missingIsEmpty, char **value);
/* The first entry matching pattern and the attribute filter (null mask:
 * any entry), the start directory before its subdirectories, each
 * subdirectory's tree before the next.  maxDepth 0: no limit.  A directory
 * reached again through a link or junction is not searched twice.  Once
 * the start directory is entered it stays the current directory when the
 * search returns; on a failure no string is handed out. */
int FindFileRecursive(const char *startDirectory, const char *pattern,
                      const DWORD *mask, int mode, int recursive, int maxDepth,
                      char **fullPath, char **fileName, DWORD *attributes,
                      int *found);
/* One level of that search, in the current directory, which directory
 * names (required). */
int FindFileInCurrentDirectory(const char *directory, const char *pattern,
                               const DWORD *mask, int mode, char **fullPath,
                               char **fileName, DWORD *attributes, int *found);
int ChangeDirectory(const char *path, char **newCurrent);
int GetCurrentDirectoryCopy(char **out);
/* SearchPathA; a result longer than MAX_PATH is handed out whole. */
int SearchSystemPath(const char *pathList, const char *fileName,
                     const char *extension, char **fullPath, char **filePart);
