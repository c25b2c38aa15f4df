/*
 * The checked file wrappers on real files in a temporary directory: what
 * each operation leaves on disk, the status it answers, errno after a
 * reported failure (back to 0 where the wrapper promises it), and that
 * reporting a failure leaves the error record alone.  The stream copy of
 * the native library runs through the same copy cases as CopyFileA.  The
 * suffix and last-occurrence searches beside the layer close the file.
 */
#include <gtest/gtest.h>

#include <windows.h>

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "alloc.h"
#include "child.h"
#include "error_record.h"
#include "file_operations.h"
#include "stream_copy.h"

/* A stand-in for the runtime's fread in this program, so that a read can
 * fail part way through a copy: it reads as the runtime does, and once
 * armed it lets that many reads pass and fails the next one, with a short
 * count and no end of file, as a read error does. */
static int g_readsBeforeFailure = -1; /* -1: none fails */

extern "C" size_t __cdecl fread(void *buffer, size_t size, size_t count, FILE *stream)
{
    typedef size_t(__cdecl * ReadFn)(void *, size_t, size_t, FILE *);
    static const ReadFn runtime = (ReadFn)(void *)GetProcAddress(GetModuleHandleA("msvcrt.dll"),
                                                                 "fread");
    if (g_readsBeforeFailure == 0) {
        g_readsBeforeFailure = -1;
        errno = EIO;
        return 0;
    }
    if (g_readsBeforeFailure > 0)
        g_readsBeforeFailure--;
    return runtime(buffer, size, count, stream);
}

namespace {

const char ABSENT[] = "<absent>";
/* errno before each call, so that a reset to 0 shows. */
const int ERRNO_BEFORE = EDOM;
const int READ_ONLY = _S_IREAD;
const int READ_WRITE = FILE_PERMISSION_READ_WRITE;

bool IsReadOnly(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

/* content at path (ABSENT: no file), read-only when asked. */
void Prepare(const std::string &path, const std::string &content, bool readOnly = false)
{
    if (content == ABSENT)
        return;
    ASSERT_TRUE(WriteTextFile(path, content)) << path;
    if (readOnly)
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
}

/* The name a file has on disk, whatever case it was asked for in. */
std::string NameOnDisk(const std::string &path)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(path.c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return ABSENT;
    FindClose(find);
    return entry.cFileName;
}

/* The names in a directory, as on disk, in the order found. */
std::vector<std::string> NamesIn(const std::string &directory)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((directory + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (strcmp(entry.cFileName, ".") != 0 && strcmp(entry.cFileName, "..") != 0)
            names.push_back(entry.cFileName);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

class FileWrappers : public ::testing::Test {
protected:
    TempDir dir;
    void SetUp() override { ASSERT_FALSE(dir.path.empty()); }
    /* A fresh directory for one case of a table. */
    std::string Round(int number)
    {
        std::string path = dir / ("r" + std::to_string(number));
        EXPECT_TRUE(CreateDirectoryA(path.c_str(), NULL)) << path;
        return path;
    }
};

TEST(FileWrapperArguments, NullsAreRefusedWithEinval)
{
    int flag = 0;
    unsigned short mode = 0;
    FILE *stream = NULL;
    char name[L_tmpnam];
    const std::function<int()> calls[] = {
        [&] { return CrtAccess(NULL, 0, &flag); },
        [&] { return CrtAccess("x", 0, NULL); },
        [&] { return CrtStat(NULL, &mode); },
        [&] { return CrtStat("x", NULL); },
        [&] { return CrtChmod(NULL, NULL); },
        [&] { return CrtRemove(NULL); },
        [&] { return CrtMoveFile(NULL, "x", 0); },
        [&] { return CrtMoveFile("x", NULL, 1); },
        [&] { return CrtCopyFile(NULL, "x", NULL, 0); },
        [&] { return CrtCopyFile("x", NULL, NULL, 1); },
        [&] { return CrtCopyFileByStreams(NULL, "x", NULL, 0); },
        [&] { return CrtCopyFileByStreams("x", NULL, NULL, 1); },
        [&] { return CrtOpenTempFile(NULL, &stream, "w"); },
        [&] { return CrtOpenTempFile(name, NULL, "w"); },
        [&] { return CrtOpenTempFile(name, &stream, NULL); },
        [&] { return CrtCreateNewFile(NULL, 0, NULL, &flag); },
        [&] { return CrtCreateNewFile("x", 0, NULL, NULL); },
    };
    for (size_t i = 0; i < ARRAY_SIZE(calls); i++) {
        errno = 0;
        EXPECT_EQ(STATUS_CRT_ERROR, calls[i]()) << "call " << i;
        EXPECT_EQ(EINVAL, errno) << "call " << i;
    }
    EXPECT_EQ(ABSENT, FileContent("x"));
}

TEST_F(FileWrappers, ProbesTellPresentMissingAndLockedFiles)
{
    std::string file = dir / "f.txt", locked = dir / "locked.txt", missing = dir / "none.txt";
    Prepare(file, "f");
    Prepare(locked, "l", true);

    struct Case {
        std::string path;
        int mode, status, accessible;
    };
    const Case accessCases[] = {
        {file, 0, STATUS_OK, 1},
        {dir.path, 0, STATUS_OK, 1},
        {file, 2, STATUS_OK, 1},
        {locked, 2, STATUS_OK, 0},          /* EACCES is an answer */
        {missing, 0, STATUS_OK, 0},         /* so is a missing file, for mode 0 */
        {missing, 2, STATUS_APP_ERROR, -1}, /* but not for a write probe */
    };
    for (const Case &c : accessCases) {
        SCOPED_TRACE(c.path + " mode " + std::to_string(c.mode));
        int accessible = -1;
        errno = ERRNO_BEFORE;
        EXPECT_EQ(c.status, CrtAccess(c.path.c_str(), c.mode, &accessible));
        EXPECT_EQ(c.accessible, accessible);
        if (c.accessible != 1) {
            EXPECT_EQ(0, errno);
        }
    }

    unsigned short mode = 0;
    EXPECT_EQ(STATUS_OK, CrtStat(file.c_str(), &mode));
    EXPECT_EQ(_S_IFREG, mode & _S_IFMT);
    EXPECT_EQ(STATUS_OK, CrtStat(dir.path.c_str(), &mode));
    EXPECT_EQ(_S_IFDIR, mode & _S_IFMT);
    mode = 7;
    EXPECT_EQ(STATUS_CRT_ERROR, CrtStat(missing.c_str(), &mode));
    EXPECT_EQ(ENOENT, errno) << "stat keeps the runtime's error for the caller";
    EXPECT_EQ(7, mode);

    EXPECT_EQ(STATUS_OK, CrtChmod(missing.c_str(), NULL)) << "no word: nothing to do";
    EXPECT_EQ(STATUS_OK, CrtChmod(file.c_str(), &READ_ONLY));
    EXPECT_TRUE(IsReadOnly(file));
    EXPECT_EQ(STATUS_OK, CrtChmod(file.c_str(), &READ_WRITE));
    EXPECT_FALSE(IsReadOnly(file));
    errno = ERRNO_BEFORE;
    EXPECT_EQ(STATUS_CRT_ERROR, CrtChmod(missing.c_str(), &READ_WRITE));
    EXPECT_EQ(0, errno);
}

TEST_F(FileWrappers, RemoveClearsReadOnlyAndPassesOverMissingFiles)
{
    std::string sub = dir / "sub";
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), NULL));
    struct Case {
        const char *name, *content;
        bool readOnly;
        int status;
        bool gone;
    };
    const Case cases[] = {
        {"plain.txt", "p", false, STATUS_OK, true},
        {"locked.txt", "l", true, STATUS_OK, true},
        {"none.txt", ABSENT, false, STATUS_OK, true},
        {"sub", ABSENT, false, STATUS_APP_ERROR, false}, /* a directory is no file */
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = dir / c.name;
        Prepare(path, c.content, c.readOnly);
        errno = ERRNO_BEFORE;
        EXPECT_EQ(c.status, CrtRemove(path.c_str()));
        EXPECT_EQ(c.gone, GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES);
        if (c.status != STATUS_OK) {
            EXPECT_EQ(0, errno);
        }
    }
}

TEST_F(FileWrappers, CreateNewFileMakesEmptiesOrLeavesAlone)
{
    struct Case {
        const char *before;
        int truncate, status, existed;
        const char *after;
    };
    const Case cases[] = {
        {ABSENT, 0, STATUS_OK, -1, ""},
        {ABSENT, 1, STATUS_OK, -1, ""},
        {"keep", 0, 1, 1, "keep"},
        {"keep", 1, STATUS_OK, -1, ""},
        {"keep", 2, STATUS_APP_ERROR, -1, "keep"}, /* exclusive, without the answer 1 */
    };
    int round = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.before) + " truncate " + std::to_string(c.truncate));
        std::string path = dir / ("c" + std::to_string(round++));
        Prepare(path, c.before);
        int existed = -1;
        errno = ERRNO_BEFORE;
        EXPECT_EQ(c.status, CrtCreateNewFile(path.c_str(), c.truncate, NULL, &existed));
        EXPECT_EQ(c.existed, existed);
        EXPECT_EQ(c.after, FileContent(path));
        EXPECT_FALSE(IsReadOnly(path));
        if (c.status != STATUS_OK) {
            EXPECT_EQ(0, errno);
        }
    }

    std::string nowhere = dir / "none\\x.txt";
    int existed = -1;
    errno = ERRNO_BEFORE;
    EXPECT_EQ(STATUS_APP_ERROR, CrtCreateNewFile(nowhere.c_str(), 0, NULL, &existed));
    EXPECT_EQ(0, errno);
    EXPECT_EQ(-1, existed);
    EXPECT_EQ(ABSENT, FileContent(nowhere));

    std::string locked = dir / "locked.txt";
    EXPECT_EQ(STATUS_OK, CrtCreateNewFile(locked.c_str(), 0, &READ_ONLY, &existed));
    EXPECT_TRUE(IsReadOnly(locked));
}

/* Each move starts from a.txt holding "source" in a directory of its own. */
TEST_F(FileWrappers, MovesWithAndWithoutOverwrite)
{
    struct Case {
        const char *target;
        const char *source, *targetBefore;
        bool targetReadOnly;
        int overwrite, status;
        const char *sourceAfter, *targetAfter;
    };
    const Case cases[] = {
        {"b.txt", "source", ABSENT, false, 0, STATUS_OK, ABSENT, "source"},
        {"b.txt", "source", "target", false, 0, STATUS_APP_ERROR, "source", "target"},
        {"b.txt", "source", "target", false, 1, STATUS_OK, ABSENT, "source"},
        {"b.txt", "source", "target", true, 1, STATUS_OK, ABSENT, "source"},
        /* A missing source is found before the target is removed. */
        {"b.txt", ABSENT, "target", false, 1, STATUS_APP_ERROR, ABSENT, "target"},
        /* The same file but for case or spelling: nothing is removed or renamed. */
        {"A.TXT", "source", ABSENT, false, 1, STATUS_OK, "source", "source"},
        {".\\a.txt", "source", ABSENT, false, 1, STATUS_OK, "source", "source"},
    };
    int round = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.target) + " overwrite " + std::to_string(c.overwrite) +
                     " round " + std::to_string(round));
        std::string base = Round(round++);
        std::string source = base + "\\a.txt", target = base + "\\" + c.target;
        Prepare(source, c.source);
        Prepare(target, c.targetBefore, c.targetReadOnly);
        errno = ERRNO_BEFORE;
        EXPECT_EQ(c.status, CrtMoveFile(target.c_str(), source.c_str(), c.overwrite));
        EXPECT_EQ(c.sourceAfter, FileContent(source));
        EXPECT_EQ(c.targetAfter, FileContent(target));
        if (c.status != STATUS_OK) {
            EXPECT_EQ(0, errno);
        }
        if (strcmp(c.sourceAfter, ABSENT) != 0) {
            EXPECT_EQ("a.txt", NameOnDisk(source));
        }
        for (const std::string &name : NamesIn(base))
            EXPECT_TRUE(name == NameOnDisk(source) || name == NameOnDisk(target)) << name;
    }
}

/* The source is held open without sharing its deletion, so the rename
 * fails after the target was set aside: the target must come back, as it
 * was, and nothing else may be left. */
TEST_F(FileWrappers, AFailedMoveOntoAnExistingTargetKeepsBothFiles)
{
    std::string source = dir / "a.txt", target = dir / "b.txt";
    Prepare(source, "source");
    Prepare(target, "target", true);
    HANDLE held = CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0,
                              NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    errno = ERRNO_BEFORE;
    EXPECT_EQ(STATUS_APP_ERROR, CrtMoveFile(target.c_str(), source.c_str(), 1));
    EXPECT_EQ(0, errno);
    CloseHandle(held);
    EXPECT_EQ("source", FileContent(source));
    EXPECT_EQ("target", FileContent(target));
    EXPECT_TRUE(IsReadOnly(target));
    EXPECT_EQ(std::vector<std::string>({"a.txt", "b.txt"}), NamesIn(dir.path));
}

/* Bytes that a text-mode copy would change: NUL, lone CR and LF, Ctrl-Z. */
std::string SourceBytes(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; i++)
        bytes[i] = (char)(i % 251);
    return bytes;
}

typedef int (*CopyOperation)(const char *target, const char *source, const int *permission,
                             int overwrite);
const struct {
    const char *name;
    CopyOperation copy;
} COPIES[] = {
    {"CopyFileA", CrtCopyFile},
    {"streams", CrtCopyFileByStreams},
};

/* Each copy starts from a.txt, over three blocks of the stream copy, in a
 * directory of its own; "<source>" stands for its bytes. */
TEST_F(FileWrappers, CopiesWithAndWithoutOverwrite)
{
    const std::string bytes = SourceBytes(3 * 10240 + 17);
    struct Case {
        const char *target;
        bool sourcePresent;
        const char *targetBefore;
        int overwrite;
        int status[2]; /* CopyFileA, streams */
        const char *targetAfter;
    };
    const Case cases[] = {
        {"b.txt", true, ABSENT, 0, {STATUS_OK, STATUS_OK}, "<source>"},
        {"b.txt", true, "target", 0, {STATUS_APP_ERROR, STATUS_APP_ERROR}, "target"},
        {"b.txt", true, "target", 1, {STATUS_OK, STATUS_OK}, "<source>"},
        {"b.txt", false, "target", 1, {STATUS_SYSTEM_ERROR, STATUS_APP_ERROR}, "target"},
        {"b.txt", false, ABSENT, 0, {STATUS_SYSTEM_ERROR, STATUS_APP_ERROR}, ABSENT},
        {"A.TXT", true, ABSENT, 1, {STATUS_OK, STATUS_OK}, "<source>"},
        {".\\a.txt", true, ABSENT, 1, {STATUS_OK, STATUS_OK}, "<source>"},
    };
    int round = 0;
    for (size_t which = 0; which < ARRAY_SIZE(COPIES); which++) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(COPIES[which].name) + ": " + c.target + " overwrite " +
                         std::to_string(c.overwrite) + " round " + std::to_string(round));
            std::string base = Round(round++);
            std::string source = base + "\\a.txt", target = base + "\\" + c.target;
            Prepare(source, c.sourcePresent ? bytes : ABSENT);
            Prepare(target, c.targetBefore);
            errno = ERRNO_BEFORE;
            EXPECT_EQ(c.status[which],
                      COPIES[which].copy(target.c_str(), source.c_str(), NULL, c.overwrite));
            std::string after = FileContent(target);
            EXPECT_TRUE(after == (strcmp(c.targetAfter, "<source>") == 0 ? bytes : c.targetAfter))
                << after.size() << " bytes";
            EXPECT_TRUE(FileContent(source) == (c.sourcePresent ? bytes : ABSENT));
            if (which == 1 && !c.sourcePresent) { /* a failed fopen, not a refusal */
                EXPECT_EQ(0, errno);
            }
        }
    }
}

/* The exclusively created target must be a file that can be used after the
 * copy, not one left read-only or half-written. */
TEST_F(FileWrappers, StreamCopyTargetsAreWholeAndWritable)
{
    struct Case {
        size_t size;
        int overwrite;
        const int *permission;
        bool readOnly;
    };
    const Case cases[] = {
        {0, 0, NULL, false},     {10240, 0, NULL, false}, /* exactly one block */
        {10241, 1, NULL, false}, {100, 0, &READ_ONLY, true}, {100, 1, &READ_WRITE, false},
    };
    int round = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.size) + " round " + std::to_string(round));
        std::string base = Round(round++);
        std::string source = base + "\\a.bin", target = base + "\\b.bin";
        const std::string bytes = SourceBytes(c.size);
        Prepare(source, bytes);
        ASSERT_EQ(STATUS_OK,
                  CrtCopyFileByStreams(target.c_str(), source.c_str(), c.permission, c.overwrite));
        EXPECT_TRUE(FileContent(target) == bytes);
        EXPECT_EQ(c.readOnly, IsReadOnly(target));
        if (!c.readOnly) {
            HANDLE file = CreateFileA(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL,
                                      OPEN_EXISTING, 0, NULL);
            EXPECT_NE(INVALID_HANDLE_VALUE, file);
            CloseHandle(file);
        }
    }
    /* A directory in the target's place fails in fopen and stays. */
    std::string base = Round(round++);
    Prepare(base + "\\a.bin", "new");
    ASSERT_TRUE(CreateDirectoryA((base + "\\b.bin").c_str(), NULL));
    errno = ERRNO_BEFORE;
    EXPECT_EQ(STATUS_APP_ERROR, CrtCopyFileByStreams((base + "\\b.bin").c_str(),
                                                     (base + "\\a.bin").c_str(), NULL, 1));
    EXPECT_EQ(0, errno);
    EXPECT_NE(0u, GetFileAttributesA((base + "\\b.bin").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

/* The copy made its target itself: a read that fails after the first of
 * four blocks must not leave that block behind under the target's name. */
TEST_F(FileWrappers, AStreamCopyThatFailsPartWayLeavesNoTarget)
{
    std::string source = dir / "a.bin", target = dir / "b.bin";
    const std::string bytes = SourceBytes(3 * 10240 + 17);
    Prepare(source, bytes);
    g_readsBeforeFailure = 1;
    errno = ERRNO_BEFORE;
    EXPECT_EQ(STATUS_APP_ERROR, CrtCopyFileByStreams(target.c_str(), source.c_str(), NULL, 0));
    EXPECT_EQ(-1, g_readsBeforeFailure) << "the failing read never came";
    EXPECT_EQ(0, errno);
    std::string left = FileContent(target);
    EXPECT_TRUE(left == ABSENT) << left.size() << " bytes left";
    EXPECT_TRUE(FileContent(source) == bytes);
    EXPECT_EQ(std::vector<std::string>({"a.bin"}), NamesIn(dir.path));
}

TEST_F(FileWrappers, ReportedFailuresLeaveTheErrorRecordAlone)
{
    std::string sub = dir / "sub", missing = dir / "none.txt";
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), NULL));
    SetErrorRecord("7", "before", "kept %s", 1, "intact");
    int existed = 0;
    EXPECT_EQ(0, ReportFileError("E0001", "Cannot open the file \"%s\".\n%s\n", 2, "a", "b"));
    EXPECT_EQ(STATUS_APP_ERROR, CrtRemove(sub.c_str()));
    EXPECT_EQ(STATUS_APP_ERROR, CrtMoveFile((dir / "b.txt").c_str(), missing.c_str(), 0));
    EXPECT_EQ(STATUS_APP_ERROR, CrtCreateNewFile((dir / "none\\x").c_str(), 0, NULL, &existed));
    const ErrorRecord *record = GetErrorText(STATUS_APP_ERROR);
    ASSERT_TRUE(record != NULL);
    EXPECT_STREQ("before", record->messageId);
    EXPECT_STREQ("kept %s", record->format);
    EXPECT_EQ(1, record->argumentCount);
    EXPECT_STREQ("intact", record->arguments[0]);
}

/* Makes a directory the current one for a test and puts the old one back. */
struct ScopedCurrentDirectory {
    char old[MAX_PATH];
    explicit ScopedCurrentDirectory(const std::string &path)
    {
        DWORD length = GetCurrentDirectoryA(sizeof(old), old);
        if (length == 0 || length >= sizeof(old))
            old[0] = '\0';
        SetCurrentDirectoryA(path.c_str());
    }
    ~ScopedCurrentDirectory()
    {
        if (old[0])
            SetCurrentDirectoryA(old);
    }
};

/* tmpnam names lie in the root of the current drive: the test's own
 * directory puts them on the drive of the temporary files. */
TEST_F(FileWrappers, TempFileStreamCanBeWrittenAndReadBack)
{
    ScopedCurrentDirectory current(dir.path);
    char name[L_tmpnam] = "";
    FILE *stream = NULL;
    ASSERT_EQ(STATUS_OK, CrtOpenTempFile(name, &stream, "w+"));
    ASSERT_TRUE(stream != NULL);
    EXPECT_EQ(5u, fwrite("hello", 1, 5, stream));
    EXPECT_EQ(0, fflush(stream));
    rewind(stream);
    char back[8] = "";
    EXPECT_EQ(5u, fread(back, 1, 5, stream));
    EXPECT_STREQ("hello", back);
    fclose(stream);
    EXPECT_EQ("hello", FileContent(name));
    EXPECT_FALSE(IsReadOnly(name));
    EXPECT_EQ(0, remove(name));

    /* A stream mode the runtime refuses: no stream, and no file left. */
    FILE *untouched = stream;
    errno = ERRNO_BEFORE;
    EXPECT_EQ(STATUS_APP_ERROR, CrtOpenTempFile(name, &untouched, "q"));
    EXPECT_EQ(0, errno);
    EXPECT_EQ(stream, untouched);
    EXPECT_EQ(ABSENT, FileContent(name)) << name;
}

TEST(TextSearch, SuffixAndLastOccurrence)
{
    struct Case {
        const char *text, *part;
        int suffixAt, lastAt;
    }; /* -1: null */
    const Case cases[] = {
        {"report.txt", ".txt", 6, 6},
        {".txt", ".txt", 0, 0},
        {"txt", ".txt", -1, -1},        /* longer than the text */
        {"report.TXT", ".txt", -1, -1}, /* case counts */
        {"x.txt.bak", ".txt", -1, 1},
        {"abab", "ab", 2, 2},
        {"abb", "ab", -1, 0},
        {"aaa", "aa", 1, 1}, /* overlapping parts */
        {"", "a", -1, -1},
        {"a", "", -1, -1},
        {NULL, "a", -1, -1},
        {"a", NULL, -1, -1},
    };
    auto offset = [](const char *text, const char *found) {
        return found ? (int)(found - text) : -1;
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.text ? c.text : "(null)") + " / " +
                     (c.part ? c.part : "(null)"));
        EXPECT_EQ(c.suffixAt, offset(c.text, EndsWith(c.text, c.part)));
        EXPECT_EQ(c.lastAt, offset(c.text, FindLastText(c.text, c.part)));
    }
}

} // namespace
