/*
 * The Send To menu under Wine, driven through its real popup window: the
 * test fills the prefix's Send To folder (a subfolder, shortcuts to a
 * folder and to the recorder stand-in, files with and without an
 * associated program, a hidden file, a read-only folder), reads the menu
 * tree and its ids, and sends a file to a folder and to a program.
 */
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "child.h"
#include "error_record.h"
#include "gui.h"
#include "msjava_standin.h"
#include "resources.h"
#include "send_to_menu.h"
#include "shell.h"

static std::wstring Wide(const std::string &text) { return std::wstring(text.begin(), text.end()); }

struct SendCall {
    std::wstring directory;
    std::wstring name;
};

static int CallSendTo(const SendCall *call)
{
    return com_zorv_ZORVNI_NIWinShOpenSendToMenu(NULL, StandinString(call->directory.c_str()),
                                                 StandinString(call->name.c_str()));
}

/* One entry of the menu tree as the user sees it. */
struct Entry {
    std::string text;
    UINT id;
    bool submenu;
    int depth;
};

/* Depth-first, in menu order: the order in which ids must have been given. */
static void CollectEntries(HMENU menu, int depth, std::vector<Entry> *entries)
{
    std::vector<std::string> texts = MenuTexts(menu);
    for (int i = 0; i < (int)texts.size(); i++) {
        MENUITEMINFOA item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_ID | MIIM_SUBMENU;
        GetMenuItemInfoA(menu, i, TRUE, &item);
        entries->push_back({texts[i], item.wID, item.hSubMenu != NULL, depth});
        if (item.hSubMenu)
            CollectEntries(item.hSubMenu, depth + 1, entries);
    }
}

class SendToMenu : public ::testing::Test {
protected:
    TempDir dir;
    std::string fileName = "my report.txt";
    std::string file = dir / fileName;
    std::string target = dir / "target folder";
    std::string record = dir / "record";
    ScopedAssociation association{".zvtsend", "ZorvTest.SendTo",
                                  "\"" + TestFilePath("recorder.exe") + "\" \"%1\""};
    ScopedEnvironment recordTo{"ZORV_RECORD", record.c_str()};
    ScopedSendToFolder sendTo;
    SendCall call = {Wide(dir.path), Wide(" " + fileName + " ")};

    void SetUp() override
    {
        ASSERT_TRUE(WriteTextFile(file, "sent"));
        ASSERT_TRUE(CreateDirectoryA(target.c_str(), NULL));
    }

    void FillSendTo()
    {
        ASSERT_TRUE(CreateDirectoryA((sendTo / "Sub").c_str(), NULL));
        ASSERT_TRUE(WriteTextFile(sendTo / "Sub\\inner.zvtsend", ""));
        ASSERT_TRUE(CreateShortcut(sendTo / "Folder link.lnk", target));
        ASSERT_TRUE(CreateShortcut(sendTo / "Program link.lnk", TestFilePath("recorder.exe")));
        ASSERT_TRUE(WriteTextFile(sendTo / "doc.zvtsend", ""));
        ASSERT_TRUE(WriteTextFile(sendTo / "plain.zvtnone", ""));
        ASSERT_TRUE(WriteTextFile(sendTo / "hidden.zvtsend", ""));
        SetFileAttributesA((sendTo / "hidden.zvtsend").c_str(), FILE_ATTRIBUTE_HIDDEN);
        ASSERT_TRUE(CreateDirectoryA((sendTo / "ReadOnly").c_str(), NULL));
        /* This file system may keep only some attributes of a folder. */
        SetFileAttributesA((sendTo / "ReadOnly").c_str(),
                           FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        ASSERT_NE((DWORD)FILE_ATTRIBUTE_DIRECTORY,
                  GetFileAttributesA((sendTo / "ReadOnly").c_str()))
            << "no attribute besides the folder's own sticks here";
    }

    HWND Open(ThreadCall *threadCall)
    {
        StartThreadCall(threadCall, [this] { return CallSendTo(&call); });
        return WaitForMenuWindow(10000);
    }

    /* Chooses the top entry shown as text and waits for the call. */
    int Choose(const std::string &text)
    {
        ThreadCall threadCall;
        HWND menuWindow = Open(&threadCall);
        EXPECT_TRUE(menuWindow != NULL);
        if (!menuWindow)
            return FinishThreadCall(&threadCall, 10000);
        HMENU menu = MenuOfWindow(menuWindow);
        std::vector<std::string> texts = MenuTexts(menu);
        int position = -1;
        for (size_t i = 0; i < texts.size(); i++)
            if (texts[i] == text)
                position = (int)i;
        EXPECT_GE(position, 0) << "no entry " << text;
        if (position < 0 || !ChooseMenuEntry(menuWindow, menu, position))
            SendKey(menuWindow, VK_ESCAPE);
        return FinishThreadCall(&threadCall, 20000);
    }
};

TEST_F(SendToMenu, ShowsTheFolderDepthFirstAndEscapeSendsNothing)
{
    FillSendTo();
    ThreadCall threadCall;
    HWND menuWindow = Open(&threadCall);
    ASSERT_TRUE(menuWindow != NULL);
    std::vector<Entry> entries;
    CollectEntries(MenuOfWindow(menuWindow), 0, &entries);
    SendKey(menuWindow, VK_ESCAPE);
    EXPECT_EQ(0, FinishThreadCall(&threadCall, 10000));

    std::set<std::string> top, inner;
    for (size_t i = 0; i < entries.size(); i++) {
        EXPECT_EQ(i + 1, entries[i].id) << entries[i].text << ": ids depth-first from 1";
        (entries[i].depth == 0 ? top : inner).insert(entries[i].text);
        EXPECT_EQ(entries[i].text == ShellDisplayName(sendTo / "Sub"), entries[i].submenu)
            << entries[i].text << ": only the plain folder is a submenu";
    }
    std::set<std::string> expectedTop = {ShellDisplayName(sendTo / "Sub"),
                                         ShellDisplayName(sendTo / "Folder link.lnk"),
                                         ShellDisplayName(sendTo / "Program link.lnk"),
                                         ShellDisplayName(sendTo / "doc.zvtsend"),
                                         ShellDisplayName(sendTo / "hidden.zvtsend")};
    std::set<std::string> expectedInner = {ShellDisplayName(sendTo / "Sub\\inner.zvtsend")};
    /* The read-only folder is taken as a file: listed only if this shell
     * names a program for it. */
    top.erase(ShellDisplayName(sendTo / "ReadOnly"));
    EXPECT_EQ(expectedTop, top);
    EXPECT_EQ(expectedInner, inner);
    EXPECT_FALSE(WaitForRecording(record, 200).present) << "nothing was sent";
}

TEST_F(SendToMenu, FolderShortcutGetsACopy)
{
    FillSendTo();
    EXPECT_EQ(0, Choose(ShellDisplayName(sendTo / "Folder link.lnk")));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((target + "\\" + fileName).c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str())) << "copied, not moved";
}

TEST_F(SendToMenu, ProgramShortcutStartsItWithTheQuotedPath)
{
    FillSendTo();
    EXPECT_EQ(0, Choose(ShellDisplayName(sendTo / "Program link.lnk")));
    Recording seen = WaitForRecording(record, 10000);
    ASSERT_TRUE(seen.present);
    ASSERT_EQ(2u, seen.arguments.size()) << seen.commandLine;
    EXPECT_EQ(file, seen.arguments[1]) << "a path with a blank is one argument";
}

TEST_F(SendToMenu, AssociatedFileIsStartedItselfAndFails)
{
    FillSendTo();
    EXPECT_EQ(1, Choose(ShellDisplayName(sendTo / "doc.zvtsend")));
}

TEST_F(SendToMenu, EmptyFolderGivesAnEmptyMenu)
{
    ThreadCall threadCall;
    StartThreadCall(&threadCall, [this] { return CallSendTo(&call); });
    bool timedOut = false;
    int result = FinishThreadCall(&threadCall, 3000, &timedOut);
    if (timedOut) {
        HWND menuWindow = WaitForMenuWindow(5000);
        ASSERT_TRUE(menuWindow != NULL);
        EXPECT_EQ(0, GetMenuItemCount(MenuOfWindow(menuWindow)));
        SendKey(menuWindow, VK_ESCAPE);
        result = FinishThreadCall(&threadCall, 10000);
    }
    EXPECT_EQ(0, result);
}

TEST_F(SendToMenu, SecondMenuWhileOneIsOpenReturnsOne)
{
    FillSendTo();
    ThreadCall first;
    HWND menuWindow = Open(&first);
    ASSERT_TRUE(menuWindow != NULL);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(1, CallSendTo(&call));
    EXPECT_EQ((DWORD)ERROR_CLASS_ALREADY_EXISTS, GetLastError());
    SendKey(menuWindow, VK_ESCAPE);
    EXPECT_EQ(0, FinishThreadCall(&first, 10000));
}

TEST_F(SendToMenu, EntriesCarryTheirTargetsAndEveryCopyIsFreed)
{
    FillSendTo();
    HMENU menu = CreatePopupMenu();
    UINT counter = 1;
    ASSERT_EQ(STATUS_OK, FillSendToMenu(NULL, menu, &counter, sendTo.path.c_str()));
    char shortTarget[MAX_PATH] = "";
    GetShortPathNameA(target.c_str(), shortTarget, sizeof(shortTarget));
    std::set<std::string> targets;
    for (UINT id = 1; id < counter; id++) {
        MENUITEMINFOA item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_DATA;
        ASSERT_TRUE(GetMenuItemInfoA(menu, id, FALSE, &item));
        if (item.dwItemData) {
            targets.insert((const char *)item.dwItemData);
            free((void *)item.dwItemData);
        }
    }
    DestroyMenu(menu);
    /* Asked for the short form; Wine's shortcuts give the long one. */
    EXPECT_EQ(1u, targets.count(shortTarget) + targets.count(target)) << "a shortcut's target";
    EXPECT_EQ(1u, targets.count(sendTo / "doc.zvtsend")) << "a file is its own target";
    EXPECT_EQ(0u, targets.count(sendTo / "plain.zvtnone")) << "no program, no entry";

    /* A run that builds and dismisses the menu leaves the heap as it found it. */
    /* Without the export: the stand-in VM keeps every String it made. */
    auto dismissedRun = [this]() {
        ThreadCall threadCall;
        StartThreadCall(&threadCall, [this] { return ShowSendToMenu(file.c_str(), NULL); });
        HWND menuWindow = WaitForMenuWindow(10000);
        if (menuWindow)
            SendKey(menuWindow, VK_ESCAPE);
        return FinishThreadCall(&threadCall, 10000);
    };
    ASSERT_EQ(0, dismissedRun());
    /* The entries' copies live in the C run-time's heap. */
    long before = UsedCrtHeapBlocks();
    for (int i = 0; i < 3; i++)
        ASSERT_EQ(0, dismissedRun());
    EXPECT_EQ(before, UsedCrtHeapBlocks());
}
