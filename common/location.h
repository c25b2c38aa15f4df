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
/* Needs both.  *isDirectory: 1 when path names an existing directory, 0
 * when it names a file or nothing (no failure). */
int IsExistingDirectory(const char *path, int *isDirectory);
/* Needs both.  *opened: 1 when path opens for a query, 0 when the system
 * cannot open a directory (Windows 95/98); other refusals fail with
 * STATUS_SYSTEM_ERROR. */
int CanOpenPath(const char *path, int *opened);
/* The REG_SZ value valueName (null: the default value) of root\subkey into
 * a new string *value (null first), terminated even when the registry
 * left it bare; the caller frees it.  A system failure is STATUS_STORED_ERROR
 * with the stored code; another type is an application failure.
 * missingIsEmpty 1: a missing key or value, or another type, gives
 * STATUS_OK and a null value. */
int ReadRegistryString(HKEY root, const char *subkey, const char *valueName, int missingIsEmpty,
                       char **value);
/* The first entry matching pattern and the attribute filter (null mask:
 * any entry), the start directory before its subdirectories, each
 * subdirectory's tree before the next.  maxDepth 0: no limit.  A directory
 * reached again through a link or junction is not searched twice.  Once
 * the start directory is entered it stays the current directory when the
 * search returns; on a failure no string is handed out. */
int FindFileRecursive(const char *startDirectory, const char *pattern, const DWORD *mask, int mode,
                      int recursive, int maxDepth, char **fullPath, char **fileName,
                      DWORD *attributes, int *found);
/* One level of that search, in the current directory, which directory
 * names (required). */
int FindFileInCurrentDirectory(const char *directory, const char *pattern, const DWORD *mask,
                               int mode, char **fullPath, char **fileName, DWORD *attributes,
                               int *found);
/* Makes path the current directory; *newCurrent (may be null) receives a
 * new copy of the resulting current directory, which the caller frees. */
int ChangeDirectory(const char *path, char **newCurrent);
/* Needs out.  *out receives a new copy of the current directory, of any
 * length; the caller frees it. */
int GetCurrentDirectoryCopy(char **out);
/* SearchPathA for fileName (with extension when it has none) along
 * pathList (null: the system's order).  *fullPath and *filePart (either may
 * be null) receive new strings the caller frees; a result longer than
 * MAX_PATH is handed out whole.  Not found: STATUS_SYSTEM_ERROR. */
int SearchSystemPath(const char *pathList, const char *fileName, const char *extension,
                     char **fullPath, char **filePart);
