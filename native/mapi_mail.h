/*
 * Mail through Simple MAPI: the registered mail client's compose dialog,
 * filled with subject, text, recipients and attachments.
 */
#pragma once

#include "rni.h"

#define MAPI_SUBSYSTEM_KEY "SOFTWARE\\Microsoft\\Windows Messaging Subsystem"

/* True when HKEY_LOCAL_MACHINE\<MAPI_SUBSYSTEM_KEY> holds MAPI as the text
 * "1" (in at most 8 bytes).  Records nothing. */
bool IsMapiInstalled(void);

/* A list of texts for SendMapiMail: null or at least count entries. */
struct MailList {
    char **texts;
    int count;
};

/* Hands the message to MAPISendMail of Mapi32.dll with the compose dialog.
 * The module is loaded by the first mail that can load it and kept
 * loaded for the life of the process, with one reference of its own that
 * no other component's load or free disturbs.  Texts may be null; the recipients go To, then Cc, then Bcc;
 * attachment i is directories[i] joined with fileNames[i] and shown as
 * titles[i] when titles and that entry exist, else under its file name.
 * Attachments need directories and fileNames and a count above 0.
 * Returns STATUS_OK also when the user cancels, STATUS_CRT_ERROR when
 * memory ran out, STATUS_APP_ERROR with the error record filled otherwise;
 * nothing is sent on any failure before the call.  Frees everything it
 * made. */
int SendMapiMail(HWND parent, const char *subject, const char *noteText, int receipt, MailList to,
                 MailList cc, MailList bcc, char **titles, char **directories, char **fileNames,
                 int fileCount);

extern "C" {
/* Converts the Java arguments and calls SendMapiMail with no parent
 * window.  Each count is cut to its array's length (null arrays are
 * empty).  Returns the status; a failure is also pending as a Java
 * exception. */
int32_t __cdecl com_zorv_ZORVNI_NIWin32MAPISendMail(
    HObject self, HString subject, HString noteText, int32_t receipt, ArrayOfString *to,
    int32_t toCount, ArrayOfString *cc, int32_t ccCount, ArrayOfString *bcc, int32_t bccCount,
    ArrayOfString *titles, ArrayOfString *directories, ArrayOfString *fileNames, int32_t fileCount);
}
