/*
 * The shell's context menu under Wine, driven through its real popup
 * window: the export blocks its thread in the menu, so it runs on a thread
 * of its own while the test reads the entries and picks one or dismisses
 * the menu.  Also the item ID list walk on lists made by hand.
 */
#include <gtest/gtest.h>

#include <string>

#include "child.h"
#include "context_menu.h"
#include "gui.h"
#include "msjava_standin.h"
#include "shell.h"

static std::wstring Wide(const std::string &text) { return std::wstring(text.begin(), text.end()); }

TEST(ItemIdList, WalkCountAndSingleCopies)
{
    /* Two items of 5 and 3 bytes (each count includes itself), then the
     * terminator. */
    const BYTE list[] = {5, 0, 'a', 'b', 'c', 3, 0, 'z', 0, 0};
    LPCITEMIDLIST first = (LPCITEMIDLIST)list;
    EXPECT_EQ(2, CountItemIds(first));
    LPCITEMIDLIST second = NextItemId(first);
    EXPECT_EQ((const void *)(list + 5), (const void *)second);
    LPCITEMIDLIST end = NextItemId(second);
    EXPECT_EQ((const void *)(list + 8), (const void *)end);
    EXPECT_TRUE(NextItemId(end) == NULL);
    EXPECT_EQ(0, CountItemIds(end));

    IMalloc *allocator = NULL;
    ASSERT_TRUE(SUCCEEDED(SHGetMalloc(&allocator)));
    LPITEMIDLIST copy = CopySingleItemId(allocator, second);
    ASSERT_TRUE(copy != NULL);
    const BYTE expected[] = {3, 0, 'z', 0, 0};
    EXPECT_EQ(0, memcmp(expected, copy, sizeof(expected)));
    EXPECT_EQ(1, CountItemIds(copy));
    allocator->Free(copy);
    EXPECT_TRUE(CopySingleItemId(allocator, end) == NULL);
    allocator->Release();
}

struct MenuCall {
    std::wstring directory;
    std::wstring name;
    DWORD lastError = 0; /* the calling thread's, after the call */
};

static int CallContextMenu(MenuCall *call)
{
    SetLastError(0xdeadbeef);
    int result = com_zorv_ZORVNI_NIWinShOpenContextMenu(NULL,
                                                        StandinString(call->directory.c_str()),
                                                        StandinString(call->name.c_str()));
    call->lastError = GetLastError();
    return result;
}

class ContextMenu : public ::testing::Test {
protected:
    TempDir dir;
    std::string record = dir / "record";
    std::string documentName = "note.zvtctx";
    ScopedAssociation association{".zvtctx", "ZorvTest.ContextMenu",
                                  "\"" + TestFilePath("recorder.exe") + "\" \"%1\""};
    ScopedEnvironment recordTo{"ZORV_RECORD", record.c_str()};

    void SetUp() override { ASSERT_TRUE(WriteTextFile(dir / documentName, "text")); }

    /* Starts the export for directory and name and waits for its menu. */
    HWND Open(ThreadCall *threadCall, MenuCall *call)
    {
        StartThreadCall(threadCall, [call] { return CallContextMenu(call); });
        return WaitForMenuWindow(10000);
    }

    void Dismiss(HWND menuWindow, ThreadCall *threadCall)
    {
        DWORD start = GetTickCount();
        SendKey(menuWindow, VK_ESCAPE);
        EXPECT_EQ(0, FinishThreadCall(threadCall, 10000));
        EXPECT_LT(GetTickCount() - start, 5000u) << "no wait after a dismissed menu";
    }
};

TEST_F(ContextMenu, FileAndFolderMenusOpenAndEscapeDismissesThem)
{
    MenuCall calls[] = {
        {Wide(dir.path), Wide(documentName)},
        /* The separator already there and blanks around the name. */
        {Wide(dir.path + "\\"), Wide("  " + documentName + " ")},
        /* A blank name: the directory's own menu. */
        {Wide(dir.path), L"   "},
    };
    for (MenuCall &call : calls) {
        ThreadCall threadCall;
        HWND menuWindow = Open(&threadCall, &call);
        ASSERT_TRUE(menuWindow != NULL)
            << "no menu for " << std::string(call.name.begin(), call.name.end());
        std::vector<std::string> texts = MenuTexts(MenuOfWindow(menuWindow));
        EXPECT_FALSE(texts.empty());
        POINT cursor;
        GetCursorPos(&cursor);
        RECT shown;
        GetWindowRect(menuWindow, &shown);
        EXPECT_TRUE(PtInRect(&shown, cursor) || (shown.left == cursor.x || shown.top == cursor.y))
            << "the menu opens at the cursor";
        Dismiss(menuWindow, &threadCall);
        ASSERT_TRUE(WaitForWindowGone(menuWindow, 5000));
    }
    EXPECT_FALSE(ReadRecording(record).present) << "nothing was invoked";
}

/* Wine's shell opens only folders from this menu; its Properties entry is
 * a command of the shell's own that can be seen: a property sheet named
 * after the file, which the test closes. */
TEST_F(ContextMenu, ChosenEntryRunsAndTheCallWaits)
{
    MenuCall call = {Wide(dir.path), Wide(documentName)};
    ThreadCall threadCall;
    HWND menuWindow = Open(&threadCall, &call);
    ASSERT_TRUE(menuWindow != NULL);
    HMENU menu = MenuOfWindow(menuWindow);
    std::vector<std::string> texts = MenuTexts(menu);
    int position = -1;
    for (size_t i = 0; i < texts.size(); i++)
        if (texts[i] == "&Properties")
            position = (int)i;
    if (position < 0 || !ChooseMenuEntry(menuWindow, menu, position))
        SendKey(menuWindow, VK_ESCAPE);
    ASSERT_GE(position, 0) << "no Properties entry";
    HWND sheet = WaitForTopWindow("#32770", NULL, GetCurrentProcessId(), 10000);
    DWORD start = GetTickCount();
    ASSERT_TRUE(sheet != NULL) << "the chosen command did not run";
    EXPECT_NE(std::string::npos, WindowTitle(sheet).find(documentName)) << WindowTitle(sheet);
    PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0, FinishThreadCall(&threadCall, 30000));
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 9900u) << "the call waits after the command";
    EXPECT_LT(elapsed, 20000u) << "one wait only";
}

TEST_F(ContextMenu, RefusalsReturnOneWithoutAMenu)
{
    std::string longName(250, 'n');
    MenuCall calls[] = {
        {L"", Wide(documentName)},
        {Wide(dir.path), L""},
        {Wide(dir.path), L"absent.zvtctx"},
        {Wide(dir.path), Wide(longName)},
        /* Joined it fits; its full path does not. */
        {L".", Wide(longName)},
    };
    for (MenuCall &call : calls) {
        ThreadCall threadCall;
        StartThreadCall(&threadCall, [&call] { return CallContextMenu(&call); });
        bool timedOut = false;
        int result = FinishThreadCall(&threadCall, 10000, &timedOut);
        if (timedOut) {
            HWND menuWindow = WaitForMenuWindow(0);
            if (menuWindow)
                SendKey(menuWindow, VK_ESCAPE);
            FinishThreadCall(&threadCall, 10000);
        }
        EXPECT_EQ(1, result) << std::string(call.name.begin(), call.name.end());
        if (call.name.size() > 200) {
            EXPECT_EQ((DWORD)ERROR_FILENAME_EXCED_RANGE, call.lastError);
        }
    }
}

TEST_F(ContextMenu, SecondMenuWhileOneIsOpenReturnsOne)
{
    MenuCall call = {Wide(dir.path), Wide(documentName)};
    ThreadCall first;
    HWND menuWindow = Open(&first, &call);
    ASSERT_TRUE(menuWindow != NULL);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(1, CallContextMenu(&call));
    EXPECT_EQ((DWORD)ERROR_CLASS_ALREADY_EXISTS, GetLastError());
    Dismiss(menuWindow, &first);
}
