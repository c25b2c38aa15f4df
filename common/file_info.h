/*
 * What a file, its file system and its storage device are: sizes, links,
 * times, attributes, file-system features, label, serial and space, with
 * the system's flag words turned into fixed English texts.  Every output is
 * optional (null: not wanted).  New strings and text lists come from
 * AllocZeroed and are freed by the caller with free(); the texts inside a
 * list and the drive-type text are constants of this unit, never freed.
 * Outputs filled before a failure stay filled and still belong to the
 * caller.
 */
#pragma once

#include <windows.h>
#include <stddef.h>
#include <stdint.h>

enum {
    FILE_TIME_TEXT_SIZE = 100,
    FULL_PATH_TEXT_SIZE = MAX_PATH + 1,
    SHORT_PATH_TEXT_SIZE = 68,
    ATTRIBUTE_LIST_SIZE = 13, /* twelve texts at most, and the null end */
    FILE_SYSTEM_FLAG_LIST_SIZE = 12
};

/* Options of FileTimeToText. */
enum {
    TIME_TEXT_DATE = 1,
    TIME_TEXT_TIME = 2,
    TIME_TEXT_LOCAL = 4,   /* convert to local time first */
    TIME_TEXT_ALLOCATE = 8 /* *text receives a new string of capacity bytes */
};

/* Needs time and text.  Writes the date as year.month.day and the time as
 * hour.minute.second, each number without leading zeros, both joined by a
 * dot (2001.12.31.23.59.59).  With TIME_TEXT_ALLOCATE *text receives a new
 * string of capacity bytes (0: FILE_TIME_TEXT_SIZE), else the text goes to
 * the existing string *text of capacity bytes; a text that does not fit
 * fails with ERROR_INSUFFICIENT_BUFFER.  Neither date nor time asked:
 * nothing happens.  Null time or text: STATUS_SYSTEM_ERROR, last error 87. */
int FileTimeToText(const FILETIME *time, int options, size_t capacity, char **text);

/* Whole seconds between 1970-01-01 00:00:00 UTC and time, rounded down:
 * negative before 1970.  Needs time; seconds may be null. */
int FileTimeToSeconds(const FILETIME *time, int64_t *seconds);

/* Null or empty path: the current directory.  A path that would not fit a
 * path entry is refused (STATUS_SYSTEM_ERROR, ERROR_FILENAME_EXCED_RANGE)
 * rather than cut, which would describe another file.  fullPath of a
 * directory ends in a backslash; shortPath is empty when the short form is
 * longer than 67 characters; reserved is never written; the time texts are
 * local time, the seconds UTC; attributeTexts is a list of
 * ATTRIBUTE_LIST_SIZE entries. */
int QueryFileInfo(const char *path, char **fullPath, char **shortPath, void *reserved,
                  uint32_t *sizeHigh, uint32_t *sizeLow, int64_t *size, uint32_t *linkCount,
                  char **creationText, int64_t *creationSeconds, char **lastAccessText,
                  int64_t *lastAccessSeconds, char **lastWriteText, int64_t *lastWriteSeconds,
                  const char ***attributeTexts);

/* The volume of path (null or empty: the current directory); a path
 * without a drive letter describes the current drive.  flagTexts is a list
 * of FILE_SYSTEM_FLAG_LIST_SIZE entries. */
int QueryFileSystemInfo(const char *path, char **fileSystemName, const char ***flagTexts,
                        uint32_t *maxComponentLength);

/* serialText is the serial number in signed decimal.  Free space that
 * cannot be read is no failure: spaceKnown 0 and the byte counts are left
 * alone.  availableBytes is the same value as freeBytes. */
int QueryStorageInfo(const char *path, char **volumeName, char **serialText,
                     const char **driveTypeText, uint32_t *spaceKnown, int64_t *freeBytes,
                     int64_t *totalBytes, int64_t *availableBytes);
