/*
 * The part of the Microsoft Java VM's Raw Native Interface (msjava.dll)
 * that this library uses, declared from what the VM passes and promises.
 *
 * Binary interface: every RNI call is __cdecl.  Native methods are __cdecl
 * too and receive the receiving object first.  Environment and class-block
 * arguments are always passed as null (the current thread's).  Arrays are
 * reached directly in memory: a handle points to a pointer-sized header, a
 * 32-bit signed length, then the elements at their natural alignment.
 * String handles are opaque; only the calls below read or make them.
 */
#pragma once

#include <windows.h>
#include <stddef.h>
#include <stdint.h>

struct JavaObject;
typedef JavaObject *HObject;
typedef JavaObject *HString;
typedef JavaObject *HClass;

struct ArrayOfInt {
    void *header;
    int32_t length;
    int32_t body[1];
};

struct ArrayOfLong {
    void *header;
    int32_t length;
    int64_t body[1];
};

struct ArrayOfObject {
    void *header;
    int32_t length;
    HObject body[1];
};
typedef ArrayOfObject ArrayOfString; /* String[]: elements are HString */
typedef ArrayOfObject ArrayOfArray;  /* String[][]: elements are String[] */

#ifndef _WIN64
/* The 32-bit VM's layout: a 4-byte header, the length, and every element
 * kind from byte 8 (a long is 8-aligned, and 8 it already is). */
static_assert(offsetof(ArrayOfInt, length) == 4 && offsetof(ArrayOfInt, body) == 8,
              "int[] layout of the 32-bit VM");
static_assert(offsetof(ArrayOfLong, body) == 8, "long[] layout of the 32-bit VM");
static_assert(offsetof(ArrayOfObject, body) == 8, "Object[] layout of the 32-bit VM");
#endif

enum { T_CLASS = 2 };

/* Opaque block the VM fills while a native thread is inside it. */
struct ThreadEntryFrame {
    void *reserved[16];
};

extern "C" {
const WCHAR *__cdecl javaStringStart(HString string);
int __cdecl javaStringLength(HString string);
HString __cdecl makeJavaStringW(const WCHAR *units, int count);
HString __cdecl makeJavaStringFromUtf8(const char *text);
HObject __cdecl ClassArrayAlloc(int type, int count, const char *className);
HObject __cdecl execute_java_constructor(void *env, const char *className, void *classBlock,
                                         const char *signature, ...);
void __cdecl exceptionSet(void *env, HObject exception);
void __cdecl SignalError(void *env, const char *className, const char *message);
HClass __cdecl FindClass(void *env, const char *name, BOOL resolve);
int64_t __cdecl execute_java_static_method(void *env, HClass cls, const char *name,
                                           const char *signature, ...);
BOOL __cdecl PrepareThreadForJava(ThreadEntryFrame *frame);
void __cdecl UnprepareThreadForJava(ThreadEntryFrame *frame);
}
