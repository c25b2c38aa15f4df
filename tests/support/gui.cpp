/*
 * Window helpers for tests.  Message boxes are dialogs of class "#32770";
 * their text is a Static child, next to the Static that holds the icon.
 */
#include "gui.h"

struct WindowQuery {
    const char *className;
    const char *title;
    DWORD processId;
    HWND found;
};

static bool TextEquals(HWND window, const char *expected, bool asClass)
{
    if (!expected)
        return true;
    char text[256];
    int length = asClass ? GetClassNameA(window, text, sizeof(text))
                         : GetWindowTextA(window, text, sizeof(text));
    return length >= 0 && length < (int)sizeof(text) && lstrcmpA(text, expected) == 0;
}

static BOOL CALLBACK MatchTopWindow(HWND window, LPARAM context)
{
    WindowQuery *query = (WindowQuery *)context;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (!IsWindowVisible(window) || (query->processId && owner != query->processId))
        return TRUE;
    if (!TextEquals(window, query->className, true) || !TextEquals(window, query->title, false))
        return TRUE;
    query->found = window;
    return FALSE;
}

HWND WaitForTopWindow(const char *className, const char *title, DWORD processId, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        WindowQuery query = {className, title, processId, NULL};
        EnumWindows(MatchTopWindow, (LPARAM)&query);
        if (query.found || GetTickCount() - start >= timeoutMs)
            return query.found;
        Sleep(50);
    }
}

/* Reads a window's text through WM_GETTEXT, which works across processes. */
static std::string TextOf(HWND window)
{
    LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    std::string text(length + 1, '\0');
    LRESULT copied = SendMessageA(window, WM_GETTEXT, text.size(), (LPARAM)&text[0]);
    text.resize(copied > 0 && copied <= length ? copied : 0);
    return text;
}

std::string WindowTitle(HWND window) { return TextOf(window); }

static BOOL CALLBACK CollectStatic(HWND child, LPARAM context)
{
    std::string *texts = (std::string *)context;
    char className[32];
    GetClassNameA(child, className, sizeof(className));
    if (lstrcmpiA(className, "Static") == 0) {
        if (!texts->empty())
            *texts += "\n";
        *texts += TextOf(child);
    }
    return TRUE;
}

std::string StaticTexts(HWND window)
{
    std::string texts;
    EnumChildWindows(window, CollectStatic, (LPARAM)&texts);
    return texts;
}

static BOOL CALLBACK LongestStatic(HWND child, LPARAM context)
{
    std::string *longest = (std::string *)context;
    char className[32];
    GetClassNameA(child, className, sizeof(className));
    if (lstrcmpiA(className, "Static") == 0) {
        std::string text = TextOf(child);
        if (text.size() > longest->size())
            *longest = text;
    }
    return TRUE;
}

std::string MessageBoxText(HWND box)
{
    std::string text;
    EnumChildWindows(box, LongestStatic, (LPARAM)&text);
    return text;
}

bool PressButton(HWND dialog, int controlId)
{
    HWND button = GetDlgItem(dialog, controlId);
    if (!button)
        return false;
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED), (LPARAM)button);
    return true;
}

void SendKey(HWND window, WORD virtualKey)
{
    PostMessageA(window, WM_KEYDOWN, virtualKey, 1);
    PostMessageA(window, WM_KEYUP, virtualKey, 0xC0000001);
}

ShownBox CloseMessageBox(DWORD processId, DWORD timeoutMs)
{
    ShownBox shown = {false, "", ""};
    HWND box = WaitForTopWindow("#32770", NULL, processId, timeoutMs);
    if (!box)
        return shown;
    shown.found = true;
    shown.caption = WindowTitle(box);
    shown.text = MessageBoxText(box);
    if (!PressButton(box, IDOK))
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    /* Wait until it is gone, so the next box is not mistaken for this one. */
    for (DWORD waited = 0; IsWindow(box) && waited < timeoutMs; waited += 20)
        Sleep(20);
    return shown;
}

static DWORD WINAPI RunThreadCall(LPVOID context)
{
    ThreadCall *call = (ThreadCall *)context;
    call->result = call->work();
    return 0;
}

void StartThreadCall(ThreadCall *call, std::function<int()> work)
{
    call->work = work;
    call->result = -1;
    call->thread = CreateThread(NULL, 0, RunThreadCall, call, 0, NULL);
}

int FinishThreadCall(ThreadCall *call, DWORD timeoutMs, bool *timedOut)
{
    bool late = !call->thread || WaitForSingleObject(call->thread, timeoutMs) != WAIT_OBJECT_0;
    if (timedOut)
        *timedOut = late;
    if (late)
        return -1;
    CloseHandle(call->thread);
    call->thread = NULL;
    return call->result;
}

void StartBoxWatcher(BoxWatcher *watcher, DWORD timeoutMs)
{
    watcher->box = ShownBox{false, "", ""};
    DWORD processId = GetCurrentProcessId();
    StartThreadCall(&watcher->call, [watcher, processId, timeoutMs] {
        watcher->box = CloseMessageBox(processId, timeoutMs);
        return 0;
    });
}

ShownBox FinishBoxWatcher(BoxWatcher *watcher)
{
    FinishThreadCall(&watcher->call, INFINITE);
    return watcher->box;
}

std::string ControlText(HWND dialog, int controlId)
{
    HWND control = GetDlgItem(dialog, controlId);
    return control ? TextOf(control) : std::string();
}

bool SetControlText(HWND dialog, int controlId, const std::string &text)
{
    return SetDlgItemTextA(dialog, controlId, text.c_str()) != 0;
}
