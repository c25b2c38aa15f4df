/*
 * The error record, the stored system error code and the error boxes.  The record and its text copy are process-wide and
 * unguarded: a caller reads the text right after the failure, on its own
 * thread.
 */
#include "error_record.h"

#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

static ErrorRecord g_errorRecord;
static ErrorRecord g_errorText;
static int g_storedSysError;

static const char NO_APPLICATION_ERROR[] = "No application error.";

static void FillErrorRecord(const char *errorNumber, const char *messageId, const char *format,
                            int count, va_list args)
{
    ZeroMemory(&g_errorRecord, sizeof(g_errorRecord));
    if (errorNumber)
        lstrcpynA(g_errorRecord.errorNumber, errorNumber, sizeof(g_errorRecord.errorNumber));
    if (messageId)
        lstrcpynA(g_errorRecord.messageId, messageId, sizeof(g_errorRecord.messageId));
    if (format)
        lstrcpynA(g_errorRecord.format, format, sizeof(g_errorRecord.format));
    if (count > 0) {
        g_errorRecord.argumentCount = count;
        for (int i = 0; i < RecordArgumentCount(&g_errorRecord); i++) {
            const char *argument = va_arg(args, const char *);
            if (argument)
                lstrcpynA(g_errorRecord.arguments[i], argument, ARGUMENT_SIZE);
        }
    }
}

int SetErrorRecord(const char *errorNumber, const char *messageId, const char *format, int count,
                   ...)
{
    va_list args;
    va_start(args, count);
    FillErrorRecord(errorNumber, messageId, format, count, args);
    va_end(args);
    return STATUS_OK;
}

int AppFailure(const char *format, int count, ...)
{
    va_list args;
    va_start(args, count);
    FillErrorRecord(NULL, NULL, format, count, args);
    va_end(args);
    return STATUS_APP_ERROR;
}

int RecordArgumentCount(const ErrorRecord *record)
{
    int count = record->argumentCount;
    return count < 0 ? 0 : count < MAX_RECORD_ARGUMENTS ? count : MAX_RECORD_ARGUMENTS;
}

int InvalidParameterStatus(void)
{
    SetLastError(ERROR_INVALID_PARAMETER);
    return STATUS_SYSTEM_ERROR;
}

int SetStoredSysError(int code)
{
    g_storedSysError = code;
    return code;
}

int GetStoredSysError(void) { return g_storedSysError; }

/* Both text steps refuse a code they cannot read or a buffer they cannot
 * fill rather than fault. */
static int TextStepArgumentsUnusable(const void *code, char *buffer, size_t size)
{
    if (code && IsBadReadPtr(code, 4))
        return 1;
    return !buffer || size == 0 || IsBadWritePtr(buffer, size);
}

static void BlankLineBreaks(char *text)
{
    for (; *text; text++)
        if (*text == '\r' || *text == '\n')
            *text = ' ';
}

/* FormatMessageA for a system code, or the fallback with the code in it. */
static void FormatSystemText(DWORD code, DWORD language, const char *fallback, char *buffer,
                             size_t size)
{
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                                  code, language, buffer, (DWORD)size, NULL);
    if (length > 0)
        BlankLineBreaks(buffer);
    else
        snprintf(buffer, size, fallback, (int)code);
}

int GetSystemErrorText(const DWORD *code, char *buffer, size_t size)
{
    if (TextStepArgumentsUnusable(code, buffer, size))
        return 1;
    FormatSystemText(code ? *code : GetLastError(), LANG_USER_DEFAULT,
                     "Cannot obtain a windows system error string \n"
                     "for the thread's last error code value %d.",
                     buffer, size);
    if (!code)
        SetLastError(0);
    return 0;
}

int GetStoredErrorText(const int *code, char *buffer, size_t size)
{
    if (TextStepArgumentsUnusable(code, buffer, size))
        return 1;
    FormatSystemText((DWORD)(code ? *code : g_storedSysError), LANG_SYSTEM_DEFAULT,
                     "Cannot obtain a windows system error string"
                     "for the last error code value %d.",
                     buffer, size);
    if (!code)
        g_storedSysError = 0;
    return 0;
}

int GetCrtErrorText(const int *code, char *buffer, size_t size)
{
    if (TextStepArgumentsUnusable(code, buffer, size))
        return 1;
    const char *text = strerror(code ? *code : errno);
    if (text && *text)
        snprintf(buffer, size, "%s", text);
    else
        snprintf(buffer, size,
                 "Cannot obtain a system error string for"
                 "the last library call error number %d.",
                 errno);
    if (!code)
        errno = 0;
    return 0;
}

static int IsRecordEmpty(const ErrorRecord *record)
{
    return !record->errorNumber[0] && !record->messageId[0] && !record->format[0] &&
           record->argumentCount == 0 && !record->arguments[0][0];
}

const ErrorRecord *GetErrorText(int status)
{
    int failed = 0;
    ZeroMemory(&g_errorText, sizeof(g_errorText));
    switch (status) {
    case STATUS_CRT_ERROR:
        failed = GetCrtErrorText(NULL, g_errorText.format, sizeof(g_errorText.format));
        break;
    case STATUS_SYSTEM_ERROR:
        failed = GetSystemErrorText(NULL, g_errorText.format, sizeof(g_errorText.format));
        break;
    case STATUS_STORED_ERROR:
        failed = GetStoredErrorText(NULL, g_errorText.format, sizeof(g_errorText.format));
        break;
    case STATUS_APP_ERROR:
        if (IsRecordEmpty(&g_errorRecord))
            lstrcpynA(g_errorRecord.format, NO_APPLICATION_ERROR, sizeof(g_errorRecord.format));
        g_errorText = g_errorRecord;
        break;
    default: break;
    }
    return failed ? NULL : &g_errorText;
}

/* The text a box shows for a record: formatted with its arguments, unless
 * formatting comes out shorter than the format itself (wvsprintfA stops at
 * 1024 characters), in which case the format is shown as it stands. */
static const char *RecordMessage(const ErrorRecord *record, char buffer[MESSAGE_TEXT_SIZE])
{
    if (record->argumentCount == 0)
        return record->format;
    const char *arguments[MAX_RECORD_ARGUMENTS] = {0};
    int used = RecordArgumentCount(record);
    for (int i = 0; i < used; i++)
        arguments[i] = record->arguments[i];
    /* On both Windows targets a va_list is a plain pointer to the slots. */
    /* wvsprintfA writes at most 1025 bytes, far below the buffer's size. */
    int length = wvsprintfA(buffer, record->format, (va_list)arguments);
    if (length < lstrlenA(record->format))
        return record->format;
    return buffer;
}

int ShowErrorRecord(int status)
{
    if (status == STATUS_MESSAGE_SHOWN)
        return 0;
    const ErrorRecord *record = GetErrorText(status);
    if (!record)
        return 0;
    char buffer[MESSAGE_TEXT_SIZE];
    MessageBoxA(NULL, RecordMessage(record, buffer), NULL, MB_ICONERROR);
    return 0;
}

int ShowErrorBox(HWND owner, const char *text, const char *caption)
{
    return MessageBoxA(owner, text, caption, MB_ICONERROR) == 0 ? 1 : 0;
}

int ShowSystemErrorBox(const DWORD *code, HWND owner, const char *caption)
{
    char text[MESSAGE_TEXT_SIZE];
    int failed = GetSystemErrorText(code, text, sizeof(text));
    return failed ? failed : ShowErrorBox(owner, text, caption);
}

int ShowCrtErrorBox(const int *errorNumber, HWND owner, const char *caption)
{
    char text[MESSAGE_TEXT_SIZE];
    int failed = GetCrtErrorText(errorNumber, text, sizeof(text));
    return failed ? failed : ShowErrorBox(owner, text, caption);
}

int StoredFailure(int code)
{
    SetStoredSysError(code);
    return STATUS_STORED_ERROR;
}
