/*
 * File exports.  The three information exports join a directory and a
 * name into the path they describe; a join that would not fit is refused
 * rather than cut, since a cut path names another file.  Results land in
 * the Java caller's one-element arrays; a failure raises ZORVException,
 * except for NICreateEmptyFile, which answers by its result only.
 */
#include "file_exports.h"

#include "alloc.h"
#include "boundary.h"
#include "file_info.h"
#include "file_operations.h"
#include "paths.h"
#include "strings.h"
#include "temp_directory.h"

#include <objbase.h>
#include <shellapi.h>
#include <stdlib.h>
#include <string.h>

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(SHFILEINFOA) == 352, "shell file information record");
#endif

/* The longest joined path: one below an entry's text, as the Java side
 * has always been told. */
enum { JOINED_PATH_LIMIT = MAX_PATH - 2 };

/* An empty String is an empty text here; a name the code page cannot
 * write and a lack of memory fail. */
static int TextOf(HString string, char **text)
{
    int status = JavaNameToAnsi(string, text);
    return JavaStringIsEmpty(string) && *text ? STATUS_OK : status;
}

/* *joined: directory, a separator where it lacks one (an empty directory
 * gets one), and name.  The caller frees it. */
static int JoinJavaPath(HString directory, HString name, char **joined)
{
    char *directoryText = NULL;
    char *nameText = NULL;
    int status = TextOf(directory, &directoryText);
    if (status == STATUS_OK)
        status = TextOf(name, &nameText);
    if (status == STATUS_OK)
        status = JoinPathAlloc(directoryText, nameText, joined);
    if (status == STATUS_OK && strlen(*joined) > JOINED_PATH_LIMIT)
        status = AppFailure("The path name %s is too long. The maximal length is %s characters.", 2,
                            *joined, "258");
    free(directoryText);
    free(nameText);
    return status;
}

int GetFileTypeName(const char *path, char **typeName)
{
    if (!path || !typeName)
        return InvalidParameterStatus();
    /* Only a CoInitialize that succeeded is undone: on a thread of the
     * multithreaded apartment it fails, and undoing it would take the
     * caller's own COM set-up away. */
    HRESULT initialized = CoInitialize(NULL);
    SHFILEINFOA info;
    memset(&info, 0, sizeof(info));
    int status = STATUS_OK;
    if (SHGetFileInfoA(path, 0, &info, sizeof(info), SHGFI_TYPENAME) == 0)
        status = AppFailure("Cannot retrieve file type for the %s.", 1, path);
    else {
        info.szTypeName[sizeof(info.szTypeName) - 1] = '\0';
        status = DupString(typeName, info.szTypeName);
    }
    if (SUCCEEDED(initialized))
        CoUninitialize();
    return status;
}

/* Stores each text whose out parameter is given, stopping at a failure. */
struct TextOutput {
    ArrayOfString *out;
    const char *text;
};

static int StoreTexts(const TextOutput *outputs, size_t count)
{
    int status = STATUS_OK;
    for (size_t i = 0; i < count && status == STATUS_OK; i++)
        if (outputs[i].out)
            status = SetOutString(outputs[i].out, outputs[i].text);
    return status;
}

static int StoreList(ArrayOfArray *out, const char **list)
{
    return out ? StringListToJavaArray(&out->body[0], const_cast<char **>(list)) : STATUS_OK;
}

static int FailIfNotOk(int status)
{
    if (status != STATUS_OK)
        ThrowStatusException(status);
    return status;
}

int32_t __cdecl com_zorv_ZORVNI_Win32GetFileInfo(
    HObject, HString directory, HString name, ArrayOfString *fullPath, ArrayOfString *shortPath,
    ArrayOfString *, ArrayOfString *typeName, ArrayOfLong *size, ArrayOfInt *linkCount,
    ArrayOfString *creationText, ArrayOfLong *creationSeconds, ArrayOfString *lastAccessText,
    ArrayOfLong *lastAccessSeconds, ArrayOfString *lastWriteText, ArrayOfLong *lastWriteSeconds,
    ArrayOfArray *attributeTexts)
{
    char *path = NULL;
    char *texts[5] = {NULL, NULL, NULL, NULL, NULL};
    const char **attributes = NULL;
    char *type = NULL;
    /* The third String[] is never stored into. */
    const OutParameter outs[] = {
        {fullPath, false},         {shortPath, false},
        {typeName, false},         {size, true},
        {linkCount, true},         {creationText, false},
        {creationSeconds, true},   {lastAccessText, false},
        {lastAccessSeconds, true}, {lastWriteText, false},
        {lastWriteSeconds, true},  {attributeTexts, false},
    };
    int status = CheckOutParameters(outs, ARRAY_SIZE(outs));
    if (status != STATUS_OK)
        return status;
    status = JoinJavaPath(directory, name, &path);
    if (status == STATUS_OK)
        status = QueryFileInfo(path, &texts[0], &texts[1], NULL, NULL, NULL, &size->body[0],
                               (uint32_t *)&linkCount->body[0], &texts[2],
                               &creationSeconds->body[0], &texts[3], &lastAccessSeconds->body[0],
                               &texts[4], &lastWriteSeconds->body[0], &attributes);
    if (status == STATUS_OK) {
        const TextOutput outputs[] = {
            {fullPath, texts[0]},       {shortPath, texts[1]},     {creationText, texts[2]},
            {lastAccessText, texts[3]}, {lastWriteText, texts[4]},
        };
        status = StoreTexts(outputs, ARRAY_SIZE(outputs));
    }
    if (status == STATUS_OK)
        status = StoreList(attributeTexts, attributes);
    if (status == STATUS_OK && typeName) {
        status = GetFileTypeName(path, &type);
        if (status == STATUS_OK)
            status = SetOutString(typeName, type);
    }
    for (char *text : texts)
        free(text);
    free(attributes);
    free(type);
    free(path);
    return FailIfNotOk(status);
}

int32_t __cdecl com_zorv_ZORVNI_Win32GetFileSystemInfo(HObject, HString directory, HString name,
                                                       ArrayOfString *fileSystemName,
                                                       ArrayOfArray *flagTexts,
                                                       ArrayOfInt *maxComponentLength)
{
    char *path = NULL;
    char *fileSystem = NULL;
    const char **flags = NULL;
    const OutParameter outs[] = {
        {fileSystemName, false},
        {flagTexts, false},
        {maxComponentLength, true},
    };
    int status = CheckOutParameters(outs, ARRAY_SIZE(outs));
    if (status != STATUS_OK)
        return status;
    status = JoinJavaPath(directory, name, &path);
    if (status == STATUS_OK)
        status = QueryFileSystemInfo(path, &fileSystem, &flags,
                                     (uint32_t *)&maxComponentLength->body[0]);
    if (status == STATUS_OK)
        status = SetOutString(fileSystemName, fileSystem);
    if (status == STATUS_OK)
        status = StoreList(flagTexts, flags);
    free(fileSystem);
    free(flags);
    free(path);
    return FailIfNotOk(status);
}

int32_t __cdecl com_zorv_ZORVNI_Win32GetStorageInfo(
    HObject, HString directory, HString name, ArrayOfString *volumeName, ArrayOfString *serialText,
    ArrayOfString *driveTypeText, ArrayOfInt *spaceKnown, ArrayOfLong *freeBytes,
    ArrayOfLong *totalBytes, ArrayOfLong *availableBytes)
{
    char *path = NULL;
    char *volume = NULL;
    char *serial = NULL;
    const char *driveType = NULL;
    const OutParameter outs[] = {
        {volumeName, false}, {serialText, false}, {driveTypeText, false}, {spaceKnown, true},
        {freeBytes, true},   {totalBytes, true},  {availableBytes, true},
    };
    int status = CheckOutParameters(outs, ARRAY_SIZE(outs));
    if (status != STATUS_OK)
        return status;
    status = JoinJavaPath(directory, name, &path);
    if (status == STATUS_OK)
        status = QueryStorageInfo(path, &volume, &serial, &driveType,
                                  (uint32_t *)&spaceKnown->body[0], &freeBytes->body[0],
                                  &totalBytes->body[0], &availableBytes->body[0]);
    if (status == STATUS_OK) {
        const TextOutput outputs[] = {
            {volumeName, volume},
            {serialText, serial},
            {driveTypeText, driveType},
        };
        status = StoreTexts(outputs, ARRAY_SIZE(outputs));
    }
    free(volume);
    free(serial);
    free(path);
    return FailIfNotOk(status);
}

int32_t __cdecl com_zorv_ZORVNI_NICreateEmptyFile(HObject, HString path, int32_t overwrite)
{
    char *text = NULL;
    int existed = 0;
    int status = JavaNameToAnsi(path, &text);
    if (status == STATUS_OK)
        status = CrtCreateNewFile(text, overwrite == 1 ? 1 : 0, NULL, &existed);
    free(text);
    return status == STATUS_OK ? 0 : 1;
}

int32_t __cdecl com_zorv_ZORVNI_NIGetOSTempDir(HObject, ArrayOfString *tempDirectory)
{
    char directory[MAX_PATH];
    const OutParameter outs[] = {{tempDirectory, false}};
    int status = CheckOutParameters(outs, ARRAY_SIZE(outs));
    if (status != STATUS_OK)
        return status;
    status = GetOsTempDirectory(directory);
    if (status == STATUS_OK)
        status = SetOutString(tempDirectory, directory);
    return FailIfNotOk(status);
}
