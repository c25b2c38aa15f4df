/*
 * Which Windows family the process runs on.  The programs fill the record
 * once at start-up; it is process-wide and read without a lock afterwards.
 */
#include "os_version.h"

#include "error_record.h"

OsVersion g_osVersion;

/* The 9x family is split at version 4.0: anything later is Windows 98. */
static int NineXClass(DWORD major, DWORD minor)
{
    return (major > 4 || (major == 4 && minor > 0)) ? OS_CLASS_WIN98 : OS_CLASS_WIN95;
}

static void TakeVersionRecord(const OSVERSIONINFOEXA *info)
{
    switch (info->dwPlatformId) {
    case VER_PLATFORM_WIN32_NT: g_osVersion.osClass = OS_CLASS_NT; break;
    case VER_PLATFORM_WIN32_WINDOWS:
        g_osVersion.osClass = NineXClass(info->dwMajorVersion, info->dwMinorVersion);
        break;
    case VER_PLATFORM_WIN32s: g_osVersion.osClass = OS_CLASS_WIN32S; break;
    default: break;
    }
    g_osVersion.majorVersion = info->dwMajorVersion;
    g_osVersion.minorVersion = info->dwMinorVersion;
    g_osVersion.buildNumber = info->dwBuildNumber;
    /* Zero when only the short record was filled. */
    g_osVersion.servicePackMajor = info->wServicePackMajor;
    g_osVersion.servicePackMinor = info->wServicePackMinor;
}

void DecodeLegacyVersion(DWORD packed, OsVersion *version)
{
    OsVersion decoded = {};
    decoded.majorVersion = LOBYTE(LOWORD(packed));
    decoded.minorVersion = HIBYTE(LOWORD(packed));
    decoded.buildNumber = HIWORD(packed);
    if (!(packed & 0x80000000)) {
        decoded.osClass = OS_CLASS_NT;
    } else if (decoded.majorVersion < 4) {
        decoded.osClass = OS_CLASS_WIN32S;
        decoded.buildNumber &= 0x7FFF; /* bit 31 is the family flag */
    } else {
        decoded.osClass = NineXClass(decoded.majorVersion, decoded.minorVersion);
    }
    if (version)
        *version = decoded;
}

/* Systems before NT 4.0 SP6 and Windows 2000 refuse the extended record;
 * the oldest ones know only GetVersion. */
int DetectOsVersion(void)
{
    OSVERSIONINFOEXA info = {};
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    BOOL filled = GetVersionExA((OSVERSIONINFOA *)&info);
    if (!filled) {
        SetLastError(0);
        ZeroMemory(&info, sizeof(info));
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        filled = GetVersionExA((OSVERSIONINFOA *)&info);
    }
    if (filled) {
        TakeVersionRecord(&info);
        return STATUS_OK;
    }
    SetLastError(0);
    DWORD packed = GetVersion();
    if (packed == 0)
        return STATUS_SYSTEM_ERROR;
    DecodeLegacyVersion(packed, &g_osVersion);
    return STATUS_OK;
}
