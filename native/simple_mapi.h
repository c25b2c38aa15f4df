/*
 * Simple MAPI as Mapi32.dll publishes it: the three records MAPISendMail
 * reads, the constants this library passes and gets back, and the entry's
 * type.  Declared here because the library binds Mapi32.dll at run time
 * and never links it.  Fields are 32-bit and pointers of the platform's
 * size, as published.
 */
#pragma once

#include <windows.h>

struct MapiRecipDesc {
    ULONG ulReserved;
    ULONG ulRecipClass; /* MAPI_TO, MAPI_CC or MAPI_BCC */
    LPSTR lpszName;
    LPSTR lpszAddress;
    ULONG ulEIDSize;
    LPVOID lpEntryID;
};

struct MapiFileDesc {
    ULONG ulReserved;
    ULONG flFlags;
    ULONG nPosition; /* MAPI_POSITION_NONE: not placed in the text */
    LPSTR lpszPathName;
    LPSTR lpszFileName; /* the name the mail shows */
    LPVOID lpFileType;
};

struct MapiMessage {
    ULONG ulReserved;
    LPSTR lpszSubject;
    LPSTR lpszNoteText;
    LPSTR lpszMessageType;
    LPSTR lpszDateReceived;
    LPSTR lpszConversationID;
    ULONG flFlags; /* MAPI_RECEIPT_REQUESTED */
    MapiRecipDesc *lpOriginator;
    ULONG nRecipCount;
    MapiRecipDesc *lpRecips;
    ULONG nFileCount;
    MapiFileDesc *lpFiles;
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(MapiRecipDesc) == 24, "published MapiRecipDesc layout");
static_assert(sizeof(MapiFileDesc) == 24, "published MapiFileDesc layout");
static_assert(sizeof(MapiMessage) == 48, "published MapiMessage layout");
#endif

enum : ULONG { MAPI_ORIG = 0, MAPI_TO = 1, MAPI_CC = 2, MAPI_BCC = 3 };

enum : ULONG {
    MAPI_LOGON_UI = 0x00000001,
    MAPI_NEW_SESSION = 0x00000002,
    MAPI_DIALOG = 0x00000008,
    MAPI_RECEIPT_REQUESTED = 0x00000002,
    MAPI_POSITION_NONE = 0xFFFFFFFF
};

/* Result codes of MAPISendMail. */
enum : ULONG {
    SUCCESS_SUCCESS = 0,
    MAPI_USER_ABORT = 1,
    MAPI_E_FAILURE = 2,
    MAPI_E_LOGON_FAILURE = 3,
    MAPI_E_DISK_FULL = 4,
    MAPI_E_INSUFFICIENT_MEMORY = 5,
    MAPI_E_TOO_MANY_FILES = 9,
    MAPI_E_TOO_MANY_RECIPIENTS = 10,
    MAPI_E_ATTACHMENT_NOT_FOUND = 11,
    MAPI_E_ATTACHMENT_OPEN_FAILURE = 12,
    MAPI_E_UNKNOWN_RECIPIENT = 14,
    MAPI_E_BAD_RECIPTYPE = 15,
    MAPI_E_TEXT_TOO_LARGE = 18,
    MAPI_E_AMBIGUOUS_RECIPIENT = 21,
    MAPI_E_INVALID_RECIPS = 25,
    MAPI_E_NOT_SUPPORTED = 26
};

typedef ULONG(WINAPI *MapiSendMailFn)(ULONG_PTR session, ULONG_PTR uiParam, MapiMessage *message,
                                      ULONG flags, ULONG reserved);
