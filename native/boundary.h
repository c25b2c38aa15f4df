/*
 * The Java boundary: conversions between Java strings and ANSI texts, the
 * out-parameter stores, and the exception that describes a failure status.
 * Every export converts through these and nothing else.
 */
#pragma once

#include "rni.h"
#include "error_record.h"

/* With the common library's, the only statuses a Java caller sees. */
enum { STATUS_JAVA_OUT_OF_MEMORY = 64, STATUS_EMPTY_ARGUMENT = 128 };

#define ZORV_EXCEPTION_CLASS "com/zorv/ZORVException"
#define ZORV_EXCEPTION_SIGNATURE "(Ljava/lang/String;Ljava/lang/String;[Ljava/lang/String;)"

/* Never fails: an absent or unconvertible text gives an empty String. */
HString AnsiToJavaString(const char *text);
/* *text receives an allocated ANSI copy (also after a failed conversion);
 * the caller frees it.  A null String is taken as an empty one. */
int JavaStringToAnsi(HString string, char **text);
/* Both conversions, the first failure deciding; the caller frees both texts,
 * each null or allocated. */
int JavaStringsToAnsi(HString first, HString second, char **firstText, char **secondText);
/* Converts into a zero-filled buffer of size bytes and always leaves it
 * NUL-terminated; an empty text, or one that does not fit with its
 * terminator, fails and leaves all size bytes zero. */
int JavaStringToBuffer(HString string, char *buffer, int size);
/* The conversions of texts that name something (code_page.h says which):
 * as JavaStringToAnsi, JavaStringsToAnsi and JavaStringToBuffer, but a text
 * the code page cannot write exactly, or one holding a NUL, is refused with
 * STATUS_APP_ERROR and NOT_IN_CODE_PAGE in the record, and a refused or
 * failed conversion into a buffer leaves all size bytes zero. */
int JavaNameToAnsi(HString string, char **text);
int JavaNamesToAnsi(HString first, HString second, char **firstText, char **secondText);
int JavaNameToBuffer(HString string, char *buffer, int size);
/* Makes the exception for status pending in the current thread: the
 * com/zorv/ZORVException built from the error text of status, or
 * java/lang/OutOfMemoryError for STATUS_JAVA_OUT_OF_MEMORY.  Returns 0. */
int ThrowStatusException(int status);
/* With text and out both given, stores a new String of text into element 0
 * of out, which must have one.  Always STATUS_OK. */
int SetOutString(ArrayOfString *out, const char *text);
/* Stores a new String[] of the null-terminated list into *slot (required);
 * a null list stores nothing.  An array that cannot be made stores null and
 * gives STATUS_JAVA_OUT_OF_MEMORY. */
int StringListToJavaArray(HObject *slot, char **list);
/* True for an empty String, and for a null handle taken as one. */
int JavaStringIsEmpty(HString string);
/* Bytes the String's ANSI form needs, without a terminator: 0 for an empty
 * or null String. */
int JavaStringAnsiLength(HString string);

/* An out parameter whose element 0 an export stores into: required for
 * int[] and long[], optional (null: not wanted) for String[] and
 * String[][].  array is any array handle; they share header and length. */
struct OutParameter {
    const void *array;
    bool required;
};
/* STATUS_OK when every one has an element 0 or is optional and null.
 * Otherwise the first that has not raises what Java itself would raise for
 * the store (java/lang/NullPointerException or
 * java/lang/ArrayIndexOutOfBoundsException), and the result is
 * STATUS_SYSTEM_ERROR with ERROR_INVALID_PARAMETER, as for any required
 * argument that is missing; the export then returns at once, raising
 * nothing more.  Exports check before any work, so a bad out parameter is
 * never written past and no dialog opens for it. */
int CheckOutParameters(const OutParameter *parameters, size_t count);
