/*
 * zorv: starts the client's Java application.  The application finds its
 * classes and files relative to its current directory, so the starter makes
 * its own directory current first, starts the Java viewer there and ends
 * without waiting for it.  It opens no window unless something fails.
 */
#include "command_line.h"
#include "error_record.h"
#include "process.h"

#include <windows.h>
#include <direct.h>

static const char JAVA_VIEWER_COMMAND[] = "wjview.exe com.zorv.ZORV";

/* Status 1: the user has already been told in a box of its own. */
static const int STATUS_ALREADY_SHOWN = 1;

static int StartJavaApplication(void)
{
    char directory[MAX_PATH] = "";
    int status = DetectOsVersion();
    /* Argument 0 as started, made full against the current directory. */
    if (status == STATUS_OK)
        status = GetOwnPathParts(NULL, NULL, directory, NULL, NULL, NULL);
    if (status == STATUS_OK && _chdir(directory) != 0)
        status = STATUS_CRT_ERROR;
    /* The viewer inherits that directory; its exit code is never wanted. */
    if (status == STATUS_OK)
        status = LaunchProgram(JAVA_VIEWER_COMMAND, 0, 0, NULL);
    return status;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    int status = StartJavaApplication();
    if (status != STATUS_OK && status != STATUS_ALREADY_SHOWN)
        ShowErrorRecord(status);
    ExitProcess(status == STATUS_OK ? 0 : 1);
}
