/*
 * Vantrelc's switches: the table, the parsing of the command line into it,
 * and the rules the switches must keep together.  Every message begins with
 * the launcher's module path.
 */
#include "switches.h"

#include "error_record.h"
#include "os_version.h"
#include "strings.h"

#include <stdlib.h>

enum { KIND_VALUE, KIND_FLAG, KIND_ONCE }; /* KIND_ONCE: a flag that may not repeat */

struct SwitchDefinition {
    const char *name; /* without its prefix character */
    int kind;
};

static const SwitchDefinition SWITCH_TABLE[SWITCH_COUNT] = {
    {"d", KIND_VALUE},    {"dexe", KIND_ONCE}, {"de", KIND_VALUE},  {"drk", KIND_VALUE},
    {"drss", KIND_VALUE}, {"drs", KIND_VALUE}, {"drv", KIND_VALUE}, {"drsv", KIND_VALUE},
    {"dv", KIND_VALUE},   {"rrs", KIND_VALUE}, {"ea", KIND_VALUE},  {"er", KIND_VALUE},
    {"s", KIND_FLAG},     {"r", KIND_FLAG},    {"q", KIND_FLAG},    {"w", KIND_FLAG},
    {"n", KIND_FLAG},     {"h", KIND_FLAG},
};

static const char UNKNOWN_PARAMETER[] = "%s: Unknown the command line parameter \"%s\".";
static const char UNKNOWN_SWITCH[] = "%s: Unknown the command line switch \"%s\".";
static const char MISSING_VALUE[] = "%s: The command line switch \"%s\" requires a parameter.";
static const char UNKNOWN_VALUE[] =
    "%s: The value %s of the command line switch \"%s\" is unknown.";
static const char TOO_MANY_ARGUMENTS[] =
    "%s: The number of the command line arguments that are passed to executable file is "
    "too big. The maximal number is %s.";
static const char REPEATED_NUMBER[] = "%s: The command line switch %s is specified twice or more.";
static const char NOT_IN_CODE_PAGE[] =
    "%s: The argument %s cannot be written in this system's code page.";
static const char CONFLICT[] = "%s: There is a command line switches conflict.";
static const char MISSING_PARTNER[] = "%s: Both switches %s and %s should be specified.";

int CompareArgumentNumbers(const void *first, const void *second)
{
    int32_t a = ((const NumberedArgument *)first)->number;
    int32_t b = ((const NumberedArgument *)second)->number;
    return a < b ? -1 : a > b ? 1 : 0;
}

/* The switch that name selects, or SWITCH_COUNT.  A value switch that holds
 * its value, or -dexe once set, selects nothing: a repeat reads as unknown. */
static int FindSwitch(const char *name, const Switches *switches)
{
    for (int id = 0; id < SWITCH_COUNT; id++) {
        if (lstrcmpiA(name, SWITCH_TABLE[id].name) != 0)
            continue;
        int kind = SWITCH_TABLE[id].kind;
        int taken = kind == KIND_VALUE ? switches->value[id] != NULL
                                       : kind == KIND_ONCE && switches->flag[id];
        return taken ? SWITCH_COUNT : id;
    }
    return SWITCH_COUNT;
}

/* The element at index, refused when it holds a character the code page
 * could not write: the '?' standing in for it names another text. */
static int ReadElement(const char *modulePath, const CommandLine *line, int index,
                       const char **element)
{
    if (index == line->firstInexact)
        return AppFailure(NOT_IN_CODE_PAGE, 2, modulePath, line->arguments[index]);
    *element = line->arguments[index];
    return STATUS_OK;
}

/* The element after the one at *index, which parsing then steps over. */
static int TakeValue(const char *modulePath, const CommandLine *line, int *index,
                     const char **value)
{
    if (*index + 1 >= line->count)
        return AppFailure(MISSING_VALUE, 2, modulePath, line->arguments[*index]);
    *index += 1;
    return ReadElement(modulePath, line, *index, value);
}

/* -drk's number, read as atoi would, names one of five predefined roots. */
static int SelectRegistryRoot(const char *modulePath, Switches *switches)
{
    static const HKEY ROOTS[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
                                 HKEY_USERS};
    long number = strtol(switches->value[SWITCH_DRK], NULL, 10);
    if (number < 1 || number > 5)
        return AppFailure(UNKNOWN_VALUE, 3, modulePath, switches->value[SWITCH_DRK],
                          SWITCH_TABLE[SWITCH_DRK].name);
    if (number <= 4)
        switches->root = ROOTS[number - 1];
    else
        switches->root = g_osVersion.osClass == OS_CLASS_NT ? HKEY_PERFORMANCE_DATA : HKEY_DYN_DATA;
    return STATUS_OK;
}

static int IsRepeatedNumber(const Switches *switches, const NumberedArgument *entry)
{
    for (int i = 0; i < switches->numberedCount; i++)
        if (CompareArgumentNumbers(&switches->numbered[i], entry) == 0)
            return 1;
    return 0;
}

/* -N value: the number is read as atoi would (-03 and -3x are both 3). */
static int AddNumberedArgument(const char *modulePath, const CommandLine *line, int *index,
                               Switches *switches)
{
    const char *element = line->arguments[*index];
    NumberedArgument entry = {(int32_t)strtol(element + 1, NULL, 10), NULL};
    char limit[NUMBER_TEXT_SIZE];
    NumberText(MAX_NUMBERED_ARGUMENTS, limit);
    int status = TakeValue(modulePath, line, index, &entry.value);
    if (status == STATUS_OK && switches->numberedCount >= MAX_NUMBERED_ARGUMENTS)
        status = AppFailure(TOO_MANY_ARGUMENTS, 2, modulePath, limit);
    if (status == STATUS_OK && IsRepeatedNumber(switches, &entry))
        status = AppFailure(REPEATED_NUMBER, 2, modulePath, element);
    if (status == STATUS_OK)
        switches->numbered[switches->numberedCount++] = entry;
    return status;
}

/* One element, with its value when it takes one; *index ends on the last
 * element used.  Switch names compare case-insensitively and whole, after
 * a prefix of - or /. */
static int ParseElement(const char *modulePath, const CommandLine *line, int *index,
                        Switches *switches, int *wantsHelp)
{
    const char *element = NULL;
    int status = ReadElement(modulePath, line, *index, &element);
    if (status != STATUS_OK)
        return status;
    if (element[0] != '-' && element[0] != '/')
        return AppFailure(UNKNOWN_PARAMETER, 2, modulePath, element);
    int id = FindSwitch(element + 1, switches);
    if (id == SWITCH_COUNT && element[1] >= '0' && element[1] <= '9')
        return AddNumberedArgument(modulePath, line, index, switches);
    if (id == SWITCH_COUNT)
        return AppFailure(UNKNOWN_SWITCH, 2, modulePath, element);
    if (SWITCH_TABLE[id].kind != KIND_VALUE) {
        switches->flag[id] = 1;
        *wantsHelp = id == SWITCH_H;
        return STATUS_OK;
    }
    status = TakeValue(modulePath, line, index, &switches->value[id]);
    if (status == STATUS_OK && id == SWITCH_DRK)
        status = SelectRegistryRoot(modulePath, switches);
    return status;
}

int ParseSwitches(const char *modulePath, const CommandLine *line, Switches *switches,
                  int *wantsHelp)
{
    ZeroMemory(switches, sizeof(*switches));
    *wantsHelp = line->count < 2;
    int status = STATUS_OK;
    /* Element 0 is the program's own name; -h ends parsing at once. */
    for (int i = 1; status == STATUS_OK && !*wantsHelp && i < line->count; i++)
        status = ParseElement(modulePath, line, &i, switches, wantsHelp);
    return status;
}

int CheckSwitchRules(const char *modulePath, const Switches *switches)
{
    const char *const *value = switches->value;
    int directory = value[SWITCH_D] != NULL;
    int environment = value[SWITCH_DE] != NULL;
    int registry = value[SWITCH_DRK] != NULL;
    int conflict = (directory && environment) || (directory && registry) ||
                   (environment && registry) ||
                   (value[SWITCH_EA] && (directory || environment || registry)) ||
                   (value[SWITCH_EA] && value[SWITCH_ER]) ||
                   (switches->flag[SWITCH_DEXE] && value[SWITCH_DV]);
    if (conflict)
        return AppFailure(CONFLICT, 1, modulePath);
    if (registry != (value[SWITCH_DRS] != NULL))
        return AppFailure(MISSING_PARTNER, 3, modulePath, SWITCH_TABLE[SWITCH_DRK].name,
                          SWITCH_TABLE[SWITCH_DRS].name);
    return STATUS_OK;
}
