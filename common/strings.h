/*
 * Strings in the process's ANSI code page: trimming and white-space tests,
 * a comparison driver that ignores surrounding white space, the runtime's
 * code-page-aware routines and the allocating builders.  White space is the
 * bytes 0x09-0x0D and 0x20.  Every string these functions allocate comes
 * from AllocZeroed and is freed by the caller with free().
 */
#pragma once

#include <windows.h>
#include <stdint.h>

enum { ORDER_LESS = 0, ORDER_EQUAL = 1, ORDER_GREATER = 2 };

enum {
    COMPARE_CASE = 0,
    COMPARE_NOCASE = 1,
    COMPARE_N_BYTES = 2,
    COMPARE_N_BYTES_NOCASE = 3,
    COMPARE_COLLATE = 4
};

/* In place; a null string gives a constant empty string (never write it). */
char *TrimLeadingBlanks(char *text);
char *TrimTrailingBlanks(char *text);
char *TrimBlanks(char *text);

int HasNoOuterBlanks(const char *text);
int IsBlankString(const char *text);
int ContainsBlank(const char *text);
int ContainsInnerBlank(const char *text);
uint32_t TrimmedLength(const char *text);

/* Compares the texts without their surrounding white space; the outcome
 * (ORDER_*) goes to *order.  With copyFlag 1 the texts are copied and may be
 * read-only; with any other value a NUL is written into both for the
 * duration of the call, and their bytes are restored before it returns. */
int CompareTrimmed(const char *first, const char *second, uint32_t byteCount,
                   int copyFlag, int *order, int mode);
int CompareStrings(const char *first, const char *second, int copyFlag, int *order);
int CompareStringsNoCase(const char *first, const char *second, int copyFlag, int *order);
int CompareStringsN(const char *first, const char *second, uint32_t byteCount,
                    int copyFlag, int *order);
int CompareStringsNNoCase(const char *first, const char *second, uint32_t byteCount,
                          int copyFlag, int *order);
int CompareStringsCollate(const char *first, const char *second, int copyFlag, int *order);

/* First character of text that is in set (a trail byte never matches);
 * null when there is none or either argument is null. */
char *FindFirstOf(const char *text, const char *set);

/* The runtime's code-page-aware routines, with plain char pointers. */
size_t MbsSpn(const char *text, const char *set);
size_t MbsCspn(const char *text, const char *set);
int MbsCmp(const char *first, const char *second);
int MbsICmp(const char *first, const char *second);
int MbsNbCmp(const char *first, const char *second, size_t count);
int MbsNbICmp(const char *first, const char *second, size_t count);
int MbsColl(const char *first, const char *second);
char *MbsNbCpy(char *target, const char *source, size_t count);

/* The decimal text of value, as a message argument. */
enum { NUMBER_TEXT_SIZE = 12 };
void NumberText(int32_t value, char text[NUMBER_TEXT_SIZE]);

/* *out is set to null first, then receives the new string. */
int DupString(char **out, const char *source);
/* Either piece may be null, not both. */
int ConcatAlloc(const char *first, const char *second, char **out);
/* Replaces the allocated string at *target by itself followed by the count
 * non-null arguments (const char *), freeing the old one. */
int AppendStrings(char **target, int count, ...);
/* Item: a new string, prefix followed by the first item of list.  Rest: a
 * pointer into list after the first separator, or null when none.  Null
 * separators make the whole list one item with a null rest. */
int TakeListItem(const char *prefix, const char *list, const char *separators,
                 char **item, const char **rest);
