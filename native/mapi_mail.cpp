/*
 * Mail through Simple MAPI.  Mapi32.dll is loaded only once the registry
 * says Simple MAPI is installed, and its MAPISendMail is handed the
 * published records with the compose dialog, so that the user sees the
 * message filled in and sends or cancels it there.  The export converts
 * the Java arguments into texts sized for their ANSI form, and keeps every
 * count within its array, so that neither this side nor the mail client is
 * ever given more entries than exist.
 */
#include "mapi_mail.h"

#include "alloc.h"
#include "boundary.h"
#include "paths.h"
#include "simple_mapi.h"

#include <stdlib.h>

#define MAPI_LIBRARY "Mapi32.dll"
#define MAPI_SEND_MAIL "MAPISendMail"

enum { MAPI_VALUE_SIZE = 8 };

struct MapiFailure {
    ULONG code;
    const char *message;
};

static const MapiFailure MAPI_FAILURES[] = {
    {MAPI_E_FAILURE, "One or more unspecified errors occurred. No message was sent."},
    {MAPI_E_LOGON_FAILURE, "There was no default logon, and the user failed to log on "
                           "successfully when the logon dialog box was displayed. No message "
                           "was sent."},
    {MAPI_E_INSUFFICIENT_MEMORY, "There was insufficient memory to proceed. No message was "
                                 "sent."},
    {MAPI_E_TOO_MANY_FILES, "There were too many file attachments. No message was sent."},
    {MAPI_E_TOO_MANY_RECIPIENTS, "There were too many recipients. No message was sent."},
    {MAPI_E_ATTACHMENT_NOT_FOUND, "The specified attachment was not found. No message was "
                                  "sent."},
    {MAPI_E_ATTACHMENT_OPEN_FAILURE, "The specified attachment could not be opened. No "
                                     "message was sent."},
    {MAPI_E_UNKNOWN_RECIPIENT, "A recipient did not appear in the address list. No message "
                               "was sent."},
    {MAPI_E_BAD_RECIPTYPE, "The type of a recipient was not MAPI_TO, MAPI_CC, or MAPI_BCC. No "
                           "message was sent."},
    {MAPI_E_TEXT_TOO_LARGE, "The text in the message was too large. No message was sent."},
    {MAPI_E_AMBIGUOUS_RECIPIENT, "A recipient matched more than one of the recipient "
                                 "descriptor structures and MAPI_DIALOG was not set. No "
                                 "message was sent."},
    {MAPI_E_INVALID_RECIPS, "One or more recipients were invalid or did not resolve to any "
                            "address."},
};

bool IsMapiInstalled(void)
{
    HKEY key = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, MAPI_SUBSYSTEM_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    /* One byte beyond the 8 queried, so that data without a NUL still ends. */
    char data[MAPI_VALUE_SIZE + 1] = "";
    DWORD size = MAPI_VALUE_SIZE;
    DWORD type = 0;
    LONG result = RegQueryValueExA(key, "MAPI", NULL, &type, (BYTE *)data, &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && lstrcmpA(data, "1") == 0;
}

/* The user's cancel is not a failure. */
static int MapiResultStatus(ULONG result)
{
    if (result == SUCCESS_SUCCESS || result == MAPI_USER_ABORT)
        return STATUS_OK;
    for (const MapiFailure &failure : MAPI_FAILURES)
        if (failure.code == result)
            return AppFailure(failure.message, 0);
    return AppFailure("Unknown MAPI error", 0);
}

/* The module the mail client runs from, with a reference of our own that
 * is taken by the first mail that loads it and kept for the life of the
 * process: the client may still run from it after a mail, and a handle
 * merely found loaded would belong to another component, which may free it
 * while we call into it.  Guarded, so that two first mails on two threads
 * take one reference between them: a spin on InterlockedExchange needs no
 * set-up, where a critical section would need one at load, and the library
 * does no work when it is loaded. */
static HMODULE g_mapi;
static LONG g_mapiLoading;

/* The held module, loaded now when no mail has loaded it yet; null when it
 * cannot be loaded (a later mail tries again). */
static HMODULE HeldMapi(void)
{
    while (InterlockedExchange(&g_mapiLoading, 1) != 0)
        Sleep(1);
    if (!g_mapi)
        g_mapi = LoadLibraryA(MAPI_LIBRARY);
    HMODULE mapi = g_mapi;
    InterlockedExchange(&g_mapiLoading, 0);
    return mapi;
}

static int BindSendMail(MapiSendMailFn *send)
{
    if (!IsMapiInstalled())
        return AppFailure("MAPI is not installed on the computer", 0);
    HMODULE mapi = HeldMapi();
    if (!mapi)
        return AppFailure("Cannot load library %s", 1, MAPI_LIBRARY);
    *send = (MapiSendMailFn)(void *)GetProcAddress(mapi, MAPI_SEND_MAIL);
    if (!*send)
        return AppFailure("Cannot find entry point of function %s", 1, MAPI_SEND_MAIL);
    return STATUS_OK;
}

static int EntryCount(int count) { return count > 0 ? count : 0; }

/* A group without texts still takes its places, with no name. */
static void DescribeGroup(MapiRecipDesc *recipients, MailList group, ULONG recipClass)
{
    for (int i = 0; i < EntryCount(group.count); i++) {
        recipients[i].ulRecipClass = recipClass;
        recipients[i].lpszName = group.texts ? group.texts[i] : NULL;
        recipients[i].lpszAddress = recipients[i].lpszName;
    }
}

static int BuildRecipients(MailList to, MailList cc, MailList bcc, MapiMessage *message)
{
    int toCount = EntryCount(to.count);
    int ccCount = EntryCount(cc.count);
    int total = toCount + ccCount + EntryCount(bcc.count);
    if ((!to.texts && !cc.texts && !bcc.texts) || total == 0)
        return STATUS_OK;
    MapiRecipDesc *recipients = NULL;
    int status = AllocZeroed(&recipients, total, sizeof(*recipients));
    if (status != STATUS_OK)
        return status;
    DescribeGroup(recipients, to, MAPI_TO);
    DescribeGroup(recipients + toCount, cc, MAPI_CC);
    DescribeGroup(recipients + toCount + ccCount, bcc, MAPI_BCC);
    message->lpRecips = recipients;
    message->nRecipCount = total;
    return STATUS_OK;
}

static int DescribeAttachment(MapiFileDesc *file, const char *title, const char *directory,
                              const char *fileName)
{
    char *path = NULL;
    int status = AllocZeroed(&path, MAX_PATH, 1);
    if (status != STATUS_OK)
        return status;
    file->lpszPathName = path;
    file->nPosition = MAPI_POSITION_NONE;
    file->lpszFileName = (LPSTR)(title ? title : fileName);
    if (JoinPath(directory, fileName, path, MAX_PATH) != STATUS_OK)
        return AppFailure("The path of the attachment %s does not fit in 260 bytes.", 1, fileName);
    return STATUS_OK;
}

/* The array is in the message as soon as it exists, so that the path
 * buffers made before a failure are freed with it. */
static int BuildAttachments(char **titles, char **directories, char **fileNames, int count,
                            MapiMessage *message)
{
    if (!directories || !fileNames || count <= 0)
        return STATUS_OK;
    MapiFileDesc *files = NULL;
    int status = AllocZeroed(&files, count, sizeof(*files));
    if (status != STATUS_OK)
        return status;
    message->lpFiles = files;
    message->nFileCount = count;
    for (int i = 0; i < count && status == STATUS_OK; i++)
        status = DescribeAttachment(&files[i], titles ? titles[i] : NULL, directories[i],
                                    fileNames[i]);
    return status;
}

static void FreeMessageParts(MapiMessage *message)
{
    free(message->lpRecips);
    if (message->lpFiles)
        for (ULONG i = 0; i < message->nFileCount; i++)
            free(message->lpFiles[i].lpszPathName);
    free(message->lpFiles);
}

int SendMapiMail(HWND parent, const char *subject, const char *noteText, int receipt, MailList to,
                 MailList cc, MailList bcc, char **titles, char **directories, char **fileNames,
                 int fileCount)
{
    MapiSendMailFn send = NULL;
    MapiMessage message = {};
    int status = BindSendMail(&send);
    if (status == STATUS_OK)
        status = BuildRecipients(to, cc, bcc, &message);
    if (status == STATUS_OK)
        status = BuildAttachments(titles, directories, fileNames, fileCount, &message);
    if (status == STATUS_OK) {
        message.lpszSubject = (LPSTR)subject;
        message.lpszNoteText = (LPSTR)noteText;
        message.flFlags = receipt ? (ULONG)MAPI_RECEIPT_REQUESTED : 0;
        status = MapiResultStatus(send(0, (ULONG_PTR)parent, &message,
                                       MAPI_LOGON_UI | MAPI_NEW_SESSION | MAPI_DIALOG, 0));
    }
    FreeMessageParts(&message);
    return status;
}

/* The Java arguments in converted form, in the export's order. */
enum { LIST_TO, LIST_CC, LIST_BCC, LIST_TITLES, LIST_DIRECTORIES, LIST_FILE_NAMES, LIST_COUNT };

struct ConvertedMail {
    char *subject;
    char *noteText;
    MailList lists[LIST_COUNT]; /* count: the texts converted */
};

static int ArrayLength(const ArrayOfString *array) { return array ? array->length : 0; }

static int LimitCount(int count, int length)
{
    return count < 0 ? 0 : count > length ? length : count;
}

/* *text receives a buffer sized for the ANSI form, so that double-byte
 * text arrives whole; an empty String gives null when emptyIsAbsent, else
 * an empty text.  A name (an address, a path) is refused unless exact. */
static int ConvertText(HString string, bool emptyIsAbsent, bool isName, char **text)
{
    int bytes = JavaStringAnsiLength(string);
    *text = NULL;
    if (bytes == 0 && emptyIsAbsent)
        return STATUS_OK;
    int status = AllocZeroed(text, bytes + 1, 1);
    if (status == STATUS_OK && bytes > 0 && isName)
        status = JavaNameToBuffer(string, *text, bytes + 1);
    else if (status == STATUS_OK && bytes > 0)
        JavaStringToBuffer(string, *text, bytes + 1);
    return status;
}

/* Room for at least entries pointers (those beyond the array stay null);
 * an empty array gives no list at all. */
static int ConvertList(ArrayOfString *array, int entries, bool isName, MailList *list)
{
    int length = ArrayLength(array);
    if (length == 0)
        return STATUS_OK;
    int status = AllocZeroed(&list->texts, entries > length ? entries : length, sizeof(char *));
    for (int i = 0; i < length && status == STATUS_OK; i++) {
        status = ConvertText(array->body[i], false, isName, &list->texts[i]);
        list->count = i + 1;
    }
    return status;
}

static void FreeConvertedMail(ConvertedMail *mail)
{
    free(mail->subject);
    free(mail->noteText);
    for (MailList &list : mail->lists) {
        for (int i = 0; i < list.count; i++)
            free(list.texts[i]);
        free(list.texts);
    }
}

static MailList Limited(const MailList &list, int count)
{
    return MailList{list.texts, LimitCount(count, list.count)};
}

int32_t __cdecl com_zorv_ZORVNI_NIWin32MAPISendMail(
    HObject, HString subject, HString noteText, int32_t receipt, ArrayOfString *to, int32_t toCount,
    ArrayOfString *cc, int32_t ccCount, ArrayOfString *bcc, int32_t bccCount, ArrayOfString *titles,
    ArrayOfString *directories, ArrayOfString *fileNames, int32_t fileCount)
{
    ConvertedMail mail = {};
    ArrayOfString *arrays[LIST_COUNT] = {to, cc, bcc, titles, directories, fileNames};
    int attachments = LimitCount(fileCount,
                                 LimitCount(ArrayLength(directories), ArrayLength(fileNames)));
    int status = ConvertText(subject, true, false, &mail.subject);
    if (status == STATUS_OK)
        status = ConvertText(noteText, true, false, &mail.noteText);
    /* Titles get a place per attachment: one without a title shows its file
     * name.  They are the only free texts among the lists. */
    for (int i = 0; i < LIST_COUNT && status == STATUS_OK; i++) {
        bool isTitles = i == (int)LIST_TITLES;
        status = ConvertList(arrays[i], isTitles ? attachments : 0, !isTitles, &mail.lists[i]);
    }
    if (status == STATUS_OK)
        status = SendMapiMail(NULL, mail.subject, mail.noteText, receipt,
                              Limited(mail.lists[LIST_TO], toCount),
                              Limited(mail.lists[LIST_CC], ccCount),
                              Limited(mail.lists[LIST_BCC], bccCount),
                              mail.lists[LIST_TITLES].texts, mail.lists[LIST_DIRECTORIES].texts,
                              mail.lists[LIST_FILE_NAMES].texts, attachments);
    FreeConvertedMail(&mail);
    if (status != STATUS_OK)
        ThrowStatusException(status);
    return status;
}
