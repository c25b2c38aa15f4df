/*
 * Paths: the separator at a path's end, joining a directory and a name, and
 * splitting a full path into its parts.  A path entry is a MAX_PATH buffer.
 * A backslash that is the trail byte of a double-byte character is never
 * taken for a separator.
 */
#pragma once

#include <windows.h>
#include <stddef.h>

/* In place; null gives null.  EnsureTrailingSeparator needs one spare byte
 * behind the text, QuoteIfContainsBlank two (it trims, then wraps a text
 * with an inner blank in double quotes unless it starts with one). */
char *EnsureTrailingSeparator(char *path);
char *RemoveTrailingSeparator(char *path);
char *QuoteIfContainsBlank(char *text);

/* Needs directory, name and path.  Writes directory, a backslash unless it
 * ends in a separator (an empty directory gets one), and name into path,
 * which holds size bytes.  A result that needs size bytes or more is
 * refused: STATUS_SYSTEM_ERROR, last error ERROR_FILENAME_EXCED_RANGE, and
 * path is left an empty text (when size allows). */
int JoinPath(const char *directory, const char *name, char *path, size_t size);
/* The same join into a new string of the size it needs; *path is null
 * first and on failure, and the caller frees it. */
int JoinPathAlloc(const char *directory, const char *name, char **path);

/* Needs path and at least one output.  Every string output is a MAX_PATH
 * entry or null.  The full path of a directory ends in a separator, of a
 * file not.  A part that would not fit its entry (the full path of a
 * directory of MAX_PATH - 1 bytes, once its backslash is added) fails the
 * call with STATUS_SYSTEM_ERROR, ERROR_FILENAME_EXCED_RANGE, and no output
 * is written. */
int SplitFullPath(const char *path, char *fullPath, char *directory, char *name, char *drive,
                  char *dirPart, char *extension, DWORD *attributes);

/* SplitFullPath for element 0 of the process's own command line, with the
 * same outputs in the same order; any may be null.  An empty command line
 * fails with STATUS_SYSTEM_ERROR, last error 87; STATUS_MESSAGE_SHOWN when
 * the splitter refused the system in a box. */
int GetOwnPathParts(char *fullPath, char *directory, char *name, char *drive, char *dirPart,
                    char *extension);

/* Refuses a path that does not fit a path entry: sets the last error to
 * ERROR_FILENAME_EXCED_RANGE and returns STATUS_SYSTEM_ERROR. */
int PathTooLongStatus(void);
