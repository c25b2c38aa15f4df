/*
 * Java values for calls made as the VM makes them: a String of the
 * stand-in VM from an ANSI text.
 */
#pragma once

#include <string>

#include "msjava_standin.h"

/* The String whose units are text converted from the ANSI code page. */
HString JavaText(const std::string &text);
