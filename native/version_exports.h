/*
 * The VM's version query, the library's own version, and the comparison of
 * dotted version texts for the Java side.
 */
#pragma once

#include "rni.h"

#define ZORVRNI_VERSION "2.01"
#define RNI_COMPATIBLE_VERSION 0x00020000u

extern "C" {
DWORD __cdecl RNIGetCompatibleVersion(void);
HString __cdecl com_zorv_ZORVNI_NIGetZORVDLLVersion(HObject self);
int32_t __cdecl com_zorv_ZORVNI_NICompareVersions(HObject self, HString first,
                                                  HString second, ArrayOfInt *partIndex);
}
