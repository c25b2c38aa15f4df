/*
 * Running real programs from tests: the deliverables and the stand-ins,
 * with a time limit, and reading back what the recorder stand-in saw.
 */
#pragma once

#include <windows.h>
#include <string>
#include <vector>

/* Full Windows path of a deliverable (from ZORV_BIN) or of a file in the
 * test directory, where the stand-ins lie. */
std::string DeliverablePath(const char *name);
std::string TestFilePath(const char *name);

/* argument in double quotes so that the run-time rules give it back:
 * backslashes are doubled only before a quote, a double-byte character is
 * kept whole. */
std::string QuoteArgument(const std::string &argument);

/* text read in the ANSI code page, as UTF-16. */
std::wstring WideText(const std::string &text);

/* Starts commandLine in directory (null: the current one); the handle is
 * the caller's to give to FinishChild.  Null when it cannot be started.
 * The UTF-16 form reaches the child as written, also where the code page
 * has no character for it. */
HANDLE StartChild(const std::wstring &commandLine, const char *directory, DWORD *processId = NULL);
HANDLE StartChild(const std::string &commandLine, const char *directory, DWORD *processId = NULL);
/* Waits up to timeoutMs and returns the exit code; on time-out the child is
 * killed, timedOut is set and the result is 0xFFFFFFFF.  Closes process. */
DWORD FinishChild(HANDLE process, DWORD timeoutMs, bool *timedOut = NULL);

/* Removes path and everything below it, read-only entries too; a link to a
 * directory is removed, never followed. */
void RemoveTree(const std::string &path);

/* A directory under the temporary directory, removed with all it holds. */
struct TempDir {
    std::string path;
    TempDir();
    ~TempDir();
    std::string operator/(const std::string &name) const { return path + "\\" + name; }
};
bool WriteTextFile(const std::string &path, const std::string &content);
bool CopyTo(const std::string &from, const std::string &to);

/* What the recorder stand-in saw.  It writes a record when ZORV_RECORD
 * names a file, exits with ZORV_RECORD_EXIT (default 0) after sleeping
 * ZORV_RECORD_SLEEP_MS (default 0). */
struct Recording {
    bool present;
    std::string commandLine;
    std::string currentDirectory;
    std::vector<std::string> arguments; /* as the C run-time split them */
};
Recording ReadRecording(const std::string &path);
/* Reads the record once the recorder has written it; not present when none
 * came within timeoutMs. */
Recording WaitForRecording(const std::string &path, DWORD timeoutMs);

/* Sets (value non-null) or removes an environment variable for the test
 * and the programs it starts, and puts the old state back when destroyed. */
struct ScopedEnvironment {
    std::string name;
    std::string oldValue;
    bool hadValue;
    ScopedEnvironment(const char *name, const char *value);
    ~ScopedEnvironment();
};

/* The bytes of the file at path, or "<absent>" when it cannot be opened
 * for reading. */
std::string FileContent(const std::string &path);
