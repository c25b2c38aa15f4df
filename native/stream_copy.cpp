/*
 * CrtCopyFileByStreams: the copy by fread and fwrite that the native side
 * has beside CopyFileA.  Both streams are binary: in text mode the copy
 * would end at the first Ctrl-Z byte and turn lone line feeds into CR LF,
 * and still report success.  Both streams are closed on every path; a
 * failure to close is reported like any other.
 */
#include "stream_copy.h"

#include "error_record.h"
#include "file_operations.h"

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <sys/stat.h>

enum { COPY_BLOCK_SIZE = 10240 };

static int Failed(const char *routine, const char *path)
{
    ReportRuntimeFailure(routine, path);
    errno = 0;
    return STATUS_APP_ERROR;
}

/* Without overwrite the target must not exist when it is created, and it
 * is opened for reading and writing so that the stream can be written.
 * *created tells that the file is this copy's own: made here, exclusively. */
static int OpenTarget(const char *target, int overwrite, FILE **stream, bool *created)
{
    if (overwrite) {
        *stream = fopen(target, "wb");
        return *stream ? STATUS_OK : Failed("fopen", target);
    }
    int descriptor = _open(target, _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (descriptor == -1)
        return Failed("open", target);
    *created = true;
    *stream = _fdopen(descriptor, "wb");
    if (*stream)
        return STATUS_OK;
    int status = Failed("fdopen", target);
    _close(descriptor);
    return status;
}

static int CopyBlocks(FILE *from, FILE *to, const char *source, const char *target)
{
    char block[COPY_BLOCK_SIZE];
    while (!feof(from)) {
        size_t count = fread(block, 1, sizeof(block), from);
        if (count < sizeof(block) && !feof(from)) {
            clearerr(from);
            return Failed("fread", source);
        }
        if (fwrite(block, 1, count, to) != count) {
            clearerr(to);
            return Failed("fwrite", target);
        }
    }
    return STATUS_OK;
}

static int CloseStream(FILE *stream, const char *path, int status)
{
    if (stream && fclose(stream) != 0) {
        int closeStatus = Failed("fclose", path);
        if (status == STATUS_OK)
            status = closeStatus;
    }
    return status;
}

int CrtCopyFileByStreams(const char *target, const char *source, const int *permission,
                         int overwrite)
{
    int copyNeeded = 0;
    int status = CheckCopyTarget(target, source, overwrite, &copyNeeded);
    if (status != STATUS_OK || !copyNeeded)
        return status;
    FILE *from = fopen(source, "rb");
    FILE *to = NULL;
    bool created = false;
    if (!from)
        status = Failed("fopen", source);
    if (status == STATUS_OK)
        status = OpenTarget(target, overwrite, &to, &created);
    if (status == STATUS_OK)
        status = CopyBlocks(from, to, source, target);
    status = CloseStream(from, source, status);
    status = CloseStream(to, target, status);
    if (status == STATUS_OK)
        status = CrtChmod(target, permission);
    /* A file of part of the source must not pass for the copy. */
    if (status != STATUS_OK && created)
        CrtRemove(target);
    return status;
}
