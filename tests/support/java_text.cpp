/*
 * Java Strings from ANSI texts, through the stand-in VM.
 */
#include "java_text.h"

HString JavaText(const std::string &text)
{
    std::wstring wide(text.size() + 1, L'\0');
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), (int)text.size(), &wide[0],
                                     (int)wide.size());
    wide.resize(length > 0 ? length : 0);
    return StandinString(wide.c_str());
}
