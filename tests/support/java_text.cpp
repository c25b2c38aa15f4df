/*
 * Java Strings from ANSI texts, through the stand-in VM.
 */
#include "java_text.h"

#include "child.h"

HString JavaText(const std::string &text)
{
    return StandinString(WideText(text).c_str());
}
