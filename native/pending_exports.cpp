/*
 * Exports whose work is not in this build yet.  The VM binds every native
 * method of com.zorv.ZORVNI by name when the class loads, so each name must
 * exist; until its group is written, a call records why it did nothing and
 * fails the way that export reports failures.
 */
#include "boundary.h"

static int NotAvailable(void)
{
    return AppFailure("This function is not available in this build.", 0);
}

static HObject ThrowNotAvailable(void)
{
    ThrowStatusException(NotAvailable());
    return NULL;
}

extern "C" {
int32_t __cdecl com_zorv_ZORVNI_Win32GetFileInfo(
    HObject, HString, HString, ArrayOfString *, ArrayOfString *, ArrayOfString *,
    ArrayOfString *, ArrayOfLong *, ArrayOfInt *, ArrayOfString *, ArrayOfLong *,
    ArrayOfString *, ArrayOfLong *, ArrayOfString *, ArrayOfLong *, ArrayOfArray *)
{ return ThrowNotAvailable(), STATUS_APP_ERROR; }
int32_t __cdecl com_zorv_ZORVNI_Win32GetFileSystemInfo(HObject, HString, HString,
                                                      ArrayOfString *, ArrayOfArray *,
                                                      ArrayOfInt *)
{ return ThrowNotAvailable(), STATUS_APP_ERROR; }
int32_t __cdecl com_zorv_ZORVNI_Win32GetStorageInfo(
    HObject, HString, HString, ArrayOfString *, ArrayOfString *, ArrayOfString *,
    ArrayOfInt *, ArrayOfLong *, ArrayOfLong *, ArrayOfLong *)
{ return ThrowNotAvailable(), STATUS_APP_ERROR; }
int32_t __cdecl com_zorv_ZORVNI_NICreateEmptyFile(HObject, HString, int32_t)
{ return NotAvailable(); }
int32_t __cdecl com_zorv_ZORVNI_NIGetOSTempDir(HObject, ArrayOfString *)
{ return ThrowNotAvailable(), STATUS_APP_ERROR; }
}
