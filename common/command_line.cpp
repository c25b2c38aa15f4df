/*
 * Splitting a command line into an argument vector by the rules the
 * launcher's usage text asks callers to quote by (command_line.h says where
 * they depart from the C run-time's): white space separates outside double
 * quotes; 2n backslashes
 * before a double quote give n backslashes and the quote opens or closes
 * quoting, 2n + 1 give n backslashes and a literal quote; backslashes
 * anywhere else are literal.  A double-byte character is taken whole, so a
 * trail byte that looks like a backslash or a quote means nothing.  A line
 * read in UTF-16 is split by the same rules, before its characters become
 * ANSI, so that no converted character can act as a quote or separator.
 */
#include "command_line.h"

#include "alloc.h"
#include "code_page.h"
#include "error_record.h"
#include "os_version.h"
#include "strings.h"

#include <windows.h>

#include <stdlib.h>
#include <string.h>

static const size_t FIRST_WORK_SIZE = 1024;
static const size_t FIRST_VECTOR_SIZE = 8;

/* Shown as they have always been worded, missing blanks included. */
static const char WIN32S_REFUSED[] =
    "This application can be run onWindows NT version 3.1, Windows 95or later.";
static const char BEFORE_NT35_REFUSED[] =
    "This application can only be run on Windows NT 3.5 or greater."
    "The application will now terminate.";

/* Holds the element being assembled.  It grows, so no element is cut. */
struct WorkBuffer {
    char *text;
    size_t length;
    size_t capacity;
};

/* The line being split: ANSI bytes, or UTF-16 units that go into the
 * elements in their ANSI form, character by character.  The rules look at
 * ASCII characters only, which are the same in both. */
struct SplitSource {
    const char *bytes;
    const WCHAR *units;
    size_t position;
};

struct Split {
    char ***vector;
    int count;
    size_t capacity; /* of *vector, in elements */
    UINT maxCharSize;
    WorkBuffer work;
    SplitSource source;
    int inexact;      /* the element being assembled holds a '?' for a character */
    int firstInexact; /* first argument (element 1 on) that does; -1 while none */
};

static int IsSeparator(unsigned c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

static int AppendByte(WorkBuffer *work, char byte)
{
    int status = GrowArray(&work->text, &work->capacity, work->length + 1, 1, FIRST_WORK_SIZE);
    if (status == STATUS_OK)
        work->text[work->length++] = byte;
    return status;
}

/* The vector always keeps a null pointer behind its last element. */
static int StoreElement(Split *split, char *element)
{
    int status = GrowArray(split->vector, &split->capacity, (size_t)split->count + 2,
                           sizeof(char *), FIRST_VECTOR_SIZE);
    if (status != STATUS_OK) {
        free(element);
        return status;
    }
    (*split->vector)[split->count++] = element;
    (*split->vector)[split->count] = NULL;
    return STATUS_OK;
}

/* The unit ahead units past the position: a byte or a UTF-16 unit. */
static unsigned Peek(const SplitSource *source, size_t ahead)
{
    size_t at = source->position + ahead;
    return source->bytes ? (BYTE)source->bytes[at] : source->units[at];
}

/* Element 0 is the program's own path, not an argument: a '?' in it is
 * not counted. */
static int EndElement(Split *split)
{
    char *element = NULL;
    int status = AllocZeroed(&element, split->work.length + 1, split->maxCharSize);
    if (status == STATUS_OK) {
        memcpy(element, split->work.text, split->work.length);
        if (split->inexact && split->count > 0 && split->firstInexact < 0)
            split->firstInexact = split->count;
        status = StoreElement(split, element);
    }
    split->work.length = 0;
    split->inexact = 0;
    return status;
}

/* Backslashes count only in front of a double quote: there each pair gives
 * one, and an odd one out makes the quote literal. */
static int TakeBackslashes(Split *split)
{
    SplitSource *source = &split->source;
    size_t length = 0;
    while (Peek(source, length) == '\\')
        length++;
    int beforeQuote = Peek(source, length) == '"';
    size_t kept = beforeQuote ? length / 2 : length;
    int status = STATUS_OK;
    for (size_t i = 0; i < kept && status == STATUS_OK; i++)
        status = AppendByte(&split->work, '\\');
    if (status == STATUS_OK && beforeQuote && length % 2 == 1) {
        status = AppendByte(&split->work, '"');
        length++;
    }
    source->position += length;
    return status;
}

/* One character in its ANSI form: a double-byte one whole, a UTF-16 one
 * exactly or as '?', which marks its element. */
static int TakeCharacter(Split *split)
{
    SplitSource *source = &split->source;
    char form[ANSI_CHARACTER_SIZE];
    int size = 0;
    int used = 0;
    if (source->bytes) {
        const char *character = source->bytes + source->position;
        size = used = IsDBCSLeadByte((BYTE)character[0]) && character[1] ? 2 : 1;
        memcpy(form, character, (size_t)size);
    } else {
        const WCHAR *character = source->units + source->position;
        if (!AnsiCharacter(character, character[1] ? 2 : 1, form, &size, &used))
            split->inexact = 1;
    }
    int status = STATUS_OK;
    for (int i = 0; i < size && status == STATUS_OK; i++)
        status = AppendByte(&split->work, form[i]);
    source->position += (size_t)used;
    return status;
}

static int SplitText(Split *split)
{
    int status = STATUS_OK;
    int inGap = 1;
    int quoted = 0;
    SplitSource *source = &split->source;
    while (status == STATUS_OK && (Peek(source, 0) || !inGap)) {
        unsigned c = Peek(source, 0);
        if (inGap && IsSeparator(c)) {
            source->position++;
            continue;
        }
        inGap = 0;
        if (c == '\\') {
            status = TakeBackslashes(split);
        } else if (c == '"') {
            quoted = !quoted;
            source->position++;
        } else if (c == '\0' || (IsSeparator(c) && !quoted)) {
            status = EndElement(split);
            inGap = 1;
            if (c)
                source->position++;
        } else {
            status = TakeCharacter(split);
        }
    }
    return status;
}

static int RefuseWin32s(void)
{
    ShowErrorBox(NULL, WIN32S_REFUSED, NULL);
    return STATUS_MESSAGE_SHOWN;
}

/* Multibyte elements are given room for MaxCharSize bytes a character. */
static int AnsiMaxCharSize(UINT *size)
{
    CPINFO codePage;
    if (!GetCPInfo(CP_ACP, &codePage))
        return STATUS_SYSTEM_ERROR;
    if (size)
        *size = codePage.MaxCharSize;
    return STATUS_OK;
}

static Split NewSplit(char ***vector)
{
    Split split = {vector, 0, 0, 1, {NULL, 0, 0}, {NULL, NULL, 0}, 0, -1};
    return split;
}

static int RunSplit(Split *split, int *count)
{
    int status = AnsiMaxCharSize(&split->maxCharSize);
    if (status == STATUS_OK)
        status = SplitText(split);
    free(split->work.text);
    if (count)
        *count = split->count;
    return status;
}

int SplitCommandLine(const char *commandLine, char ***vector, int *count)
{
    if (!vector || *vector)
        return InvalidParameterStatus();
    if (g_osVersion.osClass == OS_CLASS_WIN32S)
        return RefuseWin32s();
    Split split = NewSplit(vector);
    split.source.bytes = commandLine ? commandLine : GetCommandLineA();
    return RunSplit(&split, count);
}

/* NT keeps the command line as its caller wrote it, in UTF-16, and makes
 * the ANSI copy with look-alikes; Windows 95 and 98 have only the ANSI
 * line, which is then the caller's own. */
int SplitProcessCommandLine(char ***vector, int *count, int *firstInexact)
{
    if (!vector || *vector || !firstInexact)
        return InvalidParameterStatus();
    if (g_osVersion.osClass == OS_CLASS_WIN32S)
        return RefuseWin32s();
    Split split = NewSplit(vector);
    if (g_osVersion.osClass == OS_CLASS_NT)
        split.source.units = GetCommandLineW();
    else
        split.source.bytes = GetCommandLineA();
    int status = RunSplit(&split, count);
    *firstInexact = split.firstInexact < 0 ? split.count : split.firstInexact;
    return status;
}

int FreeArgumentVector(char ***vector, int *count)
{
    if (!vector || !*vector)
        return 0;
    if (!count)
        return 1;
    for (int i = 0; i < *count; i++)
        free((*vector)[i]);
    free(*vector);
    *vector = NULL;
    *count = 0;
    return 0;
}

static int RefuseBeforeNt35(void)
{
    ShowErrorBox(NULL, BEFORE_NT35_REFUSED, NULL);
    return STATUS_MESSAGE_SHOWN;
}

/* NT reports 3.1 as 3.10 and 3.5 as 3.50: the minor version counts
 * hundredths. */
static int IsNt35OrLater(void)
{
    const OsVersion *os = &g_osVersion;
    return os->osClass == OS_CLASS_NT &&
           (os->majorVersion > 3 || (os->majorVersion == 3 && os->minorVersion >= 50));
}

/* An empty element needs no conversion: WideCharToMultiByte refuses a
 * length of 0, and the zero-filled string is already empty. */
static int ConvertElement(const WCHAR *wide, UINT maxCharSize, char **element)
{
    int length = lstrlenW(wide);
    int size = (length + 1) * (int)maxCharSize;
    char *converted = NULL;
    int status = AllocZeroed(&converted, size, 1);
    if (status == STATUS_OK && length > 0 &&
        !WideCharToMultiByte(CP_ACP, 0, wide, length, converted, size, NULL, NULL))
        status = STATUS_SYSTEM_ERROR;
    if (status != STATUS_OK) {
        free(converted);
        converted = NULL;
    }
    if (element)
        *element = converted;
    return status;
}

static int ConvertWideVector(WCHAR **wide, int wideCount, Split *split)
{
    int status = AnsiMaxCharSize(&split->maxCharSize);
    for (int i = 0; i < wideCount && status == STATUS_OK; i++) {
        char *element = NULL;
        status = ConvertElement(wide[i], split->maxCharSize, &element);
        if (status == STATUS_OK)
            status = StoreElement(split, element);
    }
    return status;
}

typedef LPWSTR *(WINAPI *CommandLineToArgvWProc)(LPCWSTR, int *);

/* CommandLineToArgvW exists in shell32 from NT 3.5 on only; bound here, so
 * that the programs load on systems without it and pay for shell32 only
 * when they call this. */
static int SplitWideCommandLine(WCHAR ***wide, int *wideCount)
{
    HMODULE shell = LoadLibraryA("shell32.dll");
    CommandLineToArgvWProc split =
        shell ? (CommandLineToArgvWProc)(void *)GetProcAddress(shell, "CommandLineToArgvW") : NULL;
    *wide = split ? split(GetCommandLineW(), wideCount) : NULL;
    int status = *wide ? STATUS_OK : STATUS_SYSTEM_ERROR;
    if (shell) {
        DWORD error = GetLastError();
        FreeLibrary(shell);
        SetLastError(error);
    }
    return status;
}

int SplitCommandLineWide(const char *, char ***vector, int *count)
{
    if (!vector || *vector)
        return InvalidParameterStatus();
    if (!IsNt35OrLater())
        return RefuseBeforeNt35();
    Split split = NewSplit(vector);
    WCHAR **wide = NULL;
    int wideCount = 0;
    int status = SplitWideCommandLine(&wide, &wideCount);
    if (status == STATUS_OK)
        status = ConvertWideVector(wide, wideCount, &split);
    if (wide)
        LocalFree(wide);
    if (count)
        *count = split.count;
    return status;
}
