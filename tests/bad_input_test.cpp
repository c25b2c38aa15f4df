/*
 * Hostile Java input for every export that takes any, generated rather
 * than written out: each parameter type has its table of bad argument
 * kinds (null handles, empty and 10,000-character Strings, empty arrays,
 * null and oversized elements, negative and oversized counts), and each
 * export is called once with every argument valid, once per parameter and
 * bad kind of its type (the others valid), and once with every argument at
 * its null and at its empty kind.
 *
 * The calls of one export run in a child process of this very program, so
 * that a crash or a hang names its call instead of ending the test.  Each
 * call must leave every VM object unwritten past its end, raise only what
 * its export may raise (ZORVException or OutOfMemoryError, and the VM's
 * own error for an out parameter without an element 0), tell failure from
 * success the way its export does, and store only values of the right
 * class.  The windows that valid input opens (message box, open-file
 * dialog, folder browser, the two shell menus) are closed by Cancel or
 * Escape as they appear.  The search window, RNIRunMsJVM and the data
 * exports take no Java input and are left out.
 */
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "child.h"
#include "gui.h"
#include "java_text.h"
#include "library.h"
#include "msjava_standin.h"
#include "shell.h"

namespace {

enum ParameterType {
    TEXT,        /* String */
    TEXT_LIST,   /* String[] input */
    TEXT_ROWS,   /* String[][] input */
    OUT_TEXT,    /* String[] out parameter, may be null */
    OUT_LIST,    /* String[][] out parameter, may be null */
    OUT_INT,     /* int[] out parameter */
    OUT_LONG,    /* long[] out parameter */
    RESERVED,    /* String[] out parameter that is never stored into */
    COUNT,       /* int counting or limiting something */
    WAIT,        /* int seconds to wait: never the largest */
    NUMBER       /* int flags, types and handles: kept valid */
};

enum Kind {
    VALID,
    NULL_HANDLE,
    EMPTY,          /* empty String, array of length 0 */
    LONG_TEXT,      /* 10,000 characters */
    NULL_ELEMENT,   /* an array holding a null String or a null row */
    EMPTY_ELEMENT,  /* an array holding an empty String or an empty row */
    LONG_ELEMENT,   /* an array holding a 10,000-character String */
    WIDE_ROW,       /* a row of more texts than an exchange area holds */
    NEGATIVE,
    MINIMUM,
    MAXIMUM         /* also: far more than the array it counts holds */
};

const char *const KIND_NAMES[] = {
    "valid",         "null",         "empty",        "long",    "null element",
    "empty element", "long element", "too wide row", "-1",      "INT_MIN",
    "INT_MAX",
};

/* The bad kinds of each type, in the order of ParameterType. */
const std::vector<Kind> BAD_KINDS[] = {
    {NULL_HANDLE, EMPTY, LONG_TEXT},
    {NULL_HANDLE, EMPTY, NULL_ELEMENT, EMPTY_ELEMENT, LONG_ELEMENT},
    {NULL_HANDLE, EMPTY, NULL_ELEMENT, EMPTY_ELEMENT, LONG_ELEMENT, WIDE_ROW},
    {NULL_HANDLE, EMPTY},
    {NULL_HANDLE, EMPTY},
    {NULL_HANDLE, EMPTY},
    {NULL_HANDLE, EMPTY},
    {NULL_HANDLE, EMPTY},
    {NEGATIVE, MINIMUM, MAXIMUM},
    {NEGATIVE, MINIMUM},
    {},
};

bool IsOut(ParameterType type)
{
    return type == OUT_TEXT || type == OUT_LIST || type == OUT_INT || type == OUT_LONG;
}

bool IsRequiredOut(ParameterType type)
{
    return type == OUT_INT || type == OUT_LONG;
}

struct Parameter {
    ParameterType type;
    const char *text;     /* valid text or element; "$DIR" is the work directory */
    int32_t number;       /* valid value of an int */
    bool longMustFail;    /* a 10,000-character path can only fail */
};

/* How an export tells a failure from a success. */
enum Reporting {
    BY_STATUS,    /* 0, or the status with an exception pending */
    BY_ONE,       /* 1, or 0 with an exception pending */
    BY_STRING,    /* a String, or null with an exception pending */
    BY_STRINGS,   /* a String[] or null (cancelled), or null with an exception */
    BY_CODE,      /* one of codes; no ZORVException */
    BY_STATE      /* null or a String[][], and a TPA state; no ZORVException */
};

struct ExportCase {
    const char *name;
    Reporting reporting;
    std::vector<int32_t> codes;   /* BY_CODE: the results it names, failure first */
    std::vector<Parameter> parameters;
};

const Parameter DIRECTORY = {TEXT, "$DIR", 0, true};
const Parameter FILE_NAME = {TEXT, "note.txt", 0, true};
const Parameter OPTIONAL_TEXT = {OUT_TEXT, NULL, 0, false};
const Parameter OPTIONAL_LIST = {OUT_LIST, NULL, 0, false};
const Parameter UNUSED_TEXT = {RESERVED, NULL, 0, false};
const Parameter INT_RESULT = {OUT_INT, NULL, 0, false};
const Parameter LONG_RESULT = {OUT_LONG, NULL, 0, false};

Parameter Text(const char *text) { return {TEXT, text, 0, false}; }
Parameter List(const char *text) { return {TEXT_LIST, text, 0, false}; }
Parameter Number(int32_t number) { return {NUMBER, NULL, number, false}; }
Parameter Count(int32_t number) { return {COUNT, NULL, number, false}; }

const std::vector<ExportCase> &Exports()
{
    static const std::vector<ExportCase> exports = {
        {"com_zorv_ZORVNI_NICompareVersions", BY_CODE, {0, -1, 1},
         {Text("2.1"), Text("2.01.3"), INT_RESULT}},
        {"com_zorv_ZORVNI_NIMessageBox", BY_CODE, {},
         {Number(0), Text("Text"), Text("Caption"), Number(MB_OKCANCEL)}},
        {"com_zorv_ZORVNI_NIChooseFile", BY_STRING, {},
         {{TEXT, "$DIR", 0, true}, Text("Texts"), Text("*.txt"), Number(1), Number(0)}},
        {"com_zorv_ZORVNI_NIChooseFiles", BY_STRINGS, {},
         {{TEXT, "$DIR", 0, true}, Text("Texts"), Text("*.txt"), Number(1), Number(1),
          Number(0), Count(5)}},
        {"com_zorv_ZORVNI_NIChooseFiles1", BY_STRINGS, {},
         {{TEXT, "$DIR", 0, true}, Text("Texts"), Text("*.txt"), Number(1), Number(1),
          Number(0), Count(5), Number(1)}},
        {"com_zorv_ZORVNI_NIChooseDir", BY_STATUS, {},
         {Text("$DIR"), Text("Pick a folder"), Number(0), OPTIONAL_TEXT, INT_RESULT}},
        {"com_zorv_ZORVNI_NIWinShOpenContextMenu", BY_CODE, {1, 0}, {DIRECTORY, FILE_NAME}},
        {"com_zorv_ZORVNI_NIWinShOpenSendToMenu", BY_CODE, {1, 0}, {DIRECTORY, FILE_NAME}},
        {"com_zorv_ZORVNI_NIWin32ShellExecuteEx", BY_ONE, {},
         {{TEXT, "$BIN\\recorder.exe", 0, true}, Text("open")}},
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
         {{TEXT, "$DIR\\made.txt", 0, true}, Number(1)}},
        {"com_zorv_ZORVNI_NIGetOSTempDir", BY_STATUS, {}, {OPTIONAL_TEXT}},
        {"com_zorv_ZORVNI_NIListenTPARequest", BY_STATE, {},
         {{WAIT, NULL, 0, false}, {TEXT_ROWS, "reply", 0, false}, INT_RESULT}},
    };
    return exports;
}

/* Exports that take nothing from Java, or no Java call at all. */
const char *const WITHOUT_JAVA_INPUT[] = {
    "RNIGetCompatibleVersion", "com_zorv_ZORVNI_NIGetZORVDLLVersion",
    "com_zorv_ZORVNI_NIWinShOpenSearchDlg", "_RNIRunMsJVM@4", "gTPAReq", "gTPARes",
    "bTPAReqArrived",
};

/* One call: a kind for every parameter. */
typedef std::vector<Kind> Combination;

std::vector<Combination> Combinations(const ExportCase &export_)
{
    size_t count = export_.parameters.size();
    std::vector<Combination> combinations(1, Combination(count, VALID));
    for (size_t i = 0; i < count; i++)
        for (Kind kind : BAD_KINDS[export_.parameters[i].type]) {
            combinations.push_back(Combination(count, VALID));
            combinations.back()[i] = kind;
        }
    for (Kind all : {NULL_HANDLE, EMPTY}) {
        Combination every(count, VALID);
        for (size_t i = 0; i < count; i++)
            for (Kind kind : BAD_KINDS[export_.parameters[i].type])
                if (kind == all)
                    every[i] = all;
        combinations.push_back(every);
    }
    return combinations;
}

std::string Describe(const ExportCase &export_, const Combination &combination)
{
    std::string text;
    for (size_t i = 0; i < combination.size(); i++)
        text += std::string(i ? ", " : "") + KIND_NAMES[combination[i]];
    return std::string(export_.name) + "(" + text + ")";
}

/* ---- the child: making the arguments, calling, judging ---- */

const char STRING_CLASS[] = "java/lang/String";
const char STRINGS_CLASS[] = "[Ljava/lang/String;";
const int LONG_LENGTH = 10000;
const int WIDE_ROW_LENGTH = 21;

std::string g_workDirectory;

HString ValidText(const char *text)
{
    std::string expanded = text;
    if (expanded.compare(0, 4, "$DIR") == 0)
        expanded = g_workDirectory + expanded.substr(4);
    else if (expanded.compare(0, 4, "$BIN") == 0)
        expanded = TestFilePath("") + expanded.substr(5);
    return JavaText(expanded);
}

HString LongText()
{
    return StandinString(std::wstring(LONG_LENGTH, L'a').c_str());
}

ArrayOfObject *Strings(std::vector<HString> elements)
{
    ArrayOfObject *array = StandinObjectArray(STRING_CLASS, (int)elements.size());
    for (size_t i = 0; i < elements.size(); i++)
        array->body[i] = elements[i];
    return array;
}

HString TextOfKind(const Parameter &parameter, Kind kind)
{
    switch (kind) {
    case NULL_HANDLE:
    case NULL_ELEMENT: return NULL;
    case EMPTY:
    case EMPTY_ELEMENT: return StandinString(L"");
    case LONG_TEXT:
    case LONG_ELEMENT: return LongText();
    default: return ValidText(parameter.text);
    }
}

ArrayOfObject *Rows(const Parameter &parameter, Kind kind)
{
    ArrayOfObject *rows = StandinObjectArray(STRINGS_CLASS, kind == EMPTY ? 0 : 1);
    if (kind == WIDE_ROW) {
        std::vector<HString> texts(WIDE_ROW_LENGTH, ValidText(parameter.text));
        texts[5] = NULL;
        rows->body[0] = (HObject)Strings(texts);
    } else if (kind == EMPTY_ELEMENT) {
        rows->body[0] = (HObject)Strings({});
    } else if (kind != EMPTY && kind != NULL_ELEMENT) {
        rows->body[0] = (HObject)Strings({TextOfKind(parameter, kind)});
    }
    return rows;
}

int32_t NumberOfKind(const Parameter &parameter, Kind kind)
{
    switch (kind) {
    case NEGATIVE: return -1;
    case MINIMUM: return INT32_MIN;
    case MAXIMUM: return INT32_MAX;
    default: return parameter.number;
    }
}

intptr_t Argument(const Parameter &parameter, Kind kind)
{
    int length = kind == EMPTY ? 0 : 1;
    if (kind == NULL_HANDLE)
        return 0;
    switch (parameter.type) {
    case TEXT: return (intptr_t)TextOfKind(parameter, kind);
    case TEXT_LIST:
        return (intptr_t)(kind == EMPTY ? Strings({}) : Strings({TextOfKind(parameter, kind)}));
    case TEXT_ROWS: return (intptr_t)Rows(parameter, kind);
    case OUT_TEXT:
    case RESERVED: return (intptr_t)StandinObjectArray(STRING_CLASS, length);
    case OUT_LIST: return (intptr_t)StandinObjectArray(STRINGS_CLASS, length);
    case OUT_INT: return (intptr_t)StandinIntArray(length);
    case OUT_LONG: return (intptr_t)StandinLongArray(length);
    default: return (intptr_t)NumberOfKind(parameter, kind);
    }
}

/* Every export is __cdecl, so one with fewer parameters may be called with
 * more: the caller removes them, and each int travels in a slot of its own. */
enum { MOST_PARAMETERS = 15 };
typedef intptr_t(__cdecl *AnyExport)(HObject, intptr_t, intptr_t, intptr_t, intptr_t,
                                     intptr_t, intptr_t, intptr_t, intptr_t, intptr_t,
                                     intptr_t, intptr_t, intptr_t, intptr_t, intptr_t,
                                     intptr_t);

intptr_t CallExport(AnyExport call, const intptr_t *a)
{
    return call(NULL, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10],
                a[11], a[12], a[13], a[14]);
}

/* Closes what valid input opens, as it appears, on a thread of its own. */
struct Dismisser {
    ThreadCall call;
    volatile LONG stop;
    volatile LONG closed;
};

BOOL CALLBACK DismissWindow(HWND window, LPARAM data)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    char className[32] = "";
    GetClassNameA(window, className, sizeof(className));
    if (processId != GetCurrentProcessId() || !IsWindowVisible(window))
        return TRUE;
    if (strcmp(className, "#32768") == 0)
        SendKey(window, VK_ESCAPE);
    else if (strcmp(className, "#32770") == 0)
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    else
        return TRUE;
    InterlockedIncrement(&((Dismisser *)data)->closed);
    return TRUE;
}

int DismissWindows(Dismisser *dismisser)
{
    while (!dismisser->stop) {
        EnumWindows(DismissWindow, (LPARAM)dismisser);
        Sleep(50);
    }
    return 0;
}

bool IsClass(HObject object, const char *className)
{
    const char *actual = StandinClassOf(object);
    return actual && strcmp(actual, className) == 0;
}

/* A String[] result or stored list: every element a String. */
bool IsStringArray(HObject object)
{
    if (!IsClass(object, STRINGS_CLASS))
        return false;
    ArrayOfObject *array = (ArrayOfObject *)object;
    for (int i = 0; i < array->length; i++)
        if (!IsClass(array->body[i], STRING_CLASS))
            return false;
    return true;
}

/* What a call with these kinds must raise from the VM itself, or null. */
const char *ExpectedVmError(const ExportCase &export_, const Combination &combination)
{
    const char *expected = NULL;
    for (size_t i = 0; i < combination.size(); i++) {
        ParameterType type = export_.parameters[i].type;
        if (IsOut(type) && combination[i] == EMPTY)
            return "java/lang/ArrayIndexOutOfBoundsException";
        if (IsRequiredOut(type) && combination[i] == NULL_HANDLE)
            expected = "java/lang/NullPointerException";
    }
    return expected;
}

struct Outcome {
    intptr_t result;
    bool raised;
    StandinException exception;
};

bool Failed(const ExportCase &export_, const Outcome &outcome)
{
    if (export_.reporting == BY_CODE)
        return !export_.codes.empty() && (int32_t)outcome.result == export_.codes[0];
    return outcome.raised;
}

/* What is wrong with the result and the exception; empty when nothing. */
std::string JudgeReport(const ExportCase &export_, const Outcome &outcome,
                        const intptr_t *arguments)
{
    int32_t code = (int32_t)outcome.result;
    HObject object = (HObject)outcome.result;
    bool raised = outcome.raised;
    switch (export_.reporting) {
    case BY_STATUS:
        if (code != 0 && code != 2 && code != 4 && code != 8 && code != 32 && code != 64 &&
            code != 128)
            return "status " + std::to_string(code) + " not one a Java caller knows";
        return (code != 0) == raised ? "" : "status and exception disagree";
    case BY_ONE:
        return (code == 1 && !raised) || (code == 0 && raised) ? "" : "result not 1 or 0";
    case BY_STRING:
        return raised ? (object ? "a String beside the exception" : "")
                      : (IsClass(object, STRING_CLASS) ? "" : "no String and no exception");
    case BY_STRINGS:
        return raised ? (object ? "an array beside the exception" : "")
                      : (!object || IsStringArray(object) ? "" : "not a String[]");
    case BY_CODE:
        for (int32_t named : export_.codes)
            if (named == code)
                return "";
        return export_.codes.empty() ? "" : "result " + std::to_string(code) + " not named";
    case BY_STATE: {
        if (raised)
            return object ? "a request beside the exception" : "";
        if (object && !(IsClass(object, "[[Ljava/lang/String;") ||
                        IsClass(object, STRINGS_CLASS)))
            return "request is not a String[][]";
        ArrayOfInt *state = (ArrayOfInt *)arguments[export_.parameters.size() - 1];
        int32_t value = state->body[0];
        return value == 1 || value == 2 || value == 4 ? "" : "state not named";
    }
    }
    return "";
}

/* Element 0 of every out parameter given with one holds nothing or a value
 * of its class, and no array changed its length. */
std::string JudgeStores(const ExportCase &export_, const Combination &combination,
                        const intptr_t *arguments)
{
    for (size_t i = 0; i < combination.size(); i++) {
        ParameterType type = export_.parameters[i].type;
        if (!IsOut(type) || combination[i] != VALID)
            continue;
        ArrayOfObject *array = (ArrayOfObject *)arguments[i];
        if (array->length != 1)
            return "out parameter " + std::to_string(i + 1) + " changed its length";
        HObject stored = array->body[0];
        if (type == OUT_TEXT && stored && !IsClass(stored, STRING_CLASS))
            return "out parameter " + std::to_string(i + 1) + " holds no String";
        if (type == OUT_LIST && stored && !IsStringArray(stored))
            return "out parameter " + std::to_string(i + 1) + " holds no String[]";
    }
    return "";
}

std::string Judge(const ExportCase &export_, const Combination &combination,
                  const intptr_t *arguments, const Outcome &outcome)
{
    std::string problems;
    const char *vmError = ExpectedVmError(export_, combination);
    const char *raisedClass = outcome.raised ? outcome.exception.className : "";
    bool ownExceptionAllowed = export_.reporting != BY_CODE && export_.reporting != BY_STATE;
    if (vmError) {
        if (strcmp(raisedClass, vmError) != 0)
            problems += std::string("raised '") + raisedClass + "' instead of " + vmError + "; ";
    } else if (outcome.raised && !(ownExceptionAllowed &&
                                   (strcmp(raisedClass, "com/zorv/ZORVException") == 0 ||
                                    strcmp(raisedClass, "java/lang/OutOfMemoryError") == 0))) {
        problems += std::string("raised ") + raisedClass + "; ";
    }
    std::string report = JudgeReport(export_, outcome, arguments);
    if (!report.empty())
        problems += report + "; ";
    for (size_t i = 0; i < combination.size(); i++)
        if (export_.parameters[i].longMustFail && combination[i] == LONG_TEXT &&
            !Failed(export_, outcome))
            problems += "a 10,000-character path was taken; ";
    if (!vmError)
        problems += JudgeStores(export_, combination, arguments);
    return problems;
}

const ExportCase *FindExport(const char *name)
{
    for (const ExportCase &export_ : Exports())
        if (strcmp(export_.name, name) == 0)
            return &export_;
    return NULL;
}

/* Runs every combination of one export, writing "call" before and
 * "verdict" after each, and "done" at the end, flushed as they happen. */
void RunExport(const ExportCase &export_, FILE *log)
{
    AnyExport call = Export<AnyExport>(export_.name);
    if (!call) {
        fprintf(log, "missing %s\n", export_.name);
        return;
    }
    Dismisser dismisser = {};
    StartThreadCall(&dismisser.call, [&dismisser] { return DismissWindows(&dismisser); });
    std::vector<Combination> combinations = Combinations(export_);
    for (size_t n = 0; n < combinations.size(); n++) {
        fprintf(log, "call %u %s\n", (unsigned)n, Describe(export_, combinations[n]).c_str());
        fflush(log);
        intptr_t arguments[MOST_PARAMETERS] = {};
        for (size_t i = 0; i < export_.parameters.size(); i++)
            arguments[i] = Argument(export_.parameters[i], combinations[n][i]);
        LONG closedBefore = dismisser.closed;
        Outcome outcome = {};
        outcome.result = CallExport(call, arguments);
        outcome.raised = StandinTakeException(&outcome.exception) != 0;
        std::string problems = Judge(export_, combinations[n], arguments, outcome);
        if (StandinDamagedGuards() > 0)
            problems += "written past a VM object; ";
        fprintf(log, "verdict %u %s (result %lld, raised '%s'%s)\n", (unsigned)n,
                problems.empty() ? "ok" : problems.c_str(), (long long)outcome.result,
                outcome.raised ? outcome.exception.className : "",
                dismisser.closed != closedBefore ? ", window closed" : "");
        fflush(log);
        /* One damage is reported once, at the call that did it. */
        if (StandinDamagedGuards() > 0)
            break;
    }
    dismisser.stop = 1;
    FinishThreadCall(&dismisser.call, 5000);
    fprintf(log, "done\n");
    fflush(log);
}

const char EXPORT_VARIABLE[] = "ZORV_BAD_INPUT_EXPORT";
const char LOG_VARIABLE[] = "ZORV_BAD_INPUT_LOG";

} // namespace

TEST(BadInputChild, RunsTheCallsOfOneExport)
{
    const char *name = getenv(EXPORT_VARIABLE);
    const char *logPath = getenv(LOG_VARIABLE);
    if (!name || !logPath)
        GTEST_SKIP() << "runs only as the child of the BadInput tests";
    const ExportCase *export_ = FindExport(name);
    ASSERT_TRUE(export_ != NULL) << name;
    /* A crash ends the child at once instead of waiting in a debugger. */
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    TempDir work;
    g_workDirectory = work.path;
    ASSERT_TRUE(WriteTextFile(work / "note.txt", "text"));
    ScopedEnvironment mailRecord("ZORV_MAPI_RECORD", (work / "mail.txt").c_str());
    /* The Send To menu opens for valid input only with an entry to show. */
    std::unique_ptr<ScopedSendToFolder> sendTo;
    if (strstr(name, "SendTo")) {
        sendTo.reset(new ScopedSendToFolder);
        ASSERT_TRUE(WriteTextFile(*sendTo / "entry.txt", "text"));
    }
    FILE *log = fopen(logPath, "w");
    ASSERT_TRUE(log != NULL) << logPath;
    RunExport(*export_, log);
    fclose(log);
}

/* ---- the parent: one child per export, and what its log says ---- */

namespace {

std::vector<std::string> ReadLines(const std::string &path)
{
    std::vector<std::string> lines;
    FILE *file = fopen(path.c_str(), "r");
    char line[4096];
    while (file && fgets(line, sizeof(line), file)) {
        line[strcspn(line, "\r\n")] = '\0';
        lines.push_back(line);
    }
    if (file)
        fclose(file);
    return lines;
}

bool StartsWith(const std::string &text, const char *prefix)
{
    return text.compare(0, strlen(prefix), prefix) == 0;
}

class BadInput : public ::testing::TestWithParam<const char *> {};

} // namespace

TEST_P(BadInput, EveryCallEndsCleanly)
{
    TempDir logDir;
    std::string logPath = logDir / "calls.log";
    ScopedEnvironment exportName(EXPORT_VARIABLE, GetParam());
    ScopedEnvironment logName(LOG_VARIABLE, logPath.c_str());
    HANDLE child = StartChild(QuoteArgument(TestFilePath("bad_input_test.exe")) +
                                  " --gtest_filter=BadInputChild.*",
                              NULL);
    ASSERT_TRUE(child != NULL);
    bool timedOut = false;
    DWORD exitCode = FinishChild(child, 30000, &timedOut);

    std::vector<std::string> lines = ReadLines(logPath);
    std::string pending;   /* the call without a verdict yet */
    size_t calls = 0;
    for (const std::string &line : lines) {
        if (StartsWith(line, "call ")) {
            pending = line.substr(5);
            calls++;
        } else if (StartsWith(line, "verdict ")) {
            std::string verdict = line.substr(line.find(' ', 8) + 1);
            EXPECT_TRUE(StartsWith(verdict, "ok")) << pending << ": " << verdict;
            pending.clear();
        }
    }
    EXPECT_TRUE(pending.empty()) << (timedOut ? "hung at " : "crashed at ") << pending;
    EXPECT_FALSE(lines.empty() || lines.back() != "done")
        << "the child did not finish (exit code " << exitCode << ")";
    EXPECT_GT(calls, 1u);
    EXPECT_EQ(0u, exitCode);
}

INSTANTIATE_TEST_SUITE_P(Exports, BadInput,
                         ::testing::ValuesIn([] {
                             std::vector<const char *> names;
                             for (const ExportCase &export_ : Exports())
                                 names.push_back(export_.name);
                             return names;
                         }()),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                             std::string name = info.param;
                             size_t prefix = name.rfind('_');
                             return name.substr(prefix + 1);
                         });

TEST(BadInputCoverage, EveryExportWithJavaInputHasItsCalls)
{
    static const char *const exported[] = {
#include "zorvrni_exports.inc"
    };
    for (const char *name : exported) {
        bool withoutInput = false;
        for (const char *other : WITHOUT_JAVA_INPUT)
            withoutInput = withoutInput || strcmp(name, other) == 0;
        EXPECT_TRUE(withoutInput || FindExport(name) != NULL) << name << " gets no bad input";
    }
}
