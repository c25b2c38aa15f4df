/*
 * Recorder: a program for launch tests.  It writes how it was started (its
 * command line, current directory and the arguments as the C run-time
 * split them) to the file named by ZORV_RECORD, sleeps ZORV_RECORD_SLEEP_MS
 * and exits with ZORV_RECORD_EXIT.  Copied as wjview.exe it stands in for
 * the Java viewer.
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

static void WriteField(FILE *file, const char *text) { fwrite(text, 1, strlen(text) + 1, file); }

static void Record(const char *path, int argc, char **argv)
{
    FILE *file = fopen(path, "wb");
    if (!file)
        return;
    char directory[MAX_PATH] = "";
    DWORD length = GetCurrentDirectoryA(sizeof(directory), directory);
    if (length >= sizeof(directory))
        directory[0] = '\0';
    WriteField(file, GetCommandLineA());
    WriteField(file, directory);
    for (int i = 0; i < argc; i++)
        WriteField(file, argv[i]);
    fclose(file);
}

int main(int argc, char **argv)
{
    const char *record = getenv("ZORV_RECORD");
    const char *sleepMs = getenv("ZORV_RECORD_SLEEP_MS");
    const char *exitCode = getenv("ZORV_RECORD_EXIT");
    if (record && *record)
        Record(record, argc, argv);
    if (sleepMs)
        Sleep(strtoul(sleepMs, NULL, 10));
    return exitCode ? (int)strtoul(exitCode, NULL, 10) : 0;
}
