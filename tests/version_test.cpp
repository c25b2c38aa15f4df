/*
 * Version texts and the version exports, called the way the VM calls them:
 * the real zorvrni.dll loaded by path, exports looked up by name.
 */
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>
#include <string>

#include "alloc.h"
#include "child.h"
#include "error_record.h"
#include "library.h"
#include "msjava_standin.h"
#include "usage.h"
#include "version_compare.h"
#include "version_exports.h"

struct VersionCase {
    const char *first;
    const char *second;
    int result;
    int partIndex; /* -1: not written */
};

static const VersionCase VERSION_CASES[] = {
    {"2.01", "2.1", 0, 3},
    {"1.0", "1", 1, 2},
    {"1", "1.0", -1, 2},
    {"3", "2", 1, 1},
    {"1.a.5", "1.b.6", 0, 2},
    {"1..5", "1..6", 0, 2},
    {"2.01b", "2.01", 0, 3},
    {"10.2", "9.9", 1, 1},
    {"1.2.3", "1.2.4", -1, 3},
    {"", "", 0, 1},
    {"v1", "1", 0, 2},
    /* Parts of any length compare as numbers, without overflow. */
    {"1.4294967296", "1.4294967295", 1, 2},
    {"99999999999999999999", "100000000000000000000", -1, 1},
    {"00000000000000000000000000000000000007", "7", 0, 2},
    {NULL, NULL, 0, -1},
    {NULL, "1", -1, -1},
    {"1", NULL, 1, -1},
};

TEST(CompareVersions, ComparesPartsAsNumbers)
{
    for (const VersionCase &c : VERSION_CASES) {
        int partIndex = -1;
        EXPECT_EQ(c.result, CompareVersions(c.first, c.second, &partIndex))
            << (c.first ? c.first : "(null)") << " vs " << (c.second ? c.second : "(null)");
        EXPECT_EQ(c.partIndex, partIndex) << (c.first ? c.first : "(null)");
        EXPECT_EQ(c.result, CompareVersions(c.first, c.second, NULL));
    }
}

TEST(CompareVersions, LongPartsBeyondAHundredDigits)
{
    std::string big = "1." + std::string(150, '9');
    std::string bigger = "1.1" + std::string(150, '0');
    int partIndex = 0;
    EXPECT_EQ(-1, CompareVersions(big.c_str(), bigger.c_str(), &partIndex));
    EXPECT_EQ(2, partIndex);
    EXPECT_EQ(0, CompareVersions(big.c_str(), ("1.x" + big.substr(2)).c_str(), &partIndex));
}

class VersionExports : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(LibraryUnderTest() != NULL) << GetLastError(); }
};

TEST_F(VersionExports, EveryNativeMethodIsFoundByName)
{
    static const char *const names[] = {
#include "zorvrni_exports.inc"
    };
    ASSERT_EQ(23u, ARRAY_SIZE(names));
    for (const char *name : names)
        EXPECT_TRUE(Export<void *>(name) != NULL) << name;
}

TEST_F(VersionExports, AnswersTheVersionQueries)
{
    EXPECT_EQ(0x00020000u, EXPORT_OF(RNIGetCompatibleVersion)());
    HString version = EXPORT(NIGetZORVDLLVersion)(NULL);
    WCHAR units[16];
    ASSERT_EQ((int)strlen(ZORV_VERSION), StandinStringUnits(version, units, ARRAY_SIZE(units)));
    EXPECT_STREQ(L"" ZORV_VERSION, units); /* L"" makes the version a wide text */
}

/* The release has one version: the library's text is the one in each
 * deliverable's version resource, as text and as numbers, and in the name
 * of the package. */
TEST_F(VersionExports, OneVersionInTheLibraryTheResourcesAndThePackageName)
{
    HString text = EXPORT(NIGetZORVDLLVersion)(NULL);
    WCHAR units[32];
    int length = StandinStringUnits(text, units, ARRAY_SIZE(units));
    ASSERT_GT(length, 0);
    const std::string version(units, units + length);
    unsigned part[4] = {0, 0, 0, 0};
    sscanf(version.c_str(), "%u.%u.%u.%u", &part[0], &part[1], &part[2], &part[3]);

    for (const char *name : {"Vantrelc.exe", "zorv.exe", "zorvrni.dll"}) {
        VersionStrings *record = NULL;
        ASSERT_EQ(STATUS_OK, GetVersionStrings(DeliverablePath(name).c_str(), &record)) << name;
        ASSERT_NE(nullptr, record) << name;
        EXPECT_STREQ(version.c_str(), record->slot[VERSION_FILE_VERSION]) << name;
        EXPECT_STREQ(version.c_str(), record->slot[VERSION_PRODUCT_VERSION]) << name;
        VS_FIXEDFILEINFO *fixed = NULL;
        UINT size = 0;
        ASSERT_TRUE(VerQueryValueA(record->slot[VERSION_BLOCK], "\\", (void **)&fixed, &size));
        EXPECT_EQ((DWORD)MAKELONG(part[1], part[0]), fixed->dwFileVersionMS) << name;
        EXPECT_EQ((DWORD)MAKELONG(part[3], part[2]), fixed->dwFileVersionLS) << name;
        EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS) << name;
        EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS) << name;
        FreeVersionStrings(record);
    }
    EXPECT_NE(std::string::npos, std::string(ZORV_PACKAGE_FILE_NAME).find("-" + version + "-"))
        << ZORV_PACKAGE_FILE_NAME;
}

TEST_F(VersionExports, CompareVersionsFromJava)
{
    auto compare = EXPORT(NICompareVersions);
    ArrayOfInt *partIndex = StandinIntArray(1);
    EXPECT_EQ(1, compare(NULL, StandinString(L"10.2"), StandinString(L"9.9"), partIndex));
    EXPECT_EQ(1, partIndex->body[0]);
    EXPECT_EQ(0, compare(NULL, StandinString(L"2.01"), StandinString(L"2.1"), partIndex));
    EXPECT_EQ(3, partIndex->body[0]);

    /* A text that cannot be converted compares equal and writes nothing. */
    partIndex->body[0] = 77;
    EXPECT_EQ(0, compare(NULL, StandinString(L""), StandinString(L"1"), partIndex));
    EXPECT_EQ(0, compare(NULL, StandinString(L"1"), NULL, partIndex));
    EXPECT_EQ(77, partIndex->body[0]);
    StandinException none;
    EXPECT_FALSE(StandinTakeException(&none)) << "comparison raises no exception";
}
