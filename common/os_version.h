/*
 * The OS class and version of the running system.
 */
#pragma once

#include <windows.h>
#include <stdint.h>

enum { OS_CLASS_NT = 1, OS_CLASS_WIN95 = 3, OS_CLASS_WIN98 = 4, OS_CLASS_WIN32S = 5 };

struct OsVersion {
    int32_t osClass; /* 0 until detected */
    uint32_t majorVersion;
    uint32_t minorVersion;
    uint32_t buildNumber;
    uint16_t servicePackMajor;
    uint16_t servicePackMinor;
};

/* Filled once at start-up by the programs; read by everyone else. */
extern OsVersion g_osVersion;

/* Fills g_osVersion from the extended record, the short one, or GetVersion
 * on the oldest systems.  STATUS_SYSTEM_ERROR when the system tells
 * nothing. */
int DetectOsVersion(void);
/* Decodes a GetVersion() result into *version (may be null). */
void DecodeLegacyVersion(DWORD packed, OsVersion *version);
