/*
 * The Send To menu is built by the library itself from the Send To
 * folder's contents rather than obtained from the shell.  Every entry's id
 * is the next number of one counter, depth-first, so that the chosen id
 * leads back to its item data (the target path) through the whole menu
 * tree.  A hidden window of a fixed class owns the menu: one Send To menu
 * per process at a time.
 */
#include "send_to_menu.h"

#include "alloc.h"
#include "context_menu.h"
#include "error_record.h"
#include "paths.h"
#include "process.h"

#include <shellapi.h>
#include <shlobj.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The menu item record as Windows 95 and NT 4 know it: it ends before
 * hbmpItem, and those systems refuse a larger size; later ones take it. */
static const UINT MENU_ITEM_INFO_SIZE = offsetof(MENUITEMINFOA, hbmpItem);

#if defined(_WIN32) && !defined(_WIN64)
static_assert(MENU_ITEM_INFO_SIZE == 44, "MENUITEMINFOA layout");
static_assert(sizeof(SHFILEINFOA) == 352, "SHFILEINFOA layout");
#endif

static const char SEND_TO_CLASS[] = "ExpCntSendToClass";
static const char SEND_TO_TITLE[] = "Send To";

static int InsertEntry(HMENU menu, UINT *counter, MENUITEMINFOA *item, char *displayName)
{
    item->cbSize = MENU_ITEM_INFO_SIZE;
    item->fType = MFT_STRING;
    item->wID = *counter;
    item->dwTypeData = displayName;
    item->cch = lstrlenA(displayName) + 1;
    if (!InsertMenuItemA(menu, *counter, TRUE, item))
        return STATUS_SYSTEM_ERROR;
    (*counter)++;
    return STATUS_OK;
}

static int AddSubmenu(HWND owner, HMENU menu, UINT *counter, const char *path)
{
    HMENU submenu = CreatePopupMenu();
    if (!submenu)
        return STATUS_SYSTEM_ERROR;
    SHFILEINFOA info;
    ZeroMemory(&info, sizeof(info));
    MENUITEMINFOA item;
    ZeroMemory(&item, sizeof(item));
    item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_TYPE;
    item.hSubMenu = submenu;
    int status = SHGetFileInfoA(path, FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), SHGFI_DISPLAYNAME)
                     ? InsertEntry(menu, counter, &item, info.szDisplayName)
                     : STATUS_SYSTEM_ERROR;
    if (status != STATUS_OK) {
        DestroyMenu(submenu);
        return status;
    }
    /* Inserted, the submenu goes with its parent menu. */
    return FillSendToMenu(owner, submenu, counter, path);
}

/* The target of a shortcut, or the file itself when a program is
 * associated with it; *target stays empty for an entry left out. */
static int EntryTarget(HWND owner, const char *path, DWORD attributes, char *target)
{
    target[0] = '\0';
    if (attributes & SFGAO_LINK) {
        char description[MAX_PATH];
        HRESULT result = ResolveShortcut(owner, path, target, description);
        return FAILED(result) ? StoredFailure((int)result) : STATUS_OK;
    }
    char program[MAX_PATH] = "";
    if ((INT_PTR)FindExecutableA(path, NULL, program) > 32)
        lstrcpynA(target, path, MAX_PATH);
    return STATUS_OK;
}

static int AddFileEntry(HWND owner, HMENU menu, UINT *counter, const char *path)
{
    SHFILEINFOA info;
    ZeroMemory(&info, sizeof(info));
    if (!SHGetFileInfoA(path, FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                        SHGFI_ATTRIBUTES | SHGFI_DISPLAYNAME))
        return STATUS_SYSTEM_ERROR;
    char target[MAX_PATH];
    int status = EntryTarget(owner, path, info.dwAttributes, target);
    /* Nothing to send to: no program, or a shortcut to no file. */
    if (status != STATUS_OK || target[0] == '\0')
        return status;
    char *copy = NULL;
    status = AllocZeroed(&copy, MAX_PATH, 1);
    if (status != STATUS_OK)
        return status;
    lstrcpynA(copy, target, MAX_PATH);
    MENUITEMINFOA item;
    ZeroMemory(&item, sizeof(item));
    item.fMask = MIIM_ID | MIIM_TYPE | MIIM_DATA;
    item.dwItemData = (ULONG_PTR)copy;
    status = InsertEntry(menu, counter, &item, info.szDisplayName);
    if (status != STATUS_OK)
        free(copy);
    return status;
}

static int AddEntry(HWND owner, HMENU menu, UINT *counter, const char *folder,
                    const WIN32_FIND_DATAA *found)
{
    if (lstrcmpA(found->cFileName, ".") == 0 || lstrcmpA(found->cFileName, "..") == 0)
        return STATUS_OK;
    char path[MAX_PATH];
    if (JoinPath(folder, found->cFileName, path, sizeof(path)) != STATUS_OK)
        return STATUS_OK;
    /* A folder with any further attribute (read-only, hidden, system) goes
     * the way of a file: listed only if a program is associated with it. */
    if (found->dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY)
        return AddSubmenu(owner, menu, counter, path);
    return AddFileEntry(owner, menu, counter, path);
}

int FillSendToMenu(HWND owner, HMENU menu, UINT *counter, const char *folder)
{
    char pattern[MAX_PATH];
    int status = JoinPath(folder, "*.*", pattern, sizeof(pattern));
    if (status != STATUS_OK)
        return status;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return STATUS_SYSTEM_ERROR;
    do
        status = AddEntry(owner, menu, counter, folder, &found);
    while (status == STATUS_OK && FindNextFileA(search, &found));
    FindClose(search);
    return status;
}

static HRESULT LoadAndResolve(IShellLinkA *link, IPersistFile *file, HWND owner, const char *path,
                              char *target, char *description)
{
    WCHAR wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) == 0)
        return HRESULT_FROM_WIN32(GetLastError());
    HRESULT result = file->Load(wide, STGM_READ);
    if (SUCCEEDED(result))
        result = link->Resolve(owner, SLR_NO_UI | SLR_ANY_MATCH);
    WIN32_FIND_DATAA found;
    if (SUCCEEDED(result))
        result = link->GetPath(target, MAX_PATH, &found, SLGP_SHORTPATH);
    if (SUCCEEDED(result))
        result = link->GetDescription(description, MAX_PATH);
    return result;
}

HRESULT ResolveShortcut(HWND owner, const char *path, char *target, char *description)
{
    target[0] = '\0';
    description[0] = '\0';
    HRESULT initialized = CoInitialize(NULL);
    IShellLinkA *link = NULL;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      (void **)&link);
    if (SUCCEEDED(result)) {
        IPersistFile *file = NULL;
        result = link->QueryInterface(IID_IPersistFile, (void **)&file);
        if (SUCCEEDED(result)) {
            result = LoadAndResolve(link, file, owner, path, target, description);
            file->Release();
        }
        link->Release();
    }
    /* A target cut by the shell is no target. */
    target[MAX_PATH - 1] = '\0';
    if (SUCCEEDED(initialized))
        CoUninitialize();
    return result;
}

/* The shell's copy takes lists ended by a second NUL. */
static int CopyIntoFolder(HWND owner, const char *file, const char *folder)
{
    char from[MAX_PATH];
    char to[MAX_PATH];
    size_t fileLength = strlen(file);
    size_t folderLength = strlen(folder);
    if (fileLength > MAX_PATH - 2 || folderLength > MAX_PATH - 2)
        return PathTooLongStatus();
    memcpy(from, file, fileLength + 1);
    from[fileLength + 1] = '\0';
    memcpy(to, folder, folderLength + 1);
    to[folderLength + 1] = '\0';
    SHFILEOPSTRUCTA operation;
    ZeroMemory(&operation, sizeof(operation));
    operation.hwnd = owner;
    operation.wFunc = FO_COPY;
    operation.pFrom = from;
    operation.pTo = to;
    operation.fFlags = FOF_ALLOWUNDO;
    return SHFileOperationA(&operation) == 0 ? STATUS_OK : STATUS_SYSTEM_ERROR;
}

/* Both paths quoted, so that blanks in either do not split them. */
static int StartWithFile(const char *program, const char *file)
{
    char commandLine[MAX_PATH];
    int length = snprintf(commandLine, sizeof(commandLine), "\"%s\" \"%s\"", program, file);
    if (length < 0 || length >= (int)sizeof(commandLine))
        return PathTooLongStatus();
    return LaunchProgram(commandLine, 0, 0, NULL);
}

static const char *ItemTarget(HMENU menu, UINT id)
{
    MENUITEMINFOA item;
    ZeroMemory(&item, sizeof(item));
    item.cbSize = MENU_ITEM_INFO_SIZE;
    item.fMask = MIIM_DATA;
    item.cch = MAX_PATH;
    if (!GetMenuItemInfoA(menu, id, FALSE, &item))
        return NULL;
    return (const char *)item.dwItemData;
}

static int SendToChosen(HWND owner, HMENU menu, UINT id, const char *file)
{
    const char *target = ItemTarget(menu, id);
    if (!target)
        return STATUS_SYSTEM_ERROR;
    SHFILEINFOA info;
    ZeroMemory(&info, sizeof(info));
    if (!SHGetFileInfoA(target, FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), SHGFI_ATTRIBUTES))
        return STATUS_SYSTEM_ERROR;
    if (info.dwAttributes & SFGAO_FOLDER)
        return CopyIntoFolder(owner, file, target);
    return StartWithFile(target, file);
}

static void FreeItemData(HMENU menu, UINT counter)
{
    for (UINT id = 1; id < counter; id++)
        free((void *)ItemTarget(menu, id));
}

/* What one showing of the menu holds. */
struct SendToRun {
    IMalloc *allocator;
    HWND owner;
    HMENU menu;
    UINT counter;
    LPITEMIDLIST folderItems;
};

static int BuildMenu(SendToRun *run)
{
    HRESULT result = SHGetSpecialFolderLocation(run->owner, CSIDL_SENDTO, &run->folderItems);
    if (FAILED(result))
        return StoredFailure((int)result);
    char folder[MAX_PATH];
    if (!SHGetPathFromIDListA(run->folderItems, folder))
        return STATUS_SYSTEM_ERROR;
    return FillSendToMenu(run->owner, run->menu, &run->counter, folder);
}

static int TrackAndSend(SendToRun *run, const char *file, const POINT *point)
{
    POINT position;
    int status = MenuPosition(run->owner, point, &position);
    if (status != STATUS_OK)
        return status;
    UINT id = (UINT)TrackPopupMenu(run->menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, position.x,
                                   position.y, 0, run->owner, NULL);
    return id ? SendToChosen(run->owner, run->menu, id, file) : STATUS_OK;
}

static void ReleaseRun(SendToRun *run)
{
    if (run->menu) {
        FreeItemData(run->menu, run->counter);
        DestroyMenu(run->menu);
    }
    if (run->owner)
        DestroyHiddenOwner(run->owner, SEND_TO_CLASS);
    if (run->folderItems)
        run->allocator->Free(run->folderItems);
    if (run->allocator)
        run->allocator->Release();
}

int ShowSendToMenu(const char *file, const POINT *point)
{
    if (!file)
        return InvalidParameterStatus();
    SendToRun run;
    ZeroMemory(&run, sizeof(run));
    run.counter = 1;
    HRESULT result = SHGetMalloc(&run.allocator);
    int status = FAILED(result) ? StoredFailure((int)result) : STATUS_OK;
    if (status == STATUS_OK)
        status = CreateHiddenOwner(SEND_TO_CLASS, SEND_TO_TITLE, &run.owner);
    if (status == STATUS_OK) {
        SetForegroundWindow(run.owner);
        run.menu = CreatePopupMenu();
        if (!run.menu)
            status = STATUS_SYSTEM_ERROR;
    }
    if (status == STATUS_OK)
        status = BuildMenu(&run);
    if (status == STATUS_OK)
        status = TrackAndSend(&run, file, point);
    ReleaseRun(&run);
    return status;
}

static int ShowSendToMenuAtCursor(const char *file) { return ShowSendToMenu(file, NULL); }

int32_t __cdecl com_zorv_ZORVNI_NIWinShOpenSendToMenu(HObject, HString directory, HString name)
{
    return RunMenuExport(directory, name, ShowSendToMenuAtCursor);
}
