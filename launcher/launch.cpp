/*
 * Locating and starting the executable file.  The directory comes from a
 * switch, an environment variable or a registry value, each possibly tried
 * with a list of extensions; the file in it is named directly, found by a
 * tree search or found on the search path.  The started program gets its
 * numbered arguments quoted so that the C run-time splits them back into
 * exactly the texts the launcher received.
 */
#include "launch.h"

#include "alloc.h"
#include "error_record.h"
#include "location.h"
#include "paths.h"
#include "process.h"
#include "strings.h"

#include <stdlib.h>
#include <string.h>

static const char NOTHING_TO_START[] =
    "%s: An absolute file name or a directory and a relative file name should be specified.";
static const char KEYS_AND_PATHS_MISSING[] =
    "%s: Registry keys %s were not found in the system registry. Found directories %s are "
    "not accessible.";
static const char KEYS_MISSING[] = "%s: Registry keys %s were not found in the system registry.";
static const char PATHS_MISSING[] = "%s: Found path names %s are not accessible.";
static const char VARIABLE_MISSING[] =
    "%s: The environment variable %s varname is not found in the environment table.";
static const char PATH_TOO_LONG[] =
    "%s: The path name %s is too long. The maximal length is %s characters.";
static const char PATH_WITH_QUOTE[] =
    "%s: The path name %s contains a double quote, which a file name cannot hold.";
static const char COMMAND_LINE_TOO_LONG[] =
    "%s: The command line of the executable file is too long. The maximal length is %s "
    "characters.";

/* CreateProcessA takes at most 32767 characters, its terminator included. */
enum { MAX_COMMAND_LINE_LENGTH = 32767 - 1 };

/* Tests one candidate.  It may replace *candidate, which stays the
 * walker's to free, or take it by setting it to null; *accepted ends the
 * walk. */
typedef int (*CandidateProbe)(char **candidate, void *context, int *accepted);

/* Offers prefix followed by each item of the comma-separated list, in
 * order, to probe until it accepts one; prefix alone when list is null.  An
 * empty item, as after a trailing comma, offers prefix itself. */
static int WalkCandidates(const char *prefix, const char *list, CandidateProbe probe, void *context)
{
    int status = STATUS_OK;
    int accepted = 0;
    const char *rest = list;
    do {
        char *candidate = NULL;
        status = TakeListItem(prefix, rest, ",", &candidate, &rest);
        if (status == STATUS_OK)
            status = probe(&candidate, context, &accepted);
        free(candidate);
    } while (status == STATUS_OK && !accepted && rest);
    return status;
}

/* Accepts an existing directory into *(char **)context. */
static int ProbeDirectory(char **candidate, void *context, int *accepted)
{
    int isDirectory = 0;
    int status = IsExistingDirectory(*candidate, &isDirectory);
    if (status == STATUS_OK && isDirectory) {
        *(char **)context = *candidate;
        *candidate = NULL;
        *accepted = 1;
    }
    return status;
}

/* -d, tried with each -dv extension; when none of them exists the -d value
 * stands unchecked.  (With -dexe there is no list, and a file is no
 * directory, so the -d value stands.) */
static int FindListedDirectory(const Switches *switches, char **directory)
{
    int status = WalkCandidates(switches->value[SWITCH_D], switches->value[SWITCH_DV],
                                ProbeDirectory, directory);
    if (status == STATUS_OK && !*directory)
        status = DupString(directory, switches->value[SWITCH_D]);
    return status;
}

struct RegistrySearch {
    const Switches *switches;
    HKEY root;                /* the -drk root, or the remote one */
    char *keysNotFound;       /* each key without a string value, then a blank */
    char *pathsNotAccessible; /* each value that named nothing usable, then a blank */
    char *directory;
};

/* Reads the value under the candidate key (its -drss subkey when given) and
 * accepts it when it names an existing directory, or with -dexe a file that
 * opens. */
static int ProbeRegistryKey(char **candidate, void *context, int *accepted)
{
    RegistrySearch *search = (RegistrySearch *)context;
    const Switches *switches = search->switches;
    char *value = NULL;
    int usable = 0;
    int status = STATUS_OK;
    if (switches->value[SWITCH_DRSS])
        status = AppendStrings(candidate, 2, "\\", switches->value[SWITCH_DRSS]);
    if (status == STATUS_OK)
        status = ReadRegistryString(search->root, *candidate, switches->value[SWITCH_DRV], 1,
                                    &value);
    if (status == STATUS_OK && !value)
        status = AppendStrings(&search->keysNotFound, 2, *candidate, " ");
    if (status == STATUS_OK && value)
        status = switches->flag[SWITCH_DEXE] ? CanOpenPath(value, &usable)
                                             : IsExistingDirectory(value, &usable);
    if (status == STATUS_OK && value && !usable)
        status = AppendStrings(&search->pathsNotAccessible, 2, value, " ");
    if (status == STATUS_OK && usable) {
        search->directory = value;
        value = NULL;
        *accepted = 1;
    }
    free(value);
    return status;
}

static int ReportRegistryMiss(const char *modulePath, const RegistrySearch *search)
{
    if (search->keysNotFound && search->pathsNotAccessible)
        return AppFailure(KEYS_AND_PATHS_MISSING, 3, modulePath, search->keysNotFound,
                          search->pathsNotAccessible);
    if (search->keysNotFound)
        return AppFailure(KEYS_MISSING, 2, modulePath, search->keysNotFound);
    return AppFailure(PATHS_MISSING, 2, modulePath, search->pathsNotAccessible);
}

/* -drk and -drs, tried with each -drsv extension, on this machine or the
 * one -rrs names. */
static int FindRegistryDirectory(const char *modulePath, const Switches *switches, char **directory)
{
    RegistrySearch search = {switches, switches->root, NULL, NULL, NULL};
    HKEY remote = NULL;
    int status = STATUS_OK;
    if (switches->value[SWITCH_RRS]) {
        LONG result = RegConnectRegistryA(switches->value[SWITCH_RRS], switches->root, &remote);
        if (result != ERROR_SUCCESS)
            status = StoredFailure((int)result);
        search.root = remote;
    }
    if (status == STATUS_OK)
        status = WalkCandidates(switches->value[SWITCH_DRS], switches->value[SWITCH_DRSV],
                                ProbeRegistryKey, &search);
    if (status == STATUS_OK && !search.directory)
        status = ReportRegistryMiss(modulePath, &search);
    *directory = search.directory;
    free(search.keysNotFound);
    free(search.pathsNotAccessible);
    if (remote)
        RegCloseKey(remote);
    return status;
}

/* -de: the value of the environment variable it names. */
static int FindEnvironmentDirectory(const char *modulePath, const char *variable, char **directory)
{
    const char *value = getenv(variable);
    if (!value)
        return AppFailure(VARIABLE_MISSING, 2, modulePath, variable);
    return DupString(directory, value);
}

/* The directory from -d, -drk or -de; null when none of them is given. */
static int FindDirectory(const char *modulePath, const Switches *switches, char **directory)
{
    if (switches->value[SWITCH_D])
        return FindListedDirectory(switches, directory);
    if (switches->value[SWITCH_DRK])
        return FindRegistryDirectory(modulePath, switches, directory);
    if (switches->value[SWITCH_DE])
        return FindEnvironmentDirectory(modulePath, switches->value[SWITCH_DE], directory);
    return STATUS_OK;
}

/* The path of the executable file must fit a MAX_PATH buffer. */
static int CheckPathLength(const char *modulePath, const char *path)
{
    if (strlen(path) < MAX_PATH)
        return STATUS_OK;
    char limit[NUMBER_TEXT_SIZE];
    NumberText(MAX_PATH - 1, limit);
    return AppFailure(PATH_TOO_LONG, 3, modulePath, path, limit);
}

/* -er in directory.  A value with a separator is joined as it stands; a
 * plain name (a pattern with -r) is looked for in the tree below directory
 * (-r), then on the search path (-s), and joined when neither finds it.
 * The result must fit a MAX_PATH buffer.  The tree search ends in
 * directory, and that stays the current directory: the search path is
 * tried from there, and the started program inherits it.  The launcher's
 * own is restored when the run ends. */
static int FindRelativeExecutable(const char *modulePath, const Switches *switches,
                                  const char *directory, char **path)
{
    const char *name = switches->value[SWITCH_ER];
    int plainName = FindFirstOf(name, "/\\") == NULL;
    DWORD directoryAttribute = FILE_ATTRIBUTE_DIRECTORY;
    int status = STATUS_OK;
    if (plainName && switches->flag[SWITCH_R])
        status = FindFileRecursive(directory, name, &directoryAttribute, MATCH_NONE, 1, 0, path,
                                   NULL, NULL, NULL);
    if (status == STATUS_OK && plainName && switches->flag[SWITCH_S] && !*path)
        status = SearchSystemPath(NULL, name, NULL, path, NULL);
    if (status == STATUS_OK && !*path)
        status = JoinPathAlloc(directory, name, path);
    if (status == STATUS_OK)
        status = CheckPathLength(modulePath, *path);
    return status;
}

/* Without -ea: the directory that the switches name (the current one when
 * none does), and with -dexe that directory is the file itself. */
static int FindExecutable(const char *modulePath, const char *currentDirectory,
                          const Switches *switches, char **path)
{
    char *directory = NULL;
    int status = STATUS_OK;
    if (!switches->value[SWITCH_ER] && !switches->flag[SWITCH_DEXE])
        status = AppFailure(NOTHING_TO_START, 1, modulePath);
    if (status == STATUS_OK)
        status = FindDirectory(modulePath, switches, &directory);
    if (status == STATUS_OK && switches->flag[SWITCH_DEXE]) {
        *path = directory;
        directory = NULL;
    } else if (status == STATUS_OK) {
        status = FindRelativeExecutable(modulePath, switches,
                                        directory ? directory : currentDirectory, path);
    }
    free(directory);
    return status;
}

/* Writes value in double quotes so that the C run-time's splitting gives
 * it back: a double quote inside gets a backslash, and backslashes that
 * stand before a double quote (the closing one too) are doubled; other
 * backslashes are literal and stay single.  out holds every byte of value
 * twice, two quotes and the terminator, and is zero-filled. */
static void WriteQuoted(const char *value, char *out)
{
    size_t backslashes = 0;
    *out++ = '"';
    for (const char *in = value; *in; in++) {
        if (IsDBCSLeadByte((BYTE)*in) && in[1]) {
            *out++ = *in++; /* a trail byte may look like a backslash */
            backslashes = 0;
        } else if (*in == '\\') {
            backslashes++;
        } else {
            size_t doubled = *in == '"' ? backslashes + 1 : 0;
            memset(out, '\\', doubled);
            out += doubled;
            backslashes = 0;
        }
        *out++ = *in;
    }
    memset(out, '\\', backslashes);
    out[backslashes] = '"';
}

static int AppendQuotedArgument(char **commandLine, const char *value)
{
    char *quoted = NULL;
    int status = AllocZeroed(&quoted, 2 * strlen(value) + 3, 1);
    if (status == STATUS_OK) {
        WriteQuoted(value, quoted);
        status = AppendStrings(commandLine, 2, " ", quoted);
    }
    free(quoted);
    return status;
}

/* The path goes between double quotes as it stands, so a quote inside it
 * would end the program name early and turn the rest into arguments that
 * nobody gave.  No Windows file name holds one. */
static int CheckPathHasNoQuote(const char *modulePath, const char *path)
{
    return FindFirstOf(path, "\"") ? AppFailure(PATH_WITH_QUOTE, 2, modulePath, path) : STATUS_OK;
}

/* Refused here in words of its own rather than by the system as an invalid
 * parameter. */
static int CheckCommandLineLength(const char *modulePath, const char *commandLine)
{
    if (strlen(commandLine) <= MAX_COMMAND_LINE_LENGTH)
        return STATUS_OK;
    char limit[NUMBER_TEXT_SIZE];
    NumberText(MAX_COMMAND_LINE_LENGTH, limit);
    return AppFailure(COMMAND_LINE_TOO_LONG, 2, modulePath, limit);
}

/* The quoted path, then the numbered arguments in the order of their
 * numbers. */
static int BuildCommandLine(const char *modulePath, const char *path, Switches *switches,
                            char **commandLine)
{
    qsort(switches->numbered, switches->numberedCount, sizeof(NumberedArgument),
          CompareArgumentNumbers);
    int status = CheckPathHasNoQuote(modulePath, path);
    if (status == STATUS_OK)
        status = AppendStrings(commandLine, 3, "\"", path, "\"");
    for (int i = 0; status == STATUS_OK && i < switches->numberedCount; i++)
        status = AppendQuotedArgument(commandLine, switches->numbered[i].value);
    if (status == STATUS_OK)
        status = CheckCommandLineLength(modulePath, *commandLine);
    return status;
}

int LocateAndLaunch(const char *modulePath, const char *currentDirectory, Switches *switches,
                    DWORD *exitCode)
{
    char *path = NULL;
    char *commandLine = NULL;
    /* -ea is started as given; the system completes a relative or bare name. */
    int status = switches->value[SWITCH_EA]
                     ? DupString(&path, switches->value[SWITCH_EA])
                     : FindExecutable(modulePath, currentDirectory, switches, &path);
    if (status == STATUS_OK)
        status = BuildCommandLine(modulePath, path, switches, &commandLine);
    if (status == STATUS_OK)
        status = LaunchProgram(commandLine, 0, switches->flag[SWITCH_W], exitCode);
    free(path);
    free(commandLine);
    return status;
}
