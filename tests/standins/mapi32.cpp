/*
 * A stand-in for Mapi32.dll: a mail client whose MAPISendMail writes every
 * field it receives, one "key=value" line each, to the file that
 * ZORV_MAPI_RECORD names, and returns the code in ZORV_MAPI_RESULT
 * (default 0).  Null pointers are written as <null>; a recipient's address
 * that is the very pointer of its name is written as <name>.
 */
#include <windows.h>
#include <stdlib.h>
#include <string>

#include "simple_mapi.h"

static std::string Text(const char *text) { return text ? text : "<null>"; }

static std::string Pointer(const void *pointer) { return pointer ? "<set>" : "<null>"; }

static void Line(std::string *out, const std::string &key, const std::string &value)
{
    *out += key + "=" + value + "\n";
}

static void Number(std::string *out, const std::string &key, unsigned long long value)
{
    Line(out, key, std::to_string(value));
}

static void DescribeRecipients(std::string *out, const MapiMessage *message)
{
    for (ULONG i = 0; message->lpRecips && i < message->nRecipCount; i++) {
        const MapiRecipDesc &recipient = message->lpRecips[i];
        std::string key = "recip." + std::to_string(i) + ".";
        Number(out, key + "reserved", recipient.ulReserved);
        Number(out, key + "class", recipient.ulRecipClass);
        Line(out, key + "name", Text(recipient.lpszName));
        Line(out, key + "address",
             recipient.lpszAddress == recipient.lpszName ? "<name>" : Text(recipient.lpszAddress));
        Number(out, key + "eidSize", recipient.ulEIDSize);
        Line(out, key + "entryID", Pointer(recipient.lpEntryID));
    }
}

static void DescribeFiles(std::string *out, const MapiMessage *message)
{
    for (ULONG i = 0; message->lpFiles && i < message->nFileCount; i++) {
        const MapiFileDesc &file = message->lpFiles[i];
        std::string key = "file." + std::to_string(i) + ".";
        Number(out, key + "reserved", file.ulReserved);
        Number(out, key + "flags", file.flFlags);
        Number(out, key + "position", file.nPosition);
        Line(out, key + "path", Text(file.lpszPathName));
        Line(out, key + "name", Text(file.lpszFileName));
        Line(out, key + "type", Pointer(file.lpFileType));
    }
}

static std::string Describe(ULONG_PTR session, ULONG_PTR uiParam, const MapiMessage *message,
                            ULONG flags, ULONG reserved)
{
    std::string out;
    Number(&out, "session", session);
    Number(&out, "uiParam", uiParam);
    Number(&out, "flags", flags);
    Number(&out, "reserved", reserved);
    if (!message)
        return out + "message=<null>\n";
    Number(&out, "message.reserved", message->ulReserved);
    Line(&out, "subject", Text(message->lpszSubject));
    Line(&out, "noteText", Text(message->lpszNoteText));
    Line(&out, "messageType", Text(message->lpszMessageType));
    Line(&out, "dateReceived", Text(message->lpszDateReceived));
    Line(&out, "conversationID", Text(message->lpszConversationID));
    Number(&out, "message.flags", message->flFlags);
    Line(&out, "originator", Pointer(message->lpOriginator));
    Number(&out, "recipCount", message->nRecipCount);
    Line(&out, "recips", Pointer(message->lpRecips));
    Number(&out, "fileCount", message->nFileCount);
    Line(&out, "files", Pointer(message->lpFiles));
    DescribeRecipients(&out, message);
    DescribeFiles(&out, message);
    return out;
}

static std::string Environment(const char *name)
{
    char value[MAX_PATH];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
    return length > 0 && length < sizeof(value) ? std::string(value, length) : std::string();
}

extern "C" __declspec(dllexport) ULONG WINAPI
    MAPISendMail(ULONG_PTR session, ULONG_PTR uiParam, MapiMessage *message, ULONG flags,
                 ULONG reserved)
{
    std::string record = Environment("ZORV_MAPI_RECORD");
    if (!record.empty()) {
        std::string text = Describe(session, uiParam, message, flags, reserved);
        HANDLE file = CreateFileA(record.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        DWORD written = 0;
        if (file != INVALID_HANDLE_VALUE) {
            WriteFile(file, text.data(), (DWORD)text.size(), &written, NULL);
            CloseHandle(file);
        }
    }
    std::string result = Environment("ZORV_MAPI_RESULT");
    return result.empty() ? 0 : strtoul(result.c_str(), NULL, 10);
}
