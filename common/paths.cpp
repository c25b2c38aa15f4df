/*
 * Path operations.  A backslash can be the trail byte of a double-byte
 * character (0x95 0x5C in code page 932), so the end of a path is looked at
 * a whole character at a time; every copy into an entry is measured first.
 */
#include "paths.h"

#include "alloc.h"
#include "command_line.h"
#include "error_record.h"
#include "strings.h"

#include <errno.h>
#include <mbstring.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The last character of a non-empty path, found a character at a time so
 * that the trail byte of a double-byte character is never taken for a
 * separator. */
static const char *LastCharacter(const char *path, size_t length)
{
    const unsigned char *start = reinterpret_cast<const unsigned char *>(path);
    return reinterpret_cast<const char *>(_mbsdec(start, start + length));
}

static int EndsInSeparator(const char *path, size_t length)
{
    const char *last = LastCharacter(path, length);
    return last == path + length - 1 && (*last == '\\' || *last == '/');
}

char *EnsureTrailingSeparator(char *path)
{
    if (!path)
        return NULL;
    size_t length = strlen(path);
    if (length == 0 || !EndsInSeparator(path, length)) {
        path[length] = '\\';
        path[length + 1] = '\0';
    }
    return path;
}

char *RemoveTrailingSeparator(char *path)
{
    if (!path)
        return NULL;
    size_t length = strlen(path);
    if (length > 0 && EndsInSeparator(path, length))
        path[length - 1] = '\0';
    return path;
}

char *QuoteIfContainsBlank(char *text)
{
    if (!text)
        return NULL;
    TrimBlanks(text);
    size_t length = strlen(text);
    if (length > 0 && text[0] != '"' && ContainsBlank(text)) {
        memmove(text + 1, text, length);
        text[0] = '"';
        text[length + 1] = '"';
        text[length + 2] = '\0';
    }
    return text;
}

int JoinPath(const char *directory, const char *name, char *path, size_t size)
{
    if (!directory || !name || !path)
        return InvalidParameterStatus();
    size_t directoryLength = strlen(directory);
    size_t separator = directoryLength == 0 || !EndsInSeparator(directory, directoryLength);
    size_t nameLength = strlen(name);
    if (directoryLength + separator + nameLength >= size) {
        if (size > 0)
            path[0] = '\0';
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return STATUS_SYSTEM_ERROR;
    }
    /* Measured above: the three pieces and the terminator fit size.  path
     * may be directory itself. */
    memmove(path, directory, directoryLength);
    if (separator)
        path[directoryLength] = '\\';
    memcpy(path + directoryLength + separator, name, nameLength + 1);
    return STATUS_OK;
}

int JoinPathAlloc(const char *directory, const char *name, char **path)
{
    if (path)
        *path = NULL;
    if (!directory || !name || !path)
        return InvalidParameterStatus();
    size_t size = strlen(directory) + strlen(name) + 2;
    char *joined = NULL;
    int status = AllocZeroed(&joined, size, 1);
    if (status == STATUS_OK)
        status = JoinPath(directory, name, joined, size);
    if (status == STATUS_OK)
        *path = joined;
    else
        free(joined);
    return status;
}

/* One byte beyond a path entry, for the separator a directory's full path
 * gets; every part below is cut from that full path and so fits as well. */
enum { WORK_PATH_SIZE = MAX_PATH + 1 };

struct PathParts {
    char fullPath[WORK_PATH_SIZE];
    char directory[WORK_PATH_SIZE];
    char name[WORK_PATH_SIZE];
    char drive[WORK_PATH_SIZE];
    char dirPart[WORK_PATH_SIZE];
    char extension[WORK_PATH_SIZE];
    DWORD attributes;
};

static int MakeFullPath(const char *path, PathParts *parts)
{
    /* Bounded by the caller's entry size, not by the work buffer. */
    if (!_fullpath(parts->fullPath, path, MAX_PATH)) {
        errno = ENOENT;
        return STATUS_CRT_ERROR;
    }
    parts->attributes = GetFileAttributesA(parts->fullPath);
    if (parts->attributes == INVALID_FILE_ATTRIBUTES)
        return STATUS_SYSTEM_ERROR;
    if (parts->attributes & FILE_ATTRIBUTE_DIRECTORY)
        EnsureTrailingSeparator(parts->fullPath);
    else
        RemoveTrailingSeparator(parts->fullPath);
    return STATUS_OK;
}

static void SplitParts(PathParts *parts)
{
    char fileName[WORK_PATH_SIZE];
    _splitpath(parts->fullPath, parts->drive, parts->dirPart, fileName, parts->extension);
    snprintf(parts->directory, sizeof(parts->directory), "%s%s", parts->drive, parts->dirPart);
    snprintf(parts->name, sizeof(parts->name), "%s%s", fileName, parts->extension);
}

struct PathOutput {
    char *target; /* a caller's MAX_PATH entry, or null */
    const char *text;
};

/* Copies every wanted part, or none when one of them would not fit. */
static int DeliverParts(const PathOutput *outputs, size_t count)
{
    for (size_t i = 0; i < count; i++) {
        if (outputs[i].target && strlen(outputs[i].text) >= MAX_PATH) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return STATUS_SYSTEM_ERROR;
        }
    }
    for (size_t i = 0; i < count; i++)
        if (outputs[i].target)
            lstrcpynA(outputs[i].target, outputs[i].text, MAX_PATH);
    return STATUS_OK;
}

int SplitFullPath(const char *path, char *fullPath, char *directory, char *name, char *drive,
                  char *dirPart, char *extension, DWORD *attributes)
{
    if (!path ||
        (!fullPath && !directory && !name && !drive && !dirPart && !extension && !attributes))
        return InvalidParameterStatus();

    PathParts parts;
    int status = MakeFullPath(path, &parts);
    if (status == STATUS_OK) {
        SplitParts(&parts);
        const PathOutput outputs[] = {
            {fullPath, parts.fullPath}, {directory, parts.directory}, {name, parts.name},
            {drive, parts.drive},       {dirPart, parts.dirPart},     {extension, parts.extension},
        };
        status = DeliverParts(outputs, ARRAY_SIZE(outputs));
    }
    if (status == STATUS_OK && attributes)
        *attributes = parts.attributes;
    return status;
}

int GetOwnPathParts(char *fullPath, char *directory, char *name, char *drive, char *dirPart,
                    char *extension)
{
    char **vector = NULL;
    int count = 0;
    int status = SplitCommandLine(NULL, &vector, &count);
    /* A process can be started with an empty command line. */
    if (status == STATUS_OK && count == 0)
        status = InvalidParameterStatus();
    if (status == STATUS_OK)
        status = SplitFullPath(vector[0], fullPath, directory, name, drive, dirPart, extension,
                               NULL);
    FreeArgumentVector(&vector, &count);
    return status;
}

int PathTooLongStatus(void)
{
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return STATUS_SYSTEM_ERROR;
}
