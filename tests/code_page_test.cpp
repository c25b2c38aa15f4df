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
#include "context_menu.h"
#include "dialog_exports.h"
#include "file_exports.h"
#include "gui.h"
#include "java_text.h"
#include "launcher_run.h"
#include "library.h"
#include "mapi_mail.h"
#include "msjava_standin.h"
#include "registry.h"
#include "send_to_menu.h"
#include "shell_open.h"

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
    static const CodePageTexts western = {
        {L"\uFF3C", L"\uFF0F", L"\uFF02", L"\uFF0D", L"\uFF1A", L"\u0100", L"\u0416",
         L"\u03A9"},
        L"\u00e9\u00fc\u20ac"};
    /* 932 writes the fullwidth forms exactly; its look-alikes are U+00A5
     * for \, U+00AD for -, U+00A6 for |, and letters it lacks. */
    static const CodePageTexts japanese = {
        {L"\u00A5", L"\u00AD", L"\u00A6", L"\u00C0", L"\u0100"},
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
    LauncherResult run = RunLauncher(L"-d \"" + folder + L"\" -er r.exe -1 " + held +
                                     L" -2 \"" + held + L" " + held + L"\" -w");
    EXPECT_FALSE(run.box.found) << run.box.text;
    Recording started = ReadRecording(recordPath);
    ASSERT_TRUE(started.present);
    EXPECT_EQ(std::vector<std::string>({AnsiText(folder + L"\\r.exe"), AnsiText(held),
                                        AnsiText(held + L" " + held)}),
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

    ArrayOfString *out[4];
    for (ArrayOfString *&text : out)
        text = StandinObjectArray("java/lang/String", 1);
    ArrayOfLong *longs[4];
    for (ArrayOfLong *&number : longs)
        number = StandinLongArray(1);
    ArrayOfInt *number = StandinIntArray(1);
    ArrayOfArray *list = StandinObjectArray("[Ljava/lang/String;", 1);
    HString directory = StandinString(wideDir.c_str());
    HString absent = StandinString((wideDir + L"\\absent.txt").c_str());
    auto mail = EXPORT(NIWin32MAPISendMail);
    /* An address, or an attachment's directory or name. */
    auto send = [&](const std::wstring &to, const std::wstring &in, const std::wstring &name) {
        return mail(NULL, StandinString(L"s"), StandinString(L"b"), 0, Strings({to}), 1,
                    Strings({L"c@example.com"}), 1, Strings({}), 0, Strings({L"t"}),
                    Strings({in}), Strings({name}), 1);
    };
    /* The refusal is raised, except by the exports that answer by their
     * result only (result 1). */
    struct Call {
        const char *name;
        bool asPath;    /* handed the whole path, not the name alone */
        int32_t refused;
        std::function<int32_t(const std::wstring &text)> call;
    };
    const Call calls[] = {
        {"NICreateEmptyFile", true, 1, [&](const std::wstring &t) {
             return EXPORT(NICreateEmptyFile)(NULL, Java(t), 1);
         }},
        {"Win32GetFileInfo", false, STATUS_APP_ERROR, [&](const std::wstring &t) {
             return EXPORT(Win32GetFileInfo)(NULL, directory, Java(t), out[0],
                                             out[1], NULL, out[2], longs[0], number, out[3],
                                             longs[1], NULL, longs[2], NULL, longs[3], list);
         }},
        {"Win32GetFileSystemInfo", true, STATUS_APP_ERROR, [&](const std::wstring &t) {
             return EXPORT(Win32GetFileSystemInfo)(NULL, Java(t),
                                                   StandinString(L""), out[0], list, number);
         }},
        {"Win32GetStorageInfo", false, STATUS_APP_ERROR, [&](const std::wstring &t) {
             return EXPORT(Win32GetStorageInfo)(NULL, directory, Java(t),
                                                out[0], out[1], out[2], number, longs[0],
                                                longs[1], longs[2]);
         }},
        {"NIWin32ShellExecuteEx", true, 0, [&](const std::wstring &t) {
             return EXPORT(NIWin32ShellExecuteEx)(NULL, Java(t),
                                                  StandinString(L""));
         }},
        {"NIWin32ShellExecuteEx verb", false, 0, [&](const std::wstring &t) {
             return EXPORT(NIWin32ShellExecuteEx)(NULL, absent, Java(t));
         }},
        {"NIWinShOpenContextMenu", true, 1, [&](const std::wstring &t) {
             return EXPORT(NIWinShOpenContextMenu)(NULL, Java(t),
                                                   StandinString(L" "));
         }},
        {"NIWinShOpenSendToMenu", false, 1, [&](const std::wstring &t) {
             return EXPORT(NIWinShOpenSendToMenu)(NULL, directory, Java(t));
         }},
        {"NIChooseFile", true, 0, [&](const std::wstring &t) {
             return (int32_t)(EXPORT(NIChooseFile)(NULL, Java(t), NULL, NULL,
                                                   1, 0) != NULL);
         }},
        {"NIChooseFiles pattern", false, 0, [&](const std::wstring &t) {
             return (int32_t)(EXPORT(NIChooseFiles)(NULL, directory, StandinString(L"Texts"),
                                                    Java(t), 1, 1, 0,
                                                    10) != NULL);
         }},
        {"NIChooseDir", true, STATUS_APP_ERROR, [&](const std::wstring &t) {
             return EXPORT(NIChooseDir)(NULL, Java(t), StandinString(L"t"), 0,
                                        out[0], number);
         }},
        {"NIWin32MAPISendMail to", false, STATUS_APP_ERROR,
         [&](const std::wstring &t) { return send(t, wideDir, L"m.txt"); }},
        {"NIWin32MAPISendMail directory", true, STATUS_APP_ERROR,
         [&](const std::wstring &t) { return send(L"a@example.com", t, L"m.txt"); }},
        {"NIWin32MAPISendMail file name", false, STATUS_APP_ERROR,
         [&](const std::wstring &t) { return send(L"a@example.com", wideDir, t); }},
    };
    /* Each name and how its refusal shows it; last a name with a NUL, which
     * every system call would read cut at it, as the file x\y.txt. */
    std::vector<std::pair<std::wstring, std::string>> refused;
    for (const std::wstring &c : texts->lookAlikes)
        refused.push_back({NameWith(c), "x?y.txt"});
    refused.push_back({std::wstring(L"x\\y.txt\0.bak", 12), "x\\y.txt?.bak"});
    for (const auto &[name, shown] : refused) {
        for (const Call &call : calls) {
            std::string label = std::string(call.name) + " " + shown;
            std::vector<std::string> refusal = {"com/zorv/ZORVException", NOT_IN_CODE_PAGE,
                                                (call.asPath ? dir.path + "\\" : "") + shown};
            EXPECT_EQ(call.refused, call.call(call.asPath ? wideDir + L"\\" + name : name))
                << label;
            EXPECT_EQ(call.refused == 1 ? std::vector<std::string>() : refusal, TakeRefusal())
                << label;
        }
    }
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
                                          NULL, longs[0], StandinIntArray(1), NULL, longs[1],
                                          NULL, longs[2], NULL, longs[3], NULL));
    EXPECT_EQ(AnsiText(filePath), TextOf(fullPath->body[0]));
    std::wstring to = texts->held + L"@example.com";
    ASSERT_EQ(0, EXPORT(NIWin32MAPISendMail)(NULL, StandinString(L"s"), StandinString(L"b"), 0,
                                             Strings({to}), 1, Strings({}), 0, Strings({}), 0,
                                             Strings({}), Strings({folder}), Strings({name}),
                                             1));
    std::string mail = FileContent(mailPath);
    EXPECT_NE(std::string::npos, mail.find("recip.0.name=" + AnsiText(to) + "\n")) << mail;
    EXPECT_NE(std::string::npos, mail.find("file.0.path=" + AnsiText(path) + "\n")) << mail;
}
