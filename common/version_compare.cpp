/*
 * Dotted version texts compare part by part.  Within a part only the
 * digits count; a part's value is its digit string read as a decimal
 * number of any length, so no part can overflow: leading zeros are dropped,
 * a longer digit string is the larger number, and equal lengths compare
 * digit by digit.
 */
#include "version_compare.h"

#include <string.h>

/* One part's digits, without leading zeros, pointing into the text. */
struct VersionPart {
    const char *digits; /* first significant digit, or the part's end */
    size_t length;      /* significant digits */
    int hasDigits;      /* any digit at all, zeros included */
};

/* Reads the part at *text and advances past it and its full stop.  Letters
 * inside a part are skipped, so the digits need not be contiguous; compare
 * them with ComparePartDigits, which skips them again. */
static VersionPart ReadPart(const char **text)
{
    VersionPart part = {*text, 0, 0};
    const char *p = *text;
    int significant = 0;
    for (; *p && *p != '.'; p++) {
        if (*p < '0' || *p > '9')
            continue;
        part.hasDigits = 1;
        if (!significant && *p == '0')
            continue;
        if (!significant)
            part.digits = p;
        significant = 1;
        part.length++;
    }
    if (!significant)
        part.digits = p;
    *text = *p == '.' ? p + 1 : p;
    return part;
}

static const char *NextDigit(const char *p)
{
    while (*p < '0' || *p > '9')
        p++;
    return p;
}

static int ComparePartValues(const VersionPart *first, const VersionPart *second)
{
    if (first->length != second->length)
        return first->length < second->length ? -1 : 1;
    const char *a = first->digits;
    const char *b = second->digits;
    for (size_t i = 0; i < first->length; i++, a++, b++) {
        a = NextDigit(a);
        b = NextDigit(b);
        if (*a != *b)
            return *a < *b ? -1 : 1;
    }
    return 0;
}

int CompareVersions(const char *first, const char *second, int *partIndex)
{
    if (!first || !second)
        return first ? 1 : second ? -1 : 0;
    if (partIndex)
        *partIndex = 1;
    for (;;) {
        VersionPart a = ReadPart(&first);
        VersionPart b = ReadPart(&second);
        if (!a.hasDigits || !b.hasDigits)
            return a.hasDigits ? 1 : b.hasDigits ? -1 : 0;
        int order = ComparePartValues(&a, &b);
        if (order != 0)
            return order;
        if (partIndex)
            ++*partIndex;
    }
}
