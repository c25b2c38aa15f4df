/*
 * The shell's context menu.  The path is parsed into an item ID list from
 * the desktop, the folder that holds the item is reached by binding
 * through each parent item, and that folder hands out the item's menu.
 * The Java client has no window to give, so a hidden window of a fixed
 * class owns the menu: one context menu per process at a time.
 */
#include "context_menu.h"

#include "boundary.h"
#include "error_record.h"
#include "paths.h"
#include "strings.h"

#include <stdlib.h>
#include <string.h>

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(CMINVOKECOMMANDINFO) == 36, "CMINVOKECOMMANDINFO layout");
#endif

static const char CONTEXT_CLASS[] = "ExpCntMenuWndClass";
static const char CONTEXT_TITLE[] = "Explorer Context Menu";
static const UINT FIRST_COMMAND = 1;
static const UINT LAST_COMMAND = 0x7FFF;
/* Handlers may carry out a command asynchronously with the objects the
 * call still holds. */
static const DWORD INVOKE_GRACE_MS = 10000;

int CountItemIds(LPCITEMIDLIST list)
{
    int count = 0;
    for (LPCITEMIDLIST item = list; item && item->mkid.cb != 0; item = NextItemId(item))
        count++;
    return count;
}

LPCITEMIDLIST NextItemId(LPCITEMIDLIST item)
{
    if (item->mkid.cb == 0)
        return NULL;
    return (LPCITEMIDLIST)((const BYTE *)item + item->mkid.cb);
}

LPITEMIDLIST CopySingleItemId(IMalloc *allocator, LPCITEMIDLIST item)
{
    USHORT size = item->mkid.cb;
    if (size == 0)
        return NULL;
    BYTE *copy = (BYTE *)allocator->Alloc(size + sizeof(USHORT));
    if (!copy)
        return NULL;
    memcpy(copy, item, size);
    memset(copy + size, 0, sizeof(USHORT));
    return (LPITEMIDLIST)copy;
}

LRESULT CALLBACK HiddenOwnerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE || message == WM_COMMAND) {
        DestroyWindow(window);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int CreateHiddenOwner(const char *className, const char *title, HWND *window)
{
    HINSTANCE instance = GetModuleHandleA(NULL);
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.lpfnWndProc = HiddenOwnerWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(NULL, IDI_WINLOGO);
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = className;
    if (!RegisterClassA(&windowClass))
        return STATUS_SYSTEM_ERROR;
    HWND created = CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL,
                                   instance, NULL);
    if (!created) {
        DWORD error = GetLastError();
        UnregisterClassA(className, instance);
        SetLastError(error);
        return STATUS_SYSTEM_ERROR;
    }
    *window = created;
    return STATUS_OK;
}

void DestroyHiddenOwner(HWND window, const char *className)
{
    /* The window may have destroyed itself on a close request. */
    if (IsWindow(window))
        DestroyWindow(window);
    UnregisterClassA(className, GetModuleHandleA(NULL));
}

int MenuPosition(HWND owner, const POINT *point, POINT *position)
{
    if (point) {
        *position = *point;
        return ClientToScreen(owner, position) ? STATUS_OK : STATUS_SYSTEM_ERROR;
    }
    return GetCursorPos(position) ? STATUS_OK : STATUS_SYSTEM_ERROR;
}

/* The shell takes UTF-16: the full path is always converted from the ANSI
 * code page, never guessed to be UTF-16 already. */
static int WideFullPath(const char *path, WCHAR *wide)
{
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(path, MAX_PATH, full, NULL);
    if (length == 0)
        return STATUS_SYSTEM_ERROR;
    if (length >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return STATUS_SYSTEM_ERROR;
    }
    if (MultiByteToWideChar(CP_ACP, 0, full, -1, wide, MAX_PATH) == 0)
        return STATUS_SYSTEM_ERROR;
    return STATUS_OK;
}

/* What one showing of the menu holds; released in the reverse order. */
struct ContextMenuRun {
    IMalloc *allocator;
    HWND owner;
    HWND hiddenOwner;
    IShellFolder *folder;
    LPITEMIDLIST items;
    IContextMenu *menu;
    HMENU popup;
};

static int ParsePath(ContextMenuRun *run, WCHAR *wide)
{
    HRESULT result = SHGetDesktopFolder(&run->folder);
    if (FAILED(result))
        return StoredFailure((int)result);
    ULONG eaten = 0;
    ULONG attributes = 0;
    result = run->folder->ParseDisplayName(run->owner, NULL, wide, &eaten, &run->items,
                                           &attributes);
    if (FAILED(result) || !run->items)
        return StoredFailure(FAILED(result) ? (int)result : (int)E_FAIL);
    return STATUS_OK;
}

/* Binds from the desktop through every parent item, so that run->folder
 * holds the last item; *last points into the full list. */
static int BindToParent(ContextMenuRun *run, int count, LPCITEMIDLIST *last)
{
    LPCITEMIDLIST item = run->items;
    for (int i = 0; i < count - 1; i++) {
        LPITEMIDLIST single = CopySingleItemId(run->allocator, item);
        if (!single)
            return StoredFailure((int)E_OUTOFMEMORY);
        IShellFolder *child = NULL;
        HRESULT result = run->folder->BindToObject(single, NULL, IID_IShellFolder, (void **)&child);
        run->allocator->Free(single);
        if (FAILED(result))
            return StoredFailure((int)result);
        run->folder->Release();
        run->folder = child;
        item = NextItemId(item);
    }
    *last = item;
    return STATUS_OK;
}

static int FillMenu(ContextMenuRun *run, LPCITEMIDLIST last)
{
    HRESULT result = run->folder->GetUIObjectOf(run->owner, 1, &last, IID_IContextMenu, NULL,
                                                (void **)&run->menu);
    if (FAILED(result))
        return StoredFailure((int)result);
    run->popup = CreatePopupMenu();
    if (!run->popup)
        return STATUS_SYSTEM_ERROR;
    result = run->menu->QueryContextMenu(run->popup, 0, FIRST_COMMAND, LAST_COMMAND, CMF_EXPLORE);
    return FAILED(result) ? StoredFailure((int)result) : STATUS_OK;
}

static int InvokeChosen(ContextMenuRun *run, UINT command)
{
    CMINVOKECOMMANDINFO invoke;
    ZeroMemory(&invoke, sizeof(invoke));
    invoke.cbSize = sizeof(invoke);
    invoke.fMask = CMIC_MASK_ASYNCOK | CMIC_MASK_FLAG_NO_UI;
    invoke.hwnd = run->owner;
    invoke.lpVerb = MAKEINTRESOURCEA(command - FIRST_COMMAND);
    invoke.nShow = SW_SHOWNORMAL;
    HRESULT result = run->menu->InvokeCommand(&invoke);
    if (FAILED(result))
        return StoredFailure((int)result);
    Sleep(INVOKE_GRACE_MS);
    return STATUS_OK;
}

static int TrackAndInvoke(ContextMenuRun *run, const POINT *point)
{
    POINT position;
    int status = MenuPosition(run->owner, point, &position);
    if (status != STATUS_OK)
        return status;
    UINT command = (UINT)TrackPopupMenu(run->popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, position.x,
                                        position.y, 0, run->owner, NULL);
    return command ? InvokeChosen(run, command) : STATUS_OK;
}

/* An item ID list without items is the desktop itself: no menu. */
static int ShowForItems(ContextMenuRun *run, const POINT *point)
{
    int count = CountItemIds(run->items);
    if (count == 0)
        return STATUS_OK;
    LPCITEMIDLIST last = NULL;
    int status = BindToParent(run, count, &last);
    if (status == STATUS_OK)
        status = FillMenu(run, last);
    if (status == STATUS_OK)
        status = TrackAndInvoke(run, point);
    return status;
}

static void ReleaseRun(ContextMenuRun *run)
{
    if (run->popup)
        DestroyMenu(run->popup);
    if (run->menu)
        run->menu->Release();
    if (run->items)
        run->allocator->Free(run->items);
    if (run->hiddenOwner)
        DestroyHiddenOwner(run->hiddenOwner, CONTEXT_CLASS);
    if (run->folder)
        run->folder->Release();
    if (run->allocator)
        run->allocator->Release();
}

int ShowShellContextMenu(HWND owner, const char *path, const POINT *point)
{
    if (!path)
        return InvalidParameterStatus();
    ContextMenuRun run;
    ZeroMemory(&run, sizeof(run));
    WCHAR wide[MAX_PATH];
    int status = WideFullPath(path, wide);
    if (status == STATUS_OK) {
        HRESULT result = SHGetMalloc(&run.allocator);
        if (FAILED(result))
            status = StoredFailure((int)result);
    }
    run.owner = owner;
    if (status == STATUS_OK && !owner) {
        status = CreateHiddenOwner(CONTEXT_CLASS, CONTEXT_TITLE, &run.hiddenOwner);
        run.owner = run.hiddenOwner;
    }
    if (status == STATUS_OK) {
        SetForegroundWindow(run.owner);
        status = ParsePath(&run, wide);
    }
    if (status == STATUS_OK)
        status = ShowForItems(&run, point);
    ReleaseRun(&run);
    return status;
}

/* A blank name names the directory itself, which goes to the shell as it
 * stands; otherwise the trimmed name is joined to it. */
static int MenuPath(char *directory, char *name, char *joined, const char **path)
{
    if (IsBlankString(name)) {
        *path = directory;
        return STATUS_OK;
    }
    *path = joined;
    return JoinPath(directory, TrimBlanks(name), joined, MAX_PATH);
}

int RunMenuExport(HString directory, HString name, int (*show)(const char *path))
{
    char *directoryText = NULL;
    char *nameText = NULL;
    /* cppcheck-suppress variableScope ; path points into it after MenuPath */
    char joined[MAX_PATH] = "";
    const char *path = NULL;
    int status = JavaNamesToAnsi(directory, name, &directoryText, &nameText);
    if (status == STATUS_OK)
        status = MenuPath(directoryText, nameText, joined, &path);
    if (status == STATUS_OK)
        status = show(path);
    free(directoryText);
    free(nameText);
    return status == STATUS_OK ? 0 : 1;
}

static int ShowContextMenuAtCursor(const char *path)
{
    return ShowShellContextMenu(NULL, path, NULL);
}

int32_t __cdecl com_zorv_ZORVNI_NIWinShOpenContextMenu(HObject, HString directory, HString name)
{
    return RunMenuExport(directory, name, ShowContextMenuAtCursor);
}
