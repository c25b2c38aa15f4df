/*
 * A stand-in for the TPA component: the listener window of class
 * "TPAListenerWndClass", titled "TPAListener", on a thread of its own, bound
 * to the exchange areas of a loaded zorvrni.dll by their export names.  One
 * listener per process, as the component has.
 */
#pragma once

#include <windows.h>
#include <stdint.h>
#include <string>
#include <vector>

/* What gTPARes held each time the response message came. */
struct TpaResponseSeen {
    int deliveries;
    int32_t count;                  /* as found, even out of range */
    std::vector<std::string> texts; /* the slots in use, at most 20 */
};

/* Starts the listener for library's areas; it holds every response message
 * handlingDelayMs before it answers.  False when the areas or the window
 * cannot be had. */
bool StartTpaListener(HMODULE library, DWORD handlingDelayMs);
/* Closes the window and waits for its thread (also while it is slow). */
void StopTpaListener(void);
TpaResponseSeen TpaListenerSeen(void);

/* Fills gTPAReq of library with texts, sets its count to count (which may
 * differ from the number of texts) and only then raises bTPAReqArrived:
 * at once on this thread when delayMs is 0, else after delayMs on the
 * listener's thread.  False when that cannot be arranged. */
bool PlaceTpaRequest(HMODULE library, const std::vector<std::string> &texts, int32_t count,
                     DWORD delayMs);
