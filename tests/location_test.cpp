/*
 * Where files lie: directory and open probes, the current directory, the
 * tree search with its filters, depth and links, the search path and
 * registry strings.
 */
#include <gtest/gtest.h>

#include "alloc.h"
#include "child.h"
#include "error_record.h"
#include "location.h"
#include "registry.h"

#include <stdlib.h>
#include <string>
#include <vector>

namespace {

std::string CurrentDirectory()
{
    char buffer[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof(buffer), buffer);
    return buffer;
}

std::string Take(char *allocated)
{
    std::string text = allocated ? allocated : "(null)";
    free(allocated);
    return text;
}

bool Exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

/* Wine 8 answers CreateSymbolicLinkA with success but makes nothing and
 * refuses junctions.  It does show a Unix symbolic link as a directory,
 * though, and starts Unix programs, without a handle to wait on: the
 * caller waits until the path shows the change. */
bool RunUnix(const char *program, std::string commandLine, const std::string &path, bool exists)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program, &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                        &process))
        return false;
    for (int tries = 0; tries < 50 && Exists(path) != exists; tries++)
        Sleep(100);
    return Exists(path) == exists;
}

std::string UnixPath(const std::string &path)
{
    typedef char *(CDECL * UnixName)(LPCWSTR);
    auto unixName = (UnixName)(void *)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                     "wine_get_unix_file_name");
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, ARRAY_SIZE(wide));
    char *name = unixName ? unixName(wide) : NULL;
    std::string text = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return text;
}

class Location : public ::testing::Test {
protected:
    void SetUp() override { saved = CurrentDirectory(); }
    void TearDown() override
    {
        SetCurrentDirectoryA(saved.c_str());
        for (const UnixLink &link : unixLinks)
            RunUnix("Z:\\bin\\sh", "sh -c \"" + link.removal + "\"", link.windowsPath, false);
    }
    /* relative ends in a backslash for a directory; parents are made too. */
    std::string Make(const std::string &relative)
    {
        for (size_t next = 0; (next = relative.find('\\', next)) != std::string::npos; next++)
            CreateDirectoryA((temp / relative.substr(0, next)).c_str(), NULL);
        if (relative.back() != '\\')
            WriteTextFile(temp / relative, "");
        return relative.back() == '\\' ? temp / relative.substr(0, relative.size() - 1)
                                       : temp / relative;
    }
    /* A link at the path link to the directory target. */
    bool MakeDirectoryLink(const std::string &link, const std::string &target)
    {
        typedef BOOLEAN(WINAPI * CreateLink)(LPCSTR, LPCSTR, DWORD);
        auto createLink = (CreateLink)(void *)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                             "CreateSymbolicLinkA");
        if (createLink && createLink(link.c_str(), target.c_str(), 1) && Exists(link))
            return true;
        size_t slash = link.rfind('\\');
        std::string unixParent = UnixPath(link.substr(0, slash));
        if (unixParent.empty())
            return false;
        std::string unixLink = unixParent + "/" + link.substr(slash + 1);
        unixLinks.push_back({"rm '" + unixLink + "'", link});
        return RunUnix("Z:\\bin\\ln", "ln -s \"" + UnixPath(target) + "\" \"" + unixLink + "\"",
                       link, true);
    }
    /* The temporary tree as a share of another machine would show it: under
     * Wine a UNC share that the prefix maps onto it, on Windows the
     * administrative share of its drive.  Empty when neither is there. */
    std::string RemoteView()
    {
        std::string drive = UnixPath("C:\\"); /* .../dosdevices/c:/ */
        std::string share = root.substr(root.rfind('\\') + 1);
        if (drive.empty()) {
            std::string adminShare = "\\\\localhost\\" + root.substr(0, 1) + "$" + root.substr(2);
            return Exists(adminShare) ? adminShare : "";
        }
        std::string host = drive.substr(0, drive.size() - 3) + "unc/zorvtest";
        std::string view = "\\\\zorvtest\\" + share;
        unixLinks.push_back({"rm '" + host + "/" + share + "'; rmdir '" + host + "'", view});
        std::string make = "mkdir -p '" + host + "' && ln -s '" + UnixPath(root) + "' '" + host +
                           "/" + share + "'";
        return RunUnix("Z:\\bin\\sh", "sh -c \"" + make + "\"", view, true) ? view : "";
    }
    struct Outcome {
        int status, found;
        std::string path, name, after;
        DWORD attributes;
    };
    Outcome Search(const char *pattern, const DWORD *mask, int mode, int recursive, int maxDepth,
                   const std::string *start = NULL)
    {
        Outcome outcome = {};
        char *path = NULL, *name = NULL;
        outcome.status = FindFileRecursive((start ? *start : root).c_str(), pattern, mask, mode,
                                           recursive, maxDepth, &path, &name, &outcome.attributes,
                                           &outcome.found);
        outcome.path = Take(path);
        outcome.name = Take(name);
        outcome.after = CurrentDirectory();
        return outcome;
    }
    struct UnixLink {
        std::string removal, windowsPath; /* the shell command, what it removes */
    };
    TempDir temp;
    const std::string &root = temp.path;
    std::string saved;
    std::vector<UnixLink> unixLinks;
};

TEST_F(Location, ProbesAnswerForDirectoriesFilesAndMissingPaths)
{
    std::string file = Make("file.txt"), missing = root + "\\missing";
    int answer = 7;
    SetLastError(0xdeadbeef);
    EXPECT_EQ(STATUS_OK, IsExistingDirectory(missing.c_str(), &answer));
    EXPECT_EQ(0, answer);
    EXPECT_EQ(0u, GetLastError());
    EXPECT_EQ(STATUS_OK, IsExistingDirectory(file.c_str(), &answer));
    EXPECT_EQ(0, answer);
    EXPECT_EQ(STATUS_OK, IsExistingDirectory(root.c_str(), &answer));
    EXPECT_EQ(1, answer);

    for (const std::string &path : {root, file}) {
        answer = 7;
        EXPECT_EQ(STATUS_OK, CanOpenPath(path.c_str(), &answer)) << path;
        EXPECT_EQ(1, answer) << path;
    }
    answer = 7;
    EXPECT_EQ(STATUS_SYSTEM_ERROR, CanOpenPath(missing.c_str(), &answer));
    EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, GetLastError());
    EXPECT_EQ(7, answer);
}

TEST_F(Location, ChangeDirectoryReportsWhereItLandedOrStaysPut)
{
    char *now = NULL;
    ASSERT_EQ(STATUS_OK, ChangeDirectory(root.c_str(), &now));
    EXPECT_STRCASEEQ(root.c_str(), Take(now).c_str());
    now = (char *)"sentinel";
    EXPECT_EQ(STATUS_SYSTEM_ERROR, ChangeDirectory((root + "\\missing").c_str(), &now));
    EXPECT_EQ(NULL, now);
    EXPECT_STRCASEEQ(root.c_str(), CurrentDirectory().c_str());
}

TEST_F(Location, MaskAndModeChooseAmongEntriesDepthFirst)
{
    std::string directory = Make("match.dir\\"), file = Make("a\\b\\match.txt");
    const DWORD directoryBit = FILE_ATTRIBUTE_DIRECTORY;
    struct {
        const char *pattern;
        const DWORD *mask;
        int mode;
        const std::string &expected;
    } cases[] = {
        {"match.*", &directoryBit, MATCH_NONE, file},
        {"m?tch*", &directoryBit, MATCH_NONE, file},
        {"match.*", NULL, 0, directory},
        {"match.*", &directoryBit, MATCH_ANY, directory},
        {"match.*", &directoryBit, MATCH_EXACT, directory},
    };
    for (const auto &each : cases) {
        Outcome outcome = Search(each.pattern, each.mask, each.mode, 1, 0);
        EXPECT_EQ(STATUS_OK, outcome.status) << each.pattern << " mode " << each.mode;
        EXPECT_EQ(1, outcome.found) << each.pattern << " mode " << each.mode;
        EXPECT_STRCASEEQ(each.expected.c_str(), outcome.path.c_str());
        EXPECT_STRCASEEQ(root.c_str(), outcome.after.c_str());
    }
    Outcome fileOnly = Search("match.*", &directoryBit, MATCH_NONE, 1, 0);
    EXPECT_EQ("match.txt", fileOnly.name);
    EXPECT_EQ(0u, fileOnly.attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(0, Search("match.*", &directoryBit, 9, 1, 0).found);
}

TEST_F(Location, DepthLimitAndRecursionFlagBoundTheSearch)
{
    std::string file = Make("a\\b\\deep.txt");
    struct {
        int recursive, maxDepth, found;
    } cases[] = {{1, 2, 0}, {1, 3, 1}, {0, 0, 0}, {1, 0, 1}};
    for (const auto &each : cases) {
        Outcome outcome = Search("deep.txt", NULL, 0, each.recursive, each.maxDepth);
        EXPECT_EQ(STATUS_OK, outcome.status);
        EXPECT_EQ(each.found, outcome.found) << each.recursive << " depth " << each.maxDepth;
        EXPECT_STRCASEEQ(root.c_str(), outcome.after.c_str());
    }
    Make("a\\pick0.txt");
    std::string first = Make("pick1.txt");
    EXPECT_STRCASEEQ(first.c_str(), Search("pick?.txt", NULL, 0, 1, 0).path.c_str());
}

TEST_F(Location, TreeSearchFailsOrDoesNothingWithoutMovingAway)
{
    ASSERT_TRUE(SetCurrentDirectoryA(saved.c_str()));
    char *path = (char *)"sentinel";
    int found = 7;
    EXPECT_EQ(STATUS_SYSTEM_ERROR, FindFileRecursive((root + "\\missing").c_str(), "*", NULL, 0, 1,
                                                     0, &path, NULL, NULL, &found));
    EXPECT_EQ(NULL, path);
    EXPECT_EQ(0, found);
    EXPECT_EQ(STATUS_OK,
              FindFileRecursive(root.c_str(), "*", NULL, 0, 1, 0, NULL, NULL, NULL, NULL));
    EXPECT_STRCASEEQ(saved.c_str(), CurrentDirectory().c_str());
}

/* Each link case in a tree of its own, searched from its local path and
 * from a UNC path, where every directory's identity is read from the start.
 * A link to a directory searched already or being searched is not
 * entered; a link to one not searched yet is, and that directory is then
 * not searched again under its own name.  Wine lists a directory sorted
 * by name. */
TEST_F(Location, TreeSearchEntersALinkedDirectoryOnce)
{
    struct {
        const char *tree, *link, *target, *file, *found;
    } cases[] = {
        {"start", "a\\back", "", "a\\b\\deep.txt", "a\\b\\deep.txt"},
        {"start-first", "a\\back", "", "c\\deep.txt", "c\\deep.txt"},
        {"ancestor", "a\\b\\up", "a", "a\\c\\deep.txt", "a\\c\\deep.txt"},
        {"searched", "c\\back", "a", "c\\d\\deep.txt", "c\\d\\deep.txt"},
        {"unsearched", "a\\ahead", "c", "c\\deep.txt", "a\\ahead\\deep.txt"},
    };
    for (const auto &each : cases) {
        std::string tree = temp / each.tree;
        std::string target = *each.target ? tree + "\\" + each.target : tree;
        Make(each.tree + std::string("\\a\\b\\"));
        Make(each.tree + std::string("\\") + each.file);
        if (!MakeDirectoryLink(tree + "\\" + each.link, target))
            GTEST_SKIP()
                << "this system made no directory link (symbolic link, junction or Unix link)";
    }
    std::string remote = RemoteView();
    ASSERT_FALSE(remote.empty()) << "no UNC path reaches " << root;
    for (const std::string &view : {root, remote}) {
        for (const auto &each : cases) {
            std::string start = view + "\\" + each.tree;
            std::string target = start + "\\" + each.found;
            Outcome missing = Search("absent.txt", NULL, 0, 1, 0, &start);
            EXPECT_EQ(STATUS_OK, missing.status) << start;
            EXPECT_EQ(0, missing.found) << start;
            EXPECT_STRCASEEQ(start.c_str(), missing.after.c_str());
            Outcome found = Search("deep.txt", NULL, 0, 1, 0, &start);
            EXPECT_EQ(1, found.found) << start;
            EXPECT_STRCASEEQ(target.c_str(), found.path.c_str());
        }
    }
}

TEST_F(Location, SystemSearchGivesPathAndNameOrFails)
{
    std::string tool = Make("tool.exe");
    char *path = NULL, *name = NULL;
    ASSERT_EQ(STATUS_OK, SearchSystemPath(root.c_str(), "tool", ".exe", &path, &name));
    EXPECT_STRCASEEQ(tool.c_str(), Take(path).c_str());
    EXPECT_EQ("tool.exe", Take(name));
    EXPECT_EQ(STATUS_SYSTEM_ERROR, SearchSystemPath(root.c_str(), "absent.exe", NULL, &path, NULL));
    EXPECT_EQ(NULL, path);
}

class Registry : public ::testing::Test {
protected:
    void SetUp() override
    {
        Set(NULL, REG_SZ, "default", 8);
        Set("path", REG_SZ, "C:\\Apps", 8);
        Set("unterminated", REG_SZ, "C:\\Bare", 7);
        Set("expand", REG_EXPAND_SZ, "%TEMP%", 7);
        DWORD number = 5;
        Set("number", REG_DWORD, &number, sizeof(number));
    }
    void Set(const char *name, DWORD type, const void *data, DWORD size)
    {
        ASSERT_TRUE(registry.SetValue("", name, type, data, size));
    }
    TestRegistryKey registry{"location"};
    const std::string &subkey = registry.path;
};

TEST_F(Registry, ReadsStringsAndTreatsTheRestAsMissingOrFailed)
{
    std::string missingKey = subkey + "\\missing";
    struct {
        const std::string &key;
        const char *name;
        int missingIsEmpty, status;
        const char *expected;
    } cases[] = {
        {subkey, "path", 0, STATUS_OK, "C:\\Apps"},
        {subkey, NULL, 0, STATUS_OK, "default"},
        {subkey, "unterminated", 0, STATUS_OK, "C:\\Bare"},
        {missingKey, "path", 1, STATUS_OK, "(null)"},
        {subkey, "absent", 1, STATUS_OK, "(null)"},
        {subkey, "number", 1, STATUS_OK, "(null)"},
        {subkey, "expand", 1, STATUS_OK, "(null)"},
        {missingKey, "path", 0, STATUS_STORED_ERROR, "(null)"},
        {subkey, "absent", 0, STATUS_STORED_ERROR, "(null)"},
    };
    for (const auto &each : cases) {
        char *value = (char *)"sentinel";
        SetStoredSysError(0);
        int status = ReadRegistryString(HKEY_CURRENT_USER, each.key.c_str(), each.name,
                                        each.missingIsEmpty, &value);
        EXPECT_EQ(each.status, status) << each.key << " " << (each.name ? each.name : "default");
        EXPECT_EQ(each.expected, Take(value))
            << each.key << " " << (each.name ? each.name : "default");
        if (status == STATUS_STORED_ERROR) {
            EXPECT_EQ(ERROR_FILE_NOT_FOUND, GetStoredSysError());
        }
    }
}

TEST_F(Registry, NonStringValueIsAnApplicationFailureWhenRequired)
{
    for (const char *name : {"number", "expand"}) {
        char *value = NULL;
        ASSERT_EQ(STATUS_APP_ERROR,
                  ReadRegistryString(HKEY_CURRENT_USER, subkey.c_str(), name, 0, &value));
        EXPECT_EQ(NULL, value);
        EXPECT_STREQ("Registry data type must be string.", GetErrorText(STATUS_APP_ERROR)->format);
    }
}

} // namespace
