/*
 * zorv: starts the client's Java application.  The application finds its
 * classes and files relative to its current directory, so the starter makes
 * its own directory current first, starts the Java viewer there and ends
 * without waiting for it.  It opens no window unless something fails.
 */
#include "error_record.h"
#include "os_version.h"
#include "paths.h"
#include "process.h"

#include <windows.h>
#include <direct.h>

static const char JAVA_VIEWER_COMMAND[] = "wjview.exe com.zorv.ZORV";

static int StartJavaApplication(void)
{
    char directory[MAX_PATH] = "";
    int status = DetectOsVersion();
    /* Argument 0 as started, made full against the current directory. */
    if (status == STATUS_OK)
        status = GetOwnPathParts(NULL, directory, NULL, NULL, NULL, NULL);
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
    if (status != STATUS_OK)
        ShowErrorRecord(status); /* nothing more after a box of its own */
    ExitProcess(status == STATUS_OK ? 0 : 1);
}
