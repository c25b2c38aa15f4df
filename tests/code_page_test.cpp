/*
 * Names on their way into the ANSI code page, through the real Vantrelc.exe
 * and the real zorvrni.dll exports, under the code page the test starts in:
 * 1252, and once more 932 for a double-byte one.  A look-alike of a
 * separator, a quote, a dash or a colon, and a letter the code page lacks,
 * are refused wherever a text names something, before anything is done;
 * texts only shown to a person keep today's look-alikes; texts the code
 * page holds arrive unchanged.
 */
#include <gtest/gtest.h>

#include <functional>
#include <stdlib.h>
#include <string>
#include <vector>

#include "boundary.h"
#include "code_page.h"
#include "dialog_exports.h"
#include "export_table.h"
#include "file_exports.h"
#include "gui.h"
#include "java_text.h"
#include "launcher_run.h"
#include "library.h"
#include "mapi_mail.h"
#include "msjava_standin.h"
#include "registry.h"

/* Characters the plain conversion turns into something else here, and a
 * text of characters it holds (a trail byte 0x5C among them under 932). */
struct CodePageTexts {
    std::vector<std::wstring> lookAlikes;
    std::wstring held;
};

static const CodePageTexts *TextsOfThisCodePage()
{
    /* U+FF3C \, U+FF0F /, U+FF02 ", U+FF0D -, U+FF1A :, then letters
     * that become A, ? and O. */
    static const CodePageTexts western = {{L"\uFF3C", L"\uFF0F", L"\uFF02", L"\uFF0D", L"\uFF1A",
                                           L"\u0100", L"\u0416", L"\u03A9"},
                                          L"\u00e9\u00fc\u20ac"};
    /* 932 writes the fullwidth forms exactly; its look-alikes are U+00A5
     * for \, U+00AD for -, U+00A6 for |, and letters it lacks. */
    static const CodePageTexts japanese = {{L"\u00A5", L"\u00AD", L"\u00A6", L"\u00C0", L"\u0100"},
                                           L"\u8868\u30bd\uFF3C\uFF02"};
    switch (GetACP()) {
    case 1252: return &western;
    case 932: return &japanese;
    default: return NULL;
    }
}

/* The refusal pending for the Java caller: message and arguments. */
static std::vector<std::string> TakeRefusal()
{
    StandinException exception = {};
    std::vector<std::string> refusal;
    if (!StandinTakeException(&exception))
        return refusal;
    refusal.push_back(exception.className);
    refusal.push_back(TextOf(exception.arguments[1]));
    const ArrayOfString *arguments = (const ArrayOfString *)exception.arguments[2];
    for (int i = 0; arguments && i < arguments->length; i++)
        refusal.push_back(TextOf(arguments->body[i]));
    return refusal;
}

/* How an export answers a name it refuses: one that answers by its code
 * alone with its failure code; the others raise the refusal and answer
 * with STATUS_APP_ERROR, 0 or null. */
static int32_t RefusedAnswer(const ExportEntry &entry)
{
    if (entry.reporting == BY_CODE)
        return entry.codes[0];
    return entry.reporting == BY_STATUS ? STATUS_APP_ERROR : 0;
}

/* A result as an int: a String or an array counts as 1. */
static int32_t AnswerOf(const ExportEntry &entry, intptr_t result)
{
    bool object = entry.reporting == BY_STRING || entry.reporting == BY_STRINGS;
    return object ? result != 0 : (int32_t)result;
}

/* A String of every unit of text, a NUL among them too. */
static HString Java(const std::wstring &text)
{
    return makeJavaStringW(text.data(), (int)text.size());
}

static ArrayOfString *Strings(const std::vector<std::wstring> &texts)
{
    ArrayOfString *array = StandinObjectArray("java/lang/String", (int)texts.size());
    for (size_t i = 0; i < texts.size(); i++)
        array->body[i] = Java(texts[i]);
    return array;
}

/* Hands name to the parameter at of the export's valid call, as the whole
 * path in directory where the parameter's valid text lies in a directory,
 * else alone, and expects it refused, shown as shown. */
static void ExpectRefusal(const char *method, size_t at, const std::string &directory,
                          const std::wstring &name, const std::string &shown)
{
    const ExportEntry &entry = *FindExport(method);
    const Parameter &parameter = entry.parameters[at];
    bool asPath = parameter.text[0] == '$';
    std::wstring text = asPath ? WideText(directory) + L"\\" + name : name;
    HObject argument = parameter.type == TEXT_LIST ? (HObject)Strings({text}) : Java(text);
    std::vector<std::string> refusal = {"com/zorv/ZORVException", NOT_IN_CODE_PAGE,
                                        (asPath ? directory + "\\" : "") + shown};
    std::string label = std::string(method) + " argument " + std::to_string(at + 1) + " " + shown;
    intptr_t result = CallValid(method, directory, {{at, argument}});
    EXPECT_EQ(RefusedAnswer(entry), AnswerOf(entry, result)) << label;
    EXPECT_EQ(entry.reporting == BY_CODE ? std::vector<std::string>() : refusal, TakeRefusal())
        << label;
}

/* Makes the directory path when the bench's file system can name it: one
 * without the locale's own files for 932 (no ja_JP.UTF-8 of the host)
 * can name nothing outside ASCII.  Where it cannot, the texts still go
 * through as arguments and mail, only not as files. */
static bool MakeDirectoryIfNameable(const std::wstring &path)
{
    return CreateDirectoryW(path.c_str(), NULL) != 0;
}

/* Every file below path with its content, to show that nothing changed. */
static std::string TreeContent(const std::string &path)
{
    std::string content;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return content;
    do {
        std::string name = entry.cFileName;
        std::string child = path + "\\" + name;
        if (name == "." || name == "..")
            continue;
        content += child + (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY
                                ? "\\\n" + TreeContent(child)
                                : "=" + FileContent(child) + "\n");
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return content;
}

class CodePage : public ::testing::Test {
protected:
    const CodePageTexts *texts = TextsOfThisCodePage();
    TempDir dir;
    std::wstring wideDir = WideText(dir.path);
    std::string recordPath = dir / "record.bin";
    ScopedEnvironment record{"ZORV_RECORD", recordPath.c_str()};
    std::string mailPath = dir / "mail.txt";
    ScopedEnvironment mailRecord{"ZORV_MAPI_RECORD", mailPath.c_str()};
    ScopedRegistryValue mapiValue{HKEY_LOCAL_MACHINE, MAPI_SUBSYSTEM_KEY, "MAPI"};

    void SetUp() override
    {
        if (const char *expected = getenv("ZORV_EXPECT_CODE_PAGE")) {
            ASSERT_EQ(strtoul(expected, NULL, 10), GetACP());
        }
        if (!texts)
            GTEST_SKIP() << "runs under code pages 1252 and 932";
        ASSERT_TRUE(mapiValue.Set(REG_SZ, "1", 2));
        ASSERT_TRUE(LibraryUnderTest() != NULL);
    }
    /* The name with c between two letters. */
    static std::wstring NameWith(const std::wstring &c) { return L"x" + c + L"y.txt"; }
};

TEST_F(CodePage, LauncherRefusesAnArgumentItCannotWriteAndStartsNothing)
{
    std::string recorder = TestFilePath("recorder.exe");
    std::wstring ea = L"-ea \"" + WideText(recorder) + L"\" ";
    /* Each look-alike in another place: a value for the program (where a
     * look-alike quote once ended the value and began a switch), a path,
     * a directory, a registry key, a switch itself. */
    std::vector<std::function<std::wstring(const std::wstring &)>> places = {
        [&](const std::wstring &c) { return ea + L"-1 \"a" + c + L" -evil b\" -w"; },
        [&](const std::wstring &c) { return L"-w -ea \"" + wideDir + L"\\x" + c + L"y.exe\""; },
        [&](const std::wstring &c) { return L"-d \"" + wideDir + L"\\x" + c + L"y\" -er r.exe"; },
        [&](const std::wstring &c) { return L"-drk 2 -drs \"S\\x" + c + L"y\" -drss p -er r"; },
        [&](const std::wstring &c) { return ea + c + L"w"; },
    };
    std::vector<std::string> shown = {"a? -evil b", dir.path + "\\x?y.exe", dir.path + "\\x?y",
                                      "S\\x?y", "?w"};
    for (size_t i = 0; i < texts->lookAlikes.size(); i++) {
        const std::wstring &c = texts->lookAlikes[i];
        ASSERT_NE(WideText(AnsiText(c)), c) << "not a look-alike here: " << AnsiText(c);
        size_t place = i % places.size();
        LauncherResult run = RunLauncher(places[place](c));
        EXPECT_EQ(LauncherMessage("The argument " + shown[place] +
                                  " cannot be written in this system's code page."),
                  run.box.text);
        EXPECT_EQ(1u, run.exitCode);
    }
    LauncherResult quiet = RunLauncher(L"-q " + places[0](texts->lookAlikes[0]));
    EXPECT_FALSE(quiet.box.found) << quiet.box.text;
    EXPECT_EQ(1u, quiet.exitCode);
    EXPECT_FALSE(WaitForRecording(recordPath, 300).present) << "nothing was started";
}

TEST_F(CodePage, LauncherPassesTextsTheCodePageHoldsUnchanged)
{
    std::wstring held = texts->held;
    std::wstring folder = wideDir + L"\\" + held;
    if (!MakeDirectoryIfNameable(folder))
        folder = wideDir;
    ASSERT_TRUE(CopyFileW(WideText(TestFilePath("recorder.exe")).c_str(),
                          (folder + L"\\r.exe").c_str(), FALSE));
    LauncherResult run = RunLauncher(L"-d \"" + folder + L"\" -er r.exe -1 " + held + L" -2 \"" +
                                     held + L" " + held + L"\" -w");
    EXPECT_FALSE(run.box.found) << run.box.text;
    Recording started = ReadRecording(recordPath);
    ASSERT_TRUE(started.present);
    EXPECT_EQ(std::vector<std::string>(
                  {AnsiText(folder + L"\\r.exe"), AnsiText(held), AnsiText(held + L" " + held)}),
              started.arguments);
}

TEST_F(CodePage, ExportsRefuseANameTheyCannotWriteBeforeDoingAnything)
{
    /* The files a look-alike path would name, where Windows can make
     * them: nothing may create, empty or remove any of them. */
    for (const std::wstring &c : texts->lookAlikes)
        WriteTextFile(dir / AnsiText(NameWith(c)), "keep");
    CreateDirectoryA((dir / "x").c_str(), NULL);
    WriteTextFile(dir / "x\\y.txt", "keep");
    std::string before = TreeContent(dir.path);

    /* Each text that names something: the export and the position of the
     * parameter it goes in. */
    const std::pair<const char *, size_t> namingTexts[] = {
        {"NICreateEmptyFile", 0},      {"Win32GetFileInfo", 1},      {"Win32GetFileSystemInfo", 0},
        {"Win32GetStorageInfo", 1},    {"NIWin32ShellExecuteEx", 0}, {"NIWin32ShellExecuteEx", 1},
        {"NIWinShOpenContextMenu", 0}, {"NIWinShOpenSendToMenu", 1}, {"NIChooseFile", 0},
        {"NIChooseFiles", 2},          {"NIChooseDir", 0},           {"NIWin32MAPISendMail", 3},
        {"NIWin32MAPISendMail", 10},   {"NIWin32MAPISendMail", 11},
    };
    /* Each name and how its refusal shows it; last a name with a NUL, which
     * every system call would read cut at it, as the file x\y.txt. */
    std::vector<std::pair<std::wstring, std::string>> refused;
    for (const std::wstring &c : texts->lookAlikes)
        refused.push_back({NameWith(c), "x?y.txt"});
    refused.push_back({std::wstring(L"x\\y.txt\0.bak", 12), "x\\y.txt?.bak"});
    for (const auto &[name, shown] : refused)
        for (const auto &[method, at] : namingTexts)
            ExpectRefusal(method, at, dir.path, name, shown);
    EXPECT_EQ(before, TreeContent(dir.path)) << "the mail client was called or a file changed";
    EXPECT_TRUE(WaitForTopWindow(NULL, NULL, GetCurrentProcessId(), 0) == NULL);
}

TEST_F(CodePage, TextsOnlyShownKeepTheirLookAlikes)
{
    std::wstring all;
    for (const std::wstring &c : texts->lookAlikes)
        all += c;
    std::wstring text = L"a" + all + L"z";
    ASSERT_EQ(0, EXPORT(NIWin32MAPISendMail)(NULL, StandinString(text.c_str()),
                                             StandinString(text.c_str()), 0,
                                             Strings({L"a@example.com"}), 1, Strings({}), 0,
                                             Strings({}), 0, Strings({text}), Strings({wideDir}),
                                             Strings({L"m.txt"}), 1));
    std::string mail = FileContent(mailPath);
    for (const char *field : {"subject=", "noteText=", "file.0.name="})
        EXPECT_NE(std::string::npos, mail.find(field + AnsiText(text) + "\n")) << field << mail;

    BoxWatcher watcher;
    StartBoxWatcher(&watcher, 10000);
    EXPORT(NIMessageBox)(NULL, 0, StandinString(text.c_str()), StandinString(all.c_str()), 0);
    ShownBox box = FinishBoxWatcher(&watcher);
    EXPECT_EQ(AnsiText(text), box.text);
    EXPECT_EQ(AnsiText(all), box.caption);
}

TEST_F(CodePage, ExportsTakeNamesTheCodePageHoldsUnchanged)
{
    std::wstring folder = wideDir + L"\\" + texts->held;
    if (!MakeDirectoryIfNameable(folder))
        folder = wideDir;
    std::wstring name = texts->held + L".txt";
    std::wstring path = folder + L"\\" + name;
    std::wstring fileName = folder == wideDir ? L"m.txt" : name;
    std::wstring filePath = folder + L"\\" + fileName;
    ASSERT_EQ(0, EXPORT(NICreateEmptyFile)(NULL, StandinString(filePath.c_str()), 1));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(filePath.c_str()));
    ArrayOfString *fullPath = StandinObjectArray("java/lang/String", 1);
    ArrayOfLong *longs[4] = {StandinLongArray(1), StandinLongArray(1), StandinLongArray(1),
                             StandinLongArray(1)};
    EXPECT_EQ(0, EXPORT(Win32GetFileInfo)(NULL, StandinString(folder.c_str()),
                                          StandinString(fileName.c_str()), fullPath, NULL, NULL,
                                          NULL, longs[0], StandinIntArray(1), NULL, longs[1], NULL,
                                          longs[2], NULL, longs[3], NULL));
    EXPECT_EQ(AnsiText(filePath), TextOf(fullPath->body[0]));
    std::wstring to = texts->held + L"@example.com";
    ASSERT_EQ(0, EXPORT(NIWin32MAPISendMail)(NULL, StandinString(L"s"), StandinString(L"b"), 0,
                                             Strings({to}), 1, Strings({}), 0, Strings({}), 0,
                                             Strings({}), Strings({folder}), Strings({name}), 1));
    std::string mail = FileContent(mailPath);
    EXPECT_NE(std::string::npos, mail.find("recip.0.name=" + AnsiText(to) + "\n")) << mail;
    EXPECT_NE(std::string::npos, mail.find("file.0.path=" + AnsiText(path) + "\n")) << mail;
}
