/*
 * Version texts and the version exports, called the way the VM calls them:
 * the real zorvrni.dll loaded by path, exports looked up by name.
 */
#include <gtest/gtest.h>

#include <string>

#include "child.h"
#include "msjava_standin.h"
#include "version_compare.h"

struct VersionCase {
    const char *first;
    const char *second;
    int result;
    int partIndex;   /* -1: not written */
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

typedef DWORD(__cdecl *CompatibleVersionFn)(void);
typedef HString(__cdecl *DllVersionFn)(HObject);
typedef int32_t(__cdecl *CompareFn)(HObject, HString, HString, ArrayOfInt *);

class VersionExports : public ::testing::Test {
protected:
    static HMODULE library;
    static void SetUpTestSuite()
    {
        library = LoadLibraryA(DeliverablePath("zorvrni.dll").c_str());
    }
    static void TearDownTestSuite()
    {
        if (library)
            FreeLibrary(library);
    }
    template <typename T> T Export(const char *name)
    {
        return (T)(void *)GetProcAddress(library, name);
    }
};
HMODULE VersionExports::library;

TEST_F(VersionExports, EveryNativeMethodIsFoundByName)
{
    ASSERT_TRUE(library != NULL) << GetLastError();
    static const char *const names[] = {
#include "zorvrni_exports.inc"
    };
    ASSERT_EQ(23u, sizeof(names) / sizeof(names[0]));
    for (const char *name : names)
        EXPECT_TRUE(GetProcAddress(library, name) != NULL) << name;
}

TEST_F(VersionExports, AnswersTheVersionQueries)
{
    ASSERT_TRUE(library != NULL);
    EXPECT_EQ(0x00020000u, Export<CompatibleVersionFn>("RNIGetCompatibleVersion")());
    HString version = Export<DllVersionFn>("com_zorv_ZORVNI_NIGetZORVDLLVersion")(NULL);
    WCHAR units[16];
    ASSERT_EQ(4, StandinStringUnits(version, units, 16));
    EXPECT_STREQ(L"2.01", units);
}

TEST_F(VersionExports, CompareVersionsFromJava)
{
    ASSERT_TRUE(library != NULL);
    CompareFn compare = Export<CompareFn>("com_zorv_ZORVNI_NICompareVersions");
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
