/*
 * Child processes, temporary trees and the recorder's records for tests.
 */
#include "child.h"

#include <stdlib.h>

static std::string Backslashed(std::string path)
{
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string DeliverablePath(const char *name)
{
    const char *bin = getenv("ZORV_BIN");
    return Backslashed(std::string(bin ? bin : ".") + "\\" + name);
}

std::string TestFilePath(const char *name)
{
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, module, sizeof(module));
    std::string path(module, length < sizeof(module) ? length : 0);
    return path.substr(0, path.find_last_of('\\') + 1) + name;
}

std::string QuoteArgument(const std::string &argument)
{
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (size_t i = 0; i < argument.size(); i++) {
        if (argument[i] == '"')
            quoted.append(backslashes + 1, '\\');
        backslashes = argument[i] == '\\' ? backslashes + 1 : 0;
        quoted += argument[i];
        if (IsDBCSLeadByte((BYTE)argument[i]) && i + 1 < argument.size())
            quoted += argument[++i];
    }
    return quoted.append(backslashes, '\\') + "\"";
}

std::wstring WideText(const std::string &text)
{
    std::wstring wide(text.size() + 1, L'\0');
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), (int)text.size(), &wide[0],
                                     (int)wide.size());
    wide.resize(length > 0 ? length : 0);
    return wide;
}

/* CreateProcessA would hand the child the same UTF-16 line: it converts
 * the ANSI one on the way. */
HANDLE StartChild(const std::string &commandLine, const char *directory, DWORD *processId)
{
    return StartChild(WideText(commandLine), directory, processId);
}

HANDLE StartChild(const std::wstring &commandLine, const char *directory, DWORD *processId)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::wstring line = commandLine;
    std::wstring where = directory ? WideText(directory) : L"";
    if (!CreateProcessW(NULL, &line[0], NULL, NULL, FALSE, 0, NULL,
                        directory ? where.c_str() : NULL, &startup, &process))
        return NULL;
    CloseHandle(process.hThread);
    if (processId)
        *processId = process.dwProcessId;
    return process.hProcess;
}

DWORD FinishChild(HANDLE process, DWORD timeoutMs, bool *timedOut)
{
    DWORD exitCode = 0xFFFFFFFF;
    bool late = WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0;
    if (late) {
        TerminateProcess(process, 0xFFFFFFFF);
        WaitForSingleObject(process, 5000);
    } else {
        GetExitCodeProcess(process, &exitCode);
    }
    CloseHandle(process);
    if (timedOut)
        *timedOut = late;
    return late ? 0xFFFFFFFF : exitCode;
}

TempDir::TempDir()
{
    char base[MAX_PATH];
    DWORD length = GetTempPathA(sizeof(base), base);
    std::string root(base, length < sizeof(base) ? length : 0);
    static LONG counter;
    for (;;) {
        char name[64];
        wsprintfA(name, "zorvtest-%lu-%ld", GetCurrentProcessId(), InterlockedIncrement(&counter));
        path = root + name;
        if (CreateDirectoryA(path.c_str(), NULL))
            return;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            path.clear();
            return;
        }
    }
}

void RemoveTree(const std::string &path)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            /* A link to a directory is removed, never followed. */
            bool isLink = entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !isLink)
                RemoveTree(child);
            else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryA(child.c_str());
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}

TempDir::~TempDir()
{
    if (!path.empty())
        RemoveTree(path);
}

bool WriteTextFile(const std::string &path, const std::string &content)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, content.data(), (DWORD)content.size(), &written, NULL);
    CloseHandle(file);
    return ok && written == content.size();
}

bool CopyTo(const std::string &from, const std::string &to)
{
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

static std::string ReadWholeFile(const std::string &path, bool *present)
{
    std::string content;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0,
                              NULL);
    *present = file != INVALID_HANDLE_VALUE;
    if (!*present)
        return content;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, NULL) && got > 0)
        content.append(chunk, got);
    CloseHandle(file);
    return content;
}

/* The record is a sequence of NUL-terminated fields: command line, current
 * directory, then each argument. */
Recording ReadRecording(const std::string &path)
{
    Recording recording = {false, "", "", {}};
    bool present = false;
    std::string content = ReadWholeFile(path, &present);
    std::vector<std::string> fields;
    for (size_t start = 0; start < content.size();) {
        size_t end = content.find('\0', start);
        if (end == std::string::npos)
            break;
        fields.push_back(content.substr(start, end - start));
        start = end + 1;
    }
    if (!present || fields.size() < 2)
        return recording;
    recording.present = true;
    recording.commandLine = fields[0];
    recording.currentDirectory = fields[1];
    recording.arguments.assign(fields.begin() + 2, fields.end());
    return recording;
}

Recording WaitForRecording(const std::string &path, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        Recording recording = ReadRecording(path);
        if (recording.present || GetTickCount() - start >= timeoutMs)
            return recording;
        Sleep(50);
    }
}

ScopedEnvironment::ScopedEnvironment(const char *variable, const char *value)
    : name(variable), hadValue(false)
{
    char old[32768];
    DWORD length = GetEnvironmentVariableA(variable, old, sizeof(old));
    if (length > 0 && length < sizeof(old)) {
        hadValue = true;
        oldValue.assign(old, length);
    }
    SetEnvironmentVariableA(variable, value);
    /* getenv() reads the run-time's own copy, which must follow. */
    _putenv((std::string(variable) + "=" + (value ? value : "")).c_str());
}

ScopedEnvironment::~ScopedEnvironment()
{
    SetEnvironmentVariableA(name.c_str(), hadValue ? oldValue.c_str() : NULL);
    _putenv((name + "=" + (hadValue ? oldValue : "")).c_str());
}

std::string FileContent(const std::string &path)
{
    bool present = false;
    std::string content = ReadWholeFile(path, &present);
    return present ? content : "<absent>";
}
