/*
 * The export groups that open windows: the message box, the open-file
 * dialog for one and for several files, the folder browser, the shell's
 * context menu and the Send To menu.  Each is opened on the display by a
 * call on a Java thread of its own, photographed, and answered as a user
 * would answer it; then what the Java side received is printed.
 */
#include "host.h"

#include <dlgs.h>
#include <shlobj.h>
#include <stdio.h>

#include "child.h"
#include "context_menu.h"
#include "dialog_exports.h"
#include "gui.h"
#include "send_to_menu.h"
#include "shell.h"

static const DWORD WINDOW_WAIT_MS = 10000;
/* The folder browser's status line under Wine; it shows the selection. */
static const int BROWSER_STATUS = 0x3743;

static std::string Quoted(const std::string &text) { return "\"" + text + "\""; }

static HWND WaitForDialog(const char *title)
{
    return WaitForTopWindow("#32770", title, GetCurrentProcessId(), WINDOW_WAIT_MS);
}

void ShowMessageBox(void)
{
    Heading("Message box");
    int32_t answer = -1;
    std::string exception;
    Call("NIMessageBox(0, \"Check the changed document in?\", \"Vantrel\", "
         "MB_YESNO | MB_ICONQUESTION)");
    RunWhileDriving(
        [&] {
            answer = EXPORT_OF(
                com_zorv_ZORVNI_NIMessageBox)(NULL, 0, JavaText("Check the changed document in?"),
                                              JavaText("Vantrel"), MB_YESNO | MB_ICONQUESTION);
        },
        [] {
            HWND box = WaitForDialog("Vantrel");
            Screenshot(box, "message_box");
            Answer("the user:", "presses Yes");
            PressButton(box, IDYES);
        },
        WINDOW_WAIT_MS, &exception);
    Answer("returns", Outcome(std::to_string(answer) + "   (IDYES)", exception));
}

/* The open-file dialog: names typed, photographed, and Open pressed. */
static void AnswerFileDialog(const char *screenshot, const std::string &names)
{
    HWND dialog = WaitForDialog("Choose Files");
    SetControlText(dialog, cmb13, names);
    Screenshot(dialog, screenshot);
    Answer("the user:", "types " + names + " and presses Open");
    PressButton(dialog, IDOK);
}

void ShowFileChoosers(void)
{
    Heading("Open-file dialog, one file and several");
    TempDir dir;
    for (const char *name : {"agenda.txt", "minutes.txt", "budget.txt", "photo.dat"})
        WriteTextFile(dir / name, name);

    HObject chosen = NULL;
    std::string exception;
    Call("NIChooseFile(" + Quoted(dir.path) + ", \"Text\", \"*.txt\", 1, 0)");
    RunWhileDriving(
        [&] {
            chosen = EXPORT_OF(com_zorv_ZORVNI_NIChooseFile)(NULL, JavaText(dir.path),
                                                             JavaText("Text"), JavaText("*.txt"), 1,
                                                             0);
        },
        [] { AnswerFileDialog("choose_file", "minutes.txt"); }, WINDOW_WAIT_MS, &exception);
    Answer("returns", Outcome(Show(chosen), exception));

    Call("NIChooseFiles(" + Quoted(dir.path) + ", \"Text\", \"*.txt\", 1, 3, 1, 10)");
    RunWhileDriving(
        [&] {
            chosen = EXPORT_OF(com_zorv_ZORVNI_NIChooseFiles)(NULL, JavaText(dir.path),
                                                              JavaText("Text"), JavaText("*.txt"),
                                                              1, 3, 1, 10);
        },
        [] { AnswerFileDialog("choose_files", "\"agenda.txt\" \"budget.txt\""); }, WINDOW_WAIT_MS,
        &exception);
    Answer("returns", Outcome(Show(chosen), exception));
}

/* Wine's browser now and then ignores the start-up selection (no status
 * text comes): that attempt is cancelled, which changes nothing, and made
 * again.  True when the browser was answered with OK. */
static bool AnswerFolderBrowser(void)
{
    HWND browser = WaitForDialog(NULL);
    for (DWORD waited = 0; browser && ControlText(browser, BROWSER_STATUS).empty() && waited < 3000;
         waited += 20)
        Sleep(20);
    if (!browser || ControlText(browser, BROWSER_STATUS).empty()) {
        if (browser)
            PressButton(browser, IDCANCEL);
        return false;
    }
    Screenshot(browser, "choose_dir");
    Answer("the user:", "presses OK on " + Quoted(ControlText(browser, BROWSER_STATUS)));
    PressButton(browser, IDOK);
    return true;
}

void ShowFolderBrowser(void)
{
    Heading("Folder browser");
    TempDir dir;
    std::string folder = dir / "Projects";
    CreateDirectoryA(folder.c_str(), NULL);
    ArrayOfString *chosen = OutString();
    ArrayOfInt *flag = StandinIntArray(1);
    int32_t result = -1;
    std::string exception;
    Call("NIChooseDir(" + Quoted(folder) + ", \"Choose the project folder\", " +
         "BIF_STATUSTEXT, chosenDirectory, directoryFlag)");
    bool answered = false;
    for (int attempt = 0; !answered && attempt < 3; attempt++)
        RunWhileDriving(
            [&] {
                result = EXPORT_OF(com_zorv_ZORVNI_NIChooseDir)(
                    NULL, JavaText(folder), JavaText("Choose the project folder"), BIF_STATUSTEXT,
                    chosen, flag);
            },
            [&] { answered = AnswerFolderBrowser(); }, WINDOW_WAIT_MS, &exception);
    Answer("returns", Outcome(std::to_string(result), exception));
    Answer("chosenDirectory", Show(chosen));
    Answer("directoryFlag", ShowInts(flag));
}

static std::string Listed(const std::vector<std::string> &texts)
{
    std::string listed;
    for (const std::string &text : texts)
        listed += (listed.empty() ? "" : " | ") + (text.empty() ? std::string("-") : text);
    return listed;
}

void ShowContextMenu(void)
{
    Heading("The shell's context menu");
    TempDir dir;
    WriteTextFile(dir / "notes.txt", "notes");
    /* The menu opens at the mouse position. */
    SetCursorPos(160, 120);
    int32_t result = -1;
    Call("NIWinShOpenContextMenu(" + Quoted(dir.path) + ", \"notes.txt\")");
    RunWhileDriving(
        [&] {
            result = EXPORT_OF(com_zorv_ZORVNI_NIWinShOpenContextMenu)(NULL, JavaText(dir.path),
                                                                       JavaText("notes.txt"));
        },
        [] {
            HWND menu = WaitForMenuWindow(WINDOW_WAIT_MS);
            if (menu)
                Answer("the menu shows:", Listed(MenuTexts(MenuOfWindow(menu))));
            Screenshot(menu, "context_menu");
            Answer("the user:", "presses Escape");
            SendKey(menu, VK_ESCAPE);
        },
        WINDOW_WAIT_MS, NULL);
    Answer("returns", std::to_string(result));
}

/* Picks the entry shown as text from the open menu. */
static void ChooseFromMenu(const std::string &text)
{
    HWND window = WaitForMenuWindow(WINDOW_WAIT_MS);
    HMENU menu = window ? MenuOfWindow(window) : NULL;
    std::vector<std::string> texts = MenuTexts(menu);
    if (window)
        Answer("the menu shows:", Listed(texts));
    Screenshot(window, "send_to_menu");
    int position = -1;
    for (size_t i = 0; i < texts.size(); i++)
        if (texts[i] == text)
            position = (int)i;
    if (position >= 0 && ChooseMenuEntry(window, menu, position)) {
        Answer("the user:", "chooses " + Quoted(text));
    } else {
        Answer("the user:", "finds no entry " + Quoted(text) + " and presses Escape");
        SendKey(window, VK_ESCAPE);
    }
}

void ShowSendToMenu(void)
{
    Heading("The Send To menu (the user's Send To folder, filled for the run)");
    TempDir dir;
    std::string archive = dir / "Archive";
    CreateDirectoryA(archive.c_str(), NULL);
    WriteTextFile(dir / "report.txt", "report");
    ScopedSendToFolder sendTo;
    CreateShortcut(sendTo / "Archive.lnk", archive);
    CreateDirectoryA((sendTo / "Colleagues").c_str(), NULL);
    CreateShortcut(sendTo / "Colleagues\\Recorder.lnk", TestFilePath("recorder.exe"));
    std::string entry = ShellDisplayName(sendTo / "Archive.lnk");
    SetCursorPos(160, 120);
    int32_t result = -1;
    Call("NIWinShOpenSendToMenu(" + Quoted(dir.path) + ", \"report.txt\")");
    RunWhileDriving(
        [&] {
            result = EXPORT_OF(com_zorv_ZORVNI_NIWinShOpenSendToMenu)(NULL, JavaText(dir.path),
                                                                      JavaText("report.txt"));
        },
        [&] { ChooseFromMenu(entry); }, WINDOW_WAIT_MS, NULL);
    Answer("returns", std::to_string(result));
    std::string copy = archive + "\\report.txt";
    Answer("copied:", GetFileAttributesA(copy.c_str()) != INVALID_FILE_ATTRIBUTES
                          ? copy + " now exists"
                          : "no copy in " + archive);
}
