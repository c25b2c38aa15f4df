/*
 * The exports that take Java input, each with a valid call, and the
 * making of that call.
 */
#include "export_table.h"

#include <string.h>

#include "alloc.h"
#include "child.h"
#include "java_text.h"
#include "library.h"

static const char STRING_CLASS[] = "java/lang/String";
static const char STRINGS_CLASS[] = "[Ljava/lang/String;";
static const char METHOD_PREFIX[] = "com_zorv_ZORVNI_";

static const Parameter DIRECTORY = {TEXT, "$DIR", 0, true};
static const Parameter FILE_NAME = {TEXT, "note.txt", 0, true};
static const Parameter OPTIONAL_TEXT = {OUT_TEXT, NULL, 0, false};
static const Parameter OPTIONAL_LIST = {OUT_LIST, NULL, 0, false};
static const Parameter UNUSED_TEXT = {RESERVED, NULL, 0, false};
static const Parameter INT_RESULT = {OUT_INT, NULL, 0, false};
static const Parameter LONG_RESULT = {OUT_LONG, NULL, 0, false};

static Parameter Text(const char *text) { return {TEXT, text, 0, false}; }
static Parameter Path(const char *text) { return {TEXT, text, 0, true}; }
static Parameter List(const char *text) { return {TEXT_LIST, text, 0, false}; }
static Parameter Number(int32_t number) { return {NUMBER, NULL, number, false}; }
static Parameter Count(int32_t number) { return {COUNT, NULL, number, false}; }

const std::vector<ExportEntry> &ExportTable(void)
{
    /* One export to a line pair: name, reporting, codes, then its parameters. */
    /* clang-format off */
    static const std::vector<ExportEntry> exports = {
        {"com_zorv_ZORVNI_NICompareVersions", BY_CODE, {0, -1, 1},
         {Text("2.1"), Text("2.01.3"), INT_RESULT}},
        {"com_zorv_ZORVNI_NIMessageBox", BY_CODE, {},
         {Number(0), Text("Text"), Text("Caption"), Number(MB_OKCANCEL)}},
        {"com_zorv_ZORVNI_NIChooseFile", BY_STRING, {},
         {DIRECTORY, Text("Texts"), Text("*.txt"), Number(1), Number(0)}},
        {"com_zorv_ZORVNI_NIChooseFiles", BY_STRINGS, {},
         {DIRECTORY, Text("Texts"), Text("*.txt"), Number(1), Number(1), Number(0),
          Count(5)}},
        {"com_zorv_ZORVNI_NIChooseFiles1", BY_STRINGS, {},
         {DIRECTORY, Text("Texts"), Text("*.txt"), Number(1), Number(1), Number(0),
          Count(5), Number(1)}},
        {"com_zorv_ZORVNI_NIChooseDir", BY_STATUS, {},
         {Text("$DIR"), Text("Pick a folder"), Number(0), OPTIONAL_TEXT, INT_RESULT}},
        {"com_zorv_ZORVNI_NIWinShOpenContextMenu", BY_CODE, {1, 0}, {DIRECTORY, FILE_NAME}},
        {"com_zorv_ZORVNI_NIWinShOpenSendToMenu", BY_CODE, {1, 0}, {DIRECTORY, FILE_NAME}},
        {"com_zorv_ZORVNI_NIWin32ShellExecuteEx", BY_ONE, {},
         {Path("$BIN\\recorder.exe"), Text("open")}},
        {"com_zorv_ZORVNI_NIWin32MAPISendMail", BY_STATUS, {},
         {Text("Subject"), Text("Note"), Number(0), List("someone@example.com"), Count(1),
          List("copy@example.com"), Count(1), List("hidden@example.com"), Count(1),
          List("Title"), List("$DIR"), List("note.txt"), Count(1)}},
        {"com_zorv_ZORVNI_Win32GetFileInfo", BY_STATUS, {},
         {DIRECTORY, FILE_NAME, OPTIONAL_TEXT, OPTIONAL_TEXT, UNUSED_TEXT, OPTIONAL_TEXT,
          LONG_RESULT, INT_RESULT, OPTIONAL_TEXT, LONG_RESULT, OPTIONAL_TEXT, LONG_RESULT,
          OPTIONAL_TEXT, LONG_RESULT, OPTIONAL_LIST}},
        {"com_zorv_ZORVNI_Win32GetFileSystemInfo", BY_STATUS, {},
         {DIRECTORY, FILE_NAME, OPTIONAL_TEXT, OPTIONAL_LIST, INT_RESULT}},
        {"com_zorv_ZORVNI_Win32GetStorageInfo", BY_STATUS, {},
         {DIRECTORY, FILE_NAME, OPTIONAL_TEXT, OPTIONAL_TEXT, OPTIONAL_TEXT, INT_RESULT,
          LONG_RESULT, LONG_RESULT, LONG_RESULT}},
        {"com_zorv_ZORVNI_NICreateEmptyFile", BY_CODE, {1, 0},
         {Path("$DIR\\made.txt"), Number(1)}},
        {"com_zorv_ZORVNI_NIGetOSTempDir", BY_STATUS, {}, {OPTIONAL_TEXT}},
        {"com_zorv_ZORVNI_NIListenTPARequest", BY_STATE, {},
         {{WAIT, NULL, 0, false}, {TEXT_ROWS, "reply", 0, false}, INT_RESULT}},
    };
    /* clang-format on */
    return exports;
}

const ExportEntry *FindExport(const char *name)
{
    std::string method = std::string(METHOD_PREFIX) + name;
    for (const ExportEntry &entry : ExportTable())
        if (strcmp(entry.name, name) == 0 || method == entry.name)
            return &entry;
    return NULL;
}

std::string ExpandedText(const char *text, const std::string &workDirectory)
{
    std::string expanded = text;
    if (expanded.compare(0, 4, "$DIR") == 0)
        expanded = workDirectory + expanded.substr(4);
    else if (expanded.compare(0, 4, "$BIN") == 0)
        expanded = TestFilePath("") + expanded.substr(5);
    return expanded;
}

intptr_t NewOutArgument(ParameterType type, int length)
{
    switch (type) {
    case OUT_LIST: return (intptr_t)StandinObjectArray(STRINGS_CLASS, length);
    case OUT_INT: return (intptr_t)StandinIntArray(length);
    case OUT_LONG: return (intptr_t)StandinLongArray(length);
    default: return (intptr_t)StandinObjectArray(STRING_CLASS, length);
    }
}

intptr_t ValidArgument(const Parameter &parameter, const std::string &workDirectory)
{
    std::string text = parameter.text ? ExpandedText(parameter.text, workDirectory) : "";
    switch (parameter.type) {
    case TEXT: return (intptr_t)JavaText(text);
    case TEXT_LIST: return (intptr_t)JavaStrings({text});
    case TEXT_ROWS: {
        ArrayOfObject *rows = StandinObjectArray(STRINGS_CLASS, 1);
        rows->body[0] = (HObject)JavaStrings({text});
        return (intptr_t)rows;
    }
    case COUNT:
    case WAIT:
    case NUMBER: return parameter.number;
    default: return NewOutArgument(parameter.type, 1);
    }
}

intptr_t CallExport(AnyExport export_, const std::vector<intptr_t> &arguments)
{
    intptr_t a[MOST_PARAMETERS] = {};
    for (size_t i = 0; i < arguments.size() && i < ARRAY_SIZE(a); i++)
        a[i] = arguments[i];
    return export_(NULL, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11],
                   a[12], a[13], a[14]);
}

intptr_t CallValid(const char *name, const std::string &workDirectory,
                   const std::vector<Replacement> &replacements)
{
    const ExportEntry *entry = FindExport(name);
    std::vector<intptr_t> arguments;
    for (const Parameter &parameter : entry->parameters)
        arguments.push_back(ValidArgument(parameter, workDirectory));
    for (const Replacement &replacement : replacements)
        arguments.at(replacement.at) = replacement.value;
    return CallExport(Export<AnyExport>(entry->name), arguments);
}
