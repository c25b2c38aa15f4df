/*
 * The OS class and version decoded from what the oldest systems report.
 */
#include <gtest/gtest.h>

#include "os_version.h"

#include <string.h>

TEST(DecodeLegacyVersion, TellsTheFamilyFromBit31AndTheVersion)
{
    const struct {
        DWORD packed;
        OsVersion expected;
    } cases[] = {
        {0x80000A04, {OS_CLASS_WIN98, 4, 10, 0x8000, 0, 0}},
        {0x80000004, {OS_CLASS_WIN95, 4, 0, 0x8000, 0, 0}},
        {0x80010A03, {OS_CLASS_WIN32S, 3, 10, 1, 0, 0}}, /* bit 31 is no build bit */
        {(1381u << 16) | 4, {OS_CLASS_NT, 4, 0, 1381, 0, 0}},
    };
    for (const auto &c : cases) {
        OsVersion version;
        memset(&version, 0xAB, sizeof(version));
        DecodeLegacyVersion(c.packed, &version);
        EXPECT_EQ(0, memcmp(&c.expected, &version, sizeof(version))) << std::hex << c.packed;
    }
}
