/*
 * Finding the executable file the switches name and starting it with the
 * numbered arguments.
 */
#pragma once

#include "switches.h"

/* Locates the file (from -ea; or -er, -dexe and -r/-s in the directory that
 * -d, -drk or -de gives, else in currentDirectory), starts it with the
 * numbered arguments in the order of their numbers and, with -w, waits for
 * it and stores its exit code.  After a tree search (-r) the file is
 * started in, and the process left in, the directory searched.  Sorts
 * switches->numbered.  Launcher failures are recorded with modulePath in
 * front. */
int LocateAndLaunch(const char *modulePath, const char *currentDirectory, Switches *switches,
                    DWORD *exitCode);
