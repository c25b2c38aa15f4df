/*
 * Resource counts for leak tests.  The handle list comes from
 * NtQuerySystemInformation, the one way to see it under Wine.
 */
#include "resources.h"

#include <malloc.h>
#include <stdlib.h>

#include "msjava_standin.h"

enum { SYSTEM_HANDLE_INFORMATION = 16 };
static const LONG STATUS_INFO_LENGTH_MISMATCH = (LONG)0xC0000004;

struct HandleEntry {
    ULONG processId;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};

struct HandleList {
    ULONG count;
    HandleEntry entries[1];
};

typedef LONG(WINAPI *QuerySystemInformation)(ULONG, PVOID, ULONG, PULONG);

static long CountListedHandles(void)
{
    QuerySystemInformation query = (QuerySystemInformation)(void *)GetProcAddress(
        GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation");
    if (!query)
        return -1;
    long count = -1;
    for (ULONG size = 1 << 16; size <= (1u << 26) && count < 0; size *= 2) {
        HandleList *list = (HandleList *)malloc(size);
        if (!list)
            break;
        ULONG needed = 0;
        LONG status = query(SYSTEM_HANDLE_INFORMATION, list, size, &needed);
        if (status == 0) {
            count = 0;
            for (ULONG i = 0; i < list->count; i++)
                if (list->entries[i].processId == GetCurrentProcessId())
                    count++;
        }
        free(list);
        if (status != 0 && status != STATUS_INFO_LENGTH_MISMATCH)
            break;
    }
    return count;
}

/* Handle indices run up to 0xffff; USER ones are even and start at 0x20. */
static long ProbeGdiObjects(void)
{
    long count = 0;
    for (ULONG_PTR index = 1; index <= 0xffff; index++)
        if (GetObjectType((HGDIOBJ)index))
            count++;
    return count;
}

static void ProbeUserObjects(long *windows, long *menus)
{
    *windows = 0;
    *menus = 0;
    for (ULONG_PTR index = 0x20; index <= 0xffff; index += 2) {
        DWORD owner = 0;
        if (IsWindow((HWND)index) && GetWindowThreadProcessId((HWND)index, &owner) &&
            owner == GetCurrentProcessId())
            (*windows)++;
        else if (IsMenu((HMENU)index))
            (*menus)++;
    }
}

long UsedCrtHeapBlocks(void)
{
    long used = 0;
    _HEAPINFO info = {};
    while (_heapwalk(&info) == _HEAPOK)
        if (info._useflag == _USEDENTRY)
            used++;
    return used;
}

static long UsedProcessHeapBlocks(void)
{
    HANDLE heap = GetProcessHeap();
    long used = 0;
    PROCESS_HEAP_ENTRY entry = {};
    HeapLock(heap);
    while (HeapWalk(heap, &entry))
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
            used++;
    HeapUnlock(heap);
    return used;
}

void TakeResourceCounts(ResourceCounts *counts)
{
    counts->vmObjects = StandinCollect(NULL, 0);
    counts->handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &counts->handles);
    counts->listedHandles = CountListedHandles();
    counts->gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    counts->userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    counts->probedGdiObjects = ProbeGdiObjects();
    ProbeUserObjects(&counts->probedWindows, &counts->probedMenus);
    counts->crtHeapBlocks = UsedCrtHeapBlocks();
    counts->processHeapBlocks = UsedProcessHeapBlocks();
}

static void AddGrowth(std::string *text, const char *name, long before, long after)
{
    if (after > before)
        *text += std::string(name) + ": " + std::to_string(before) + " -> " +
                 std::to_string(after) + "\n";
}

std::string DescribeGrowth(const ResourceCounts &before, const ResourceCounts &after,
                           long cacheSlack)
{
    std::string text;
    AddGrowth(&text, "handles", before.handles, after.handles);
    AddGrowth(&text, "listed handles", before.listedHandles, after.listedHandles);
    AddGrowth(&text, "GDI objects", before.gdiObjects, after.gdiObjects);
    AddGrowth(&text, "USER objects", before.userObjects, after.userObjects);
    AddGrowth(&text, "probed GDI objects", before.probedGdiObjects + cacheSlack,
              after.probedGdiObjects);
    AddGrowth(&text, "probed windows", before.probedWindows, after.probedWindows);
    AddGrowth(&text, "probed menus", before.probedMenus, after.probedMenus);
    AddGrowth(&text, "C run-time heap blocks", before.crtHeapBlocks, after.crtHeapBlocks);
    AddGrowth(&text, "process heap blocks", before.processHeapBlocks + cacheSlack,
              after.processHeapBlocks);
    AddGrowth(&text, "stand-in VM objects", before.vmObjects, after.vmObjects);
    return text;
}
