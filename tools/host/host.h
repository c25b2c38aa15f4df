/*
 * The demonstration host: zorvrni.dll loaded with the stand-in VM and
 * called as the VM calls it, every answer printed as the Java side
 * receives it.  Shared between the calls that need no user and the ones
 * that open windows.
 */
#pragma once

#include <windows.h>
#include <functional>
#include <string>
#include <vector>

#include "java_text.h"
#include "library.h"
#include "msjava_standin.h"

/* The directory the library under test lies in (no separator at the end). */
extern std::string g_binDirectory;

ArrayOfString *OutString(void); /* String[1], element null */

/* A Java value as a Java programmer would write it: null, "text",
 * {1, 2} or {"a", {"b"}}. */
std::string Show(HObject value);
inline std::string Show(const ArrayOfObject *array) { return Show((HObject)array); }
std::string ShowInts(const ArrayOfInt *array);
std::string ShowLongs(const ArrayOfLong *array);

/* What the calling thread has pending after a call, as "" or
 * "throws class(identifier, message, arguments)"; it is taken. */
std::string TakePendingException(void);
/* result, followed by exception when there is one. */
std::string Outcome(const std::string &result, const std::string &exception);

/* Output: a heading, a call as Java writes it, and its answers. */
void Heading(const char *title);
void Call(const std::string &call);
void Answer(const std::string &name, const std::string &value);

/* A Java call on a thread of its own while this thread drives the window
 * it opens; drive gets that time.  The pending exception of the call's
 * thread is returned as TakePendingException gives it.  False when the
 * call did not end within timeoutMs after drive. */
bool RunWhileDriving(std::function<void()> call, std::function<void()> drive, DWORD timeoutMs,
                     std::string *exception);

/* The screenshot of window as name.png in the screenshot directory, and a
 * line that says where it went (or why not). */
void Screenshot(HWND window, const char *name);
extern std::string g_screenshotDirectory;

/* The sections, each a group of exports. */
void ShowVersions(void);
void ShowFileInformation(void);
void ShowTempDirectoryAndEmptyFile(void);
void ShowMail(void);
void ShowTpaExchange(void);
void ShowOpenDocument(void);
void ShowMessageBox(void);
void ShowFileChoosers(void);
void ShowFolderBrowser(void);
void ShowContextMenu(void);
void ShowSendToMenu(void);
