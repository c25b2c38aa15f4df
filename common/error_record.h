/*
 * Status codes, the process-wide error record and the message boxes that
 * show it.  Every operation of the system that can fail returns one of the
 * STATUS_* values; an application failure is described once, where it
 * happens, with SetErrorRecord, and the outermost level shows it
 * (ShowErrorRecord) or hands it to Java.
 */
#pragma once

#include <windows.h>
#include <stddef.h>
#include <stdint.h>

enum {
    STATUS_OK = 0,
    STATUS_CRT_ERROR = 2,    /* described by errno */
    STATUS_SYSTEM_ERROR = 4, /* described by GetLastError() */
    STATUS_STORED_ERROR = 8, /* described by the stored system error code */
    STATUS_APP_ERROR = 32    /* described by the error record */
};

/* Returned instead of a status by the few steps that have already told the
 * user in a box of their own: the caller ends without showing another. */
enum { STATUS_MESSAGE_SHOWN = 1 };

enum {
    ERROR_NUMBER_SIZE = 20,
    MESSAGE_ID_SIZE = 20,
    FORMAT_SIZE = 2560,
    MAX_RECORD_ARGUMENTS = 5,
    ARGUMENT_SIZE = 1024,
    MESSAGE_TEXT_SIZE = 7680 /* local buffers for shown texts */
};

struct ErrorRecord {
    char errorNumber[ERROR_NUMBER_SIZE];
    char messageId[MESSAGE_ID_SIZE];
    char format[FORMAT_SIZE]; /* wvsprintfA format with %s */
    int32_t argumentCount;    /* as given, may exceed five */
    char arguments[MAX_RECORD_ARGUMENTS][ARGUMENT_SIZE];
};
static_assert(sizeof(ErrorRecord) == 7724, "error record layout");

/* Replaces the whole record with count texts (const char *, null ones left
 * empty); each text is cut to its field.  Always STATUS_OK. */
int SetErrorRecord(const char *errorNumber, const char *messageId, const char *format, int count,
                   ...);

/* Records an application failure (format and count texts, as
 * SetErrorRecord takes them, without number or identifier) and returns
 * STATUS_APP_ERROR, so that a failing step reads `return AppFailure(...)`. */
int AppFailure(const char *format, int count, ...);

/* How many of the record's arguments it holds: its count, at most five. */
int RecordArgumentCount(const ErrorRecord *record);

/* For a required argument that is missing: the thread's last error becomes
 * ERROR_INVALID_PARAMETER and the result is STATUS_SYSTEM_ERROR. */
int InvalidParameterStatus(void);

/* The stored code serves system calls that return their error (registry). */
int SetStoredSysError(int code);
int GetStoredSysError(void);

/* Fills the text copy for status and returns it (valid until the next
 * call), or null when the text could not be written.  Reading the text of
 * statuses 2, 4 and 8 consumes their code. */
const ErrorRecord *GetErrorText(int status);

/* Shows the message for status in an error box owned by no window and waits
 * for the user.  Returns 0; STATUS_MESSAGE_SHOWN shows nothing. */
int ShowErrorRecord(int status);

/* MessageBoxA with MB_ICONERROR.  Return 0, or 1 (not a status) when the
 * text or the box could not be had. */
int ShowErrorBox(HWND owner, const char *text, const char *caption);
int ShowSystemErrorBox(const DWORD *code, HWND owner, const char *caption);
int ShowCrtErrorBox(const int *errorNumber, HWND owner, const char *caption);

/* Text steps: the code given, or (when null) the current one, which is then
 * reset.  Return 1 and write nothing when the code or buffer is unusable. */
int GetSystemErrorText(const DWORD *code, char *buffer, size_t size);
int GetStoredErrorText(const int *code, char *buffer, size_t size);
int GetCrtErrorText(const int *code, char *buffer, size_t size);

/* For calls that hand back their error (registry calls, an HRESULT):
 * stores code as the stored system error and returns STATUS_STORED_ERROR. */
int StoredFailure(int code);
