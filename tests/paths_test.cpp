/*
 * Paths: the separator at a path's end, joining a directory and a name
 * within a bound, and splitting a full path into its parts.
 */
#include <gtest/gtest.h>

#include "child.h"
#include "error_record.h"
#include "marked.h"
#include "paths.h"
#include "strings.h"

#include <mbctype.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

TEST(PathTails, EditTheLastCharacterOnly)
{
    struct Case {
        const char *text, *ensured, *removed, *quoted;
    };
    const Case cases[] = {
        {"", "\\", "", ""},
        {"D:", "D:\\", "D:", "D:"},
        {"a/", "a/", "a", "a/"},
        {"a\\\\", "a\\\\", "a\\", "a\\\\"},
        {"  my file  ", "  my file  \\", "  my file  ", "\"my file\""},
        {" word ", " word \\", " word ", "word"},
        {"\"a b\"", "\"a b\"\\", "\"a b\"", "\"a b\""},
    };
    for (const Case &c : cases) {
        Marked ensured(c.text), removed(c.text), quoted(c.text);
        EXPECT_STREQ(c.ensured, EnsureTrailingSeparator(ensured.bytes));
        EXPECT_STREQ(c.removed, RemoveTrailingSeparator(removed.bytes));
        EXPECT_STREQ(c.quoted, QuoteIfContainsBlank(quoted.bytes));
        EXPECT_TRUE(ensured.MarkerFrom(strlen(c.text) + 2)) << c.text;
        EXPECT_TRUE(quoted.MarkerFrom(strlen(c.text) + 3)) << c.text;
    }
}

TEST(PathTails, TrailByteBackslashIsNotASeparator)
{
    int saved = _getmbcp();
    _setmbcp(932);
    char path[8] = "C:\x95\\"; /* ends in a double-byte character */
    EXPECT_STREQ("C:\x95\\", RemoveTrailingSeparator(path));
    EXPECT_STREQ("C:\x95\\\\", EnsureTrailingSeparator(path));
    EXPECT_STREQ("C:\x95\\", RemoveTrailingSeparator(path));
    const char text[] = "\x95\\,\\";
    EXPECT_EQ(text + 3, FindFirstOf(text, "\\"));
    _setmbcp(saved);
}

/* A join into an entry with a marker behind it: the bound is the caller's
 * size, whatever room the buffer really has. */
TEST(JoinPath, AddsOneSeparatorAndRefusesWhatDoesNotFit)
{
    struct Case {
        const char *directory, *name;
        size_t size;
        int status;
        const char *joined;
    } cases[] = {
        {"C:\\dir", "a.txt", 20, STATUS_OK, "C:\\dir\\a.txt"},
        {"C:\\", "a.txt", 20, STATUS_OK, "C:\\a.txt"},
        {"C:/dir/", "a", 20, STATUS_OK, "C:/dir/a"},
        {"", "a", 20, STATUS_OK, "\\a"},
        {"C:\\dir", "a.txt", 13, STATUS_OK, "C:\\dir\\a.txt"},   /* exactly full */
        {"C:\\dir", "a.txt", 12, STATUS_SYSTEM_ERROR, ""},       /* one byte short */
        {"C:\\dir\\", "a.txt", 13, STATUS_OK, "C:\\dir\\a.txt"}, /* no second one */
    };
    for (const Case &c : cases) {
        Marked path("untouched");
        SetLastError(0xdeadbeef);
        int status = JoinPath(c.directory, c.name, path.bytes, c.size);
        EXPECT_EQ(c.status, status) << c.directory << " + " << c.name;
        EXPECT_STREQ(c.joined, path.bytes) << c.directory << " + " << c.name;
        EXPECT_EQ(status == STATUS_OK ? 0xdeadbeef : (DWORD)ERROR_FILENAME_EXCED_RANGE,
                  GetLastError());
        EXPECT_TRUE(path.MarkerFrom(c.size)) << c.directory << " + " << c.name;
    }
}

TEST(JoinPath, JoinsOntoItsOwnDirectoryAndAllocatesWhatItNeeds)
{
    char path[MAX_PATH] = "C:\\dir";
    ASSERT_EQ(STATUS_OK, JoinPath(path, "name", path, sizeof(path)));
    EXPECT_STREQ("C:\\dir\\name", path);

    char *joined = (char *)"sentinel";
    std::string longDirectory(5000, 'd');
    ASSERT_EQ(STATUS_OK, JoinPathAlloc(longDirectory.c_str(), "n", &joined));
    EXPECT_EQ(longDirectory + "\\n", joined);
    free(joined);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(STATUS_SYSTEM_ERROR, JoinPathAlloc(NULL, "n", &joined));
    EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
    EXPECT_EQ(NULL, joined);
}

TEST(JoinPath, TrailByteBackslashGetsASeparatorOfItsOwn)
{
    int saved = _getmbcp();
    _setmbcp(932);
    char path[16];
    EXPECT_EQ(STATUS_OK, JoinPath("C:\x95\\", "a", path, sizeof(path)));
    EXPECT_STREQ("C:\x95\\\\a", path);
    _setmbcp(saved);
}

/* Outputs start as a marker so a failing call shows whether it wrote. */
struct PathEntries {
    char full[MAX_PATH], directory[MAX_PATH], name[MAX_PATH];
    char drive[MAX_PATH], dirPart[MAX_PATH], extension[MAX_PATH];
    DWORD attributes = 0xdeadbeef;
    PathEntries()
    {
        for (char *entry : {full, directory, name, drive, dirPart, extension})
            strcpy(entry, "untouched");
    }
    int Split(const char *path)
    {
        return SplitFullPath(path, full, directory, name, drive, dirPart, extension, &attributes);
    }
};

/* A fresh directory holding doc.txt under the temporary directory. */
class SplitFullPathTest : public ::testing::Test {
protected:
    TempDir temp;
    const std::string &root = temp.path;
    std::string file = temp / "doc.txt";
    void SetUp() override { ASSERT_TRUE(WriteTextFile(file, "")); }
};

TEST_F(SplitFullPathTest, SplitsFilesAndDirectories)
{
    struct Case {
        std::string path, full, name, extension;
        bool isDirectory;
    };
    const Case cases[] = {
        {root + "\\.\\doc.txt", file, "doc.txt", ".txt", false},
        {root, root + "\\", "", "", true},
        {root + "\\", root + "\\", "", "", true},
    };
    for (const Case &c : cases) {
        PathEntries parts;
        ASSERT_EQ(STATUS_OK, parts.Split(c.path.c_str())) << c.path;
        EXPECT_EQ(c.full, parts.full);
        EXPECT_EQ(root + "\\", parts.directory);
        EXPECT_EQ(c.name, parts.name);
        EXPECT_EQ(root.substr(0, 2), parts.drive);
        EXPECT_EQ(root.substr(2) + "\\", parts.dirPart);
        EXPECT_EQ(c.extension, parts.extension);
        EXPECT_EQ(c.isDirectory, (parts.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    }
}

TEST_F(SplitFullPathTest, FailuresWriteNoOutput)
{
    PathEntries parts;
    SetLastError(0xdeadbeef);
    EXPECT_EQ(STATUS_SYSTEM_ERROR, parts.Split((root + "\\missing.txt").c_str()));
    EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, GetLastError());
    EXPECT_EQ(STATUS_CRT_ERROR, parts.Split((root + "\\" + std::string(300, 'x')).c_str()));
    EXPECT_EQ(ENOENT, errno);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(STATUS_SYSTEM_ERROR, parts.Split(NULL));
    EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
    EXPECT_STREQ("untouched", parts.full);
    EXPECT_STREQ("untouched", parts.extension);
    EXPECT_EQ(0xdeadbeef, parts.attributes);
    EXPECT_EQ(STATUS_SYSTEM_ERROR,
              SplitFullPath(file.c_str(), NULL, NULL, NULL, NULL, NULL, NULL, NULL));
}

TEST_F(SplitFullPathTest, ADirectoryFillingTheEntryFailsInsteadOfOverflowing)
{
    /* Its full path is MAX_PATH - 1 bytes; the separator would make MAX_PATH. */
    std::string longest = root + "\\" + std::string(MAX_PATH - 2 - root.size(), 'd');
    ASSERT_TRUE(CreateDirectoryA(longest.c_str(), NULL)) << GetLastError();
    struct {
        char entry[MAX_PATH];
        char after[8];
    } guarded;
    memset(&guarded, 'Z', sizeof(guarded));
    guarded.entry[0] = '\0';
    int status = SplitFullPath(longest.c_str(), guarded.entry, NULL, NULL, NULL, NULL, NULL, NULL);
    DWORD error = GetLastError();
    RemoveDirectoryA(longest.c_str());
    EXPECT_EQ(STATUS_SYSTEM_ERROR, status);
    EXPECT_EQ((DWORD)ERROR_FILENAME_EXCED_RANGE, error);
    EXPECT_STREQ("", guarded.entry);
    EXPECT_EQ(0, memcmp(guarded.after, "ZZZZZZZZ", sizeof(guarded.after)));
}

} // namespace
