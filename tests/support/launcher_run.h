/*
 * Running the real Vantrelc.exe as the product does, and reading what the
 * caller and the user see: its exit code and the text of its error box.
 */
#pragma once

#include "child.h"
#include "error_record.h"
#include "gui.h"

#include <string>

struct LauncherResult {
    DWORD exitCode;
    bool timedOut;
    ShownBox box; /* found is false when it ended without a box */
};

inline std::string LauncherPath() { return DeliverablePath("Vantrelc.exe"); }

/* "path: message", as the launcher writes its own messages. */
inline std::string LauncherMessage(const std::string &message)
{
    return LauncherPath() + ": " + message;
}

/* The text the launcher shows for a system error code. */
inline std::string SystemErrorText(DWORD code)
{
    char text[MESSAGE_TEXT_SIZE];
    GetSystemErrorText(&code, text, sizeof(text));
    return text;
}

/* Runs the launcher with arguments in directory (null: the test's own),
 * closes the one error box it may show and waits for its end.  A box blocks
 * the launcher, so a run that ends by itself has shown none. */
inline LauncherResult RunLauncher(const std::wstring &arguments, const char *directory = NULL)
{
    LauncherResult result = {0xFFFFFFFF, true, {false, "", ""}};
    DWORD processId = 0;
    HANDLE process = StartChild(L"\"" + WideText(LauncherPath()) + L"\" " + arguments, directory,
                                &processId);
    if (!process)
        return result;
    DWORD start = GetTickCount();
    while (WaitForSingleObject(process, 20) == WAIT_TIMEOUT && GetTickCount() - start < 30000) {
        if (WaitForTopWindow("#32770", NULL, processId, 0)) {
            result.box = CloseMessageBox(processId, 10000);
            break;
        }
    }
    result.exitCode = FinishChild(process, 15000, &result.timedOut);
    return result;
}

inline LauncherResult RunLauncher(const std::string &arguments, const char *directory = NULL)
{
    return RunLauncher(WideText(arguments), directory);
}
