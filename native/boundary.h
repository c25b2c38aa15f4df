/*
 * The Java boundary: conversions between Java strings and ANSI texts, the
 * out-parameter stores, and the exception that describes a failure status.
 * Every export converts through these and nothing else.
 */
#pragma once

#include "rni.h"
#include "error_record.h"

enum {
    STATUS_JAVA_OUT_OF_MEMORY = 64,
    STATUS_EMPTY_ARGUMENT = 128
};

#define ZORV_EXCEPTION_CLASS "com/zorv/ZORVException"
#define ZORV_EXCEPTION_SIGNATURE "(Ljava/lang/String;Ljava/lang/String;[Ljava/lang/String;)"

/* Never fails: an absent or unconvertible text gives an empty String. */
HString AnsiToJavaString(const char *text);
/* *text receives an allocated ANSI copy (also after a failed conversion);
 * the caller frees it.  A null String is taken as an empty one. */
int JavaStringToAnsi(HString string, char **text);
/* Converts into a zero-filled buffer of size bytes and always leaves it
 * NUL-terminated; a text that does not fit fails and leaves it empty. */
int JavaStringToBuffer(HString string, char *buffer, int size);
/* Makes the exception for status pending in the current thread. */
int ThrowStatusException(int status);
int SetOutString(ArrayOfString *out, const char *text);
/* Stores a new String[] of the null-terminated list into *slot. */
int StringListToJavaArray(HObject *slot, char **list);
/* Bytes the String's ANSI form needs, without a terminator: 0 for an empty
 * or null String. */
int JavaStringAnsiLength(HString string);
