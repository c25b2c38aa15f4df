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

/* Remove white space from the start, the end or both, in place, and return
 * text; a null text gives a constant empty string (never write it). */
char *TrimLeadingBlanks(char *text);
char *TrimTrailingBlanks(char *text);
char *TrimBlanks(char *text);

/* 1 when neither the first nor the last byte is white space (also for a
 * null or empty text), else 0. */
int HasNoOuterBlanks(const char *text);
/* 1 for a null text and one of nothing but white space, else 0. */
int IsBlankString(const char *text);
/* 1 when the text holds white space anywhere / between two other
 * characters; 0 for a null text. */
int ContainsBlank(const char *text);
int ContainsInnerBlank(const char *text);
/* Bytes of the text without its surrounding white space; 0 for null. */
uint32_t TrimmedLength(const char *text);

/* Compares the texts without their surrounding white space by mode
 * (COMPARE_*; the N modes look at byteCount bytes at most); the outcome
 * (ORDER_*) goes to *order (required).  A null text orders before any
 * other.  With copyFlag 1 the texts are copied and may be read-only; with
 * any other value a NUL is written into both for the duration of the call,
 * and their bytes are restored before it returns.  A mode the runtime
 * refuses gives STATUS_CRT_ERROR. */
int CompareTrimmed(const char *first, const char *second, uint32_t byteCount, int copyFlag,
                   int *order, int mode);
/* CompareTrimmed with the mode of the name. */
int CompareStrings(const char *first, const char *second, int copyFlag, int *order);
int CompareStringsNoCase(const char *first, const char *second, int copyFlag, int *order);
int CompareStringsN(const char *first, const char *second, uint32_t byteCount, int copyFlag,
                    int *order);
int CompareStringsNNoCase(const char *first, const char *second, uint32_t byteCount, int copyFlag,
                          int *order);
int CompareStringsCollate(const char *first, const char *second, int copyFlag, int *order);

/* First character of text that is in set (a trail byte never matches);
 * null when there is none or either argument is null. */
char *FindFirstOf(const char *text, const char *set);

/* The runtime's code-page-aware routines (_mbsspn, _mbscspn, _mbscmp,
 * _mbsicmp, _mbsnbcmp, _mbsnbicmp, _mbscoll, _mbsnbcpy) with plain char
 * pointers; each returns what its routine returns. */
size_t MbsSpn(const char *text, const char *set);
size_t MbsCspn(const char *text, const char *set);
int MbsCmp(const char *first, const char *second);
int MbsICmp(const char *first, const char *second);
int MbsNbCmp(const char *first, const char *second, size_t count);
int MbsNbICmp(const char *first, const char *second, size_t count);
int MbsColl(const char *first, const char *second);
char *MbsNbCpy(char *target, const char *source, size_t count);

/* Writes the decimal text of value into text, for a message argument. */
enum { NUMBER_TEXT_SIZE = 12 };
void NumberText(int32_t value, char text[NUMBER_TEXT_SIZE]);

/* Needs out and source.  *out is set to null first, then receives a new
 * copy of source, which the caller frees. */
int DupString(char **out, const char *source);
/* Needs out.  *out receives a new string of first followed by second, which
 * the caller frees; either piece may be null, not both. */
int ConcatAlloc(const char *first, const char *second, char **out);
/* Needs target.  Replaces the allocated string at *target (may be null) by
 * itself followed by the count non-null arguments (const char *), freeing
 * the old one; on failure *target stays as it was. */
int AppendStrings(char **target, int count, ...);
/* Item (the caller frees it): a new string, prefix followed by the first
 * item of list.  Rest: a pointer into list after the first separator, or
 * null when none.  Either output may be null; both are null first.  Null
 * separators make the whole list one item with a null rest. */
int TakeListItem(const char *prefix, const char *list, const char *separators, char **item,
                 const char **rest);
