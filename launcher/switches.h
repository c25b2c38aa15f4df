/*
 * The launcher's switches: the table the command line fills, the numbered
 * arguments for the started program, and the rules the switches must keep.
 */
#pragma once

#include <windows.h>
#include <stdint.h>

enum SwitchId {
    SWITCH_D,    /* directory of the executable file */
    SWITCH_DEXE, /* the directory found is the executable file itself */
    SWITCH_DE,   /* environment variable holding the directory */
    SWITCH_DRK,  /* registry root, 1 to 5 */
    SWITCH_DRSS, /* registry subkey appended to the key name */
    SWITCH_DRS,  /* registry key name */
    SWITCH_DRV,  /* registry value name (default value when absent) */
    SWITCH_DRSV, /* extensions appended in turn to the key name */
    SWITCH_DV,   /* extensions appended in turn to the directory */
    SWITCH_RRS,  /* machine of a remote registry */
    SWITCH_EA,   /* absolute path of the executable file */
    SWITCH_ER,   /* relative path or pattern of the executable file */
    SWITCH_S,    /* search the system search path */
    SWITCH_R,    /* search the directory tree */
    SWITCH_Q,    /* quiet: no message box */
    SWITCH_W,    /* wait for the started program */
    SWITCH_N,    /* no logo in the help */
    SWITCH_H,    /* help */
    SWITCH_COUNT
};

enum { MAX_NUMBERED_ARGUMENTS = 128 };

struct NumberedArgument {
    int32_t number;    /* the digits after the prefix */
    const char *value; /* the element that followed it */
};

/* What the command line asked for.  Values point into the argument vector,
 * which outlives the record. */
struct Switches {
    const char *value[SWITCH_COUNT];                   /* value switches: null until met */
    int flag[SWITCH_COUNT];                            /* flag switches: 1 once met */
    HKEY root;                                         /* the registry root -drk selects */
    NumberedArgument numbered[MAX_NUMBERED_ARGUMENTS]; /* in command-line order */
    int numberedCount;
};

/* qsort order of two NumberedArgument entries: by number, as signed. */
int CompareArgumentNumbers(const void *first, const void *second);

/* The split command line as parsing reads it. */
struct CommandLine {
    char *const *arguments;
    int count;
    int firstInexact; /* first argument with a '?' for a character the
                           code page cannot write; count when none */
};

/* Fills *switches (zeroed first) from elements 1 on of the vector.  With no
 * elements, or at -h, parsing ends with *wantsHelp 1.  The first bad element
 * gives STATUS_APP_ERROR with its message (modulePath in front); the
 * inexact argument is bad where parsing reaches it, as a switch or as a
 * value, so that a -q before it is heeded. */
int ParseSwitches(const char *modulePath, const CommandLine *line, Switches *switches,
                  int *wantsHelp);

/* The switches that exclude each other, and the registry pair that must
 * come together: STATUS_APP_ERROR with the message when one is broken. */
int CheckSwitchRules(const char *modulePath, const Switches *switches);
