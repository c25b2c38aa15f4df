/*
 * Java Strings from ANSI texts and back, through the stand-in VM.
 */
#include "java_text.h"

#include "alloc.h"
#include "child.h"

HString JavaText(const std::string &text) { return StandinString(WideText(text).c_str()); }

ArrayOfString *JavaStrings(const std::vector<std::string> &texts)
{
    ArrayOfString *array = StandinObjectArray("java/lang/String", (int)texts.size());
    for (size_t i = 0; i < texts.size(); i++)
        array->body[i] = JavaText(texts[i]);
    return array;
}

std::string AnsiText(const std::wstring &text)
{
    std::string ansi(text.size() * 2 + 1, '\0');
    int length = WideCharToMultiByte(CP_ACP, 0, text.c_str(), (int)text.size(), &ansi[0],
                                     (int)ansi.size(), NULL, NULL);
    ansi.resize(length > 0 ? length : 0);
    return ansi;
}

std::string TextOf(HObject string)
{
    if (!string)
        return "<null>";
    WCHAR units[4096];
    int length = StandinStringUnits((HString)string, units, ARRAY_SIZE(units));
    return length < 0 ? "<not a String>" : AnsiText(std::wstring(units, length));
}
