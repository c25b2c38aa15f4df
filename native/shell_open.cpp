/*
 * The search window and opening documents.  The find window belongs to the
 * shell and lives on after the call; opening a document blocks the Java
 * thread until the program that took it has ended, so that the Java client
 * can read what that program left behind.
 */
#include "shell_open.h"

#include "alloc.h"
#include "boundary.h"
#include "error_record.h"
#include "paths.h"
#include "process.h"
#include "strings.h"

#include <ole2.h>
#include <oleauto.h>
#include <shellapi.h>
#include <stdlib.h>
#include <string.h>

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(SHELLEXECUTEINFOA) == 60, "SHELLEXECUTEINFOA layout");
#endif

static const DWORD SHELL_CONTEXTS = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER |
                                    CLSCTX_LOCAL_SERVER;

/* Each step only after the one before succeeded; the result is the HRESULT
 * of the last step tried. */
static HRESULT CallFindFiles(void)
{
    CLSID shellClass;
    IDispatch *shell = NULL;
    DISPID member = 0;
    LPOLESTR names[1] = {(LPOLESTR)L"FindFiles"};
    DISPPARAMS noArguments = {NULL, NULL, 0, 0};
    HRESULT result = CLSIDFromProgID(L"Shell.Application", &shellClass);
    if (SUCCEEDED(result))
        result = CoCreateInstance(shellClass, NULL, SHELL_CONTEXTS, IID_IDispatch, (void **)&shell);
    if (SUCCEEDED(result))
        result = shell->GetIDsOfNames(IID_NULL, names, 1, GetUserDefaultLCID(), &member);
    if (SUCCEEDED(result))
        result = shell->Invoke(member, IID_NULL, GetUserDefaultLCID(), DISPATCH_METHOD,
                               &noArguments, NULL, NULL, NULL);
    if (shell)
        shell->Release();
    return result;
}

/* The description becomes the recorded message; when it cannot be
 * converted the stored HRESULT stays the description of the failure.  Each
 * UTF-16 unit takes at most two bytes in a double-byte code page. */
static int RecordDescription(BSTR description, int status)
{
    int length = lstrlenW(description);
    int size = 2 * length + 3;
    char *text = NULL;
    if (AllocZeroed(&text, size, 1) != STATUS_OK)
        return STATUS_CRT_ERROR;
    if (WideCharToMultiByte(CP_ACP, 0, description, length, text, size, NULL, NULL) != 0)
        status = AppFailure(text, 0);
    free(text);
    return status;
}

static int DescribeComFailure(HRESULT result)
{
    int status = StoredFailure((int)result);
    IErrorInfo *info = NULL;
    if (GetErrorInfo(0, &info) != S_OK || !info)
        return status;
    BSTR description = NULL;
    if (SUCCEEDED(info->GetDescription(&description)) && description)
        status = RecordDescription(description, status);
    SysFreeString(description);
    info->Release();
    return status;
}

int OpenFindFilesWindow(void)
{
    HRESULT initialized = CoInitialize(NULL);
    HRESULT result = CallFindFiles();
    int status = FAILED(result) ? DescribeComFailure(result) : STATUS_OK;
    if (SUCCEEDED(initialized))
        CoUninitialize();
    return status;
}

int ShellExecuteAndWait(const char *file, const char *verb, int wait, DWORD *exitCode)
{
    if (IsBlankString(file))
        return InvalidParameterStatus();
    /* The shell copies the file into a path entry of its own; a longer one
     * overruns it instead of failing. */
    if (strlen(file) >= MAX_PATH)
        return PathTooLongStatus();
    SHELLEXECUTEINFOA execute;
    ZeroMemory(&execute, sizeof(execute));
    execute.cbSize = sizeof(execute);
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI;
    execute.lpVerb = verb;
    execute.lpFile = file;
    execute.nShow = SW_SHOWNORMAL;
    /* Taken before the start: the started program may take the focus. */
    HWND owner = wait == 1 ? GetActiveWindow() : NULL;
    int status = ShellExecuteExA(&execute) ? STATUS_OK : STATUS_SYSTEM_ERROR;
    /* No process means a running program took the document over: it was
     * opened, and there is nothing to wait for. */
    if (status == STATUS_OK && wait == 1 && execute.hProcess)
        status = WaitForProcess(execute.hProcess, owner, WAIT_MODE_CLOSE_ENDS_PROCESS, 1, exitCode);
    if (execute.hProcess)
        CloseHandle(execute.hProcess);
    return status;
}

int32_t __cdecl com_zorv_ZORVNI_NIWinShOpenSearchDlg(HObject)
{
    return OpenFindFilesWindow() == STATUS_OK ? 0 : 1;
}

int32_t __cdecl com_zorv_ZORVNI_NIWin32ShellExecuteEx(HObject, HString file, HString verb)
{
    SetLastError(ERROR_SUCCESS);
    char *fileText = NULL;
    char *verbText = NULL;
    DWORD exitCode = 0;
    int status = JavaStringIsEmpty(file) ? STATUS_EMPTY_ARGUMENT : JavaNameToAnsi(file, &fileText);
    if (status == STATUS_OK && !JavaStringIsEmpty(verb))
        status = JavaNameToAnsi(verb, &verbText);
    if (status == STATUS_OK)
        status = ShellExecuteAndWait(fileText, verbText, 1, &exitCode);
    free(fileText);
    free(verbText);
    if (status != STATUS_OK)
        ThrowStatusException(status);
    return status == STATUS_OK ? 1 : 0;
}
