/*
 * Driving real windows from tests: wait for a top-level window of this or
 * another process, read its texts, press its buttons or send it keys, while
 * the call that opened it blocks a thread of its own.
 */
#pragma once

#include <windows.h>
#include <functional>
#include <string>

/* A visible top-level window whose class and title match (null: any) and
 * that belongs to processId (0: any process); null after timeoutMs. */
HWND WaitForTopWindow(const char *className, const char *title, DWORD processId, DWORD timeoutMs);

std::string WindowTitle(HWND window);
/* The texts of the window's Static children, in order, joined by "\n". */
std::string StaticTexts(HWND window);
/* The message text of a message box (its longest Static text). */
std::string MessageBoxText(HWND box);

/* Clicks the child button with the given control id. */
bool PressButton(HWND dialog, int controlId);
/* Posts a key press (down and up) of virtual key to the window. */
void SendKey(HWND window, WORD virtualKey);

/* What an error box showed: waits for the message box of processId (0: any),
 * reads it and presses OK.  found is false when none came in time. */
struct ShownBox {
    bool found;
    std::string caption;
    std::string text;
};
ShownBox CloseMessageBox(DWORD processId, DWORD timeoutMs);

/* Runs work on a thread of its own: a call that blocks its thread in a
 * window of this process (a dialog, a menu) while the test drives that
 * window, or a watcher beside such a call.  Until Finish has seen the work
 * end, the thread uses *call and what work holds. */
struct ThreadCall {
    HANDLE thread;
    std::function<int()> work;
    int result;
};
void StartThreadCall(ThreadCall *call, std::function<int()> work);
/* Waits up to timeoutMs and gives work's result.  When the work has not
 * ended: -1, timedOut is set, and Finish may be called again. */
int FinishThreadCall(ThreadCall *call, DWORD timeoutMs, bool *timedOut = NULL);

/* Closes the message box of this process that appears within timeoutMs,
 * on a thread of its own, for code that shows a box in this very process. */
struct BoxWatcher {
    ThreadCall call;
    ShownBox box;
};
void StartBoxWatcher(BoxWatcher *watcher, DWORD timeoutMs);
ShownBox FinishBoxWatcher(BoxWatcher *watcher);

/* The text of the dialog's child with the given control id ("" when none),
 * and setting it as if typed. */
std::string ControlText(HWND dialog, int controlId);
bool SetControlText(HWND dialog, int controlId, const std::string &text);
