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
#include "export_table.h"
#include "gui.h"
#include "java_text.h"
#include "library.h"
#include "msjava_standin.h"
#include "shell.h"

namespace {

enum Kind {
    VALID,
    NULL_HANDLE,
    EMPTY,         /* empty String, array of length 0 */
    LONG_TEXT,     /* 10,000 characters */
    NULL_ELEMENT,  /* an array holding a null String or a null row */
    EMPTY_ELEMENT, /* an array holding an empty String or an empty row */
    LONG_ELEMENT,  /* an array holding a 10,000-character String */
    WIDE_ROW,      /* a row of more texts than an exchange area holds */
    NEGATIVE,
    MINIMUM,
    MAXIMUM /* also: far more than the array it counts holds */
};

const char *const KIND_NAMES[] = {
    "valid",        "null",         "empty", "long",    "null element", "empty element",
    "long element", "too wide row", "-1",    "INT_MIN", "INT_MAX",
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

bool IsRequiredOut(ParameterType type) { return type == OUT_INT || type == OUT_LONG; }

/* Exports that take nothing from Java, or no Java call at all. */
const char *const WITHOUT_JAVA_INPUT[] = {
    "RNIGetCompatibleVersion",
    "com_zorv_ZORVNI_NIGetZORVDLLVersion",
    "com_zorv_ZORVNI_NIWinShOpenSearchDlg",
    "_RNIRunMsJVM@4",
    "gTPAReq",
    "gTPARes",
    "bTPAReqArrived",
};

/* One call: a kind for every parameter. */
typedef std::vector<Kind> Combination;

std::vector<Combination> Combinations(const ExportEntry &export_)
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

std::string Describe(const ExportEntry &export_, const Combination &combination)
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

HString ValidText(const char *text) { return JavaText(ExpandedText(text, g_workDirectory)); }

HString LongText() { return StandinString(std::wstring(LONG_LENGTH, L'a').c_str()); }

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
    if (kind == VALID)
        return ValidArgument(parameter, g_workDirectory);
    if (kind == NULL_HANDLE)
        return 0;
    switch (parameter.type) {
    case TEXT: return (intptr_t)TextOfKind(parameter, kind);
    case TEXT_LIST:
        return (intptr_t)(kind == EMPTY ? Strings({}) : Strings({TextOfKind(parameter, kind)}));
    case TEXT_ROWS: return (intptr_t)Rows(parameter, kind);
    case COUNT:
    case WAIT:
    case NUMBER: return (intptr_t)NumberOfKind(parameter, kind);
    default: return NewOutArgument(parameter.type, 0); /* its one bad kind besides null */
    }
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
const char *ExpectedVmError(const ExportEntry &export_, const Combination &combination)
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

bool Failed(const ExportEntry &export_, const Outcome &outcome)
{
    if (export_.reporting == BY_CODE)
        return !export_.codes.empty() && (int32_t)outcome.result == export_.codes[0];
    return outcome.raised;
}

/* What is wrong with the result and the exception; empty when nothing. */
std::string JudgeReport(const ExportEntry &export_, const Outcome &outcome,
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
    case BY_ONE: return (code == 1 && !raised) || (code == 0 && raised) ? "" : "result not 1 or 0";
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
        if (object && !(IsClass(object, "[[Ljava/lang/String;") || IsClass(object, STRINGS_CLASS)))
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
std::string JudgeStores(const ExportEntry &export_, const Combination &combination,
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

std::string Judge(const ExportEntry &export_, const Combination &combination,
                  const intptr_t *arguments, const Outcome &outcome)
{
    std::string problems;
    const char *vmError = ExpectedVmError(export_, combination);
    const char *raisedClass = outcome.raised ? outcome.exception.className : "";
    bool ownExceptionAllowed = export_.reporting != BY_CODE && export_.reporting != BY_STATE;
    if (vmError) {
        if (strcmp(raisedClass, vmError) != 0)
            problems += std::string("raised '") + raisedClass + "' instead of " + vmError + "; ";
    } else if (outcome.raised &&
               !(ownExceptionAllowed && (strcmp(raisedClass, "com/zorv/ZORVException") == 0 ||
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

/* Runs every combination of one export, writing "call" before and
 * "verdict" after each, and "done" at the end, flushed as they happen. */
void RunExport(const ExportEntry &export_, FILE *log)
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
        std::vector<intptr_t> arguments;
        for (size_t i = 0; i < export_.parameters.size(); i++)
            arguments.push_back(Argument(export_.parameters[i], combinations[n][i]));
        LONG closedBefore = dismisser.closed;
        Outcome outcome = {};
        outcome.result = CallExport(call, arguments);
        outcome.raised = StandinTakeException(&outcome.exception) != 0;
        std::string problems = Judge(export_, combinations[n], arguments.data(), outcome);
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
    const ExportEntry *export_ = FindExport(name);
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
    std::string pending; /* the call without a verdict yet */
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

INSTANTIATE_TEST_SUITE_P(Exports, BadInput, ::testing::ValuesIn([] {
                             std::vector<const char *> names;
                             for (const ExportEntry &export_ : ExportTable())
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
