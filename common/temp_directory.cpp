/*
 * The temporary directory.  Both variables are looked at before anything
 * is created, so that a usable TEMP wins over a TMP that names a missing
 * directory, and the message tells which variable was missing or unusable.
 */
#include "temp_directory.h"

#include "error_record.h"
#include "location.h"

enum VariableState { NOT_DEFINED, UNUSABLE, TOO_LONG, USABLE };

struct TempVariable {
    const char *name;
    char value[MAX_PATH];
    VariableState state;
};

static void ReadVariable(TempVariable *variable)
{
    DWORD length = GetEnvironmentVariableA(variable->name, variable->value, MAX_PATH);
    int isDirectory = 0;
    if (length == 0)
        variable->state = NOT_DEFINED;
    else if (length >= MAX_PATH) /* the buffer was not filled */
        variable->state = TOO_LONG;
    else if (IsExistingDirectory(variable->value, &isDirectory) == STATUS_OK && isDirectory)
        variable->state = USABLE;
    else
        variable->state = UNUSABLE;
}

static int TakeVariable(const TempVariable *variable, char *directory)
{
    lstrcpynA(directory, variable->value, MAX_PATH); /* measured by ReadVariable */
    return STATUS_OK;
}

static const char *FailureMessage(VariableState tmp, VariableState temp)
{
    if (tmp != NOT_DEFINED && temp != NOT_DEFINED)
        return "Environment variables TMP and TEMP point to directories that are not "
               "accessible or do not exist and cannot be created. Failure to get OS "
               "temporary directory";
    if (temp != NOT_DEFINED)
        return "Environment variable TMP is not defined and TEMP points to directory that is "
               "not accessible or do not exist and cannot be created. Failure to get OS "
               "temporary directory";
    if (tmp != NOT_DEFINED)
        return "Environment variable TEMP is not defined and TMP points to directory that is "
               "not accessible or do not exist and cannot be created. Failure to get OS "
               "temporary directory";
    return "Environment variables TMP and TEMP are not defined. Failure to get OS temporary "
           "directory";
}

int GetOsTempDirectory(char *directory)
{
    if (!directory)
        return InvalidParameterStatus();
    TempVariable variables[2] = {{"TMP", "", NOT_DEFINED}, {"TEMP", "", NOT_DEFINED}};
    for (TempVariable &variable : variables) {
        ReadVariable(&variable);
        if (variable.state == USABLE)
            return TakeVariable(&variable, directory);
    }
    for (TempVariable &variable : variables)
        if (variable.state == UNUSABLE && CreateDirectoryA(variable.value, NULL))
            return TakeVariable(&variable, directory);
    return AppFailure(FailureMessage(variables[0].state, variables[1].state), 0);
}
