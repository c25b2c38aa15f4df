/*
 * Splitting a command line into an argument vector.  Blanks, quotes and
 * backslashes work as in the Microsoft C run-time, with two departures:
 * - Inside quotes, two double quotes close and reopen the quoting and give
 *   nothing ("a "" b" is "a  b"); the run-time from Visual C++ 2008 on
 *   gives one literal quote there.
 * - Element 0, the program's path, is split like every other element; the
 *   run-time reads it up to the next quote with backslashes literal.
 * They stay because the product's callers quote by these rules, which the
 * launcher's usage text gives them, and a command line written for the
 * launcher must split as it always has.
 *
 * A vector is an allocated array of allocated strings; the caller frees it
 * with FreeArgumentVector.
 */
#pragma once

/* Needs vector, with *vector null on entry.  Null commandLine: the
 * process's own (GetCommandLineA).  The vector keeps a null pointer behind
 * its last element; count (may be null) receives the element count, also
 * on failure, when the elements made so far stay in the vector for the
 * caller to free.  STATUS_MESSAGE_SHOWN after telling a Win32s user in a
 * box. */
int SplitCommandLine(const char *commandLine, char ***vector, int *count);

/* The process's own command line, split as SplitCommandLine splits it but
 * read, on NT, in the UTF-16 its caller wrote: the system's ANSI copy
 * holds a look-alike for each character the code page lacks, and a
 * look-alike quote or backslash there would move the elements' borders.
 * Each element is the exact ANSI form of its characters, with '?' for a
 * character the code page cannot write; *firstInexact (required) receives
 * the index of the first argument (element 1 on) that holds such a '?',
 * or the count when none does.  Contract otherwise as SplitCommandLine's
 * with a null commandLine. */
int SplitProcessCommandLine(char ***vector, int *count, int *firstInexact);

/* Frees the first *count elements and the array, and empties both.
 * Returns 0, or 1 (not a status) when count is null and nothing was freed. */
int FreeArgumentVector(char ***vector, int *count);

/* Converts the process's wide command line (the first argument is ignored)
 * into a vector like SplitCommandLine's, with the same contract.
 * STATUS_MESSAGE_SHOWN after telling the user of a system older than NT 3.5
 * in a box. */
int SplitCommandLineWide(const char *ignored, char ***vector, int *count);
