/*
 * File, volume and storage information.  Each query takes a path (or the
 * current directory), asks Windows once per fact and hands out only what
 * the caller wants.  The flag words become texts through tables, in the
 * order the Java side has always received them.
 */
#include "file_info.h"

#include "alloc.h"
#include "error_record.h"
#include "location.h"
#include "paths.h"
#include "strings.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

struct FlagText {
    DWORD bit;
    const char *text;
};

/* 0x40 is what this system has always reported as "encrypted". */
static const FlagText ATTRIBUTE_TEXTS[] = {
    {FILE_ATTRIBUTE_DIRECTORY, "directory"},
    {FILE_ATTRIBUTE_READONLY, "read-only"},
    {FILE_ATTRIBUTE_ARCHIVE, "archive"},
    {FILE_ATTRIBUTE_HIDDEN, "hidden"},
    {FILE_ATTRIBUTE_SYSTEM, "system"},
    {FILE_ATTRIBUTE_COMPRESSED, "compressed"},
    {0x40, "encrypted"},
    {FILE_ATTRIBUTE_NORMAL, "no attributes set"},
    {FILE_ATTRIBUTE_OFFLINE, "moved to offline storage"},
    {FILE_ATTRIBUTE_REPARSE_POINT, "reparse point"},
    {FILE_ATTRIBUTE_SPARSE_FILE, "sparse file"},
    {FILE_ATTRIBUTE_TEMPORARY, "temporary storage"},
};

static const FlagText FILE_SYSTEM_FLAG_TEXTS[] = {
    {FS_CASE_IS_PRESERVED,
     "The file system preserves the case of filenames when it places a name on disk."},
    {FS_CASE_SENSITIVE, "The file system supports case-sensitive filenames."},
    {FS_UNICODE_STORED_ON_DISK,
     "The file system supports Unicode in filenames as they appear on disk."},
    {FS_PERSISTENT_ACLS, "The file system preserves and enforces ACLs. For example, NTFS "
                         "preserves and enforces ACLs, and FAT does not."},
    {FS_FILE_COMPRESSION, "The file system supports file-based compression."},
    {FS_VOL_IS_COMPRESSED,
     "The specified volume is a compressed volume; for example, a DoubleSpace volume."},
    {FILE_SUPPORTS_ENCRYPTION, "The file system supports the Encrypted File System (EFS)."},
    {FILE_SUPPORTS_OBJECT_IDS, "The file system supports object identifiers."},
    {FILE_SUPPORTS_SPARSE_FILES, "The file system supports sparse files."},
    {FILE_SUPPORTS_REPARSE_POINTS, "The file system supports reparse points."},
    {FILE_VOLUME_QUOTAS, "The file system supports disk quotas."},
};

static_assert(ARRAY_SIZE(ATTRIBUTE_TEXTS) < ATTRIBUTE_LIST_SIZE, "room for the null end");
static_assert(ARRAY_SIZE(FILE_SYSTEM_FLAG_TEXTS) < FILE_SYSTEM_FLAG_LIST_SIZE,
              "room for the null end");

/* Indexed by GetDriveTypeA's result; anything beyond is unknown. */
static const char *const DRIVE_TYPE_TEXTS[] = {
    "Unknown", "Win32Path does not exist", "Removable", "Fixed", "Remote", "CD-ROM", "RAM Disk",
};

/* 100-nanosecond units from 1601-01-01 to 1970-01-01, and per second. */
static const uint64_t UNIX_EPOCH_TICKS = 116444736000000000ULL;
static const uint64_t TICKS_PER_SECOND = 10000000ULL;

/* path, or the current directory for a null or empty one, into an entry. */
static int TakePath(const char *path, char *entry)
{
    if (!path || !*path) {
        DWORD length = GetCurrentDirectoryA(MAX_PATH, entry);
        if (length == 0)
            return STATUS_SYSTEM_ERROR;
        return length < MAX_PATH ? STATUS_OK : PathTooLongStatus();
    }
    if (strlen(path) >= MAX_PATH)
        return PathTooLongStatus();
    lstrcpynA(entry, path, MAX_PATH);
    return STATUS_OK;
}

/* A new list of size entries with the text of every bit set in flags. */
static int NewFlagList(const FlagText *table, size_t count, size_t size, DWORD flags,
                       const char ***list)
{
    const char **texts = NULL;
    int status = AllocZeroed(&texts, size, sizeof(*texts));
    if (status != STATUS_OK)
        return status;
    size_t used = 0;
    for (size_t i = 0; i < count; i++)
        if (flags & table[i].bit)
            texts[used++] = table[i].text;
    *list = texts;
    return STATUS_OK;
}

/* A new string of size bytes holding text, which fits it. */
static int NewCopy(char **out, const char *text, size_t size)
{
    char *copy = NULL;
    int status = AllocZeroed(&copy, size, 1);
    if (status == STATUS_OK) {
        lstrcpynA(copy, text, (int)size);
        *out = copy;
    }
    return status;
}

static int64_t FileTimeTicks(const FILETIME *time)
{
    return (int64_t)(((uint64_t)time->dwHighDateTime << 32) | time->dwLowDateTime);
}

int FileTimeToText(const FILETIME *time, int options, size_t capacity, char **text)
{
    if (!time || !text || (!(options & TIME_TEXT_ALLOCATE) && !*text))
        return InvalidParameterStatus();
    if (!(options & (TIME_TEXT_DATE | TIME_TEXT_TIME)))
        return STATUS_OK;

    FILETIME source = *time;
    SYSTEMTIME parts;
    if (options & TIME_TEXT_LOCAL) {
        if (!FileTimeToLocalFileTime(time, &source))
            return STATUS_SYSTEM_ERROR;
    }
    if (!FileTimeToSystemTime(&source, &parts))
        return STATUS_SYSTEM_ERROR;

    char work[64];
    char date[32] = "";
    char clock[32] = "";
    if (options & TIME_TEXT_DATE)
        snprintf(date, sizeof(date), "%u.%u.%u", parts.wYear, parts.wMonth, parts.wDay);
    if (options & TIME_TEXT_TIME)
        snprintf(clock, sizeof(clock), "%u.%u.%u", parts.wHour, parts.wMinute, parts.wSecond);
    const char *joint = *date && *clock ? "." : "";
    size_t length = (size_t)snprintf(work, sizeof(work), "%s%s%s", date, joint, clock);

    if ((options & TIME_TEXT_ALLOCATE) && capacity == 0)
        capacity = FILE_TIME_TEXT_SIZE;
    if (length >= capacity) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return STATUS_SYSTEM_ERROR;
    }
    if (options & TIME_TEXT_ALLOCATE)
        return NewCopy(text, work, capacity);
    memcpy(*text, work, length + 1);
    return STATUS_OK;
}

int FileTimeToSeconds(const FILETIME *time, int64_t *seconds)
{
    if (!time)
        return InvalidParameterStatus();
    uint64_t ticks = (uint64_t)FileTimeTicks(time);
    int64_t result;
    if (ticks >= UNIX_EPOCH_TICKS)
        result = (int64_t)((ticks - UNIX_EPOCH_TICKS) / TICKS_PER_SECOND);
    else /* rounded down, so that a part of a second before 1970 is -1 */
        result = -(int64_t)((UNIX_EPOCH_TICKS - ticks + TICKS_PER_SECOND - 1) / TICKS_PER_SECOND);
    if (seconds)
        *seconds = result;
    return STATUS_OK;
}

/* The short form of fullPath into a new 68-byte string.  A short form that
 * needs more room (Windows 95 refuses it with ERROR_INVALID_PARAMETER, NT
 * answers with the size it needs) leaves the string empty: no failure. */
static int NewShortPath(const char *fullPath, char **shortPath)
{
    char *text = NULL;
    int status = AllocZeroed(&text, SHORT_PATH_TEXT_SIZE, 1);
    if (status != STATUS_OK)
        return status;
    DWORD length = GetShortPathNameA(fullPath, text, SHORT_PATH_TEXT_SIZE);
    if (length == 0 &&
        !(strlen(fullPath) >= SHORT_PATH_TEXT_SIZE && GetLastError() == ERROR_INVALID_PARAMETER))
        status = STATUS_SYSTEM_ERROR;
    if (length == 0 || length >= SHORT_PATH_TEXT_SIZE)
        text[0] = '\0';
    *shortPath = text;
    return status;
}

struct TimeOutput {
    const FILETIME *time;
    char **text;
    int64_t *seconds;
};

static int DeliverTimes(const TimeOutput *outputs, size_t count)
{
    int status = STATUS_OK;
    for (size_t i = 0; i < count && status == STATUS_OK; i++) {
        if (outputs[i].text)
            status = FileTimeToText(outputs[i].time,
                                    TIME_TEXT_DATE | TIME_TEXT_TIME | TIME_TEXT_LOCAL |
                                        TIME_TEXT_ALLOCATE,
                                    FILE_TIME_TEXT_SIZE, outputs[i].text);
        if (status == STATUS_OK)
            status = FileTimeToSeconds(outputs[i].time, outputs[i].seconds);
    }
    return status;
}

static void DeliverSizes(const BY_HANDLE_FILE_INFORMATION *info, uint32_t *sizeHigh,
                         uint32_t *sizeLow, int64_t *size, uint32_t *linkCount)
{
    if (linkCount)
        *linkCount = info->nNumberOfLinks;
    if (sizeHigh)
        *sizeHigh = info->nFileSizeHigh;
    if (sizeLow)
        *sizeLow = info->nFileSizeLow;
    if (size)
        *size = (int64_t)(((uint64_t)info->nFileSizeHigh << 32) | info->nFileSizeLow);
}

int QueryFileInfo(const char *path, char **fullPath, char **shortPath, void *, uint32_t *sizeHigh,
                  uint32_t *sizeLow, int64_t *size, uint32_t *linkCount, char **creationText,
                  int64_t *creationSeconds, char **lastAccessText, int64_t *lastAccessSeconds,
                  char **lastWriteText, int64_t *lastWriteSeconds, const char ***attributeTexts)
{
    char entry[MAX_PATH];
    char *shortText = NULL;
    HANDLE handle = INVALID_HANDLE_VALUE;
    BY_HANDLE_FILE_INFORMATION info;

    int status = TakePath(path, entry);
    if (status == STATUS_OK)
        status = SplitFullPath(entry, entry, NULL, NULL, NULL, NULL, NULL, NULL);
    if (status == STATUS_OK) {
        handle = OpenForQuery(entry);
        if (handle == INVALID_HANDLE_VALUE)
            status = STATUS_SYSTEM_ERROR;
    }
    if (status == STATUS_OK && fullPath)
        status = NewCopy(fullPath, entry, FULL_PATH_TEXT_SIZE);
    if (status == STATUS_OK) {
        status = NewShortPath(entry, &shortText);
        if (shortPath) {
            *shortPath = shortText;
            shortText = NULL;
        }
    }
    if (status == STATUS_OK && !GetFileInformationByHandle(handle, &info))
        status = STATUS_SYSTEM_ERROR;
    if (status == STATUS_OK) {
        DeliverSizes(&info, sizeHigh, sizeLow, size, linkCount);
        const TimeOutput times[] = {
            {&info.ftCreationTime, creationText, creationSeconds},
            {&info.ftLastAccessTime, lastAccessText, lastAccessSeconds},
            {&info.ftLastWriteTime, lastWriteText, lastWriteSeconds},
        };
        status = DeliverTimes(times, ARRAY_SIZE(times));
    }
    if (status == STATUS_OK && attributeTexts)
        status = NewFlagList(ATTRIBUTE_TEXTS, ARRAY_SIZE(ATTRIBUTE_TEXTS), ATTRIBUTE_LIST_SIZE,
                             info.dwFileAttributes, attributeTexts);

    if (handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
    free(shortText);
    return status;
}

/* The root of path's drive, such as C:\; a path without a drive letter
 * gives a lone backslash, the root of the current drive. */
static int VolumeRoot(const char *path, char *root)
{
    char entry[MAX_PATH];
    int status = TakePath(path, entry);
    if (status == STATUS_OK)
        status = SplitFullPath(entry, NULL, NULL, NULL, root, NULL, NULL, NULL);
    if (status == STATUS_OK)
        EnsureTrailingSeparator(root); /* a drive is two bytes of the entry */
    return status;
}

/* Quietly, so that an empty removable drive fails instead of asking for a
 * disk. */
static BOOL QuietVolumeInformation(const char *root, char *volumeName, DWORD volumeNameSize,
                                   DWORD *serial, DWORD *maxComponent, DWORD *flags,
                                   char *fileSystemName, DWORD fileSystemNameSize)
{
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    BOOL ok = GetVolumeInformationA(root, volumeName, volumeNameSize, serial, maxComponent, flags,
                                    fileSystemName, fileSystemNameSize);
    DWORD error = GetLastError();
    SetErrorMode(oldMode);
    SetLastError(error);
    return ok;
}

/* Names are offered half of their string, as this system always did. */
enum { FILE_SYSTEM_NAME_OFFERED = 128, VOLUME_NAME_OFFERED = 64 };

int QueryFileSystemInfo(const char *path, char **fileSystemName, const char ***flagTexts,
                        uint32_t *maxComponentLength)
{
    char root[MAX_PATH];
    char *name = NULL;
    DWORD maxComponent = 0;
    DWORD flags = 0;
    int status = VolumeRoot(path, root);
    if (status == STATUS_OK && fileSystemName) {
        status = AllocZeroed(&name, FILE_SYSTEM_NAME_OFFERED, 2);
        if (status == STATUS_OK)
            *fileSystemName = name;
    }
    if (status == STATUS_OK && !QuietVolumeInformation(root, NULL, 0, NULL, &maxComponent, &flags,
                                                       name, name ? FILE_SYSTEM_NAME_OFFERED : 0))
        status = STATUS_SYSTEM_ERROR;
    if (status == STATUS_OK && maxComponentLength)
        *maxComponentLength = maxComponent;
    if (status == STATUS_OK && flagTexts)
        status = NewFlagList(FILE_SYSTEM_FLAG_TEXTS, ARRAY_SIZE(FILE_SYSTEM_FLAG_TEXTS),
                             FILE_SYSTEM_FLAG_LIST_SIZE, flags, flagTexts);
    return status;
}

static const char *DriveTypeText(UINT type)
{
    return type < ARRAY_SIZE(DRIVE_TYPE_TEXTS) ? DRIVE_TYPE_TEXTS[type] : DRIVE_TYPE_TEXTS[0];
}

static int NewSerialText(DWORD serial, char **serialText)
{
    char digits[16]; /* a sign and ten digits */
    _itoa((int)serial, digits, 10);
    return DupString(serialText, digits);
}

/* Unreadable space only clears spaceKnown. */
static void DeliverSpace(const char *root, uint32_t *spaceKnown, int64_t *freeBytes,
                         int64_t *totalBytes, int64_t *availableBytes)
{
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, allClusters;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                           &allClusters)) {
        SetLastError(0);
        if (spaceKnown)
            *spaceKnown = 0;
        return;
    }
    uint64_t clusterBytes = (DWORD)(sectorsPerCluster * bytesPerSector);
    if (spaceKnown)
        *spaceKnown = 1;
    if (freeBytes)
        *freeBytes = (int64_t)(clusterBytes * freeClusters);
    if (totalBytes)
        *totalBytes = (int64_t)(clusterBytes * allClusters);
    if (availableBytes)
        *availableBytes = (int64_t)(clusterBytes * freeClusters);
}

int QueryStorageInfo(const char *path, char **volumeName, char **serialText,
                     const char **driveTypeText, uint32_t *spaceKnown, int64_t *freeBytes,
                     int64_t *totalBytes, int64_t *availableBytes)
{
    char root[MAX_PATH];
    char *name = NULL;
    DWORD serial = 0;
    DWORD maxComponent = 0;
    DWORD flags = 0;
    int status = VolumeRoot(path, root);
    if (status == STATUS_OK && driveTypeText)
        *driveTypeText = DriveTypeText(GetDriveTypeA(root));
    if (status == STATUS_OK && volumeName) {
        status = AllocZeroed(&name, VOLUME_NAME_OFFERED, 2);
        if (status == STATUS_OK)
            *volumeName = name;
    }
    if (status == STATUS_OK && !QuietVolumeInformation(root, name, name ? VOLUME_NAME_OFFERED : 0,
                                                       &serial, &maxComponent, &flags, NULL, 0))
        status = STATUS_SYSTEM_ERROR;
    if (status == STATUS_OK && serialText)
        status = NewSerialText(serial, serialText);
    if (status == STATUS_OK)
        DeliverSpace(root, spaceKnown, freeBytes, totalBytes, availableBytes);
    return status;
}
