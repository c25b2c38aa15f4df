/*
 * Where files lie: directory and open probes, registry strings, the
 * recursive wildcard search, the current directory and the search path.
 * Allocated results belong to the caller (free()).
 */
#pragma once

#include <windows.h>

enum { MATCH_EXACT = 1, MATCH_ANY = 2, MATCH_NONE = 3 };

int IsExistingDirectory(const char *path, int *isDirectory);
int CanOpenPath(const char *path, int *opened);
int ReadRegistryString(HKEY root, const char *subkey, const char *valueName,
                       int missingIsEmpty, char **value);
/* maxDepth 0: no limit.  The current directory is the start directory
 * again when it returns. */
int FindFileRecursive(const char *startDirectory, const char *pattern,
                      const DWORD *mask, int mode, int recursive, int maxDepth,
                      char **fullPath, char **fileName, DWORD *attributes,
                      int *found);
int FindFileInCurrentDirectory(const char *directory, const char *pattern,
                               const DWORD *mask, int mode, char **fullPath,
                               char **fileName, DWORD *attributes, int *found);
int ChangeDirectory(const char *path, char **newCurrent);
int GetCurrentDirectoryCopy(char **out);
int SearchSystemPath(const char *pathList, const char *fileName,
                     const char *extension, char **fullPath, char **filePart);
