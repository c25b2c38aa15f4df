/*
 * File operation wrappers.  The runtime routines report through errno; each
 * wrapper names the failed routine and path through ReportFileError, which
 * only names it: the error record is left to the caller's own steps.
 */
#include "file_operations.h"

#include "error_record.h"
#include "location.h"
#include "paths.h"
#include "strings.h"

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdarg.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>

enum { TMPNAM_ATTEMPTS = 32767 };
/* GetTempFileNameA forms names from the low 16 bits of its number. */
enum { ASIDE_NUMBERS = 0xFFFF };

static const char RUNTIME_FAILED[] = "E-3056-COMM-ERR_RETURNED";

static int InvalidArgument(void)
{
    errno = EINVAL;
    return STATUS_CRT_ERROR;
}

/* errno back to 0 after a failure has been named, passing status through. */
static int ResetErrno(int status)
{
    if (status != STATUS_OK)
        errno = 0;
    return status;
}

int ReportFileError(const char *, const char *, int, ...) { return 0; }

int ReportRuntimeFailure(const char *routine, const char *path)
{
    ReportFileError(RUNTIME_FAILED, "File functions", 3, routine, path, strerror(errno));
    return STATUS_APP_ERROR;
}

int CrtAccess(const char *path, int mode, int *accessible)
{
    if (!path || !accessible)
        return InvalidArgument();
    int status = STATUS_OK;
    if (_access(path, mode) == 0)
        *accessible = 1;
    else if (errno == EACCES || (errno == ENOENT && mode == 0)) {
        *accessible = 0;
        errno = 0;
    } else
        status = ResetErrno(ReportRuntimeFailure("access", path));
    return status;
}

/* A missing file is the caller's own answer, not a reported failure. */
static int MissingOrReported(void) { return errno == ENOENT ? STATUS_CRT_ERROR : STATUS_APP_ERROR; }

int CrtStat(const char *path, unsigned short *mode)
{
    if (!path || !mode)
        return InvalidArgument();
    struct _stat info;
    if (_stat(path, &info) != 0) {
        ReportRuntimeFailure("stat", path);
        return MissingOrReported();
    }
    *mode = info.st_mode;
    return STATUS_OK;
}

int CrtChmod(const char *path, const int *permission)
{
    if (!path)
        return InvalidArgument();
    if (!permission || _chmod(path, *permission) == 0)
        return STATUS_OK;
    ReportRuntimeFailure("chmod", path);
    return ResetErrno(MissingOrReported());
}

int CrtRemove(const char *path)
{
    if (!path)
        return InvalidArgument();
    int present = 0;
    int status = CrtAccess(path, 0, &present);
    if (status != STATUS_OK || !present)
        return status;
    /* Only to clear read-only; remove reports what still stands in its way. */
    const int permission = FILE_PERMISSION_READ_WRITE;
    CrtChmod(path, &permission);
    if (remove(path) != 0)
        status = ResetErrno(ReportRuntimeFailure("remove", path));
    return status;
}

static BOOL FileIdentity(const char *path, BY_HANDLE_FILE_INFORMATION *info)
{
    HANDLE handle = OpenForQuery(path);
    if (handle == INVALID_HANDLE_VALUE)
        return FALSE;
    BOOL known = GetFileInformationByHandle(handle, info);
    CloseHandle(handle);
    return known;
}

/* 1 when both names reach one file: equal but for case, or spelled another
 * way (".\a.txt", a short name, a second link).  A move or copy of a file
 * onto itself would otherwise remove or empty it before it is read. */
static int NameSameFile(const char *first, const char *second)
{
    if (MbsICmp(first, second) == 0)
        return 1;
    BY_HANDLE_FILE_INFORMATION one, other;
    return FileIdentity(first, &one) && FileIdentity(second, &other) &&
           one.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
           one.nFileIndexHigh == other.nFileIndexHigh && one.nFileIndexLow == other.nFileIndexLow;
}

/* Renames an existing target file to a free name in its own directory,
 * into aside (MAX_PATH bytes), so that it can be put back when the source
 * cannot take its place.  aside stays empty when there is no file there: a
 * directory in its place is no file to replace, and the rename that
 * follows fails on it. */
static int SetTargetAside(const char *target, char *aside)
{
    aside[0] = '\0';
    DWORD attributes = GetFileAttributesA(target);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return STATUS_OK;
    char directory[MAX_PATH];
    if (SplitFullPath(target, NULL, directory, NULL, NULL, NULL, NULL, NULL) != STATUS_OK) {
        errno = ENAMETOOLONG;
        return ReportRuntimeFailure("rename", target);
    }
    /* A given number only forms the name (an 8.3 one); nothing is created. */
    for (UINT number = 1; number <= ASIDE_NUMBERS; number++) {
        if (GetTempFileNameA(directory, "zmv", number, aside) == 0) {
            errno = ENAMETOOLONG;
            break;
        }
        if (rename(target, aside) == 0)
            return STATUS_OK;
        if (errno != EEXIST)
            break;
    }
    aside[0] = '\0';
    return ReportRuntimeFailure("rename", target);
}

/* After a failed move: the set-aside target back under its name. */
static void PutTargetBack(const char *aside, const char *target)
{
    if (aside[0] && rename(aside, target) != 0)
        ReportRuntimeFailure("rename", aside);
}

/* Without MoveFileEx (Windows 95) a rename cannot replace its target, and
 * a target removed first is lost when the rename then fails (source
 * locked, directory read-only, another volume).  So the target is only set
 * aside, and removed once the source has its name. */
int CrtMoveFile(const char *target, const char *source, int overwrite)
{
    if (!target || !source)
        return InvalidArgument();
    int present = 0;
    int status = CrtAccess(source, 0, &present);
    if (status == STATUS_OK && !present) {
        ReportFileError("E-0298-COMM-FILE_OPER_FAULT", "CrtMoveFile", 1, source);
        status = STATUS_APP_ERROR;
    }
    if (status != STATUS_OK || NameSameFile(source, target))
        return status;
    char aside[MAX_PATH] = "";
    if (overwrite == 1)
        status = SetTargetAside(target, aside);
    if (status == STATUS_OK && rename(source, target) != 0) {
        status = ReportRuntimeFailure("rename", source);
        PutTargetBack(aside, target);
    } else if (status == STATUS_OK && aside[0]) {
        status = CrtRemove(aside);
    }
    return ResetErrno(status);
}

int CheckCopyTarget(const char *target, const char *source, int overwrite, int *copyNeeded)
{
    if (!target || !source || !copyNeeded)
        return InvalidArgument();
    *copyNeeded = 0;
    if (NameSameFile(source, target))
        return STATUS_OK;
    int present = 0;
    int status = overwrite ? STATUS_OK : CrtAccess(target, 0, &present);
    if (status == STATUS_OK && present) {
        ReportFileError("E-4014-COMM-FILE_OPER_FAULT", "CrtCopyFile", 3, source, "", target);
        status = STATUS_APP_ERROR;
    }
    if (status == STATUS_OK)
        *copyNeeded = 1;
    return status;
}

int CrtCopyFile(const char *target, const char *source, const int *, int overwrite)
{
    int copyNeeded = 0;
    int status = CheckCopyTarget(target, source, overwrite, &copyNeeded);
    if (status == STATUS_OK && copyNeeded && !CopyFileA(source, target, overwrite == 0))
        status = STATUS_SYSTEM_ERROR;
    return status;
}

/* A new file under a fresh tmpnam name; a name taken meanwhile by another
 * file is passed over. */
static int CreateTempFile(char *name, int *descriptor)
{
    for (;;) {
        int attempts = 0;
        while (attempts < TMPNAM_ATTEMPTS && !tmpnam(name))
            attempts++;
        if (attempts == TMPNAM_ATTEMPTS) {
            ReportFileError("S-0249-COMM-PROGRAM_ERROR", "", 0);
            return STATUS_APP_ERROR;
        }
        /* Read and write, so that the stream opened on it can be used. */
        *descriptor = _open(name, _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (*descriptor != -1)
            return STATUS_OK;
        if (errno != EEXIST)
            return ReportRuntimeFailure("open", name);
    }
}

int CrtOpenTempFile(char *name, FILE **stream, const char *streamMode)
{
    if (!name || !stream || !streamMode)
        return InvalidArgument();
    int descriptor = -1;
    int status = CreateTempFile(name, &descriptor);
    if (status == STATUS_OK) {
        FILE *opened = _fdopen(descriptor, streamMode);
        if (opened)
            *stream = opened;
        else { /* the file was made for the stream alone: nothing is left */
            status = ReportRuntimeFailure("fdopen", name);
            _close(descriptor);
            remove(name);
        }
    }
    return ResetErrno(status);
}

int CrtCreateNewFile(const char *path, int truncate, const int *permission, int *existed)
{
    if (!path || !existed)
        return InvalidArgument();
    int flags = _O_WRONLY | _O_CREAT | (truncate == 1 ? _O_TRUNC : _O_EXCL);
    int descriptor = _open(path, flags, permission ? *permission : FILE_PERMISSION_READ_WRITE);
    int status = STATUS_OK;
    if (descriptor != -1) {
        if (_close(descriptor) != 0) {
            ReportFileError("E0002", "Cannot close the file \"%s\".\n%s\n", 2, path,
                            strerror(errno));
            status = STATUS_APP_ERROR;
        }
    } else if (truncate == 0 && errno == EEXIST) {
        *existed = 1;
        errno = 0;
        status = 1;
    } else {
        ReportFileError("E0001", "Cannot open the file \"%s\".\n%s\n", 2, path, strerror(errno));
        status = STATUS_APP_ERROR;
    }
    return ResetErrno(status);
}

const char *EndsWith(const char *text, const char *suffix)
{
    if (!text || !suffix || !*text || !*suffix)
        return NULL;
    size_t textLength = strlen(text);
    size_t suffixLength = strlen(suffix);
    if (suffixLength > textLength)
        return NULL;
    const char *start = text + textLength - suffixLength;
    return memcmp(start, suffix, suffixLength) == 0 ? start : NULL;
}

const char *FindLastText(const char *text, const char *part)
{
    if (!text || !part || !*text || !*part)
        return NULL;
    const char *last = NULL;
    for (const char *found = strstr(text, part); found; found = strstr(found + 1, part))
        last = found;
    return last;
}
