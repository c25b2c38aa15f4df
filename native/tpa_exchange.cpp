/*
 * The TPA exchange: responses go out through gTPARes and a message sent to
 * the listener window, requests come in through gTPAReq and its flag.  The
 * two sides take turns only by the flag and by the synchronous message;
 * nothing here is locked.  Every count read from or written to an area is
 * kept within its 20 slots, and a slot is never read past its end.
 *
 * RNIRunMsJVM is the native way into the VM: it runs a class's main() and,
 * having no caller that could handle a failure, ends the process on one.
 */
#include "tpa_exchange.h"

#include "alloc.h"
#include "boundary.h"

#include <direct.h>
#include <string.h>

extern "C" {
TpaArea gTPAReq;
TpaArea gTPARes;
int32_t bTPAReqArrived;
}

#define STRING_CLASS "java/lang/String"

static int SlotCount(int32_t count)
{
    return count < 0 ? 0 : count > TPA_SLOT_COUNT ? TPA_SLOT_COUNT : count;
}

/* The component raises the flag from a thread of its own. */
static bool RequestWaiting(void) { return *(volatile int32_t *)&bTPAReqArrived != 0; }

/* A negative wait is no wait; a huge one stops short of INFINITE. */
static DWORD WaitMilliseconds(int32_t seconds)
{
    if (seconds <= 0)
        return 0;
    unsigned long long milliseconds = (unsigned long long)seconds * 1000;
    return milliseconds >= INFINITE ? INFINITE - 1 : (DWORD)milliseconds;
}

/* Each slot is cleared first, so that a shorter text leaves no trace of the
 * one before; a text that cannot be converted leaves its slot empty. */
static void WriteResponseRow(const ArrayOfString *row)
{
    int count = row ? SlotCount(row->length) : 0;
    for (int j = 0; j < count; j++) {
        memset(gTPARes.slots[j], 0, TPA_SLOT_SIZE);
        JavaStringToBuffer(row->body[j], gTPARes.slots[j], TPA_SLOT_SIZE);
    }
    gTPARes.count = count;
}

static int DeliverResponse(const ArrayOfArray *response)
{
    for (int i = 0; i < response->length; i++)
        WriteResponseRow((const ArrayOfString *)response->body[i]);
    HWND listener = FindWindowA(TPA_LISTENER_CLASS, TPA_LISTENER_TITLE);
    if (!listener)
        return STATUS_SYSTEM_ERROR;
    DWORD_PTR answer = 0;
    /* A failed send with no error code still counts as delivered, so a
     * stale code must not be mistaken for the send's. */
    SetLastError(0);
    if (!SendMessageTimeoutA(listener, WM_TPA_RESPONSE, 0, 0, SMTO_NORMAL, TPA_DELIVERY_TIMEOUT_MS,
                             &answer) &&
        GetLastError() != 0)
        return STATUS_SYSTEM_ERROR;
    return STATUS_OK;
}

static HString SlotToJavaString(const char *slot)
{
    /* The component may fill a slot to its last byte without a NUL. */
    char text[TPA_SLOT_SIZE + 1];
    memcpy(text, slot, TPA_SLOT_SIZE);
    text[TPA_SLOT_SIZE] = '\0';
    return AnsiToJavaString(text);
}

/* *result receives the outer array as soon as it exists, so that a failed
 * row still hands it back with a null element 0. */
static int CollectRequest(HObject *result)
{
    ArrayOfArray *outer = (ArrayOfArray *)ClassArrayAlloc(T_CLASS, 1, STRING_CLASS);
    if (!outer)
        return AppFailure("Cannot allocate array for TPA request.", 0);
    *result = (HObject)outer;
    int count = SlotCount(gTPAReq.count);
    ArrayOfString *row = (ArrayOfString *)ClassArrayAlloc(T_CLASS, count, STRING_CLASS);
    if (!row)
        return AppFailure("Cannot allocate array for TPA request.", 0);
    for (int j = 0; j < count; j++)
        row->body[j] = SlotToJavaString(gTPAReq.slots[j]);
    outer->body[0] = (HObject)row;
    return STATUS_OK;
}

HObject __cdecl com_zorv_ZORVNI_NIListenTPARequest(HObject, int32_t seconds, ArrayOfArray *response,
                                                   ArrayOfInt *state)
{
    HObject result = NULL;
    const OutParameter outs[] = {{state, true}};
    int status = CheckOutParameters(outs, ARRAY_SIZE(outs));
    /* Nothing is delivered or taken for a state that cannot be stored. */
    if (status != STATUS_OK)
        return NULL;
    status = response ? DeliverResponse(response) : STATUS_OK;
    /* One wait, not a poll: a request that comes meanwhile is seen after it. */
    if (status == STATUS_OK && !RequestWaiting())
        Sleep(WaitMilliseconds(seconds));
    if (status == STATUS_OK && !RequestWaiting()) {
        state->body[0] = TPA_STATE_NONE;
        return NULL;
    }
    if (status == STATUS_OK)
        status = CollectRequest(&result);
    if (status == STATUS_OK) {
        state->body[0] = TPA_STATE_REQUEST;
        bTPAReqArrived = 0;
    } else {
        state->body[0] = TPA_STATE_FAILED;
    }
    return result;
}

static int RunMain(const char *className)
{
    HClass cls = className ? FindClass(NULL, className, TRUE) : NULL;
    if (!cls) {
        char directory[MAX_PATH] = "";
        if (!_getcwd(directory, sizeof(directory)))
            directory[0] = '\0';
        return AppFailure("Cannot retrieve a class object pointer for the Java class %s "
                          "from the location %s.",
                          2, className, directory);
    }
    execute_java_static_method(NULL, cls, "main", "()V");
    return STATUS_OK;
}

int32_t __stdcall RNIRunMsJVM(const char *className)
{
    ThreadEntryFrame frame;
    int status = STATUS_OK;
    if (!PrepareThreadForJava(&frame)) {
        status = AppFailure("Cannot prepare a Java thread for entering the virtual machine.", 0);
    } else {
        status = RunMain(className);
        UnprepareThreadForJava(&frame);
    }
    if (status != STATUS_OK) {
        ShowErrorRecord(status);
        ExitProcess(1);
    }
    return status;
}
