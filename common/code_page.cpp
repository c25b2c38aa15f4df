/*
 * The exact conversion into the ANSI code page: convert, convert back, and
 * accept only when the units came back unchanged.  A best-fit look-alike
 * reads back as the character it looks like, a '?' as '?', so either shows
 * as a difference.  The code pages are stateless, so a text converts
 * exactly when each of its characters does, and the shown form of a
 * refused text can be made character by character.
 */
#include "code_page.h"

#include "alloc.h"
#include "error_record.h"

#include <stdlib.h>
#include <string.h>

const char NOT_IN_CODE_PAGE[] = "The text %s cannot be written in the system's code page.";

static int HoldsNul(const WCHAR *units, int count)
{
    for (int i = 0; i < count; i++)
        if (units[i] == 0)
            return 1;
    return 0;
}

/* Converts count units into text (size bytes) and back into back (room for
 * count units): *exact is 1 only when back equals units and no NUL would
 * end the ANSI string early. */
static int RoundTrip(const WCHAR *units, int count, char *text, int size, WCHAR *back, int *length,
                     int *exact)
{
    int written = WideCharToMultiByte(CP_ACP, 0, units, count, text, size, NULL, NULL);
    if (written == 0)
        return STATUS_SYSTEM_ERROR;
    int read = MultiByteToWideChar(CP_ACP, 0, text, written, back, count);
    *length = written;
    *exact = read == count && memcmp(back, units, (size_t)count * sizeof(WCHAR)) == 0 &&
             !HoldsNul(units, count);
    return STATUS_OK;
}

static int IsHighSurrogate(WCHAR unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

static int IsLowSurrogate(WCHAR unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

int AnsiCharacter(const WCHAR *units, int available, char form[ANSI_CHARACTER_SIZE], int *size,
                  int *used)
{
    int count = available > 1 && IsHighSurrogate(units[0]) && IsLowSurrogate(units[1]) ? 2 : 1;
    WCHAR back[2];
    int length = 0;
    int exact = 0;
    if (RoundTrip(units, count, form, ANSI_CHARACTER_SIZE, back, &length, &exact) != STATUS_OK ||
        !exact) {
        form[0] = '?';
        length = 1;
        exact = 0;
    }
    *size = length;
    *used = count;
    return exact;
}

/* The text as far as it can be shown, in a record argument: whole
 * characters only, while they fit with the terminator. */
static void ShownForm(const WCHAR *units, int count, char shown[ARGUMENT_SIZE])
{
    int position = 0;
    for (int i = 0; i < count;) {
        char form[ANSI_CHARACTER_SIZE];
        int size = 0;
        int used = 0;
        AnsiCharacter(units + i, count - i, form, &size, &used);
        if (position + size >= ARGUMENT_SIZE)
            break;
        memcpy(shown + position, form, (size_t)size);
        position += size;
        i += used;
    }
    shown[position] = '\0';
}

static int RefuseText(const WCHAR *units, int count)
{
    char shown[ARGUMENT_SIZE];
    ShownForm(units, count, shown);
    return AppFailure(NOT_IN_CODE_PAGE, 1, shown);
}

int ToAnsiExact(const WCHAR *units, int count, char *text, int size, int *length)
{
    WCHAR *back = NULL;
    int written = 0;
    int exact = 0;
    int status = count > 0 ? AllocZeroed(&back, (size_t)count, sizeof(WCHAR))
                           : InvalidParameterStatus();
    if (status == STATUS_OK)
        status = RoundTrip(units, count, text, size, back, &written, &exact);
    if (status == STATUS_OK && !exact)
        status = RefuseText(units, count);
    free(back);
    if (status != STATUS_OK && text && size > 0)
        memset(text, 0, (size_t)size);
    if (status == STATUS_OK && length)
        *length = written;
    return status;
}
