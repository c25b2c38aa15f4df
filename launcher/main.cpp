/*
 * Vantrelc's start, run and end.  The program is started by another program
 * of the product, never by hand: it reads its switches, finds the
 * executable file they name, starts it and ends with an exit code.  Its
 * only other output is one error box at the end, for the first failure or
 * for the help message.
 */
#include "main.h"

#include "command_line.h"
#include "error_record.h"
#include "launch.h"
#include "location.h"
#include "os_version.h"
#include "switches.h"
#include "usage.h"

#include <errno.h>
#include <stdlib.h>

int GetModulePath(char path[MAX_PATH])
{
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    if (length == 0)
        return STATUS_SYSTEM_ERROR;
    /* A cut path comes back with the buffer's full length (and, before
     * Windows XP, without its terminator). */
    if (length >= MAX_PATH) {
        path[0] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return STATUS_SYSTEM_ERROR;
    }
    return STATUS_OK;
}

/* Everything one run holds; EndRun releases it. */
struct LauncherRun {
    char modulePath[MAX_PATH]; /* first argument of every message */
    char **arguments;
    int argumentCount;
    int firstInexact; /* see CommandLine */
    char *savedDirectory;
    char *helpText; /* the whole help message, when asked for */
    Switches switches;
    DWORD exitCode; /* the started program's, with -w */
};

static int StartRun(LauncherRun *run)
{
    int status = DetectOsVersion();
    if (status == STATUS_OK)
        status = GetModulePath(run->modulePath);
    if (status == STATUS_OK)
        status = GetCurrentDirectoryCopy(&run->savedDirectory);
    if (status == STATUS_OK)
        status = SplitProcessCommandLine(&run->arguments, &run->argumentCount, &run->firstInexact);
    return status;
}

/* The help goes into the error record like every launcher message, but the
 * record keeps only its first 2559 characters, so the whole text is kept as
 * well and shown at the end. */
static int PrepareHelp(LauncherRun *run)
{
    int status = BuildHelpMessage(!run->switches.flag[SWITCH_N], &run->helpText);
    if (status == STATUS_OK) {
        status = AppFailure(run->helpText, 1, run->modulePath);
    }
    return status;
}

/* Releases the run, shows the message for a failure unless -q came before
 * it, and ends the process: the started program's exit code with -w, 0
 * after any other start, 1 after a failure. */
[[noreturn]] static void EndRun(LauncherRun *run, int status)
{
    /* A system failure is described by its code only when shown, after
     * the clean-up, which must not overwrite it. */
    DWORD lastError = GetLastError();
    int crtError = errno;
    FreeArgumentVector(&run->arguments, &run->argumentCount);
    if (run->savedDirectory)
        ChangeDirectory(run->savedDirectory, NULL);
    free(run->savedDirectory);
    SetLastError(lastError);
    errno = crtError;
    if (status == STATUS_OK)
        ExitProcess(run->exitCode);
    if (!run->switches.flag[SWITCH_Q] && run->helpText)
        ShowErrorBox(NULL, run->helpText, NULL);
    else if (!run->switches.flag[SWITCH_Q])
        ShowErrorRecord(status);
    free(run->helpText);
    ExitProcess(1);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    static LauncherRun run;
    int wantsHelp = 0;
    int status = StartRun(&run);
    CommandLine line = {run.arguments, run.argumentCount, run.firstInexact};
    if (status == STATUS_OK)
        status = ParseSwitches(run.modulePath, &line, &run.switches, &wantsHelp);
    if (status == STATUS_OK && wantsHelp)
        status = PrepareHelp(&run);
    if (status == STATUS_OK)
        status = CheckSwitchRules(run.modulePath, &run.switches);
    if (status == STATUS_OK)
        status = LocateAndLaunch(run.modulePath, run.savedDirectory, &run.switches, &run.exitCode);
    EndRun(&run, status);
}
