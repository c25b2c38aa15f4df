/*
 * The Java boundary.  Java strings are UTF-16; every native text is ANSI
 * (CP_ACP), and all conversion between the two happens here.  A failure
 * status reaches Java as com/zorv/ZORVException built from the error
 * record, or as OutOfMemoryError when a Java array could not be made.
 */
#include "boundary.h"

#include "alloc.h"
#include "code_page.h"

#include <stdlib.h>
#include <string.h>

/* A null String handle is taken as an empty String: the conversions then
 * fail the same way instead of reading through null. */
static int StringLength(HString string) { return string ? javaStringLength(string) : 0; }

static const WCHAR *StringUnits(HString string)
{
    static const WCHAR none[1] = {0};
    return string ? javaStringStart(string) : none;
}

static int ConversionFailed(void) { return AppFailure("Conversion failed", 0); }

HString AnsiToJavaString(const char *text)
{
    if (!text || !*text)
        return makeJavaStringFromUtf8("");
    int bytes = lstrlenA(text);
    WCHAR *units = NULL;
    if (AllocZeroed(&units, bytes, sizeof(WCHAR)) != STATUS_OK)
        return makeJavaStringFromUtf8("");
    int count = MultiByteToWideChar(CP_ACP, 0, text, bytes, units, bytes);
    HString string = count > 0 ? makeJavaStringW(units, count) : makeJavaStringFromUtf8("");
    free(units);
    return string;
}

int JavaStringToAnsi(HString string, char **text)
{
    int length = StringLength(string);
    int status = AllocZeroed(text, length + 1, 2);
    if (status != STATUS_OK)
        return status;
    /* Room for a double-byte character per unit; the zero fill terminates. */
    if (WideCharToMultiByte(CP_ACP, 0, StringUnits(string), length, *text, 2 * length + 2, NULL,
                            NULL) == 0)
        return ConversionFailed();
    return STATUS_OK;
}

static int ConvertPair(int (*convert)(HString, char **), HString first, HString second,
                       char **firstText, char **secondText)
{
    int status = convert(first, firstText);
    return status == STATUS_OK ? convert(second, secondText) : status;
}

int JavaStringsToAnsi(HString first, HString second, char **firstText, char **secondText)
{
    return ConvertPair(JavaStringToAnsi, first, second, firstText, secondText);
}

int JavaStringToBuffer(HString string, char *buffer, int size)
{
    int length = StringLength(string);
    /* Keep the last byte for the terminator: a text that needs it fails. */
    int written = size > 1 ? WideCharToMultiByte(CP_ACP, 0, StringUnits(string), length, buffer,
                                                 size - 1, NULL, NULL)
                           : 0;
    /* A refused text leaves its converted start behind the terminator, where
     * whoever reads the buffer next (the TPA component) would find it. */
    if (written == 0) {
        if (size > 0)
            memset(buffer, 0, (size_t)size);
        return ConversionFailed();
    }
    buffer[written] = '\0';
    return STATUS_OK;
}

/* The exact conversion's refusal keeps its record; its other failures
 * (an empty String, a text that does not fit) are the boundary's usual
 * one. */
static int NameStatus(int status)
{
    return status == STATUS_SYSTEM_ERROR ? ConversionFailed() : status;
}

int JavaNameToAnsi(HString string, char **text)
{
    int length = StringLength(string);
    int status = AllocZeroed(text, length + 1, 2);
    if (status != STATUS_OK)
        return status;
    /* Room for a double-byte character per unit; the zero fill terminates. */
    return NameStatus(ToAnsiExact(StringUnits(string), length, *text, 2 * length + 2, NULL));
}

int JavaNamesToAnsi(HString first, HString second, char **firstText, char **secondText)
{
    return ConvertPair(JavaNameToAnsi, first, second, firstText, secondText);
}

int JavaNameToBuffer(HString string, char *buffer, int size)
{
    int length = 0;
    /* Keep the last byte for the terminator: a text that needs it fails. */
    int status = size > 1 ? ToAnsiExact(StringUnits(string), StringLength(string), buffer, size - 1,
                                        &length)
                          : InvalidParameterStatus();
    status = NameStatus(status);
    if (status != STATUS_OK) {
        if (size > 0)
            memset(buffer, 0, (size_t)size);
        return status;
    }
    buffer[length] = '\0';
    return STATUS_OK;
}

/* The record's arguments as a String[], or null when there are none or the
 * array cannot be made. */
static HObject RecordArguments(const ErrorRecord *record)
{
    int count = RecordArgumentCount(record);
    if (count == 0)
        return NULL;
    ArrayOfString *arguments = (ArrayOfString *)ClassArrayAlloc(T_CLASS, count, "java/lang/String");
    if (arguments)
        for (int i = 0; i < count; i++)
            arguments->body[i] = AnsiToJavaString(record->arguments[i]);
    return (HObject)arguments;
}

int ThrowStatusException(int status)
{
    if (status == STATUS_JAVA_OUT_OF_MEMORY) {
        SignalError(NULL, "java/lang/OutOfMemoryError", NULL);
        return 0;
    }
    const ErrorRecord *record = GetErrorText(status);
    if (!record)
        return 0;
    HObject arguments = RecordArguments(record);
    HString message = AnsiToJavaString(record->format);
    HString identifier = AnsiToJavaString(record->messageId);
    HObject exception = execute_java_constructor(NULL, ZORV_EXCEPTION_CLASS, NULL,
                                                 ZORV_EXCEPTION_SIGNATURE, identifier, message,
                                                 arguments);
    if (exception)
        exceptionSet(NULL, exception);
    return 0;
}

int SetOutString(ArrayOfString *out, const char *text)
{
    if (text && out)
        out->body[0] = AnsiToJavaString(text);
    return STATUS_OK;
}

int StringListToJavaArray(HObject *slot, char **list)
{
    if (!list)
        return STATUS_OK;
    int count = 0;
    while (list[count])
        count++;
    ArrayOfString *array = (ArrayOfString *)ClassArrayAlloc(T_CLASS, count, "java/lang/String");
    *slot = (HObject)array;
    if (!array)
        return STATUS_JAVA_OUT_OF_MEMORY;
    for (int i = 0; i < count; i++)
        array->body[i] = AnsiToJavaString(list[i]);
    return STATUS_OK;
}

int JavaStringIsEmpty(HString string) { return StringLength(string) == 0; }

int JavaStringAnsiLength(HString string)
{
    int length = StringLength(string);
    return length > 0
               ? WideCharToMultiByte(CP_ACP, 0, StringUnits(string), length, NULL, 0, NULL, NULL)
               : 0;
}

static int RaiseForStore(const char *className)
{
    SignalError(NULL, className, NULL);
    return InvalidParameterStatus();
}

int CheckOutParameters(const OutParameter *parameters, size_t count)
{
    for (size_t i = 0; i < count; i++) {
        const ArrayOfInt *array = (const ArrayOfInt *)parameters[i].array;
        if (!array && parameters[i].required)
            return RaiseForStore("java/lang/NullPointerException");
        if (array && array->length < 1)
            return RaiseForStore("java/lang/ArrayIndexOutOfBoundsException");
    }
    return STATUS_OK;
}
