/*
 * The request exchange with the TPA component that lives in this process,
 * and the entry by which native code runs a Java class's main().  The
 * component binds the three areas below by their export names.
 */
#pragma once

#include "rni.h"

enum { TPA_SLOT_COUNT = 20, TPA_SLOT_SIZE = 1024 };

/* Results of NIListenTPARequest, stored into element 0 of its state. */
enum { TPA_STATE_NONE = 1, TPA_STATE_REQUEST = 2, TPA_STATE_FAILED = 4 };

/* Sent to the listener once gTPARes holds a response. */
enum { WM_TPA_RESPONSE = WM_APP + 103, TPA_DELIVERY_TIMEOUT_MS = 2000 };
#define TPA_LISTENER_CLASS "TPAListenerWndClass"
#define TPA_LISTENER_TITLE "TPAListener"

/* A request or response: 20 slots of NUL-terminated ANSI text, then how
 * many of them are in use.  The component relies on this layout. */
struct TpaArea {
    char slots[TPA_SLOT_COUNT][TPA_SLOT_SIZE];
    int32_t count;
};
static_assert(sizeof(TpaArea) == 20484, "exchange area layout");

extern "C" {
extern TpaArea gTPAReq;
extern TpaArea gTPARes;
/* Non-zero while a request waits in gTPAReq; the component raises it. */
extern int32_t bTPAReqArrived;

/* Writes each row of response (when not null) into gTPARes from slot 0 and
 * sends WM_TPA_RESPONSE to the listener; then, unless that failed, waits
 * seconds once when no request is waiting.  Returns a new String[][] of
 * one row holding the waiting request (and clears the flag), or null.
 * state receives one of the TPA_STATE_* values.  Raises no ZORVException;
 * a null or empty state raises the VM's error for it and nothing is done. */
HObject __cdecl com_zorv_ZORVNI_NIListenTPARequest(HObject self, int32_t seconds,
                                                   ArrayOfArray *response, ArrayOfInt *state);

/* Runs the static main() of className on the calling thread, inside the
 * VM.  Returns 0; on failure shows the error box and ends the process with
 * exit code 1. */
int32_t __stdcall RNIRunMsJVM(const char *className);
}
