/*
 * Checked wrappers around the runtime library's file routines.  Each turns
 * the routine's result into a status and names every failure through
 * ReportFileError.  A null required argument gives STATUS_CRT_ERROR with
 * errno EINVAL; a reported failure gives STATUS_APP_ERROR, and most
 * operations then set errno back to 0 (noted below) so that no stale
 * runtime error is described later.
 */
#pragma once

#include <stdio.h>

/* Read and write permission, for created files and before a removal. */
enum { FILE_PERMISSION_READ_WRITE = 0x180 };

/* The reporting hook: identifier, text, then count strings (const char *).
 * Records nothing, the error record included; returns 0. */
int ReportFileError(const char *identifier, const char *text, int count, ...);

/* Reports routine's failure on path with the strerror text of errno and
 * returns STATUS_APP_ERROR; errno is left for the caller to reset. */
int ReportRuntimeFailure(const char *routine, const char *path);
/* Before a copy: *copyNeeded 0 when source and target name one file (equal
 * but for case, or spelled another way); a present target without
 * overwrite is reported (E-4014).
 * Needs all three pointers. */
int CheckCopyTarget(const char *target, const char *source, int overwrite, int *copyNeeded);

/* *accessible: 1 when _access(path, mode) succeeds; 0 when it fails with
 * EACCES, or with ENOENT for mode 0.  errno is 0 after any failure. */
int CrtAccess(const char *path, int mode, int *accessible);
/* *mode receives st_mode.  A missing file is STATUS_CRT_ERROR (ENOENT),
 * any other failure STATUS_APP_ERROR; errno is kept. */
int CrtStat(const char *path, unsigned short *mode);
/* No permission word: nothing happens.  A missing file is
 * STATUS_CRT_ERROR; errno is 0 after any failure. */
int CrtChmod(const char *path, const int *permission);
/* Clears read-only first; a missing file is STATUS_OK.  errno reset. */
int CrtRemove(const char *path);
/* Renames source to target.  With overwrite 1 a target file is replaced:
 * it is renamed aside in its own directory first and removed once the
 * source has its name, or put back when the rename fails, so that a failed
 * move leaves both files as they were (a set-aside file that cannot be
 * removed after the move is reported and stays).  Names of one file
 * (equal but for case, or spelled another way): nothing is done.  errno
 * reset. */
int CrtMoveFile(const char *target, const char *source, int overwrite);
/* CopyFileA, refusing a present target unless overwrite is set; names of
 * one file: nothing is done.  permission is accepted for the
 * callers of CrtCopyFileByStreams and not used (the copy keeps the
 * source's attributes).  A failed copy is STATUS_SYSTEM_ERROR. */
int CrtCopyFile(const char *target, const char *source, const int *permission, int overwrite);
/* Creates a new file of a tmpnam name (copied into name, which holds
 * L_tmpnam bytes) for reading and writing, and opens *stream on it with
 * streamMode.  The caller closes the stream and removes the file; when no
 * stream can be opened the file is removed here.  errno reset. */
int CrtOpenTempFile(char *name, FILE **stream, const char *streamMode);
/* Creates an empty file (null permission: FILE_PERMISSION_READ_WRITE).
 * truncate 1 empties a present file; 0 leaves it alone and returns 1 with
 * *existed = 1; any other value fails on a present file.  errno reset. */
int CrtCreateNewFile(const char *path, int truncate, const int *permission, int *existed);

/* Where suffix begins in text when text ends with it (byte by byte, case
 * counts), else null; null for null or empty arguments. */
const char *EndsWith(const char *text, const char *suffix);
/* The last occurrence of part in text, else null; null for null or empty
 * arguments. */
const char *FindLastText(const char *text, const char *part);
