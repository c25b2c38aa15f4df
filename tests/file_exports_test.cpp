/*
 * File, file-system and storage information, the empty file and the
 * temporary directory, called the way the VM calls them: the real
 * zorvrni.dll loaded by path, exports looked up by name, every value held
 * against what Windows itself reports for the same file or volume.  The
 * test runs in a time zone that is not UTC, so local-time texts differ
 * from UTC ones.
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <winioctl.h>

#include <set>
#include <stdio.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "alloc.h"
#include "child.h"
#include "error_record.h"
#include "file_exports.h"
#include "file_info.h"
#include "gui.h"
#include "library.h"
#include "msjava_standin.h"
#include "temp_directory.h"

static FILETIME At(int64_t ticks)
{
    FILETIME time = {(DWORD)ticks, (DWORD)((uint64_t)ticks >> 32)};
    return time;
}

TEST(FileTimeToSeconds, CountsSignedSecondsSince1970)
{
    static const struct {
        int64_t ticks, seconds;
    } cases[] = {
        {116444736000000000LL, 0},
        {116444736000000000LL + 1007469136LL * 10000000, 1007469136},   /* 2001-12-04 12:32:16 */
        {116444736000000000LL + 4294967296LL * 10000000, 4294967296LL}, /* 2106-02-07 06:28:16 */
        {116444736000000000LL + 7258118400LL * 10000000, 7258118400LL}, /* 2200-01-01 */
        {116444736000000000LL - 1, -1}, /* a part of a second before 1970 */
        {116444736000000000LL - 10000000, -1},
        {0, -11644473600LL}, /* 1601-01-01 */
    };
    for (const auto &c : cases) {
        FILETIME time = At(c.ticks);
        int64_t seconds = 77;
        EXPECT_EQ(0, FileTimeToSeconds(&time, &seconds));
        EXPECT_EQ(c.seconds, seconds) << c.ticks;
    }
}

TEST(FileTimeToText, DateAndTimeWithoutLeadingZeros)
{
    /* 2001-12-31 23:59:59 and 2002-01-02 03:04:05 UTC. */
    FILETIME last = At(116444736000000000LL + 1009843199LL * 10000000);
    FILETIME early = At(116444736000000000LL + 1009940645LL * 10000000);
    char *text = NULL;
    ASSERT_EQ(0, FileTimeToText(&last, TIME_TEXT_DATE | TIME_TEXT_TIME | TIME_TEXT_ALLOCATE, 0,
                                &text));
    EXPECT_STREQ("2001.12.31.23.59.59", text);
    free(text);

    char buffer[16] = "unchanged";
    char *into = buffer;
    EXPECT_EQ(0, FileTimeToText(&early, TIME_TEXT_DATE, sizeof(buffer), &into));
    EXPECT_STREQ("2002.1.2", buffer);
    EXPECT_EQ(0, FileTimeToText(&early, TIME_TEXT_TIME, sizeof(buffer), &into));
    EXPECT_STREQ("3.4.5", buffer);
    EXPECT_EQ(0, FileTimeToText(&early, 0, sizeof(buffer), &into));
    EXPECT_STREQ("3.4.5", buffer) << "asked for neither: nothing happens";
    SetLastError(0xdeadbeef);
    EXPECT_EQ(4, FileTimeToText(&early, TIME_TEXT_DATE | TIME_TEXT_TIME, 8, &into));
    EXPECT_EQ((DWORD)ERROR_INSUFFICIENT_BUFFER, GetLastError());
    EXPECT_STREQ("3.4.5", buffer);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(4, FileTimeToText(&early, TIME_TEXT_DATE | TIME_TEXT_ALLOCATE, 0, NULL));
    EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
}

static HString Java(const std::string &text)
{
    WCHAR units[1024];
    int count = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, units, ARRAY_SIZE(units));
    return StandinString(count > 0 ? units : L"");
}

/* Element 0 of a String[] as ANSI; "<null>" when nothing was stored. */
static std::string Text(ArrayOfString *out)
{
    if (!out->body[0])
        return "<null>";
    WCHAR units[1024];
    char text[2048];
    int length = StandinStringUnits((HString)out->body[0], units, ARRAY_SIZE(units));
    int bytes = WideCharToMultiByte(CP_ACP, 0, units, length, text, sizeof(text), NULL, NULL);
    return std::string(text, bytes > 0 ? bytes : 0);
}

static std::vector<std::string> Texts(ArrayOfArray *out)
{
    std::vector<std::string> texts;
    ArrayOfString *list = (ArrayOfString *)out->body[0];
    for (int i = 0; list && i < list->length; i++) {
        ArrayOfString one = {NULL, 1, {list->body[i]}};
        texts.push_back(Text(&one));
    }
    return texts;
}

static std::string TimeText(const FILETIME &utc)
{
    FILETIME local;
    SYSTEMTIME parts;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &parts))
        return "<no time>";
    char text[64];
    snprintf(text, sizeof(text), "%u.%u.%u.%u.%u.%u", parts.wYear, parts.wMonth, parts.wDay,
             parts.wHour, parts.wMinute, parts.wSecond);
    return text;
}

/* The system's text for code, in the form the error record gives it. */
static std::string SystemText(DWORD code)
{
    char text[512] = "";
    GetSystemErrorText(&code, text, sizeof(text));
    return text;
}

static StandinException TakeException()
{
    StandinException exception = {};
    EXPECT_TRUE(StandinTakeException(&exception)) << "no exception is pending";
    return exception;
}

static bool NoException()
{
    StandinException exception;
    return !StandinTakeException(&exception);
}

static std::string Message(const StandinException &exception)
{
    ArrayOfString one = {NULL, 1, {exception.arguments[1]}};
    return Text(&one);
}

/* The exception's message arguments as texts; empty for a null array. */
static std::vector<std::string> Arguments(const StandinException &exception)
{
    ArrayOfArray holder = {NULL, 1, {exception.arguments[2]}};
    return Texts(&holder);
}

/* The fifteen parameters of Win32GetFileInfo after the two path texts. */
struct FileInfoCall {
    ArrayOfString *fullPath = StandinObjectArray("java/lang/String", 1);
    ArrayOfString *shortPath = StandinObjectArray("java/lang/String", 1);
    ArrayOfString *reserved = StandinObjectArray("java/lang/String", 1);
    ArrayOfString *typeName = StandinObjectArray("java/lang/String", 1);
    ArrayOfLong *size = StandinLongArray(1);
    ArrayOfInt *links = StandinIntArray(1);
    ArrayOfString *created = StandinObjectArray("java/lang/String", 1);
    ArrayOfLong *createdSeconds = StandinLongArray(1);
    ArrayOfString *accessed = StandinObjectArray("java/lang/String", 1);
    ArrayOfLong *accessedSeconds = StandinLongArray(1);
    ArrayOfString *written = StandinObjectArray("java/lang/String", 1);
    ArrayOfLong *writtenSeconds = StandinLongArray(1);
    ArrayOfArray *attributes = StandinObjectArray("[Ljava/lang/String;", 1);
    FileInfoCall()
    {
        reserved->body[0] = Java("untouched");
        size->body[0] = links->body[0] = -7;
        createdSeconds->body[0] = accessedSeconds->body[0] = writtenSeconds->body[0] = -7;
    }
};

class FileExports : public ::testing::Test {
protected:
    TempDir dir;
    void SetUp() override { ASSERT_TRUE(LibraryUnderTest() != NULL) << GetLastError(); }
    int GetFileInfo(const std::string &directory, const std::string &name, FileInfoCall &c,
                    bool withType = true)
    {
        return EXPORT(Win32GetFileInfo)(NULL, Java(directory), Java(name), c.fullPath, c.shortPath,
                                        c.reserved, withType ? c.typeName : NULL, c.size, c.links,
                                        c.created, c.createdSeconds, c.accessed, c.accessedSeconds,
                                        c.written, c.writtenSeconds, c.attributes);
    }
};

/* Every value of one file or directory against Windows' own answers. */
static void ExpectFileAgreesWithWindows(const FileInfoCall &c, const std::string &path,
                                        bool isDirectory)
{
    HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, handle);
    BY_HANDLE_FILE_INFORMATION info;
    ASSERT_TRUE(GetFileInformationByHandle(handle, &info));
    CloseHandle(handle);

    char full[MAX_PATH];
    GetFullPathNameA(path.c_str(), ARRAY_SIZE(full), full, NULL);
    std::string expectedFull = full;
    if (isDirectory && expectedFull.back() != '\\')
        expectedFull += '\\';
    EXPECT_EQ(expectedFull, Text(c.fullPath));
    char shortPath[MAX_PATH];
    DWORD shortLength = GetShortPathNameA(expectedFull.c_str(), shortPath, ARRAY_SIZE(shortPath));
    EXPECT_EQ(shortLength > 0 && shortLength < 68 ? shortPath : "", Text(c.shortPath));
    EXPECT_EQ("untouched", Text(c.reserved));
    EXPECT_EQ((int64_t)(((uint64_t)info.nFileSizeHigh << 32) | info.nFileSizeLow), c.size->body[0]);
    EXPECT_EQ((int32_t)info.nNumberOfLinks, c.links->body[0]);

    EXPECT_EQ(TimeText(info.ftCreationTime), Text(c.created));
    EXPECT_EQ(TimeText(info.ftLastAccessTime), Text(c.accessed));
    EXPECT_EQ(TimeText(info.ftLastWriteTime), Text(c.written));
    struct __stat64 times;
    ASSERT_EQ(0, _stat64(path.c_str(), &times));
    EXPECT_EQ(times.st_ctime, c.createdSeconds->body[0]);
    EXPECT_EQ(times.st_atime, c.accessedSeconds->body[0]);
    EXPECT_EQ(times.st_mtime, c.writtenSeconds->body[0]);

    static const struct {
        DWORD bit;
        const char *text;
    } order[] = {{0x10, "directory"},
                 {0x01, "read-only"},
                 {0x20, "archive"},
                 {0x02, "hidden"},
                 {0x04, "system"},
                 {0x800, "compressed"},
                 {0x40, "encrypted"},
                 {0x80, "no attributes set"},
                 {0x1000, "moved to offline storage"},
                 {0x400, "reparse point"},
                 {0x200, "sparse file"},
                 {0x100, "temporary storage"}};
    std::vector<std::string> expected;
    for (const auto &entry : order)
        if (info.dwFileAttributes & entry.bit)
            expected.push_back(entry.text);
    EXPECT_EQ(expected, Texts(c.attributes));
}

TEST_F(FileExports, LocalTimeIsNotUtcHere)
{
    TIME_ZONE_INFORMATION zone;
    GetTimeZoneInformation(&zone);
    EXPECT_NE(0, zone.Bias) << "the test needs a time zone other than UTC (TZ)";
}

TEST_F(FileExports, FilesAndDirectoriesAgreeWithWindows)
{
    ASSERT_TRUE(WriteTextFile(dir / "plain.txt", "twelve bytes"));
    ASSERT_TRUE(WriteTextFile(dir / "locked.txt", "r"));
    ASSERT_TRUE(WriteTextFile(dir / "secret.txt", "h"));
    SetFileAttributesA((dir / "locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((dir / "secret.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(CreateDirectoryA((dir / "sub").c_str(), NULL));

    struct {
        std::string directory, name, path;
        bool isDirectory;
        const char *first;
    } cases[] = {
        {dir.path, "plain.txt", dir / "plain.txt", false, NULL},
        {dir.path + "\\", "plain.txt", dir / "plain.txt", false, NULL},
        {dir.path + "/", "plain.txt", dir / "plain.txt", false, NULL},
        {dir.path, "locked.txt", dir / "locked.txt", false, "read-only"},
        {dir.path, "secret.txt", dir / "secret.txt", false, NULL},
        {dir.path, "sub", dir / "sub", true, "directory"},
        {dir.path, "sub\\", dir / "sub", true, "directory"},
    };
    for (auto &one : cases) {
        SCOPED_TRACE(one.directory + " + " + one.name);
        FileInfoCall c;
        ASSERT_EQ(0, GetFileInfo(one.directory, one.name, c));
        EXPECT_TRUE(NoException());
        ExpectFileAgreesWithWindows(c, one.path, one.isDirectory);
        if (one.first) {
            EXPECT_EQ(one.first, Texts(c.attributes).at(0));
        }
        SHFILEINFOA shell = {};
        SHGetFileInfoA(one.path.c_str(), 0, &shell, sizeof(shell), SHGFI_TYPENAME);
        EXPECT_EQ(shell.szTypeName, Text(c.typeName));
    }
    SetFileAttributesA((dir / "locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileExports, SparseFileOverFourGigabytes)
{
    std::string path = dir / "big.bin";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD returned;
    DeviceIoControl(file, FSCTL_SET_SPARSE, NULL, 0, NULL, 0, &returned, NULL);
    LARGE_INTEGER end;
    end.QuadPart = 5368709120LL;
    ASSERT_TRUE(SetFilePointerEx(file, end, NULL, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);

    FileInfoCall c;
    ASSERT_EQ(0, GetFileInfo(dir.path, "big.bin", c));
    EXPECT_EQ(5368709120LL, c.size->body[0]);
    ExpectFileAgreesWithWindows(c, path, false);

    uint32_t high = 0, low = 0;
    ASSERT_EQ(0, QueryFileInfo(path.c_str(), NULL, NULL, NULL, &high, &low, NULL, NULL, NULL, NULL,
                               NULL, NULL, NULL, NULL, NULL));
    EXPECT_EQ(1u, high);
    EXPECT_EQ(1073741824u, low);
}

TEST_F(FileExports, DeepPathHasNoShortFormButWorks)
{
    std::string deep = dir.path;
    while (deep.size() <= 120) {
        deep += "\\abcdefghijk";
        ASSERT_TRUE(CreateDirectoryA(deep.c_str(), NULL));
    }
    ASSERT_TRUE(WriteTextFile(deep + "\\leaf.txt", "x"));
    FileInfoCall c;
    ASSERT_EQ(0, GetFileInfo(deep, "leaf.txt", c));
    EXPECT_EQ("", Text(c.shortPath));
    ExpectFileAgreesWithWindows(c, deep + "\\leaf.txt", false);
}

TEST_F(FileExports, EmptyPathsDescribeTheRootAndTheCurrentDirectory)
{
    char current[MAX_PATH];
    GetCurrentDirectoryA(ARRAY_SIZE(current), current);
    FileInfoCall c;
    ASSERT_EQ(0, GetFileInfo("", "", c, false));
    EXPECT_EQ(std::string(current, 2) + "\\", Text(c.fullPath));
    EXPECT_EQ("<null>", Text(c.typeName));

    std::string expected = std::string(current) + "\\";
    for (const char *path : {(const char *)NULL, ""}) {
        char *full = NULL;
        ASSERT_EQ(0, QueryFileInfo(path, &full, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL,
                                   NULL, NULL, NULL, NULL, NULL));
        EXPECT_EQ(expected, full);
        free(full);
    }
}

TEST_F(FileExports, NullOutParametersAreSkipped)
{
    ASSERT_TRUE(WriteTextFile(dir / "a.txt", "a"));
    ArrayOfLong *size = StandinLongArray(1);
    ArrayOfInt *links = StandinIntArray(1);
    ArrayOfLong *seconds[3] = {StandinLongArray(1), StandinLongArray(1), StandinLongArray(1)};
    ASSERT_EQ(0, EXPORT(Win32GetFileInfo)(NULL, Java(dir.path), Java("a.txt"), NULL, NULL, NULL,
                                          NULL, size, links, NULL, seconds[0], NULL, seconds[1],
                                          NULL, seconds[2], NULL));
    EXPECT_EQ(1, size->body[0]);
    EXPECT_EQ(1, links->body[0]);
    EXPECT_TRUE(NoException());
}

TEST_F(FileExports, MissingFileRaisesTheSystemTextAndKeepsTheOutputs)
{
    FileInfoCall c;
    c.fullPath->body[0] = Java("before");
    EXPECT_EQ(4, GetFileInfo(dir.path, "missing.txt", c));
    StandinException exception = TakeException();
    EXPECT_STREQ("com/zorv/ZORVException", exception.className);
    EXPECT_EQ(SystemText(ERROR_FILE_NOT_FOUND), Message(exception));
    EXPECT_EQ("before", Text(c.fullPath));
    EXPECT_EQ("untouched", Text(c.reserved));
    EXPECT_EQ(-7, c.size->body[0]);
}

/* Wine's shell parses no "." component, which the file system opens: a
 * type name the shell cannot give, refused after every other output. */
TEST_F(FileExports, TypeNameTheShellCannotGiveFailsLast)
{
    ASSERT_TRUE(WriteTextFile(dir / "plain.txt", "twelve bytes"));
    std::string directory = dir.path + "\\.";
    std::string joined = directory + "\\plain.txt";
    SHFILEINFOA shell = {};
    if (SHGetFileInfoA(joined.c_str(), 0, &shell, sizeof(shell), SHGFI_TYPENAME) != 0)
        GTEST_SKIP() << "this shell gives the type name " << shell.szTypeName;
    FileInfoCall c;
    c.typeName->body[0] = Java("before");
    EXPECT_EQ(32, GetFileInfo(directory, "plain.txt", c));
    StandinException exception = TakeException();
    EXPECT_EQ("Cannot retrieve file type for the %s.", Message(exception));
    EXPECT_EQ(std::vector<std::string>{joined}, Arguments(exception));
    EXPECT_EQ("before", Text(c.typeName));
    ExpectFileAgreesWithWindows(c, dir / "plain.txt", false);
}

/* A Java thread may have joined the multithreaded apartment, where the
 * type name's CoInitialize fails: the caller's COM must stay set up. */
struct ApartmentCall {
    HRESULT joined, after;
    int status;
};

TEST_F(FileExports, TypeNameLeavesTheCallersApartmentSetUp)
{
    ASSERT_TRUE(WriteTextFile(dir / "a.txt", "a"));
    FileInfoCall c;
    ApartmentCall call = {E_FAIL, E_FAIL, -1};
    ThreadCall thread;
    StartThreadCall(&thread, [&] {
        call.joined = CoInitializeEx(NULL, COINIT_MULTITHREADED);
        call.status = GetFileInfo(dir.path, "a.txt", c);
        /* Still in the apartment: joining again only counts once more. */
        call.after = CoInitializeEx(NULL, COINIT_MULTITHREADED);
        for (HRESULT result : {call.joined, call.after})
            if (SUCCEEDED(result))
                CoUninitialize();
        return 0;
    });
    FinishThreadCall(&thread, 10000);
    EXPECT_EQ(S_OK, call.joined);
    EXPECT_EQ(0, call.status);
    EXPECT_EQ(S_FALSE, call.after);
}

TEST_F(FileExports, JoinedPathsOverTheLimitAreRefusedUncut)
{
    /* The temporary directory plus a name of its own length: exactly 258. */
    std::string base = dir.path + "\\";
    std::string name258(258 - base.size(), 'n');
    HANDLE file = CreateFileA((base + name258).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0,
                              NULL);
    if (file != INVALID_HANDLE_VALUE) { /* the file system may refuse so long a name */
        CloseHandle(file);
        FileInfoCall c;
        EXPECT_EQ(0, GetFileInfo(dir.path, name258, c, false));
        EXPECT_EQ(base + name258, Text(c.fullPath));
    }

    struct {
        std::string directory, name, shown;
    } cases[] = {
        {dir.path, name258 + "x", base + name258 + "x"},
        {dir.path + "\\", name258 + "x", base + name258 + "x"},
        {std::string(259, 'd'), "", std::string(259, 'd') + "\\"},
        {"C:", std::string(300, 'n'), "C:\\" + std::string(300, 'n')},
    };
    for (auto &one : cases) {
        FileInfoCall c;
        EXPECT_EQ(32, GetFileInfo(one.directory, one.name, c));
        StandinException exception = TakeException();
        EXPECT_EQ("The path name %s is too long. The maximal length is %s characters.",
                  Message(exception));
        EXPECT_EQ((std::vector<std::string>{one.shown, "258"}), Arguments(exception));
        EXPECT_EQ("<null>", Text(c.fullPath));
        EXPECT_EQ(-7, c.size->body[0]);
    }

    ArrayOfString *name = StandinObjectArray("java/lang/String", 1);
    ArrayOfInt *component = StandinIntArray(1);
    component->body[0] = -7;
    EXPECT_EQ(32, EXPORT(Win32GetFileSystemInfo)(NULL, Java(dir.path), Java(name258 + "x"), name,
                                                 NULL, component));
    TakeException();
    EXPECT_EQ(-7, component->body[0]);
}

TEST_F(FileExports, FileSystemAgreesWithWindows)
{
    ArrayOfString *name = StandinObjectArray("java/lang/String", 1);
    ArrayOfArray *flags = StandinObjectArray("[Ljava/lang/String;", 1);
    ArrayOfInt *component = StandinIntArray(1);
    ASSERT_EQ(0, EXPORT(Win32GetFileSystemInfo)(NULL, Java(dir.path), Java(""), name, flags,
                                                component));
    std::string root = dir.path.substr(0, 3);
    char fileSystem[MAX_PATH];
    DWORD maxComponent = 0, systemFlags = 0;
    ASSERT_TRUE(GetVolumeInformationA(root.c_str(), NULL, 0, NULL, &maxComponent, &systemFlags,
                                      fileSystem, ARRAY_SIZE(fileSystem)));
    EXPECT_EQ(fileSystem, Text(name));
    EXPECT_EQ((int32_t)maxComponent, component->body[0]);
    static const struct {
        DWORD bit;
        const char *start;
    } order[] = {{0x2, "The file system preserves the case"},
                 {0x1, "The file system supports case-"},
                 {0x4, "The file system supports Unicode"},
                 {0x8, "The file system preserves and"},
                 {0x10, "The file system supports file-based"},
                 {0x8000, "The specified volume"},
                 {0x20000, "The file system supports the Encrypted"},
                 {0x10000, "The file system supports object"},
                 {0x80, "The file system supports sparse"},
                 {0x40, "The file system supports reparse"},
                 {0x20, "The file system supports disk"}};
    std::vector<std::string> texts = Texts(flags);
    size_t next = 0;
    for (const auto &entry : order) {
        if (!(systemFlags & entry.bit))
            continue;
        ASSERT_LT(next, texts.size());
        EXPECT_EQ(0u, texts[next++].find(entry.start)) << std::hex << entry.bit;
    }
    EXPECT_EQ(next, texts.size());
}

TEST_F(FileExports, StorageAgreesWithWindows)
{
    ArrayOfString *label = StandinObjectArray("java/lang/String", 1);
    ArrayOfString *serial = StandinObjectArray("java/lang/String", 1);
    ArrayOfString *type = StandinObjectArray("java/lang/String", 1);
    ArrayOfInt *known = StandinIntArray(1);
    ArrayOfLong *bytes[3] = {StandinLongArray(1), StandinLongArray(1), StandinLongArray(1)};
    ASSERT_EQ(0, EXPORT(Win32GetStorageInfo)(NULL, Java(dir.path), Java(""), label, serial, type,
                                             known, bytes[0], bytes[1], bytes[2]));
    std::string root = dir.path.substr(0, 3);
    char volume[MAX_PATH];
    DWORD number = 0;
    ASSERT_TRUE(GetVolumeInformationA(root.c_str(), volume, ARRAY_SIZE(volume), &number, NULL, NULL,
                                      NULL, 0));
    EXPECT_EQ(volume, Text(label));
    EXPECT_EQ(std::to_string((int32_t)number), Text(serial));
    static const char *const types[] = {"Unknown",   "Win32Path does not exist",
                                        "Removable", "Fixed",
                                        "Remote",    "CD-ROM",
                                        "RAM Disk"};
    EXPECT_EQ(types[GetDriveTypeA(root.c_str())], Text(type));
    EXPECT_EQ(1, known->body[0]);
    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free));
    EXPECT_EQ(bytes[0]->body[0], bytes[2]->body[0]);
    /* Other programs write while the test runs, and cluster counts round. */
    const double slack = 256.0 * 1024 * 1024;
    EXPECT_NEAR((double)free.QuadPart, (double)bytes[0]->body[0], slack);
    EXPECT_NEAR((double)total.QuadPart, (double)bytes[1]->body[0], slack);
}

TEST_F(FileExports, CreatesEmptyFiles)
{
    auto create = EXPORT(NICreateEmptyFile);
    std::string path = dir / "empty.txt";
    EXPECT_EQ(0, create(NULL, Java(path), 0));
    EXPECT_EQ(0u, GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(WriteTextFile(path, "keep"));
    EXPECT_EQ(1, create(NULL, Java(path), 0));
    EXPECT_EQ(1, create(NULL, Java(path), 2));
    struct _stat info;
    ASSERT_EQ(0, _stat(path.c_str(), &info));
    EXPECT_EQ(4, info.st_size);
    EXPECT_EQ(0, create(NULL, Java(path), 1));
    ASSERT_EQ(0, _stat(path.c_str(), &info));
    EXPECT_EQ(0, info.st_size);
    EXPECT_EQ(1, create(NULL, Java(""), 1));
    EXPECT_EQ(1, create(NULL, Java(dir / "none\\x.txt"), 0));
    EXPECT_TRUE(NoException());
}

struct TempCase {
    const char *tmp; /* "dir", "missing", "file", "long", "long260", "deep" or null (absent) */
    const char *temp;
    const char *result; /* which value comes back, or null for a failure */
    const char *message;
};

static const char BOTH_BAD[] = "Environment variables TMP and TEMP point to directories that are "
                               "not accessible or do not exist and cannot be created. Failure "
                               "to get OS temporary directory";
static const char TMP_ABSENT[] = "Environment variable TMP is not defined and TEMP points to "
                                 "directory that is not accessible or do not exist and cannot "
                                 "be created. Failure to get OS temporary directory";
static const char TEMP_ABSENT[] = "Environment variable TEMP is not defined and TMP points to "
                                  "directory that is not accessible or do not exist and cannot "
                                  "be created. Failure to get OS temporary directory";
static const char NONE[] = "Environment variables TMP and TEMP are not defined. Failure to get "
                           "OS temporary directory";

static std::set<std::string> EntryNames(const std::string &directory)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((directory + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        names.insert(entry.cFileName);
    while (FindNextFileA(find, &entry));
    FindClose(find);
    return names;
}

TEST_F(FileExports, TemporaryDirectoryDecisionTable)
{
    static const TempCase cases[] = {
        {"dir", "dir2", "tmp", NULL},
        {NULL, "dir", "temp", NULL},
        {"", "dir", "temp", NULL},
        {"missing", "dir", "temp", NULL},
        {"missing", NULL, "tmp", NULL},
        {"deep", "missing", "temp", NULL},
        {"file", NULL, NULL, TEMP_ABSENT},
        {NULL, "file", NULL, TMP_ABSENT},
        {"deep", "file", NULL, BOTH_BAD},
        {"long", "long", NULL, BOTH_BAD},
        {"long", NULL, NULL, TEMP_ABSENT},
        {"long260", NULL, NULL, TEMP_ABSENT},
        {"long", "missing", "temp", NULL},
        {NULL, NULL, NULL, NONE},
        {"", "", NULL, NONE},
    };
    auto tempDir = EXPORT(NIGetOSTempDir);
    int round = 0;
    for (const TempCase &c : cases) {
        std::string base = dir / ("r" + std::to_string(round++));
        ASSERT_TRUE(CreateDirectoryA(base.c_str(), NULL));
        ASSERT_TRUE(CreateDirectoryA((base + "\\dir").c_str(), NULL));
        ASSERT_TRUE(CreateDirectoryA((base + "\\dir2").c_str(), NULL));
        ASSERT_TRUE(WriteTextFile(base + "\\file", "f"));
        auto value = [&](const char *kind, const char *which) -> std::string {
            std::string k = kind;
            if (k.empty())
                return "";
            if (k == "long")
                return base + "\\" + std::string(300, 'l');
            if (k == "long260")
                return base + "\\" + std::string(259 - base.size(), 'l');
            if (k == "deep")
                return base + "\\no\\" + which;
            if (k == "missing")
                return base + "\\" + which;
            return base + "\\" + k;
        };
        std::string tmp = c.tmp ? value(c.tmp, "tmpdir") : "";
        std::string temp = c.temp ? value(c.temp, "tempdir") : "";
        ScopedEnvironment tmpVariable("TMP", c.tmp ? tmp.c_str() : NULL);
        ScopedEnvironment tempVariable("TEMP", c.temp ? temp.c_str() : NULL);
        SCOPED_TRACE(std::string(c.tmp ? c.tmp : "-") + " / " + (c.temp ? c.temp : "-"));

        ArrayOfString *out = StandinObjectArray("java/lang/String", 1);
        int status = tempDir(NULL, out);
        if (c.result) {
            EXPECT_EQ(0, status);
            std::string expected = std::string(c.result) == "tmp" ? tmp : temp;
            EXPECT_EQ(expected, Text(out));
            EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(expected.c_str()));
            EXPECT_TRUE(NoException());
        } else {
            EXPECT_EQ(32, status);
            EXPECT_EQ(c.message, Message(TakeException()));
            EXPECT_EQ("<null>", Text(out));
        }
        /* Nothing is created but the one level of the value returned: no
         * parent of a deep value, no cut form of a long one. */
        std::set<std::string> expected = {".", "..", "dir", "dir2", "file"};
        if (Text(out).compare(0, base.size() + 1, base + "\\") == 0)
            expected.insert(Text(out).substr(base.size() + 1));
        EXPECT_EQ(expected, EntryNames(base));
    }
    SetLastError(0xdeadbeef);
    EXPECT_EQ(4, GetOsTempDirectory(NULL));
    EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
}
