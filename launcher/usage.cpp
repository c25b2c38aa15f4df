/*
 * The help message.  Its logo comes from the program's own version
 * resource, so the company, description, version and copyright shown are
 * those the build put into the file; the usage text is fixed.
 */
#include "usage.h"

#include "alloc.h"
#include "main.h"
#include "error_record.h"
#include "strings.h"

#include <stdio.h>
#include <stdlib.h>

const char USAGE_TEXT[] =
    "\n"
    "  Usage: Vantrelc [switch [parameter]] [...]\n"
    "  Switches:\n"
    "-d    An absolute path of a directory where an executable file is located.\n"
    "      Conflicts with -de, -drk, -drs.\n"
    "-de   An environment variable whose value is an absolute path of a directory\n"
    "      where an executable file is located. Conflicts with -d, -drk, -drs.\n"
    "-drk  The predefined registry root key for a key name. Should be used with -drs.\n"
    "      The following value are valid:\n"
    "      1 - HKEY_CLASSES_ROOT         2 - HKEY_CURRENT_USER\n"
    "      3 - HKEY_LOCAL_MACHINE        4 - HKEY_USERS\n"
    "      5 - Windows NT: HKEY_PERFORMANCE_DATA\n"
    "          Windows 95 and Windows 98: HKEY_DYN_DATA\n"
    "      1(HKEY_CLASSES_ROOT) or 2(HKEY_CURRENT_USER) cannot be specified\n"
    "      with -rrs. Conflicts with -d, -de.\n"
    "-drs  A registry key name. Its or its subkey value data is an absolute path\n"
    "      of a directory where an executable file is located. The subkey should\n"
    "      be specified by -drss. Conflicts with -d, -de.\n"
    "-drss A registry subkey name. See -drs. Conflicts with -d, -de.\n"
    "-drv  A registry key or its subkey value name. If not specified, data for\n"
    "      the default value will be retrieved.\n"
    "-drsv Registry key extensions separated by commas. An extension will be added\n"
    "      to a registry subkey name to be searched.\n"
    "-dv   Directory extensions separated by commas. An extension will be added to\n"
    "      the end of a directory name to be searched. Conflicts with -dexe.\n"
    "-dexe Interpret a directory specification as an executable file one.\n"
    "      Conflicts with -dv.\n"
    "-rrs  Server name for remote registry search.\n"
    "-ea   An absolute path name an executable file. In the case of a relative path name,\n"
    "      the current drive and current directory will be used to complete the\n"
    "      specification. If the file name does not contain an extension, .exe is\n"
    "      appended. If the file name ends in a period (.) with no extension, .exe is\n"
    "      not appended. If the file name does not contain a directory path, the\n"
    "      system search is used. Conflicts with -er and -d*.\n"
    "-er   Relative or local path name of an executable file. If -s is not specified,\n"
    "      can contain wildcard characters (* and ?). Conflicts with -ea.\n"
    "-r    Recursive directory search for the executable file. Used with -er.\n"
    "-s    Search system path for the executable file. Used with -er.\n"
    "-q    Quiet mode. Don't produce error message.\n"
    "-w    Launch an executable file and wait until its process is terminated.\n"
    "-n    No logo information.\n"
    "-h    Print this message.\n"
    "-number An argument to be passed to the executable file. The number is a sequential\n"
    "      order number of an argument to be passed to the executable file.\n"
    "  All comparisons are case insensitive. The Microsoft C startup code rules\n"
    "  should be used for specifying arguments on the command line.";

/* The string names in slot order, from slot 1 on. */
static const char *const VERSION_STRING_NAMES[VERSION_SLOT_COUNT] = {
    NULL,
    "CompanyName",
    "FileDescription",
    "FileVersion",
    "InternalName",
    "LegalCopyright",
    "OriginalFilename",
    "ProductName",
    "ProductVersion",
    "Comments",
    "LegalTrademarks",
    "PrivateBuild",
    "SpecialBuild",
};

void FreeVersionStrings(VersionStrings *record)
{
    if (record)
        free(record->slot[VERSION_BLOCK]);
    free(record);
}

/* "\StringFileInfo\llllcccc\" for the first language and code page of the
 * block's translation table. */
static int StringTablePath(void *block, char *path, size_t size)
{
    WORD *translation = NULL;
    UINT length = 0;
    if (!VerQueryValueA(block, "\\VarFileInfo\\Translation", (void **)&translation, &length) ||
        !translation || length < 2 * sizeof(WORD)) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return STATUS_SYSTEM_ERROR;
    }
    snprintf(path, size, "\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    return STATUS_OK;
}

/* Points each slot from 1 on at its string in the block; a missing string
 * leaves its slot null. */
static int FillVersionSlots(VersionStrings *record)
{
    char table[64];
    int status = StringTablePath(record->slot[VERSION_BLOCK], table, sizeof(table));
    for (int i = VERSION_BLOCK + 1; status == STATUS_OK && i < VERSION_SLOT_COUNT; i++) {
        char query[96]; /* the table path and the longest name fit easily */
        snprintf(query, sizeof(query), "%s%s", table, VERSION_STRING_NAMES[i]);
        char *text = NULL;
        UINT length = 0;
        if (VerQueryValueA(record->slot[VERSION_BLOCK], query, (void **)&text, &length) && text)
            record->slot[i] = text;
    }
    return status;
}

/* The version block of an existing resource of size bytes, read into a new
 * record. */
static int ReadVersionBlock(const char *fileName, DWORD size, VersionStrings **record)
{
    VersionStrings *made = NULL;
    int status = AllocZeroed(&made, 1, sizeof(VersionStrings));
    if (status == STATUS_OK)
        status = AllocZeroed(&made->slot[VERSION_BLOCK], size, 1);
    if (status == STATUS_OK && !GetFileVersionInfoA(fileName, 0, size, made->slot[VERSION_BLOCK]))
        status = STATUS_SYSTEM_ERROR;
    if (status == STATUS_OK)
        status = FillVersionSlots(made);
    if (status == STATUS_OK)
        *record = made;
    else
        FreeVersionStrings(made);
    return status;
}

int GetVersionStrings(const char *fileName, VersionStrings **record)
{
    if (!record)
        return InvalidParameterStatus();
    *record = NULL;
    char modulePath[MAX_PATH];
    int status = fileName ? STATUS_OK : GetModulePath(modulePath);
    const char *file = fileName ? fileName : modulePath;
    DWORD handle = 0;
    DWORD size = 0;
    if (status == STATUS_OK) {
        size = GetFileVersionInfoSizeA(file, &handle);
        if (size == 0)
            SetLastError(0); /* no version information is no error */
    }
    if (status == STATUS_OK && size > 0)
        status = ReadVersionBlock(file, size, record);
    return status;
}

/* Appends the three logo lines that have their leading string. */
static int AppendLogoLines(const VersionStrings *record, char **text)
{
    char *const *slot = record->slot;
    int status = STATUS_OK;
    if (slot[VERSION_COMPANY_NAME])
        status = AppendStrings(text, 2, slot[VERSION_COMPANY_NAME], "\n");
    if (status == STATUS_OK && slot[VERSION_FILE_DESCRIPTION])
        status = AppendStrings(text, 4, slot[VERSION_FILE_DESCRIPTION], " Version ",
                               slot[VERSION_FILE_VERSION], "\n");
    if (status == STATUS_OK && slot[VERSION_LEGAL_COPYRIGHT])
        status = AppendStrings(text, 2, slot[VERSION_LEGAL_COPYRIGHT], "\n");
    return status;
}

int BuildLogo(const char *fileName, char **text)
{
    if (!text)
        return InvalidParameterStatus();
    *text = NULL;
    VersionStrings *record = NULL;
    int status = GetVersionStrings(fileName, &record);
    if (status == STATUS_OK && record)
        status = AppendLogoLines(record, text);
    if (status != STATUS_OK) {
        free(*text);
        *text = NULL;
    }
    FreeVersionStrings(record);
    return status;
}

int BuildHelpMessage(int withLogo, char **text)
{
    if (!text)
        return InvalidParameterStatus();
    *text = NULL;
    /* A logo that cannot be read is left out; the text then stays null. */
    if (withLogo == 1)
        BuildLogo(NULL, text);
    int status = AppendStrings(text, 1, USAGE_TEXT);
    if (status != STATUS_OK) {
        free(*text);
        *text = NULL;
    }
    return status;
}
