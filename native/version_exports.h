/*
 * The VM's version query, the library's own version, and the comparison of
 * dotted version texts for the Java side.
 */
#pragma once

#include "rni.h"

#define RNI_COMPATIBLE_VERSION 0x00020000u

extern "C" {
/* The RNI version this library was built for: RNI_COMPATIBLE_VERSION. */
DWORD __cdecl RNIGetCompatibleVersion(void);
/* The library's version as a String: ZORVRNI_VERSION, the release's
 * version text, which the build defines. */
HString __cdecl com_zorv_ZORVNI_NIGetZORVDLLVersion(HObject self);
/* CompareVersions of the two texts; a text that cannot be converted
 * compares equal (0) and leaves partIndex alone.  No ZORVException; a null
 * or empty partIndex raises the VM's error for it and gives 0. */
int32_t __cdecl com_zorv_ZORVNI_NICompareVersions(HObject self, HString first, HString second,
                                                  ArrayOfInt *partIndex);
}
