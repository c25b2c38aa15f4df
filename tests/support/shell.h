/*
 * Shell fixtures for tests: a file type associated with a program for the
 * time of a test, and popup menus driven from outside (menu windows are of
 * class "#32768") while the export that opened one blocks its thread in it.
 */
#pragma once

#include "registry.h"

#include <windows.h>
#include <string>
#include <vector>

/* Extension (".xyz") names progId, whose verb runs command; both keys go
 * away with the fixture.  Several verbs may be added to one fixture. */
struct ScopedAssociation {
    ScopedRegistryValue progIdKey;
    ScopedRegistryValue extensionKey;
    std::string progId;
    ScopedAssociation(const std::string &extension, const std::string &progId,
                      const std::string &command, const char *verb = "open");
    bool AddVerb(const char *verb, const std::string &command) const;
};

/* The visible popup menu window of this process; null after timeoutMs. */
HWND WaitForMenuWindow(DWORD timeoutMs);
/* The texts of the entries of menu (separators as ""), and its handle. */
HMENU MenuOfWindow(HWND menuWindow);
std::vector<std::string> MenuTexts(HMENU menu);
/* Picks the entry at position of an open menu with the arrow keys and
 * Enter; false when it could not be highlighted. */
bool ChooseMenuEntry(HWND menuWindow, HMENU menu, int position);
/* Waits until menuWindow is gone; false after timeoutMs. */
bool WaitForWindowGone(HWND window, DWORD timeoutMs);

/* Saves a shortcut at linkPath that points to target; COM is initialized
 * for the call. */
bool CreateShortcut(const std::string &linkPath, const std::string &target);
/* The shell's display name of path, as menus built from folders show it. */
std::string ShellDisplayName(const std::string &path);

/* Takes the user's Send To folder for a test: its contents are moved aside
 * and the folder is empty; destroyed, the test's entries go and the old
 * contents come back. */
struct ScopedSendToFolder {
    std::string path;
    std::string saved;
    ScopedSendToFolder();
    ~ScopedSendToFolder();
    std::string operator/(const std::string &name) const { return path + "\\" + name; }
};
