/*
 * Java values for calls made as the VM makes them: a String of the
 * stand-in VM from an ANSI text, and back.
 */
#pragma once

#include <string>
#include <vector>

#include "msjava_standin.h"

/* The String whose units are text converted from the ANSI code page. */
HString JavaText(const std::string &text);
/* A String[] of such Strings, one per text. */
ArrayOfString *JavaStrings(const std::vector<std::string> &texts);

/* text in the ANSI code page by the plain conversion, look-alikes and all. */
std::string AnsiText(const std::wstring &text);

/* A Java String as ANSI text, by the plain conversion; "<null>" or
 * "<not a String>" otherwise. */
std::string TextOf(HObject string);
