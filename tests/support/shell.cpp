/*
 * Shell fixtures.  A popup menu is driven through its window: MN_GETHMENU
 * gives its menu, and keys posted to the window reach the menu loop of the
 * thread that tracks it.
 */
#include "shell.h"

#include "alloc.h"
#include "child.h"

#include "gui.h"

#include <shellapi.h>
#include <shlobj.h>

ScopedAssociation::ScopedAssociation(const std::string &extension, const std::string &id,
                                     const std::string &command, const char *verb)
    : progIdKey(HKEY_CLASSES_ROOT, id, NULL), extensionKey(HKEY_CLASSES_ROOT, extension, NULL),
      progId(id)
{
    progIdKey.Set(REG_SZ, id.c_str(), (DWORD)id.size() + 1);
    extensionKey.Set(REG_SZ, id.c_str(), (DWORD)id.size() + 1);
    AddVerb(verb, command);
}

bool ScopedAssociation::AddVerb(const char *verb, const std::string &command) const
{
    std::string key = progId + "\\shell\\" + verb + "\\command";
    HKEY handle = NULL;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL, &handle,
                        NULL) != ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(handle, NULL, 0, REG_SZ, (const BYTE *)command.c_str(),
                                 (DWORD)command.size() + 1);
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

struct MenuQuery {
    DWORD processId;
    HWND found;
};

static BOOL CALLBACK MatchMenuWindow(HWND window, LPARAM context)
{
    MenuQuery *query = (MenuQuery *)context;
    char className[16];
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == query->processId && IsWindowVisible(window) &&
        GetClassNameA(window, className, sizeof(className)) > 0 &&
        lstrcmpA(className, "#32768") == 0) {
        query->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForMenuWindow(DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        MenuQuery query = {GetCurrentProcessId(), NULL};
        EnumWindows(MatchMenuWindow, (LPARAM)&query);
        if (query.found || GetTickCount() - start >= timeoutMs)
            return query.found;
        Sleep(50);
    }
}

HMENU MenuOfWindow(HWND menuWindow) { return (HMENU)SendMessageA(menuWindow, MN_GETHMENU, 0, 0); }

std::vector<std::string> MenuTexts(HMENU menu)
{
    std::vector<std::string> texts;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; i++) {
        char text[MAX_PATH] = "";
        int length = GetMenuStringA(menu, i, text, sizeof(text), MF_BYPOSITION);
        texts.push_back(length > 0 && length < (int)sizeof(text) ? text : "");
    }
    return texts;
}

static bool Highlighted(HMENU menu, int position)
{
    UINT state = GetMenuState(menu, position, MF_BYPOSITION);
    return state != (UINT)-1 && (state & MF_HILITE);
}

/* The menu loop may open with an entry selected or none: Down moves until
 * the wanted entry is the highlighted one. */
bool ChooseMenuEntry(HWND menuWindow, HMENU menu, int position)
{
    int count = GetMenuItemCount(menu);
    for (int step = 0; step <= count && !Highlighted(menu, position); step++) {
        SendKey(menuWindow, VK_DOWN);
        for (int waited = 0; waited < 500 && !Highlighted(menu, position); waited += 20)
            Sleep(20);
    }
    if (!Highlighted(menu, position))
        return false;
    SendKey(menuWindow, VK_RETURN);
    return true;
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs)
{
    for (DWORD waited = 0; IsWindow(window) && IsWindowVisible(window); waited += 20) {
        if (waited >= timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}

bool CreateShortcut(const std::string &linkPath, const std::string &target)
{
    HRESULT initialized = CoInitialize(NULL);
    IShellLinkA *link = NULL;
    IPersistFile *file = NULL;
    WCHAR wide[MAX_PATH];
    HRESULT result = CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      (void **)&link);
    if (SUCCEEDED(result))
        result = link->SetPath(target.c_str());
    if (SUCCEEDED(result))
        result = link->QueryInterface(IID_IPersistFile, (void **)&file);
    if (SUCCEEDED(result) &&
        MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, ARRAY_SIZE(wide)) == 0)
        result = E_FAIL;
    if (SUCCEEDED(result))
        result = file->Save(wide, TRUE);
    if (file)
        file->Release();
    if (link)
        link->Release();
    if (SUCCEEDED(initialized))
        CoUninitialize();
    return SUCCEEDED(result);
}

std::string ShellDisplayName(const std::string &path)
{
    SHFILEINFOA info = {};
    if (!SHGetFileInfoA(path.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                        SHGFI_DISPLAYNAME))
        return "<no display name>";
    return info.szDisplayName;
}

ScopedSendToFolder::ScopedSendToFolder()
{
    char folder[MAX_PATH] = "";
    SHGetSpecialFolderPathA(NULL, folder, CSIDL_SENDTO, TRUE);
    path = folder;
    saved = path + ".saved-by-test";
    RemoveTree(saved);
    if (!MoveFileA(path.c_str(), saved.c_str()))
        saved.clear();
    CreateDirectoryA(path.c_str(), NULL);
}

ScopedSendToFolder::~ScopedSendToFolder()
{
    RemoveTree(path);
    if (!saved.empty())
        MoveFileA(saved.c_str(), path.c_str());
    else
        CreateDirectoryA(path.c_str(), NULL);
}
