/*
 * The string layer under every other unit: white space, the comparison
 * driver, the code-page-aware forwarders and the allocating builders.
 * Texts are in the process's ANSI code page, which may be double-byte.
 * White space is tested byte by byte; that is safe in every double-byte
 * code page Windows ships, because no trail byte lies in 0x09-0x0D or 0x20.
 */
#include "strings.h"

#include "alloc.h"
#include "error_record.h"

#include <errno.h>
#include <limits.h>
#include <mbstring.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

/* What the trims give for a null string; read-only, so a caller that writes
 * it faults at once instead of changing it for everyone. */
static const char EMPTY_TEXT[] = "";

static int IsBlank(unsigned char byte) { return byte == ' ' || (byte >= 0x09 && byte <= 0x0D); }

static const char *SkipBlanks(const char *text)
{
    while (IsBlank((unsigned char)*text))
        text++;
    return text;
}

/* Bytes of text up to and including its last byte that is not white space. */
static size_t ContentLength(const char *text)
{
    size_t length = strlen(text);
    while (length > 0 && IsBlank((unsigned char)text[length - 1]))
        length--;
    return length;
}

/* ---- Trimming ---- */

enum { TRIM_LEADING = 1, TRIM_TRAILING = 2 };

static char *Trim(char *text, int sides)
{
    if (!text)
        return const_cast<char *>(EMPTY_TEXT);
    /* The tail goes first so that the move below carries fewer bytes. */
    if (sides & TRIM_TRAILING)
        text[ContentLength(text)] = '\0';
    if (sides & TRIM_LEADING) {
        size_t skipped = SkipBlanks(text) - text;
        memmove(text, text + skipped, strlen(text + skipped) + 1);
    }
    return text;
}

char *TrimLeadingBlanks(char *text) { return Trim(text, TRIM_LEADING); }

char *TrimTrailingBlanks(char *text) { return Trim(text, TRIM_TRAILING); }

char *TrimBlanks(char *text) { return Trim(text, TRIM_LEADING | TRIM_TRAILING); }

/* ---- Tests ---- */

int HasNoOuterBlanks(const char *text)
{
    if (!text || !*text)
        return 1;
    return !IsBlank((unsigned char)text[0]) && !IsBlank((unsigned char)text[strlen(text) - 1]);
}

int IsBlankString(const char *text) { return !text || !*SkipBlanks(text); }

static int HasBlankBetween(const char *start, const char *end)
{
    for (; start < end; start++)
        if (IsBlank((unsigned char)*start))
            return 1;
    return 0;
}

int ContainsBlank(const char *text) { return text && HasBlankBetween(text, text + strlen(text)); }

int ContainsInnerBlank(const char *text)
{
    if (!text)
        return 0;
    const char *start = SkipBlanks(text);
    return HasBlankBetween(start, start + ContentLength(start));
}

uint32_t TrimmedLength(const char *text)
{
    if (!text)
        return 0;
    return (uint32_t)ContentLength(SkipBlanks(text));
}

/* ---- The runtime's code-page-aware routines ---- */

static const unsigned char *Bytes(const char *text)
{
    return reinterpret_cast<const unsigned char *>(text);
}

size_t MbsSpn(const char *text, const char *set) { return _mbsspn(Bytes(text), Bytes(set)); }
size_t MbsCspn(const char *text, const char *set) { return _mbscspn(Bytes(text), Bytes(set)); }
int MbsCmp(const char *first, const char *second) { return _mbscmp(Bytes(first), Bytes(second)); }
int MbsICmp(const char *first, const char *second) { return _mbsicmp(Bytes(first), Bytes(second)); }
int MbsNbCmp(const char *first, const char *second, size_t count)
{
    return _mbsnbcmp(Bytes(first), Bytes(second), count);
}
int MbsNbICmp(const char *first, const char *second, size_t count)
{
    return _mbsnbicmp(Bytes(first), Bytes(second), count);
}
int MbsColl(const char *first, const char *second) { return _mbscoll(Bytes(first), Bytes(second)); }
char *MbsNbCpy(char *target, const char *source, size_t count)
{
    unsigned char *bytes = reinterpret_cast<unsigned char *>(target);
    return reinterpret_cast<char *>(_mbsnbcpy(bytes, Bytes(source), count));
}

char *FindFirstOf(const char *text, const char *set)
{
    if (!text || !set)
        return NULL;
    return const_cast<char *>(reinterpret_cast<const char *>(_mbspbrk(Bytes(text), Bytes(set))));
}

/* ---- Comparison ---- */

typedef int (*TextComparer)(const char *first, const char *second, uint32_t byteCount);

static int CompareCase(const char *first, const char *second, uint32_t)
{
    return MbsCmp(first, second);
}
static int CompareNoCase(const char *first, const char *second, uint32_t)
{
    return MbsICmp(first, second);
}
static int CompareNBytes(const char *first, const char *second, uint32_t byteCount)
{
    return MbsNbCmp(first, second, byteCount);
}
static int CompareNBytesNoCase(const char *first, const char *second, uint32_t byteCount)
{
    return MbsNbICmp(first, second, byteCount);
}
static int CompareCollate(const char *first, const char *second, uint32_t)
{
    return MbsColl(first, second);
}

/* Indexed by the COMPARE_* mode. */
static const TextComparer COMPARERS[] = {CompareCase, CompareNoCase, CompareNBytes,
                                         CompareNBytesNoCase, CompareCollate};

/* Outcome when one or both texts are missing: missing sorts first. */
static int OrderByPresence(bool firstPresent, bool secondPresent)
{
    if (firstPresent == secondPresent)
        return ORDER_EQUAL;
    return firstPresent ? ORDER_GREATER : ORDER_LESS;
}

static int OrderOfResult(int result)
{
    if (result == 0)
        return ORDER_EQUAL;
    return result < 0 ? ORDER_LESS : ORDER_GREATER;
}

/* The runtime reports a failed comparison by INT_MAX (_NLSCMPERROR) or by
 * errno EINVAL, and anything else it dislikes by errno alone. */
static int StatusOfComparison(int result)
{
    if (result == INT_MAX || errno == EINVAL) {
        errno = 0;
        SetLastError(ERROR_INVALID_DATA);
        return STATUS_SYSTEM_ERROR;
    }
    return errno ? STATUS_CRT_ERROR : STATUS_OK;
}

/* Cuts off the trailing white space of both (writable) texts, compares them
 * and puts the cut bytes back.  The bytes are restored in the reverse order
 * of saving, so that two texts sharing one tail come back intact. */
static int CompareCutTexts(char *first, char *second, uint32_t byteCount, int *order, int mode)
{
    char *firstEnd = first + ContentLength(first);
    char firstSaved = *firstEnd;
    *firstEnd = '\0';
    char *secondEnd = second + ContentLength(second);
    char secondSaved = *secondEnd;
    *secondEnd = '\0';

    errno = 0;
    int result = COMPARERS[mode](first, second, byteCount);
    int status = StatusOfComparison(result);
    if (status == STATUS_OK)
        *order = OrderOfResult(result);

    *secondEnd = secondSaved;
    *firstEnd = firstSaved;
    return status;
}

/* Copies on the stack, for texts shorter than Size bytes. */
template <size_t Size>
static int CompareStackCopies(const char *first, const char *second, uint32_t byteCount, int *order,
                              int mode)
{
    char firstCopy[Size];
    char secondCopy[Size];
    lstrcpynA(firstCopy, first, Size);
    lstrcpynA(secondCopy, second, Size);
    return CompareCutTexts(firstCopy, secondCopy, byteCount, order, mode);
}

static int CompareHeapCopies(const char *first, const char *second, uint32_t byteCount, int *order,
                             int mode)
{
    char *firstCopy = NULL;
    char *secondCopy = NULL;
    int status = DupString(&firstCopy, first);
    if (status == STATUS_OK)
        status = DupString(&secondCopy, second);
    if (status == STATUS_OK)
        status = CompareCutTexts(firstCopy, secondCopy, byteCount, order, mode);
    free(firstCopy);
    free(secondCopy);
    return status;
}

/* Ordinary texts stay off the heap; the tiers keep the stack frame small
 * for the short texts that make up nearly every call. */
enum { SMALL_COPY = 100, MEDIUM_COPY = 1000, LARGE_COPY = 5000 };

static int CompareCopies(const char *first, const char *second, uint32_t byteCount, int *order,
                         int mode)
{
    size_t firstLength = strlen(first);
    size_t secondLength = strlen(second);
    size_t longer = firstLength > secondLength ? firstLength : secondLength;
    if (longer < SMALL_COPY)
        return CompareStackCopies<SMALL_COPY>(first, second, byteCount, order, mode);
    if (longer < MEDIUM_COPY)
        return CompareStackCopies<MEDIUM_COPY>(first, second, byteCount, order, mode);
    if (longer < LARGE_COPY)
        return CompareStackCopies<LARGE_COPY>(first, second, byteCount, order, mode);
    return CompareHeapCopies(first, second, byteCount, order, mode);
}

int CompareTrimmed(const char *first, const char *second, uint32_t byteCount, int copyFlag,
                   int *order, int mode)
{
    if (!order || mode < COMPARE_CASE || mode > COMPARE_COLLATE)
        return InvalidParameterStatus();
    if (!first || !second) {
        *order = OrderByPresence(first != NULL, second != NULL);
        return STATUS_OK;
    }
    first = SkipBlanks(first);
    second = SkipBlanks(second);
    if (!*first || !*second) {
        *order = OrderByPresence(*first != '\0', *second != '\0');
        return STATUS_OK;
    }
    if (copyFlag == 1)
        return CompareCopies(first, second, byteCount, order, mode);
    /* In place: the caller promised writable texts (see the header). */
    return CompareCutTexts(const_cast<char *>(first), const_cast<char *>(second), byteCount, order,
                           mode);
}

int CompareStrings(const char *first, const char *second, int copyFlag, int *order)
{
    return CompareTrimmed(first, second, 0, copyFlag, order, COMPARE_CASE);
}

int CompareStringsNoCase(const char *first, const char *second, int copyFlag, int *order)
{
    return CompareTrimmed(first, second, 0, copyFlag, order, COMPARE_NOCASE);
}

int CompareStringsN(const char *first, const char *second, uint32_t byteCount, int copyFlag,
                    int *order)
{
    return CompareTrimmed(first, second, byteCount, copyFlag, order, COMPARE_N_BYTES);
}

int CompareStringsNNoCase(const char *first, const char *second, uint32_t byteCount, int copyFlag,
                          int *order)
{
    return CompareTrimmed(first, second, byteCount, copyFlag, order, COMPARE_N_BYTES_NOCASE);
}

int CompareStringsCollate(const char *first, const char *second, int copyFlag, int *order)
{
    return CompareTrimmed(first, second, 0, copyFlag, order, COMPARE_COLLATE);
}

/* ---- Allocating builders ---- */

void NumberText(int32_t value, char text[NUMBER_TEXT_SIZE])
{
    /* The longest, -2147483648, takes eleven bytes and the terminator. */
    wsprintfA(text, "%ld", (long)value);
}

int DupString(char **out, const char *source)
{
    if (out)
        *out = NULL;
    if (!out || !source)
        return InvalidParameterStatus();
    size_t size = strlen(source) + 1;
    char *copy = NULL;
    int status = AllocZeroed(&copy, size, 1);
    if (status == STATUS_OK) {
        memcpy(copy, source, size);
        *out = copy;
    }
    return status;
}

int ConcatAlloc(const char *first, const char *second, char **out)
{
    if (out)
        *out = NULL;
    if (!out || (!first && !second))
        return InvalidParameterStatus();
    size_t firstLength = first ? strlen(first) : 0;
    size_t secondLength = second ? strlen(second) : 0;
    char *joined = NULL;
    int status = AllocZeroed(&joined, firstLength + secondLength + 1, 1);
    if (status == STATUS_OK) {
        /* The block is zero-filled, which terminates the text. */
        memcpy(joined, first ? first : "", firstLength);
        memcpy(joined + firstLength, second ? second : "", secondLength);
        *out = joined;
    }
    return status;
}

static size_t MeasureArguments(int count, va_list arguments)
{
    size_t total = 0;
    for (int i = 0; i < count; i++) {
        const char *piece = va_arg(arguments, const char *);
        if (piece)
            total += strlen(piece);
    }
    return total;
}

/* Appends the non-null arguments at end; the block was sized by
 * MeasureArguments over the same arguments. */
static void CopyArguments(char *end, int count, va_list arguments)
{
    for (int i = 0; i < count; i++) {
        const char *piece = va_arg(arguments, const char *);
        if (!piece)
            continue;
        size_t length = strlen(piece);
        memcpy(end, piece, length);
        end += length;
    }
}

int AppendStrings(char **target, int count, ...)
{
    if (!target || count < 0)
        return InvalidParameterStatus();
    if (count == 0)
        return STATUS_OK;

    va_list arguments;
    va_start(arguments, count);
    va_list again;
    va_copy(again, arguments);

    size_t oldLength = *target ? strlen(*target) : 0;
    char *joined = NULL;
    int status = AllocZeroed(&joined, oldLength + MeasureArguments(count, arguments) + 1, 1);
    if (status == STATUS_OK) {
        memcpy(joined, *target ? *target : "", oldLength);
        CopyArguments(joined + oldLength, count, again);
        free(*target);
        *target = joined;
    }

    va_end(again);
    va_end(arguments);
    return status;
}

/* Item text: prefix followed by list up to its first separator. */
static int BuildListItem(const char *prefix, const char *list, const char *separators, char **item)
{
    char *copy = NULL;
    int status = DupString(&copy, list);
    if (status == STATUS_OK) {
        char *separator = FindFirstOf(copy, separators);
        if (separator)
            *separator = '\0';
        status = ConcatAlloc(prefix, copy, item);
    }
    free(copy);
    return status;
}

/* Null separators make the whole list one item, so a caller looping until
 * rest is null stops after it. */
static const char *RestAfterSeparator(const char *list, const char *separators)
{
    const char *separator = FindFirstOf(list, separators);
    return separator ? CharNextA(separator) : NULL;
}

int TakeListItem(const char *prefix, const char *list, const char *separators, char **item,
                 const char **rest)
{
    if (item)
        *item = NULL;
    if (rest)
        *rest = NULL;
    if ((!prefix && !list) || (!item && !rest))
        return STATUS_OK;
    if (!list)
        return item ? ConcatAlloc(prefix, NULL, item) : STATUS_OK;

    int status = STATUS_OK;
    if (item)
        status = BuildListItem(prefix, list, separators, item);
    if (status == STATUS_OK && rest)
        *rest = RestAfterSeparator(list, separators);
    return status;
}
