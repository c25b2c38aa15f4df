/*
 * A stand-in for the Java VM's msjava.dll: the Raw Native Interface calls
 * zorvrni makes, over a small object model.  Every object begins with a
 * pointer to its class name, so arrays have the VM's layout (header,
 * 32-bit length, elements).  Every object is registered, so that a test
 * can collect what it no longer reaches, as the VM would between calls, and
 * count what is left.
 */
#define MSJAVA_STANDIN_BUILD
#include "msjava_standin.h"

#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

struct JavaObject {
    const char *className;
};

struct StringObject {
    const char *className;
    int32_t length;
    WCHAR *units;
};

struct ExceptionObject {
    const char *className;
    StandinException details;
};

static const char STRING_CLASS[] = "java/lang/String";

static CRITICAL_SECTION g_lock;                         /* guards the maps below */
static std::map<std::string, std::string> g_classNames; /* interned names */
static std::map<std::string, void (*)(void)> g_classes;
static std::map<DWORD, StandinException> g_pending;
static LONG g_arraysLeft = -1;
static BOOL g_failPreparation;
static LONG g_preparedThreads;
static ThreadEntryFrame *g_preparedFrame;
static ThreadEntryFrame *g_unpreparedFrame;

/* What a collection must know of an object: what it may reach, how it is
 * freed, and where its guard bytes begin (right behind its last element). */
enum ObjectKind { PLAIN_ARRAY, OBJECT_ARRAY, STRING_OBJECT, EXCEPTION_OBJECT };
struct ObjectRecord {
    ObjectKind kind;
    unsigned char *guard; /* null: no guard */
    bool marked;
};
static std::map<void *, ObjectRecord> g_objects;

enum { GUARD_SIZE = 16, GUARD_BYTE = 0xA5 };

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        InitializeCriticalSection(&g_lock);
    return TRUE;
}

static const char *InternClassName(const char *name)
{
    EnterCriticalSection(&g_lock);
    const char *interned = g_classNames.emplace(name, name).first->second.c_str();
    LeaveCriticalSection(&g_lock);
    return interned;
}

static void SetPending(const StandinException &exception)
{
    EnterCriticalSection(&g_lock);
    g_pending[GetCurrentThreadId()] = exception;
    LeaveCriticalSection(&g_lock);
}

/* Guard bytes behind a body of size bytes in block (allocated with room
 * for them), so that a write past the object shows. */
static unsigned char *GuardBehind(void *block, size_t size)
{
    unsigned char *guard = (unsigned char *)block + size;
    memset(guard, GUARD_BYTE, GUARD_SIZE);
    return guard;
}

static void RegisterObject(void *object, ObjectKind kind, unsigned char *guard)
{
    EnterCriticalSection(&g_lock);
    g_objects[object] = ObjectRecord{kind, guard, false};
    LeaveCriticalSection(&g_lock);
}

/* Arrays: the header, the length, then zeroed elements at their alignment. */
static void *NewArray(const char *arrayClass, int length, size_t offset, size_t elementSize)
{
    if (length < 0)
        return NULL;
    size_t size = offset + length * elementSize;
    char *block = (char *)calloc(1, size + GUARD_SIZE);
    ((JavaObject *)block)->className = InternClassName(arrayClass);
    *(int32_t *)(block + sizeof(void *)) = length;
    RegisterObject(block, arrayClass[1] == 'L' || arrayClass[1] == '[' ? OBJECT_ARRAY : PLAIN_ARRAY,
                   GuardBehind(block, size));
    return block;
}

extern "C" {

const WCHAR *__cdecl javaStringStart(HString string) { return ((StringObject *)string)->units; }

int __cdecl javaStringLength(HString string) { return ((StringObject *)string)->length; }

HString __cdecl makeJavaStringW(const WCHAR *units, int count)
{
    StringObject *string = (StringObject *)calloc(1, sizeof(StringObject));
    string->className = STRING_CLASS;
    string->length = count;
    string->units = (WCHAR *)calloc(1, (count + 1) * sizeof(WCHAR) + GUARD_SIZE);
    memcpy(string->units, units, count * sizeof(WCHAR));
    RegisterObject(string, STRING_OBJECT, GuardBehind(string->units, (count + 1) * sizeof(WCHAR)));
    return (HString)string;
}

HString __cdecl makeJavaStringFromUtf8(const char *text)
{
    int count = MultiByteToWideChar(CP_UTF8, 0, text, -1, NULL, 0);
    WCHAR *units = (WCHAR *)calloc(count + 1, sizeof(WCHAR));
    MultiByteToWideChar(CP_UTF8, 0, text, -1, units, count);
    HString string = makeJavaStringW(units, count > 0 ? count - 1 : 0);
    free(units);
    return string;
}

HObject __cdecl ClassArrayAlloc(int type, int count, const char *className)
{
    if (type != T_CLASS || !className)
        return NULL;
    if (g_arraysLeft == 0)
        return NULL;
    if (g_arraysLeft > 0)
        InterlockedDecrement(&g_arraysLeft);
    std::string arrayClass = std::string("[L") + className + ";";
    return (HObject)NewArray(arrayClass.c_str(), count, offsetof(ArrayOfObject, body),
                             sizeof(HObject));
}

HObject __cdecl execute_java_constructor(void *, const char *className, void *,
                                         const char *signature, ...)
{
    ExceptionObject *object = (ExceptionObject *)calloc(1, sizeof(ExceptionObject));
    object->className = InternClassName(className);
    lstrcpynA(object->details.className, className, sizeof(object->details.className));
    lstrcpynA(object->details.signature, signature, sizeof(object->details.signature));
    va_list args;
    va_start(args, signature);
    for (HObject &argument : object->details.arguments)
        argument = va_arg(args, HObject);
    va_end(args);
    RegisterObject(object, EXCEPTION_OBJECT, NULL);
    return (HObject)object;
}

void __cdecl exceptionSet(void *, HObject exception)
{
    SetPending(((ExceptionObject *)exception)->details);
}

void __cdecl SignalError(void *, const char *className, const char *message)
{
    StandinException exception = {};
    lstrcpynA(exception.className, className, sizeof(exception.className));
    if (message)
        lstrcpynA(exception.message, message, sizeof(exception.message));
    SetPending(exception);
}

HClass __cdecl FindClass(void *, const char *name, BOOL)
{
    EnterCriticalSection(&g_lock);
    bool known = g_classes.count(name) > 0;
    LeaveCriticalSection(&g_lock);
    return known ? (HClass)InternClassName(name) : NULL;
}

int64_t __cdecl execute_java_static_method(void *, HClass cls, const char *name,
                                           const char *signature, ...)
{
    if (strcmp(name, "main") != 0 || strcmp(signature, "()V") != 0)
        return 0;
    EnterCriticalSection(&g_lock);
    void (*main)(void) = g_classes[(const char *)cls];
    LeaveCriticalSection(&g_lock);
    if (main)
        main();
    return 0;
}

BOOL __cdecl PrepareThreadForJava(ThreadEntryFrame *frame)
{
    if (g_failPreparation)
        return FALSE;
    ZeroMemory(frame, sizeof(*frame));
    g_preparedFrame = frame;
    InterlockedIncrement(&g_preparedThreads);
    return TRUE;
}

void __cdecl UnprepareThreadForJava(ThreadEntryFrame *frame)
{
    g_unpreparedFrame = frame;
    InterlockedDecrement(&g_preparedThreads);
}

} /* extern "C" */

HString StandinString(const WCHAR *text) { return makeJavaStringW(text, lstrlenW(text)); }

int StandinStringUnits(HString string, WCHAR *buffer, int count)
{
    StringObject *object = (StringObject *)string;
    if (!object || object->className != STRING_CLASS)
        return -1;
    lstrcpynW(buffer, object->units, count);
    return object->length;
}

ArrayOfInt *StandinIntArray(int length)
{
    return (ArrayOfInt *)NewArray("[I", length, offsetof(ArrayOfInt, body), sizeof(int32_t));
}

ArrayOfLong *StandinLongArray(int length)
{
    return (ArrayOfLong *)NewArray("[J", length, offsetof(ArrayOfLong, body), sizeof(int64_t));
}

ArrayOfObject *StandinObjectArray(const char *elementClass, int length)
{
    std::string arrayClass = std::string("[L") + elementClass + ";";
    return (ArrayOfObject *)NewArray(arrayClass.c_str(), length, offsetof(ArrayOfObject, body),
                                     sizeof(HObject));
}

const char *StandinClassOf(HObject object)
{
    return object ? ((JavaObject *)object)->className : NULL;
}

int StandinTakeException(StandinException *exception)
{
    EnterCriticalSection(&g_lock);
    auto pending = g_pending.find(GetCurrentThreadId());
    int found = pending != g_pending.end();
    if (found) {
        *exception = pending->second;
        g_pending.erase(pending);
    }
    LeaveCriticalSection(&g_lock);
    return found;
}

void StandinFailArraysAfter(int count) { InterlockedExchange(&g_arraysLeft, count); }

void StandinRegisterClass(const char *name, void (*main)(void))
{
    EnterCriticalSection(&g_lock);
    g_classes[name] = main;
    LeaveCriticalSection(&g_lock);
}

void StandinFailThreadPreparation(BOOL fail) { g_failPreparation = fail; }

int StandinPreparedThreads(void) { return g_preparedThreads; }

void StandinLastThreadFrames(ThreadEntryFrame **prepared, ThreadEntryFrame **unprepared)
{
    *prepared = g_preparedFrame;
    *unprepared = g_unpreparedFrame;
}

int StandinDamagedGuards(void)
{
    int damaged = 0;
    EnterCriticalSection(&g_lock);
    for (const auto &object : g_objects) {
        const unsigned char *guard = object.second.guard;
        for (int i = 0; guard && i < GUARD_SIZE; i++)
            if (guard[i] != GUARD_BYTE) {
                damaged++;
                break;
            }
    }
    LeaveCriticalSection(&g_lock);
    return damaged;
}

/* Marks what object reaches: the elements of object arrays, the arguments
 * of exceptions.  Anything not registered is no object of ours. */
static void MarkReachable(HObject root)
{
    std::vector<HObject> pending(1, root);
    while (!pending.empty()) {
        HObject object = pending.back();
        pending.pop_back();
        auto found = g_objects.find(object);
        if (found == g_objects.end() || found->second.marked)
            continue;
        found->second.marked = true;
        if (found->second.kind == OBJECT_ARRAY) {
            ArrayOfObject *array = (ArrayOfObject *)object;
            pending.insert(pending.end(), array->body, array->body + array->length);
        } else if (found->second.kind == EXCEPTION_OBJECT) {
            for (HObject argument : ((ExceptionObject *)object)->details.arguments)
                pending.push_back(argument);
        }
    }
}

static void FreeObject(void *object, ObjectKind kind)
{
    if (kind == STRING_OBJECT)
        free(((StringObject *)object)->units);
    free(object);
}

int StandinCollect(const HObject *roots, int count)
{
    EnterCriticalSection(&g_lock);
    for (int i = 0; i < count; i++)
        MarkReachable(roots[i]);
    for (const auto &pending : g_pending)
        for (HObject argument : pending.second.arguments)
            MarkReachable(argument);
    for (auto object = g_objects.begin(); object != g_objects.end();) {
        if (object->second.marked) {
            object->second.marked = false;
            ++object;
        } else {
            FreeObject(object->first, object->second.kind);
            object = g_objects.erase(object);
        }
    }
    int live = (int)g_objects.size();
    LeaveCriticalSection(&g_lock);
    return live;
}
