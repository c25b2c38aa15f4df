/*
 * Starting programs with and without the interpreter, and the wait that
 * keeps the caller's windows painted but disabled.
 */
#include <gtest/gtest.h>

#include "child.h"
#include "error_record.h"
#include "gui.h"
#include "process.h"

#include <string>
#include <vector>

static const DWORD UNTOUCHED = 0xdeadbeef;

static std::string Recorder(void) { return "\"" + TestFilePath("recorder.exe") + "\""; }

TEST(LaunchProgram, StartsAndWaitsOnlyWhenAsked)
{
    ScopedEnvironment exit("ZORV_RECORD_EXIT", "42");
    TempDir dir;
    const std::string missing = "\"" + dir / "absent.exe" + "\"", recorder = Recorder();
    const struct {
        const char *commandLine;
        int useShell, wait, status;
        DWORD lastError, exitCode;
    } cases[] = {
        {NULL, 0, 1, STATUS_SYSTEM_ERROR, ERROR_INVALID_PARAMETER, UNTOUCHED},
        {"", 0, 1, STATUS_SYSTEM_ERROR, ERROR_INVALID_PARAMETER, UNTOUCHED},
        {" \t\r\n ", 1, 1, STATUS_SYSTEM_ERROR, ERROR_INVALID_PARAMETER, UNTOUCHED},
        {missing.c_str(), 0, 1, STATUS_SYSTEM_ERROR, ERROR_FILE_NOT_FOUND, UNTOUCHED},
        {recorder.c_str(), 0, 0, STATUS_OK, UNTOUCHED, UNTOUCHED},
        {recorder.c_str(), 0, 1, STATUS_OK, UNTOUCHED, 42},
        {"exit 5", 1, 1, STATUS_OK, UNTOUCHED, 5},
        /* No command line: is there an interpreter to run one? */
        {NULL, 1, 0, STATUS_OK, UNTOUCHED, UNTOUCHED},
    };
    for (const auto &c : cases) {
        DWORD exitCode = UNTOUCHED;
        SetLastError(UNTOUCHED);
        int status = LaunchProgram(c.commandLine, c.useShell, c.wait, &exitCode);
        std::string at = c.commandLine ? c.commandLine : "null";
        EXPECT_EQ(c.status, status) << at;
        if (status != STATUS_OK) {
            EXPECT_EQ(c.lastError, GetLastError()) << at;
        }
        EXPECT_EQ(c.exitCode, exitCode) << at;
    }
}

/* The caller's thread has windows and no console, so the wait pumps its
 * messages. */
class WaitWithWindows : public ::testing::Test {
protected:
    std::vector<HWND> windows;
    DWORD threadId = GetCurrentThreadId();
    bool allDisabledDuringWait = false;

    static bool DisabledBefore(size_t i) { return i % 7 == 3; }

    void SetUp() override
    {
        FreeConsole();
        /* More than a table of 201 would hold. */
        for (size_t i = 0; i < 250; i++) {
            windows.push_back(
                CreateWindowA("STATIC", "", WS_OVERLAPPED, 0, 0, 50, 50, NULL, NULL, NULL, NULL));
            ASSERT_TRUE(windows.back() != NULL);
            EnableWindow(windows.back(), !DisabledBefore(i));
        }
    }

    void TearDown() override
    {
        for (HWND window : windows)
            DestroyWindow(window);
    }

    bool AnyEnabled() const
    {
        for (HWND window : windows)
            if (IsWindowEnabled(window))
                return true;
        return false;
    }

    /* On a second thread: once the wait has disabled the windows, a close
     * request goes to the waiting thread. */
    int CloseDuringWait()
    {
        for (int waited = 0; waited < 10000 && AnyEnabled(); waited += 20)
            Sleep(20);
        allDisabledDuringWait = !AnyEnabled();
        PostThreadMessageA(threadId, WM_CLOSE, 0, 0);
        return 0;
    }
};

TEST_F(WaitWithWindows, CloseRequestEndsTheProgramAndWindowsComeBack)
{
    ScopedEnvironment exit("ZORV_RECORD_EXIT", "7");
    ScopedEnvironment sleep("ZORV_RECORD_SLEEP_MS", "20000");
    ThreadCall closer;
    StartThreadCall(&closer, [this] { return CloseDuringWait(); });
    DWORD exitCode = UNTOUCHED;
    DWORD start = GetTickCount();
    EXPECT_EQ(STATUS_OK, LaunchProgram(Recorder().c_str(), 0, 1, &exitCode));
    EXPECT_LT(GetTickCount() - start, 15000u);
    EXPECT_EQ(0u, exitCode);
    FinishThreadCall(&closer, INFINITE);
    EXPECT_TRUE(allDisabledDuringWait);
    for (size_t i = 0; i < windows.size(); i++)
        EXPECT_EQ(!DisabledBefore(i), IsWindowEnabled(windows[i]) != 0) << "window " << i;
}
