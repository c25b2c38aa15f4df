/*
 * Splitting a command line into an argument vector by the Microsoft C
 * run-time rules.  A vector is an allocated array of allocated strings; the
 * caller frees it with FreeArgumentVector.
 */
#pragma once

/* Null commandLine: the process's own (GetCommandLineA).  *vector must be
 * null on entry; it keeps a null pointer behind the last element.  On
 * failure the elements made so far stay in the vector for the caller to
 * free.  Returns 1 (not a status) after telling a Win32s user in a box. */
int SplitCommandLine(const char *commandLine, char ***vector, int *count);

/* Frees the first *count elements and the array; 1 when count is null. */
int FreeArgumentVector(char ***vector, int *count);

/* Splits element 0 of the process command line into MAX_PATH buffers (any
 * may be null) as SplitFullPath does. */
int GetOwnPathParts(char *fullPath, char *fileName, char *directory,
                    char *dirPart, char *extension, char *drive);

/* Converts the process's wide command line (the first argument is ignored)
 * into a vector like SplitCommandLine's.  Returns 1 (not a status) after
 * telling the user of a system older than NT 3.5 in a box. */
int SplitCommandLineWide(const char *ignored, char ***vector, int *count);
