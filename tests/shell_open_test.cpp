/*
 * Opening documents and the search window, under Wine with the real shell:
 * a file type associated with the recorder stand-in in the bench prefix,
 * the wait with the caller's windows disabled, verbs, and the exceptions
 * of each refusal.
 */
#include <gtest/gtest.h>

#include <shellapi.h>
#include <string>

#include "alloc.h"
#include "boundary.h"
#include "child.h"
#include "gui.h"
#include "msjava_standin.h"
#include "shell.h"
#include "shell_open.h"

static std::string Recorder(void) { return "\"" + TestFilePath("recorder.exe") + "\""; }

static std::string Narrow(HObject string)
{
    WCHAR units[1024];
    int length = StandinStringUnits((HString)string, units, ARRAY_SIZE(units));
    std::wstring wide = length < 0 ? L"<not a String>" : std::wstring(units, length);
    return std::string(wide.begin(), wide.end());
}

static std::wstring Wide(const std::string &text) { return std::wstring(text.begin(), text.end()); }

static std::string SystemText(DWORD code)
{
    char text[1024] = "";
    GetSystemErrorText(&code, text, sizeof(text));
    return text;
}

/* The caller's thread has a window and no console, so the wait pumps its
 * messages and keeps the window disabled. */
class OpenDocument : public ::testing::Test {
protected:
    TempDir dir;
    std::string document = dir / "report one.zvtdoc";
    std::string record = dir / "record";
    ScopedAssociation association{".zvtdoc", "ZorvTest.Document", Recorder() + " \"%1\""};
    ScopedEnvironment recordTo{"ZORV_RECORD", record.c_str()};
    HWND window = NULL;
    bool disabledDuringWait = false;

    void SetUp() override
    {
        FreeConsole();
        ASSERT_TRUE(WriteTextFile(document, "text"));
        window = CreateWindowA("STATIC", "caller", WS_OVERLAPPED, 0, 0, 50, 50, NULL, NULL, NULL,
                               NULL);
        ASSERT_TRUE(window != NULL);
    }
    void TearDown() override { DestroyWindow(window); }

    /* Once the program has started, the caller's window must be disabled. */
    int WatchWindow()
    {
        disabledDuringWait = WaitForRecording(record, 10000).present && !IsWindowEnabled(window);
        return 0;
    }
};

TEST_F(OpenDocument, WaitsForTheProgramWithTheCallersWindowsDisabled)
{
    ScopedEnvironment exitCode("ZORV_RECORD_EXIT", "7");
    ScopedEnvironment sleep("ZORV_RECORD_SLEEP_MS", "1500");
    ThreadCall watcher;
    StartThreadCall(&watcher, [this] { return WatchWindow(); });
    DWORD code = 0;
    DWORD start = GetTickCount();
    EXPECT_EQ(STATUS_OK, ShellExecuteAndWait(document.c_str(), NULL, 1, &code));
    EXPECT_GE(GetTickCount() - start, 1400u);
    EXPECT_EQ(7u, code);
    EXPECT_EQ(0, FinishThreadCall(&watcher, 15000));
    EXPECT_TRUE(disabledDuringWait);
    EXPECT_TRUE(IsWindowEnabled(window));

    Recording seen = ReadRecording(record);
    ASSERT_TRUE(seen.present);
    ASSERT_EQ(2u, seen.arguments.size());
    EXPECT_EQ(document, seen.arguments[1]) << "a path with a blank is one argument";
}

TEST_F(OpenDocument, ExportWaitsAndPassesTheVerb)
{
    ASSERT_TRUE(association.AddVerb("print", Recorder() + " print \"%1\""));
    struct Case {
        const WCHAR *verb;
        size_t argumentCount;
    } cases[] = {{L"", 2}, {L"print", 3}};
    for (const Case &c : cases) {
        DeleteFileA(record.c_str());
        SetLastError(0xdeadbeef);
        EXPECT_EQ(1, com_zorv_ZORVNI_NIWin32ShellExecuteEx(
                         NULL, StandinString(Wide(document).c_str()), StandinString(c.verb)));
        StandinException none;
        EXPECT_FALSE(StandinTakeException(&none));
        Recording seen = ReadRecording(record);
        ASSERT_TRUE(seen.present) << "the call returns only after the program has ended";
        ASSERT_EQ(c.argumentCount, seen.arguments.size());
        EXPECT_EQ(document, seen.arguments.back());
        if (c.argumentCount == 3) {
            EXPECT_EQ("print", seen.arguments[1]);
        }
    }
}

TEST_F(OpenDocument, RefusalsRaiseTheirExceptions)
{
    std::string bare = dir / "plain.zvtnone";
    ASSERT_TRUE(WriteTextFile(bare, "text"));
    /* What this shell reports for a type without a program. */
    SHELLEXECUTEINFOA probe = {};
    probe.cbSize = sizeof(probe);
    probe.fMask = SEE_MASK_FLAG_NO_UI;
    probe.lpFile = bare.c_str();
    ASSERT_FALSE(ShellExecuteExA(&probe));
    DWORD noAssociation = GetLastError();

    struct Case {
        std::string file;
        std::string message; /* what the exception says */
    } cases[] = {
        {"", ""},
        {"   ", SystemText(ERROR_INVALID_PARAMETER)},
        {dir / "absent.zvtdoc", SystemText(ERROR_FILE_NOT_FOUND)},
        {bare, SystemText(noAssociation)},
        /* Refused before the shell, whose own path entry it would overrun. */
        {dir / std::string(MAX_PATH, 'a'), SystemText(ERROR_FILENAME_EXCED_RANGE)},
    };
    for (const Case &c : cases) {
        SetLastError(0xdeadbeef);
        EXPECT_EQ(0, com_zorv_ZORVNI_NIWin32ShellExecuteEx(
                         NULL, StandinString(Wide(c.file).c_str()), StandinString(L"")))
            << c.file;
        StandinException exception = {};
        ASSERT_TRUE(StandinTakeException(&exception)) << c.file;
        EXPECT_STREQ("com/zorv/ZORVException", exception.className);
        EXPECT_EQ("", Narrow(exception.arguments[0])) << c.file;
        EXPECT_EQ(c.message, Narrow(exception.arguments[1])) << c.file;
        EXPECT_TRUE(exception.arguments[2] == NULL);
    }
    EXPECT_FALSE(WaitForRecording(record, 200).present) << "nothing was started";
}

/* The shell's find window may or may not exist here; whatever the shell
 * answers, the export's result and the error state must tell the same. */
TEST(SearchWindow, ResultAndErrorStateFollowTheShellsAnswer)
{
    SetStoredSysError(0);
    SetErrorRecord(NULL, NULL, "untouched", 0);
    int status = OpenFindFilesWindow();
    switch (status) {
    case STATUS_OK: EXPECT_STREQ("untouched", GetErrorText(STATUS_APP_ERROR)->format); break;
    case STATUS_STORED_ERROR:
        EXPECT_LT(GetStoredSysError(), 0) << "a failed HRESULT is stored";
        break;
    case STATUS_APP_ERROR:
        EXPECT_LT(GetStoredSysError(), 0);
        EXPECT_STRNE("untouched", GetErrorText(STATUS_APP_ERROR)->format);
        EXPECT_STRNE("", GetErrorText(STATUS_APP_ERROR)->format);
        break;
    default: ADD_FAILURE() << "status " << status;
    }
    EXPECT_EQ(status == STATUS_OK ? 0 : 1, com_zorv_ZORVNI_NIWinShOpenSearchDlg(NULL));
    StandinException none;
    EXPECT_FALSE(StandinTakeException(&none)) << "the search export raises nothing";
}
