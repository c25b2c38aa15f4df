/*
 * The dialog exports, called the way the VM calls them (the real
 * zorvrni.dll by path, the stand-in VM for the Java values), with the real
 * dialogs driven as a user would: the open-file dialog gets names typed
 * into its File name field and Open or Cancel pressed, the folder browser
 * OK or Cancel, the message box one of its buttons.  The export blocks its
 * thread, so it runs on a thread of its own while the test drives it.
 */
#include <gtest/gtest.h>

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>
#include <string>
#include <vector>

#include "child.h"
#include "dialog_exports.h"
#include "error_record.h"
#include "gui.h"
#include "java_text.h"
#include "library.h"
#include "msjava_standin.h"

/* Controls of the open-file dialog and the folder browser under Wine. */
enum {
    FILE_NAME_FIELD = 0x47c, /* cmb13 */
    FILE_TYPE_LIST = 0x470,  /* cmb1 */
    BROWSER_TITLE = 0x3742,
    BROWSER_STATUS = 0x3743
};

static const DWORD WAIT_MS = 10000;

static std::vector<std::string> TextsOf(HObject array)
{
    std::vector<std::string> texts;
    ArrayOfString *strings = (ArrayOfString *)array;
    for (int i = 0; strings && i < strings->length; i++)
        texts.push_back(TextOf(strings->body[i]));
    return texts;
}

/* The system's text for code as the error record gives it: line breaks
 * as blanks. */
static std::string SystemText(DWORD code)
{
    char text[512] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, code,
                   LANG_USER_DEFAULT, text, sizeof(text), NULL);
    for (char *c = text; *c; c++)
        if (*c == '\r' || *c == '\n')
            *c = ' ';
    return text;
}

/* What a result variable holds before the call: an object no call
 * returns, so that "not written" and "null" differ. */
static HObject NotReturned()
{
    static HObject sentinel = (HObject)StandinObjectArray("java/lang/String", 0);
    return sentinel;
}

static bool Exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

static std::string ReadText(const std::string &path)
{
    std::string content(64, '\0');
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0,
                              NULL);
    DWORD read = 0;
    if (file != INVALID_HANDLE_VALUE) {
        ReadFile(file, &content[0], (DWORD)content.size(), &read, NULL);
        CloseHandle(file);
    }
    content.resize(read);
    return content;
}

/* What a call left pending on its Java thread. */
struct JavaOutcome {
    bool raised;
    StandinException exception;
    std::string identifier() const { return TextOf(exception.arguments[0]); }
    std::string message() const { return TextOf(exception.arguments[1]); }
    std::vector<std::string> arguments() const { return TextsOf(exception.arguments[2]); }
};

/* A Java call on its own thread, with what it left pending there. */
struct JavaThread {
    ThreadCall call;
    JavaOutcome outcome;
};

/* Runs call as the Java thread does and takes its pending exception there.
 * drive gets the time the dialog is open; the call must end after it, or
 * every dialog of the process is cancelled and the test fails. */
static JavaOutcome RunJavaCall(std::function<void()> call, std::function<void()> drive)
{
    JavaThread *thread = new JavaThread();
    thread->outcome = JavaOutcome();
    StartThreadCall(&thread->call, [call, thread] {
        call();
        thread->outcome.raised = StandinTakeException(&thread->outcome.exception) != 0;
        return 0;
    });
    drive();
    bool late = false;
    FinishThreadCall(&thread->call, WAIT_MS, &late);
    for (int attempt = 0; late && attempt < 3; attempt++) {
        ADD_FAILURE() << "the call did not end; cancelling its dialogs";
        HWND stuck = WaitForTopWindow("#32770", NULL, GetCurrentProcessId(), 1000);
        if (stuck)
            PostMessageA(stuck, WM_COMMAND, IDCANCEL, 0);
        FinishThreadCall(&thread->call, WAIT_MS, &late);
    }
    JavaOutcome outcome = thread->outcome;
    if (!late)
        delete thread; /* else the thread still holds it */
    return outcome;
}

static bool WaitUntilGone(HWND window)
{
    for (DWORD waited = 0; IsWindow(window) && waited < WAIT_MS; waited += 20)
        Sleep(20);
    return !IsWindow(window);
}

/* The file dialog's current folder (CDM_GETFOLDERPATH). */
static std::string FolderOf(HWND dialog)
{
    char folder[MAX_PATH] = "";
    LRESULT length = SendMessageA(dialog, CDM_GETFOLDERPATH, sizeof(folder), (LPARAM)folder);
    return length > 0 && length <= (LRESULT)sizeof(folder) ? std::string(folder) : "";
}

static int ListedItems(HWND dialog)
{
    HWND view = FindWindowExA(GetDlgItem(dialog, lst2), NULL, "SysListView32", NULL);
    return view ? (int)SendMessageA(view, LVM_GETITEMCOUNT, 0, 0) : -1;
}

/* What the user does: optionally go to folder first (typed and opened),
 * then type names and press Open, or press Cancel when names is empty. */
struct UserChoice {
    std::string folder;
    std::string names;
};

/* What the dialog showed when it opened. */
struct SeenDialog {
    bool found;
    std::string folder;
    std::string filter;
    int listed;
};

static SeenDialog DriveFileDialog(const UserChoice &choice)
{
    SeenDialog seen = {false, "", "", -1};
    HWND dialog = WaitForTopWindow("#32770", "Choose Files", GetCurrentProcessId(), WAIT_MS);
    if (!dialog)
        return seen;
    seen.found = true;
    seen.folder = FolderOf(dialog);
    seen.filter = ControlText(dialog, FILE_TYPE_LIST);
    seen.listed = ListedItems(dialog);
    if (!choice.folder.empty()) {
        SetControlText(dialog, FILE_NAME_FIELD, choice.folder);
        PressButton(dialog, IDOK);
        for (DWORD waited = 0;
             lstrcmpiA(FolderOf(dialog).c_str(), choice.folder.c_str()) != 0 && waited < WAIT_MS;
             waited += 20)
            Sleep(20);
        EXPECT_STRCASEEQ(choice.folder.c_str(), FolderOf(dialog).c_str());
    }
    if (choice.names.empty()) {
        PressButton(dialog, IDCANCEL);
    } else {
        SetControlText(dialog, FILE_NAME_FIELD, choice.names);
        PressButton(dialog, IDOK);
    }
    EXPECT_TRUE(WaitUntilGone(dialog)) << "the dialog did not close";
    return seen;
}

/* The tree the file tests choose from: the directory "dir" with a
 * subdirectory, a sibling whose name begins with "dir", and one elsewhere.
 * "other\a.txt" clashes with "dir\a.txt". */
class DialogExports : public ::testing::Test {
protected:
    TempDir tree;
    std::string dir, sub, sibling, other;

    void SetUp() override
    {
        ASSERT_TRUE(LibraryUnderTest() != NULL) << GetLastError();
        ASSERT_FALSE(tree.path.empty());
        dir = tree / "dir";
        sub = dir + "\\sub";
        sibling = tree / "dirx";
        other = tree / "other";
        for (const std::string &folder : {dir, sub, sibling, other})
            ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
        const char *files[][2] = {
            {"dir\\a.txt", "inside a"}, {"dir\\b.txt", "inside b"}, {"dir\\x.dat", "data"},
            {"dir\\sub\\c.txt", "c"},   {"dir\\sub\\d.txt", "d"},   {"dirx\\g.txt", "g"},
            {"other\\e.txt", "e"},      {"other\\f.txt", "f"},      {"other\\a.txt", "outside a"},
        };
        for (auto &file : files)
            ASSERT_TRUE(WriteTextFile(tree / file[0], file[1]));
    }
    /* NIChooseFiles1 with the user's choice; *array receives the result. */
    JavaOutcome ChooseFiles1(const std::string &directory, int multiSelect, int layout,
                             int mustBeInside, int maxFiles, int copyOutside,
                             const UserChoice &choice, HObject *array, SeenDialog *seen = NULL)
    {
        auto choose = EXPORT(NIChooseFiles1);
        HString directoryText = JavaText(directory);
        HString name = StandinString(L"Text");
        HString pattern = StandinString(L"*.txt");
        *array = NotReturned();
        SeenDialog shown = {};
        JavaOutcome outcome = RunJavaCall(
            [=] {
                *array = choose(NULL, directoryText, name, pattern, multiSelect, layout,
                                mustBeInside, maxFiles, copyOutside);
            },
            [&] { shown = DriveFileDialog(choice); });
        EXPECT_TRUE(shown.found) << "no dialog titled Choose Files";
        if (shown.found) {
            EXPECT_STRCASEEQ(directory.c_str(), shown.folder.c_str())
                << "opens in the directory asked for";
        }
        if (seen)
            *seen = shown;
        return outcome;
    }
};

struct FilesCase {
    const char *what;
    int multiSelect;
    int layout;
    int mustBeInside;
    int copyOutside;
    const char *folder;                /* below the tree, or null to stay */
    const char *names;                 /* "%T" stands for the tree */
    std::vector<std::string> expected; /* "%T" likewise */
    std::vector<std::string> copies;   /* made in dir, below the tree */
};

static std::string Expand(std::string text, const std::string &tree)
{
    for (size_t at; (at = text.find("%T")) != std::string::npos;)
        text.replace(at, 2, tree);
    return text;
}

/* A table laid out by hand: each case on its lines, as the columns read. */
/* clang-format off */
static const FilesCase FILES_CASES[] = {
    {"single, full paths", 1, 1, 0, 0, NULL, "a.txt",
     {"%T\\dir", "%T\\dir\\a.txt", ""}, {}},
    {"single, relative, in a subdirectory", 1, 2, 1, 0, NULL, "sub\\c.txt",
     {"%T\\dir", "sub\\c.txt", ""}, {}},
    {"single, names", 0, 3, 0, 0, NULL, "a.txt", {"%T\\dir", "a.txt", ""}, {}},
    {"single, relative, outside without copy", 0, 2, 0, 0, NULL, "%T\\other\\e.txt",
     {"%T\\other", "e.txt", ""}, {}},
    {"single, full paths, copied in", 0, 1, 0, 1, NULL, "%T\\other\\e.txt",
     {"%T\\dir", "%T\\dir\\e.txt", ""}, {"dir\\e.txt"}},
    {"single, names, copied in", 0, 3, 0, 1, NULL, "%T\\other\\e.txt",
     {"%T\\dir", "e.txt", ""}, {"dir\\e.txt"}},
    {"multiple, full paths", 1, 1, 0, 0, NULL, "\"a.txt\" \"b.txt\"",
     {"%T\\dir", "%T\\dir\\a.txt", "%T\\dir\\b.txt", ""}, {}},
    {"multiple, relative, directory itself", 1, 2, 1, 0, NULL, "\"a.txt\" \"b.txt\"",
     {"%T\\dir", "a.txt", "b.txt", ""}, {}},
    {"multiple, relative, in a subdirectory", 1, 2, 1, 0, "dir\\sub", "\"c.txt\" \"d.txt\"",
     {"%T\\dir", "sub\\c.txt", "sub\\d.txt", ""}, {}},
    {"multiple, names, outside", 1, 3, 0, 0, "other", "\"e.txt\" \"f.txt\"",
     {"%T\\other", "e.txt", "f.txt", ""}, {}},
    {"multiple, relative, outside", 1, 2, 0, 0, "other", "\"e.txt\" \"f.txt\"",
     {"%T\\other", "e.txt", "f.txt", ""}, {}},
    {"multiple, full paths, copied in", 1, 1, 0, 1, "other", "\"e.txt\" \"f.txt\"",
     {"%T\\dir", "%T\\dir\\e.txt", "%T\\dir\\f.txt", ""}, {"dir\\e.txt", "dir\\f.txt"}},
    {"multiple, names, copied in", 1, 3, 0, 1, "other", "\"e.txt\" \"f.txt\"",
     {"%T\\dir", "e.txt", "f.txt", ""}, {"dir\\e.txt", "dir\\f.txt"}},
    {"multiple, inside, nothing to copy", 1, 1, 1, 1, NULL, "\"a.txt\" \"b.txt\"",
     {"%T\\dir", "%T\\dir\\a.txt", "%T\\dir\\b.txt", ""}, {}},
};
/* clang-format on */

TEST_F(DialogExports, ChooseFilesInEveryFormAndLayout)
{
    for (const FilesCase &c : FILES_CASES) {
        SCOPED_TRACE(c.what);
        UserChoice choice = {c.folder ? tree / c.folder : "", Expand(c.names, tree.path)};
        HObject array = NULL;
        SeenDialog seen = {};
        JavaOutcome outcome = ChooseFiles1(dir, c.multiSelect, c.layout, c.mustBeInside, 1000,
                                           c.copyOutside, choice, &array, &seen);
        EXPECT_FALSE(outcome.raised) << outcome.message();
        std::vector<std::string> expected;
        for (const std::string &entry : c.expected)
            expected.push_back(Expand(entry, tree.path));
        EXPECT_EQ(expected, TextsOf(array));
        /* A copy holds what its source held ("dir\\e.txt" holds "e"). */
        for (const std::string &copy : c.copies)
            EXPECT_EQ(copy.substr(4, 1), ReadText(tree / copy)) << copy;
        EXPECT_EQ("Text (*.txt)", seen.filter);
        for (const char *copy : {"e.txt", "f.txt"})
            DeleteFileA((dir + "\\" + copy).c_str());
    }
}

TEST_F(DialogExports, FilterShowsOnlyItsPattern)
{
    /* dir holds sub, a.txt, b.txt and x.dat; the filter hides x.dat. */
    HObject array = NULL;
    SeenDialog seen = {};
    ChooseFiles1(dir, 1, 1, 0, 10, 0, UserChoice{"", ""}, &array, &seen);
    EXPECT_EQ(3, seen.listed);
}

TEST_F(DialogExports, CopyClashFailsAndLeavesNoCopyBehind)
{
    struct ClashCase {
        int multiSelect;
        const char *names;
    } cases[] = {
        {0, "%T\\other\\a.txt"},
        /* e.txt is copied before a.txt clashes: the copy must go again. */
        {1, "\"e.txt\" \"a.txt\""},
    };
    for (const ClashCase &c : cases) {
        SCOPED_TRACE(c.names);
        HObject array = NULL;
        UserChoice choice = {c.multiSelect ? other : "", Expand(c.names, tree.path)};
        JavaOutcome outcome = ChooseFiles1(dir, c.multiSelect, 1, 0, 10, 1, choice, &array);
        EXPECT_TRUE(array == NULL);
        ASSERT_TRUE(outcome.raised);
        EXPECT_STREQ("com/zorv/ZORVException", outcome.exception.className);
        EXPECT_EQ(SystemText(ERROR_FILE_EXISTS), outcome.message());
        EXPECT_EQ("inside a", ReadText(dir + "\\a.txt")) << "the file in dir is kept";
        EXPECT_FALSE(Exists(dir + "\\e.txt")) << "the copy made first is removed";
    }
}

TEST_F(DialogExports, SelectionOutsideTheDirectoryIsRefused)
{
    /* dirx begins with dir's name but is not inside it. */
    UserChoice choices[] = {
        {"", sibling + "\\g.txt"},
        {sibling, "\"g.txt\""},
        {other, "\"e.txt\" \"f.txt\""},
    };
    for (const UserChoice &choice : choices) {
        SCOPED_TRACE(choice.names);
        HObject array = NULL;
        JavaOutcome outcome = ChooseFiles1(dir, 1, 2, 1, 10, 1, choice, &array);
        EXPECT_TRUE(array == NULL);
        ASSERT_TRUE(outcome.raised);
        EXPECT_EQ("tarex00122", outcome.identifier());
        EXPECT_EQ("Selected files are not in the specifieddirectory %s or its subdirectory.",
                  outcome.message());
        EXPECT_EQ(std::vector<std::string>{dir}, outcome.arguments());
        EXPECT_FALSE(Exists(dir + "\\e.txt") || Exists(dir + "\\g.txt")) << "nothing copied";
    }
}

TEST_F(DialogExports, MoreFilesThanAllowedNamesTheLimit)
{
    HObject array = NULL;
    JavaOutcome outcome = ChooseFiles1(dir, 1, 1, 0, 2, 1,
                                       UserChoice{other, "\"e.txt\" \"f.txt\" \"a.txt\""}, &array);
    EXPECT_TRUE(array == NULL);
    ASSERT_TRUE(outcome.raised);
    EXPECT_EQ("The number of selected files is too long.Currently you can choose up to %s "
              "files.",
              outcome.message());
    EXPECT_EQ(std::vector<std::string>{"2"}, outcome.arguments());
    EXPECT_FALSE(Exists(dir + "\\e.txt") || Exists(dir + "\\f.txt"))
        << "the copies made before the limit are removed";
}

TEST_F(DialogExports, CancelGivesNullOrAnEmptyString)
{
    HObject array = NotReturned();
    JavaOutcome outcome = ChooseFiles1(dir, 1, 1, 0, 10, 1, UserChoice{"", ""}, &array);
    EXPECT_TRUE(array == NULL);
    EXPECT_FALSE(outcome.raised);

    auto chooseFile = EXPORT(NIChooseFile);
    HString directory = JavaText(dir);
    HString chosen = NULL;
    SeenDialog seen = {};
    outcome = RunJavaCall(
        [&] { chosen = chooseFile(NULL, directory, StandinString(L""), NULL, 1, 0); },
        [&] {
            seen = DriveFileDialog(UserChoice{"", ""});
        });
    EXPECT_TRUE(seen.found);
    EXPECT_FALSE(outcome.raised);
    EXPECT_EQ("", TextOf(chosen));
}

TEST_F(DialogExports, ChooseFileCopiesInAndReturnsEntryOne)
{
    auto chooseFile = EXPORT(NIChooseFile);
    struct ChooseFileCase {
        const char *names;
        int layout;
        const char *expected;
        const char *copy;
    } cases[] = {
        {"sub\\c.txt", 2, "sub\\c.txt", NULL},
        {"a.txt", 3, "a.txt", NULL},
        {"%T\\other\\e.txt", 1, "%T\\dir\\e.txt", "e.txt"},
    };
    for (const ChooseFileCase &c : cases) {
        SCOPED_TRACE(c.names);
        HString chosen = NULL;
        HString directory = JavaText(dir);
        SeenDialog seen = {};
        JavaOutcome outcome = RunJavaCall(
            [&] {
                chosen = chooseFile(NULL, directory, StandinString(L"Text"),
                                    StandinString(L"*.txt"), c.layout, 1 - (c.copy != NULL));
            },
            [&] {
                seen = DriveFileDialog(UserChoice{"", Expand(c.names, tree.path)});
            });
        EXPECT_FALSE(outcome.raised) << outcome.message();
        EXPECT_EQ(Expand(c.expected, tree.path), TextOf(chosen));
        if (c.copy) {
            EXPECT_EQ("e", ReadText(dir + "\\" + c.copy));
        }
    }
}

TEST_F(DialogExports, InvalidLayoutAfterACopyRemovesTheCopy)
{
    auto chooseFile = EXPORT(NIChooseFile);
    HString chosen = (HString)NotReturned();
    HString directory = JavaText(dir);
    JavaOutcome outcome = RunJavaCall(
        [&] { chosen = chooseFile(NULL, directory, NULL, NULL, 7, 0); },
        [&] {
            DriveFileDialog(UserChoice{"", other + "\\e.txt"});
        });
    EXPECT_TRUE(chosen == NULL);
    ASSERT_TRUE(outcome.raised);
    EXPECT_EQ(SystemText(ERROR_INVALID_PARAMETER), outcome.message());
    EXPECT_FALSE(Exists(dir + "\\e.txt"));
}

TEST_F(DialogExports, FilterNameWithoutPatternFailsToConvert)
{
    auto chooseFile = EXPORT(NIChooseFile);
    HString directory = JavaText(dir);
    HString chosen = (HString)NotReturned();
    JavaOutcome outcome = RunJavaCall(
        [&] {
            chosen = chooseFile(NULL, directory, StandinString(L"Text"), StandinString(L""), 1, 0);
        },
        [] {});
    EXPECT_TRUE(chosen == NULL);
    ASSERT_TRUE(outcome.raised);
    EXPECT_EQ("Conversion failed", outcome.message());
    EXPECT_FALSE(WaitForTopWindow("#32770", "Choose Files", GetCurrentProcessId(), 200));
}

TEST_F(DialogExports, MaxFilesOutOfRangeShowsNoDialog)
{
    auto chooseFiles = EXPORT(NIChooseFiles);
    HString directory = JavaText(dir);
    for (int maxFiles : {0, 1001, -1}) {
        SCOPED_TRACE(maxFiles);
        HObject array = NotReturned();
        JavaOutcome outcome = RunJavaCall(
            [&] { array = chooseFiles(NULL, directory, NULL, NULL, 1, 1, 0, maxFiles); }, [] {});
        EXPECT_TRUE(array == NULL);
        ASSERT_TRUE(outcome.raised);
        EXPECT_STREQ("com/zorv/ZORVException", outcome.exception.className);
        EXPECT_EQ(SystemText(ERROR_INVALID_PARAMETER), outcome.message());
    }
}

TEST_F(DialogExports, ChooseFilesNeverCopies)
{
    auto chooseFiles = EXPORT(NIChooseFiles);
    HString directory = JavaText(dir);
    HObject array = NULL;
    JavaOutcome outcome = RunJavaCall(
        [&] { array = chooseFiles(NULL, directory, NULL, NULL, 1, 1, 0, 5); },
        [&] {
            DriveFileDialog(UserChoice{other, "\"e.txt\" \"f.txt\""});
        });
    EXPECT_FALSE(outcome.raised) << outcome.message();
    EXPECT_EQ((std::vector<std::string>{other, other + "\\e.txt", other + "\\f.txt", ""}),
              TextsOf(array));
    EXPECT_FALSE(Exists(dir + "\\e.txt"));
}

TEST_F(DialogExports, ArrayThatCannotBeMadeIsOutOfMemory)
{
    HObject array = NotReturned();
    StandinFailArraysAfter(0);
    JavaOutcome outcome = ChooseFiles1(dir, 1, 1, 0, 5, 0, UserChoice{"", "\"a.txt\" \"b.txt\""},
                                       &array);
    StandinFailArraysAfter(-1);
    EXPECT_TRUE(array == NULL);
    ASSERT_TRUE(outcome.raised);
    EXPECT_STREQ("java/lang/OutOfMemoryError", outcome.exception.className);
}

TEST_F(DialogExports, DriveRootGetsNoSecondSeparator)
{
    /* Files of our own in the root of the drive the tree is on. */
    std::string drive = tree.path.substr(0, 2);
    char unique[64];
    wsprintfA(unique, "zorv-root-%lu-", GetCurrentProcessId());
    std::string first = drive + "\\" + unique + "1.txt";
    std::string second = drive + "\\" + unique + "2.txt";
    ASSERT_TRUE(WriteTextFile(first, "1") && WriteTextFile(second, "2"));
    std::string names = std::string("\"") + unique + "1.txt\" \"" + unique + "2.txt\"";

    /* The dialog opens in the root; the multiple form gives it as "C:\\". */
    HObject array = NULL;
    JavaOutcome outcome = ChooseFiles1(drive + "\\", 1, 1, 0, 5, 0, UserChoice{"", names}, &array);
    EXPECT_FALSE(outcome.raised) << outcome.message();
    EXPECT_EQ((std::vector<std::string>{drive + "\\", first, second, ""}), TextsOf(array));

    /* The single form names the root by its drive alone. */
    outcome = ChooseFiles1(dir, 1, 1, 0, 5, 0, UserChoice{"", first}, &array);
    EXPECT_EQ((std::vector<std::string>{drive, first, ""}), TextsOf(array));

    /* The root as the directory: everything is inside, relative to it. */
    outcome = ChooseFiles1(drive + "\\", 1, 2, 1, 5, 0, UserChoice{"", names}, &array);
    EXPECT_FALSE(outcome.raised) << outcome.message();
    EXPECT_EQ((std::vector<std::string>{drive + "\\", unique + std::string("1.txt"),
                                        unique + std::string("2.txt"), ""}),
              TextsOf(array));
    DeleteFileA(first.c_str());
    DeleteFileA(second.c_str());
}

TEST_F(DialogExports, PathTooLongForAnEntryFailsNamingIt)
{
    /* A directory near the path limit: its own names fit, a longer one
     * copied in from elsewhere would not. */
    std::string deep = tree / std::string(240 - tree.path.size(), 'L');
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), NULL)) << deep;
    std::string longName = std::string(30, 'n') + ".txt";
    ASSERT_TRUE(WriteTextFile(other + "\\" + longName, "long"));

    struct LongCase {
        int multiSelect;
        UserChoice choice;
    } cases[] = {
        {0, {"", other + "\\" + longName}},
        /* e.txt fits and is copied first; the copy must go again. */
        {1, {other, "\"e.txt\" \"" + longName + "\""}},
    };
    for (const LongCase &c : cases) {
        SCOPED_TRACE(c.choice.names);
        HObject array = NULL;
        JavaOutcome outcome = ChooseFiles1(deep, c.multiSelect, 1, 0, 5, 1, c.choice, &array);
        EXPECT_TRUE(array == NULL);
        ASSERT_TRUE(outcome.raised);
        EXPECT_NE(std::string::npos, outcome.message().find("too long")) << outcome.message();
        EXPECT_EQ((std::vector<std::string>{deep + "\\" + longName, "259"}), outcome.arguments());
        EXPECT_FALSE(Exists(deep + "\\e.txt"));
    }
}

/* The folder browser: opened at the initial directory, answered with OK or
 * Cancel, or with a selection that has no file-system path. */
struct BrowserRun {
    JavaOutcome outcome;
    int32_t result;
    std::string title;
    std::string status;
};

class FolderBrowser : public DialogExports {
protected:
    /* Wine's browser now and then ignores the selection the callback asks
     * for at start-up (it stays on the desktop, and no status text comes).
     * Such an attempt is cancelled, which leaves the out parameters alone,
     * and the call is made again. */
    BrowserRun Browse(const std::string &initial, ArrayOfString *chosen, ArrayOfInt *flag,
                      std::function<void(HWND)> answer)
    {
        auto chooseDir = EXPORT(NIChooseDir);
        HString initialText = JavaText(initial);
        BrowserRun run = {};
        bool ignoredSelection = true;
        for (int attempt = 0; ignoredSelection && attempt < 3; attempt++) {
            run.result = -1;
            run.outcome = RunJavaCall(
                [&] {
                    run.result = chooseDir(NULL, initialText, StandinString(L"Pick a folder"),
                                           BIF_STATUSTEXT, chosen, flag);
                },
                [&] {
                    HWND browser = WaitForTopWindow("#32770", NULL, GetCurrentProcessId(), WAIT_MS);
                    ASSERT_TRUE(browser != NULL) << "no folder browser";
                    run.title = ControlText(browser, BROWSER_TITLE);
                    /* The callback's selection shows in the status line. */
                    for (DWORD waited = 0;
                         ControlText(browser, BROWSER_STATUS).empty() && waited < 3000;
                         waited += 20)
                        Sleep(20);
                    run.status = ControlText(browser, BROWSER_STATUS);
                    ignoredSelection = run.status.empty();
                    if (ignoredSelection)
                        PressButton(browser, IDCANCEL);
                    else
                        answer(browser);
                    EXPECT_TRUE(WaitUntilGone(browser));
                });
        }
        EXPECT_FALSE(ignoredSelection) << "the browser never opened at " << initial;
        return run;
    }
};

TEST_F(FolderBrowser, OkReturnsTheInitialDirectory)
{
    ArrayOfString *chosen = StandinObjectArray("java/lang/String", 1);
    ArrayOfInt *flag = StandinIntArray(1);
    flag->body[0] = 77;
    BrowserRun run = Browse(sub, chosen, flag, [](HWND browser) { PressButton(browser, IDOK); });
    EXPECT_FALSE(run.outcome.raised) << run.outcome.message();
    EXPECT_EQ(0, run.result);
    EXPECT_EQ("Pick a folder", run.title);
    EXPECT_STRCASEEQ(sub.c_str(), run.status.c_str());
    EXPECT_STRCASEEQ(sub.c_str(), TextOf(chosen->body[0]).c_str());
    EXPECT_EQ(0, flag->body[0]);
}

TEST_F(FolderBrowser, CancelLeavesBothOutParametersAlone)
{
    ArrayOfString *chosen = StandinObjectArray("java/lang/String", 1);
    HString before = StandinString(L"before");
    chosen->body[0] = before;
    ArrayOfInt *flag = StandinIntArray(1);
    flag->body[0] = 77;
    BrowserRun run = Browse(dir, chosen, flag,
                            [](HWND browser) { PressButton(browser, IDCANCEL); });
    EXPECT_FALSE(run.outcome.raised);
    EXPECT_EQ(0, run.result);
    EXPECT_EQ(before, chosen->body[0]);
    EXPECT_EQ(77, flag->body[0]);
}

TEST_F(FolderBrowser, NullChosenDirectoryStillShowsTheBrowser)
{
    ArrayOfInt *flag = StandinIntArray(1);
    flag->body[0] = 77;
    BrowserRun run = Browse(dir, NULL, flag, [](HWND browser) { PressButton(browser, IDOK); });
    EXPECT_FALSE(run.outcome.raised);
    EXPECT_EQ(0, run.result);
    EXPECT_STRCASEEQ(dir.c_str(), run.status.c_str());
    EXPECT_EQ(0, flag->body[0]);
}

TEST_F(FolderBrowser, ChoiceWithoutAFileSystemPathRaises)
{
    ArrayOfString *chosen = StandinObjectArray("java/lang/String", 1);
    ArrayOfInt *flag = StandinIntArray(1);
    flag->body[0] = 77;
    BrowserRun run = Browse(dir, chosen, flag, [](HWND browser) {
        /* My Computer is a folder of the shell, not of the file system. */
        LPITEMIDLIST computer = NULL;
        ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(NULL, CSIDL_DRIVES, &computer));
        SendMessageA(browser, BFFM_SETSELECTIONA, FALSE, (LPARAM)computer);
        ILFree(computer);
        PressButton(browser, IDOK);
    });
    ASSERT_TRUE(run.outcome.raised);
    EXPECT_EQ(STATUS_APP_ERROR, run.result);
    EXPECT_EQ("", run.outcome.identifier());
    EXPECT_EQ("The chosen or typed name %1 is not a valid path name.", run.outcome.message());
    /* The one argument is the display name the browser returned: Windows
     * names the folder, Wine writes its file-system path there, which My
     * Computer lacks, so here it is empty. */
    EXPECT_EQ(1u, run.outcome.arguments().size());
    EXPECT_TRUE(chosen->body[0] == NULL);
    EXPECT_EQ(77, flag->body[0]);
}

/* The message box: shown with its text, caption, buttons and icon, and
 * the button pressed comes back. */
TEST_F(DialogExports, MessageBoxShowsAndAnswers)
{
    auto messageBox = EXPORT(NIMessageBox);
    int32_t answer = -1;
    std::string text;
    bool yes = false, no = false, ok = false, icon = false;
    JavaOutcome outcome = RunJavaCall(
        [&] {
            answer = messageBox(NULL, 0, StandinString(L"Save the changes?"),
                                StandinString(L"Vantrel question"), MB_YESNO | MB_ICONQUESTION);
        },
        [&] {
            HWND box = WaitForTopWindow("#32770", "Vantrel question", GetCurrentProcessId(),
                                        WAIT_MS);
            ASSERT_TRUE(box != NULL);
            text = MessageBoxText(box);
            yes = GetDlgItem(box, IDYES) != NULL;
            no = GetDlgItem(box, IDNO) != NULL;
            ok = GetDlgItem(box, IDOK) != NULL;
            for (HWND child = GetWindow(box, GW_CHILD); child;
                 child = GetWindow(child, GW_HWNDNEXT))
                if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
                    IsWindowVisible(child) && SendMessageA(child, STM_GETICON, 0, 0))
                    icon = true;
            PressButton(box, IDNO);
            WaitUntilGone(box);
        });
    EXPECT_FALSE(outcome.raised);
    EXPECT_EQ(IDNO, answer);
    EXPECT_EQ("Save the changes?", text);
    EXPECT_TRUE(yes && no && !ok) << "Yes and No only";
    EXPECT_TRUE(icon);
}

TEST_F(DialogExports, MessageBoxWithAnEmptyTextShowsNothing)
{
    auto messageBox = EXPORT(NIMessageBox);
    HString empty = StandinString(L"");
    HString text = StandinString(L"Text");
    for (auto texts : {std::make_pair(text, empty), std::make_pair(empty, text)}) {
        int32_t answer = -1;
        JavaOutcome outcome = RunJavaCall(
            [&] { answer = messageBox(NULL, 0, texts.first, texts.second, MB_OK); }, [] {});
        EXPECT_EQ(0, answer);
        EXPECT_FALSE(outcome.raised);
    }
}
