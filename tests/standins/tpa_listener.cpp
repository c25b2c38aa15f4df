/*
 * The TPA listener stand-in.  It reads and writes the exchange areas the
 * way the component does, through the data exports of the real library,
 * and answers the response message on its own thread, so that the
 * library's send crosses threads as it does in the product.
 */
#include "tpa_listener.h"

#include "tpa_exchange.h"

#include <string.h>

enum { WM_PLACE_LATER = WM_APP + 1, PLACE_TIMER = 1 };

struct TpaBinding {
    TpaArea *request;
    TpaArea *response;
    int32_t *flag;
};

struct PendingRequest {
    TpaBinding binding;
    std::vector<std::string> texts;
    int32_t count;
};

static CRITICAL_SECTION g_lock; /* guards g_seen */
static TpaResponseSeen g_seen;
static TpaBinding g_binding;
static DWORD g_delayMs;
static HANDLE g_thread;
static HWND g_window;
static PendingRequest g_later; /* the request a timer will place */

static bool Bind(HMODULE library, TpaBinding *binding)
{
    binding->request = (TpaArea *)(void *)GetProcAddress(library, "gTPAReq");
    binding->response = (TpaArea *)(void *)GetProcAddress(library, "gTPARes");
    binding->flag = (int32_t *)(void *)GetProcAddress(library, "bTPAReqArrived");
    return binding->request && binding->response && binding->flag;
}

static void WriteRequest(const PendingRequest &pending)
{
    TpaArea *area = pending.binding.request;
    memset(area->slots, 0, sizeof(area->slots));
    for (size_t j = 0; j < pending.texts.size() && j < TPA_SLOT_COUNT; j++)
        lstrcpynA(area->slots[j], pending.texts[j].c_str(), TPA_SLOT_SIZE);
    area->count = pending.count;
    /* The library may read the area the moment the flag is up. */
    MemoryBarrier();
    *(volatile int32_t *)pending.binding.flag = 1;
}

static void RecordResponse(void)
{
    const TpaArea *area = g_binding.response;
    EnterCriticalSection(&g_lock);
    g_seen.deliveries++;
    g_seen.count = area->count;
    g_seen.texts.clear();
    for (int j = 0; j < area->count && j < TPA_SLOT_COUNT; j++)
        g_seen.texts.push_back(std::string(area->slots[j], strnlen(area->slots[j], TPA_SLOT_SIZE)));
    LeaveCriticalSection(&g_lock);
}

static LRESULT CALLBACK ListenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TPA_RESPONSE:
        Sleep(g_delayMs);
        RecordResponse();
        return 0;
    case WM_PLACE_LATER: SetTimer(window, PLACE_TIMER, (UINT)wParam, NULL); return 0;
    case WM_TIMER:
        KillTimer(window, PLACE_TIMER);
        WriteRequest(g_later);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static DWORD WINAPI ListenerThread(void *ready)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ListenerProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = TPA_LISTENER_CLASS;
    RegisterClassA(&windowClass); /* may remain from an earlier listener */
    g_window = CreateWindowA(TPA_LISTENER_CLASS, TPA_LISTENER_TITLE, WS_OVERLAPPED, 0, 0, 10, 10,
                             NULL, NULL, windowClass.hInstance, NULL);
    SetEvent((HANDLE)ready);
    if (!g_window)
        return 1;
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

bool StartTpaListener(HMODULE library, DWORD handlingDelayMs)
{
    static LONG initialized;
    if (InterlockedExchange(&initialized, 1) == 0)
        InitializeCriticalSection(&g_lock);
    if (g_thread || !Bind(library, &g_binding))
        return false;
    g_delayMs = handlingDelayMs;
    g_seen = TpaResponseSeen{0, 0, {}};
    HANDLE ready = CreateEventA(NULL, TRUE, FALSE, NULL);
    g_thread = CreateThread(NULL, 0, ListenerThread, ready, 0, NULL);
    if (g_thread)
        WaitForSingleObject(ready, 10000);
    CloseHandle(ready);
    if (!g_window)
        StopTpaListener();
    return g_window != NULL;
}

void StopTpaListener(void)
{
    if (g_window)
        PostMessageA(g_window, WM_CLOSE, 0, 0);
    if (g_thread) {
        WaitForSingleObject(g_thread, 30000);
        CloseHandle(g_thread);
    }
    g_thread = NULL;
    g_window = NULL;
}

TpaResponseSeen TpaListenerSeen(void)
{
    EnterCriticalSection(&g_lock);
    TpaResponseSeen seen = g_seen;
    LeaveCriticalSection(&g_lock);
    return seen;
}

bool PlaceTpaRequest(HMODULE library, const std::vector<std::string> &texts, int32_t count,
                     DWORD delayMs)
{
    PendingRequest pending = {{}, texts, count};
    if (!Bind(library, &pending.binding))
        return false;
    if (delayMs == 0) {
        WriteRequest(pending);
        return true;
    }
    if (!g_window)
        return false;
    /* In place before the message goes out; read when its timer fires. */
    g_later = pending;
    return PostMessageA(g_window, WM_PLACE_LATER, delayMs, 0) != 0;
}
