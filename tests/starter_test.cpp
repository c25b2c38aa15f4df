/*
 * zorv end to end: the real starter next to a stand-in viewer, started from
 * elsewhere, and the box it shows when the viewer is missing.
 */
#include <gtest/gtest.h>

#include "child.h"
#include "error_record.h"
#include "gui.h"

#include <string>

/* The starter lies in work\app; it is started from work. */
class Starter : public ::testing::Test {
protected:
    TempDir work;
    std::string app = work / "app";
    std::string viewer = app + "\\wjview.exe";

    void SetUp() override
    {
        ASSERT_TRUE(CreateDirectoryA(app.c_str(), NULL));
        ASSERT_TRUE(CopyTo(DeliverablePath("zorv.exe"), app + "\\zorv.exe"));
    }

    void TearDown() override
    {
        /* The viewer may still run; its file goes once it has ended. */
        for (int waited = 0; waited < 20000; waited += 100) {
            if (DeleteFileA(viewer.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND)
                return;
            Sleep(100);
        }
    }

    /* A relative command line is found against this process's current
     * directory, so that is work while the starter is started. */
    HANDLE StartFromWork(const std::string &commandLine, DWORD *processId = NULL)
    {
        char saved[MAX_PATH];
        DWORD length = GetCurrentDirectoryA(sizeof(saved), saved);
        EXPECT_TRUE(length > 0 && length < sizeof(saved));
        SetCurrentDirectoryA(work.path.c_str());
        HANDLE process = StartChild(commandLine, NULL, processId);
        SetCurrentDirectoryA(saved);
        return process;
    }
};

TEST_F(Starter, StartsTheViewerInItsOwnDirectoryWithoutWaiting)
{
    ASSERT_TRUE(CopyTo(TestFilePath("recorder.exe"), viewer));
    ScopedEnvironment record("ZORV_RECORD", (work / "record").c_str());
    ScopedEnvironment sleep("ZORV_RECORD_SLEEP_MS", "4000");
    const std::string commandLines[] = {
        "\"" + app + "\\zorv.exe\" extra \"and more\"",
        "app\\zorv.exe -x",
    };
    for (const std::string &commandLine : commandLines) {
        DeleteFileA((work / "record").c_str());
        DWORD start = GetTickCount();
        HANDLE starter = StartFromWork(commandLine);
        ASSERT_TRUE(starter != NULL) << commandLine;
        EXPECT_EQ(0u, FinishChild(starter, 20000)) << commandLine;
        EXPECT_LT(GetTickCount() - start, 3000u) << "waited for the viewer: " << commandLine;
        Recording recording = WaitForRecording(work / "record", 10000);
        ASSERT_TRUE(recording.present) << commandLine;
        EXPECT_EQ("wjview.exe com.zorv.ZORV", recording.commandLine);
        EXPECT_EQ(0, lstrcmpiA(app.c_str(), recording.currentDirectory.c_str()))
            << recording.currentDirectory;
    }
}

TEST_F(Starter, MissingViewerShowsTheSystemErrorAndExitsWith1)
{
    DWORD processId = 0;
    HANDLE starter = StartFromWork("\"" + app + "\\zorv.exe\"", &processId);
    ASSERT_TRUE(starter != NULL);
    ShownBox box = CloseMessageBox(processId, 20000);
    EXPECT_TRUE(box.found);
    DWORD notFound = ERROR_FILE_NOT_FOUND;
    char expected[MESSAGE_TEXT_SIZE];
    ASSERT_EQ(0, GetSystemErrorText(&notFound, expected, sizeof(expected)));
    EXPECT_EQ(expected, box.text);
    EXPECT_EQ(1u, FinishChild(starter, 20000));
}
