/*
 * File, file-system and storage information for the Java side, the empty
 * file and the temporary directory.
 */
#pragma once

#include "rni.h"

/* Needs path.  *typeName receives a new copy of the shell's type name for
 * path (freed by the caller); the shell giving none is STATUS_APP_ERROR. */
int GetFileTypeName(const char *path, char **typeName);

/* The information exports return 0, or the failure status with its
 * exception pending; an out parameter without an element 0 (a null int[]
 * or long[], an empty array of any kind) is such a failure, found before
 * anything is looked up. */
extern "C" {
int32_t __cdecl com_zorv_ZORVNI_Win32GetFileInfo(
    HObject self, HString directory, HString name, ArrayOfString *fullPath,
    ArrayOfString *shortPath, ArrayOfString *reserved, ArrayOfString *typeName, ArrayOfLong *size,
    ArrayOfInt *linkCount, ArrayOfString *creationText, ArrayOfLong *creationSeconds,
    ArrayOfString *lastAccessText, ArrayOfLong *lastAccessSeconds, ArrayOfString *lastWriteText,
    ArrayOfLong *lastWriteSeconds, ArrayOfArray *attributeTexts);
int32_t __cdecl com_zorv_ZORVNI_Win32GetFileSystemInfo(HObject self, HString directory,
                                                       HString name, ArrayOfString *fileSystemName,
                                                       ArrayOfArray *flagTexts,
                                                       ArrayOfInt *maxComponentLength);
int32_t __cdecl com_zorv_ZORVNI_Win32GetStorageInfo(
    HObject self, HString directory, HString name, ArrayOfString *volumeName,
    ArrayOfString *serialText, ArrayOfString *driveTypeText, ArrayOfInt *spaceKnown,
    ArrayOfLong *freeBytes, ArrayOfLong *totalBytes, ArrayOfLong *availableBytes);
/* 0 when the empty file was made, else 1 (an empty path, one the code page
 * cannot write or one holding a NUL among them), with the failure in the
 * error record.  Raises nothing. */
int32_t __cdecl com_zorv_ZORVNI_NICreateEmptyFile(HObject self, HString path, int32_t overwrite);
int32_t __cdecl com_zorv_ZORVNI_NIGetOSTempDir(HObject self, ArrayOfString *tempDirectory);
}
