/*
 * The stand-in VM's own controls and views, for tests: what a real VM
 * would show as Java objects, pending exceptions and thread state.
 */
#pragma once

#include "rni.h"

#ifdef MSJAVA_STANDIN_BUILD
#define STANDIN_API extern "C" __declspec(dllexport)
#else
#define STANDIN_API extern "C" __declspec(dllimport)
#endif

/* A pending exception as the VM would throw it into the Java caller. */
struct StandinException {
    char className[128];
    char signature[128];  /* constructor signature, empty for SignalError */
    HObject arguments[3]; /* constructor arguments */
    char message[256];    /* SignalError's message, empty when none */
};

STANDIN_API HString StandinString(const WCHAR *text);
/* Copies the String's units into buffer (count units at most, always
 * terminated) and returns its length; -1 when it is not a String. */
STANDIN_API int StandinStringUnits(HString string, WCHAR *buffer, int count);
STANDIN_API ArrayOfInt *StandinIntArray(int length);
STANDIN_API ArrayOfLong *StandinLongArray(int length);
STANDIN_API ArrayOfObject *StandinObjectArray(const char *elementClass, int length);
/* Class of any object made by the stand-in ("java/lang/String", the array
 * type such as "[Ljava/lang/String;", or an exception class). */
STANDIN_API const char *StandinClassOf(HObject object);

/* Takes the calling thread's pending exception; 0 when none is pending. */
STANDIN_API int StandinTakeException(StandinException *exception);

/* ClassArrayAlloc fails once count more arrays have been made (-1: never). */
STANDIN_API void StandinFailArraysAfter(int count);

STANDIN_API void StandinRegisterClass(const char *name, void (*main)(void));
STANDIN_API void StandinFailThreadPreparation(BOOL fail);
/* Threads prepared and not yet unprepared. */
STANDIN_API int StandinPreparedThreads(void);
/* The thread-entry records last given to PrepareThreadForJava (when it
 * succeeded) and to UnprepareThreadForJava. */
STANDIN_API void StandinLastThreadFrames(ThreadEntryFrame **prepared,
                                         ThreadEntryFrame **unprepared);

/* Objects (arrays, and the units of Strings) whose guard bytes, right
 * behind their last element, were overwritten: 0 when nothing was written
 * past any object. */
STANDIN_API int StandinDamagedGuards(void);

/* Frees every object that neither one of the count roots nor a pending
 * exception reaches, as the VM's collector may between two native calls
 * (native code keeps no reference across calls), and returns how many
 * objects are left alive. */
STANDIN_API int StandinCollect(const HObject *roots, int count);
