/*
 * The path tests under the choose-files dialog, as tables: which paths lie
 * inside a directory (whole components, any case, either separator, drive
 * roots) and what remains of a path below a base; and the parameters that
 * ChooseFiles refuses before it shows anything.
 */
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string>

#include "alloc.h"
#include "child.h"
#include "choose_files.h"
#include "error_record.h"
#include "gui.h"

static std::string Slashed(std::string path)
{
    for (char &c : path)
        if (c == '\\')
            c = '/';
    return path;
}

static std::string Upper(std::string text)
{
    CharUpperBuffA(&text[0], (DWORD)text.size());
    return text;
}

TEST(IsInsideDirectory, ComparesWholeComponents)
{
    TempDir tree;
    ASSERT_FALSE(tree.path.empty());
    for (const char *folder : {"abc", "abcdef", "abc\\sub"})
        ASSERT_TRUE(CreateDirectoryA((tree / folder).c_str(), NULL));
    ASSERT_TRUE(WriteTextFile(tree / "abc\\sub\\f.txt", "f"));
    std::string abc = tree / "abc";
    std::string file = tree / "abc\\sub\\f.txt";
    std::string drive = tree.path.substr(0, 3);
    std::string otherDrive = drive[0] == 'Z' ? "C:\\" : "Z:\\";

    struct InsideCase {
        std::string directory;
        std::string path;
        int inside;
    } cases[] = {
        {abc, file, 1},
        {abc, abc, 1},
        {abc + "\\", tree / "abc\\sub", 1},
        {Slashed(abc), file, 1},
        {abc, Slashed(file), 1},
        {Upper(abc), file, 1},
        {abc, Upper(file), 1},
        {abc, tree / "abcdef", 0},
        {tree / "abcdef", file, 0},
        {tree / "abc\\sub", abc, 0},
        {drive, file, 1},
        {otherDrive, file, 0},
        {tree.path, tree / "abc\\sub", 1},
    };
    for (const InsideCase &c : cases) {
        int inside = -1;
        EXPECT_EQ(STATUS_OK, IsInsideDirectory(c.directory.c_str(), c.path.c_str(), &inside))
            << c.directory << " / " << c.path;
        EXPECT_EQ(c.inside, inside) << c.directory << " / " << c.path;
    }
}

TEST(IsInsideDirectory, RefusesMissingArgumentsAndPaths)
{
    TempDir tree;
    int inside = -1;
    SetLastError(0xdeadbeef);
    EXPECT_EQ(STATUS_SYSTEM_ERROR, IsInsideDirectory(NULL, tree.path.c_str(), &inside));
    EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
    EXPECT_EQ(STATUS_SYSTEM_ERROR, IsInsideDirectory(tree.path.c_str(), NULL, &inside));
    EXPECT_EQ(STATUS_SYSTEM_ERROR, IsInsideDirectory(tree.path.c_str(), tree.path.c_str(), NULL));
    /* Both must exist: a file that vanished is a failure, not "outside". */
    EXPECT_EQ(STATUS_SYSTEM_ERROR,
              IsInsideDirectory(tree.path.c_str(), (tree / "gone.txt").c_str(), &inside));
    EXPECT_EQ(STATUS_SYSTEM_ERROR,
              IsInsideDirectory((tree / "gone").c_str(), tree.path.c_str(), &inside));
    EXPECT_EQ(-1, inside);
}

TEST(MakeRelativePath, KeepsWhatLiesBelowTheBase)
{
    struct RelativeCase {
        const char *path;
        const char *base;
        const char *relative;
    } cases[] = {
        {"C:\\Dir\\sub\\f.txt", "C:\\Dir", "sub\\f.txt"},
        {"C:\\Dir\\f.txt", "c:/dir/", "f.txt"},
        {"C:/Dir//sub/", "C:\\DIR", "sub/"},
        {"C:\\Dir", "C:\\Dir", ""},
        {"C:\\Dir\\", "C:\\Dir\\\\", ""},
        {"C:\\f.txt", "C:\\", "f.txt"},
        {"C:\\f.txt", "C:", "f.txt"},
        {"C:\\a\\b\\c", "C:\\a\\x\\y", "b\\c"},
        {"D:\\x", "", "D:\\x"},
        {"", "C:\\", ""},
        {"\\\\", "C:\\", ""},
    };
    for (const RelativeCase &c : cases) {
        PathEntry path;
        lstrcpynA(path, c.path, ARRAY_SIZE(path));
        EXPECT_EQ(STATUS_OK, MakeRelativePath(path, c.base)) << c.path;
        EXPECT_STREQ(c.relative, path) << c.path << " below " << c.base;
    }
    SetLastError(0xdeadbeef);
    EXPECT_EQ(STATUS_SYSTEM_ERROR, MakeRelativePath(NULL, "C:\\"));
    EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
}

TEST(EqualsNoCase, IgnoresCaseOnly)
{
    struct EqualCase {
        const char *first;
        const char *second;
        int equal;
    } cases[] = {
        {"Dir", "dIR", 1},
        {"", "", 1},
        {"abc", "abcdef", 0},
        {"a", "b", 0},
    };
    for (const EqualCase &c : cases) {
        int equal = -1;
        EXPECT_EQ(STATUS_OK, EqualsNoCase(c.first, c.second, &equal));
        EXPECT_EQ(c.equal, equal) << c.first << " / " << c.second;
    }
    int equal = -1;
    EXPECT_EQ(STATUS_SYSTEM_ERROR, EqualsNoCase(NULL, "a", &equal));
    EXPECT_EQ(STATUS_SYSTEM_ERROR, EqualsNoCase("a", "a", NULL));
    EXPECT_EQ(-1, equal);
}

/* Refused before the dialog: a call that shows one instead does not end
 * in time, and its dialog is cancelled. */
TEST(ChooseFiles, RefusesParametersWithoutADialog)
{
    TempDir tree;
    PathEntry sentinel[1];
    struct ParameterCase {
        const char *directory;
        int maxFiles;
        bool withResult;
    } cases[] = {
        {tree.path.c_str(), 0, true},
        {tree.path.c_str(), CHOOSE_MAX_FILES + 1, true},
        {tree.path.c_str(), -5, true},
        {tree.path.c_str(), 1, false},
        {NULL, 1, true},
    };
    for (const ParameterCase &c : cases) {
        PathEntry *result = sentinel;
        int status = -1;
        DWORD error = 0;
        ThreadCall call;
        StartThreadCall(&call, [&] {
            SetLastError(0xdeadbeef);
            status = ChooseFiles(c.directory, NULL, NULL, 1, 1, 0, c.maxFiles, 0,
                                 c.withResult ? &result : NULL);
            error = GetLastError();
            return 0;
        });
        bool late = false;
        FinishThreadCall(&call, 3000, &late);
        if (late) {
            HWND dialog = WaitForTopWindow("#32770", CHOOSE_FILES_TITLE, GetCurrentProcessId(),
                                           1000);
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            ASSERT_EQ(0, FinishThreadCall(&call, 10000));
        }
        EXPECT_FALSE(late) << "a dialog was shown for maxFiles " << c.maxFiles;
        EXPECT_EQ(STATUS_SYSTEM_ERROR, status);
        EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, error);
        EXPECT_EQ(sentinel, result) << "the result is left alone";
    }
}
