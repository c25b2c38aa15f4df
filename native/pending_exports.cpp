/*
 * Exports whose work is not in this build yet.  The VM binds every native
 * method of com.zorv.ZORVNI by name when the class loads, so each name must
 * exist; until its group is written, a call records why it did nothing and
 * fails the way that export reports failures.
 */
#include "boundary.h"

extern "C" {
char gTPAReq[20 * 1024 + sizeof(int32_t)];
char gTPARes[20 * 1024 + sizeof(int32_t)];
int32_t bTPAReqArrived;
}

static int NotAvailable(void)
{
    return SetErrorRecord(NULL, NULL, "This function is not available in this build.", 0),
           STATUS_APP_ERROR;
}

static HObject ThrowNotAvailable(void)
{
    ThrowStatusException(NotAvailable());
    return NULL;
}

extern "C" {
int32_t __cdecl com_zorv_ZORVNI_NIMessageBox(HObject, int32_t, HString, HString, int32_t)
{ return NotAvailable(), 0; }
HString __cdecl com_zorv_ZORVNI_NIChooseFile(HObject, HString, HString, HString, int32_t, int32_t)
{ return ThrowNotAvailable(); }
HObject __cdecl com_zorv_ZORVNI_NIChooseFiles(HObject, HString, HString, HString, int32_t,
                                              int32_t, int32_t, int32_t)
{ return ThrowNotAvailable(); }
HObject __cdecl com_zorv_ZORVNI_NIChooseFiles1(HObject, HString, HString, HString, int32_t,
                                               int32_t, int32_t, int32_t, int32_t)
{ return ThrowNotAvailable(); }
int32_t __cdecl com_zorv_ZORVNI_NIChooseDir(HObject, HString, HString, int32_t,
                                            ArrayOfString *, ArrayOfInt *)
{ return ThrowNotAvailable(), STATUS_APP_ERROR; }
int32_t __cdecl com_zorv_ZORVNI_NIWinShOpenContextMenu(HObject, HString, HString)
{ return NotAvailable(); }
int32_t __cdecl com_zorv_ZORVNI_NIWinShOpenSendToMenu(HObject, HString, HString)
{ return NotAvailable(); }
int32_t __cdecl com_zorv_ZORVNI_NIWinShOpenSearchDlg(HObject)
{ return NotAvailable(); }
int32_t __cdecl com_zorv_ZORVNI_NIWin32ShellExecuteEx(HObject, HString, HString)
{ return ThrowNotAvailable(), STATUS_APP_ERROR; }
int32_t __cdecl com_zorv_ZORVNI_NIWin32MAPISendMail(
    HObject, HString, HString, int32_t, ArrayOfString *, int32_t, ArrayOfString *, int32_t,
    ArrayOfString *, int32_t, ArrayOfString *, ArrayOfString *, ArrayOfString *, int32_t)
{ return ThrowNotAvailable(), STATUS_APP_ERROR; }
HObject __cdecl com_zorv_ZORVNI_NIListenTPARequest(HObject, int32_t, ArrayOfArray *,
                                                   ArrayOfInt *state)
{ state->body[0] = 4; return NotAvailable(), (HObject)NULL; }
int32_t __stdcall RNIRunMsJVM(const char *)
{ return ShowErrorRecord(NotAvailable()), ExitProcess(1), 1; }
}
