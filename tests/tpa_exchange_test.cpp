/*
 * The TPA exchange and RNIRunMsJVM through the real zorvrni.dll, with the
 * listener stand-in bound to the library's own data exports and the
 * stand-in VM.  The failures of RNIRunMsJVM end the process, so they run in
 * a copy of this program and are read from the error box it shows.
 */
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

#include "alloc.h"
#include "child.h"
#include "gui.h"
#include "library.h"
#include "msjava_standin.h"
#include "tpa_exchange.h"
#include "tpa_listener.h"

typedef decltype(&RNIRunMsJVM) RunFn;

static std::wstring Wide(const std::string &text) { return std::wstring(text.begin(), text.end()); }

static std::string UnitsOf(HObject string)
{
    WCHAR buffer[2048];
    int length = StandinStringUnits((HString)string, buffer, ARRAY_SIZE(buffer));
    return length < 0 ? "<not a String>" : std::string(buffer, buffer + length);
}

static ArrayOfString *Row(const std::vector<std::string> &texts)
{
    ArrayOfString *row = StandinObjectArray("java/lang/String", (int)texts.size());
    for (size_t j = 0; j < texts.size(); j++)
        row->body[j] = StandinString(Wide(texts[j]).c_str());
    return row;
}

static ArrayOfArray *Response(const std::vector<std::vector<std::string>> &rows)
{
    ArrayOfArray *response = StandinObjectArray("[Ljava/lang/String;", (int)rows.size());
    for (size_t i = 0; i < rows.size(); i++)
        response->body[i] = (HObject)Row(rows[i]);
    return response;
}

static std::vector<std::string> Texts(int count, const char *prefix)
{
    std::vector<std::string> texts;
    for (int j = 0; j < count; j++)
        texts.push_back(prefix + std::to_string(j));
    return texts;
}

/* What one call gave back. */
struct Listened {
    HObject result;
    int32_t state;
    DWORD elapsedMs;
    /* The request's texts, when the result holds a row. */
    std::vector<std::string> Request() const
    {
        std::vector<std::string> texts;
        const ArrayOfArray *outer = (const ArrayOfArray *)result;
        if (!outer || outer->length != 1 || !outer->body[0])
            return texts;
        const ArrayOfString *row = (const ArrayOfString *)outer->body[0];
        for (int j = 0; j < row->length; j++)
            texts.push_back(UnitsOf(row->body[j]));
        return texts;
    }
};

class TpaExchange : public ::testing::Test {
protected:
    HMODULE library = LibraryUnderTest();
    decltype(&com_zorv_ZORVNI_NIListenTPARequest) listen = EXPORT(NIListenTPARequest);
    TpaArea *request = EXPORT_OF(gTPAReq);
    TpaArea *response = EXPORT_OF(gTPARes);
    int32_t *flag = EXPORT_OF(bTPAReqArrived);

    void SetUp() override
    {
        ASSERT_TRUE(library && listen && request && response && flag);
        memset(request, 0, sizeof(*request));
        memset(response, 0, sizeof(*response));
        *flag = 0;
    }
    void TearDown() override
    {
        StopTpaListener();
        StandinFailArraysAfter(-1);
    }
    Listened Listen(int32_t seconds, ArrayOfArray *rows)
    {
        ArrayOfInt *state = StandinIntArray(1);
        state->body[0] = -1;
        DWORD start = GetTickCount();
        HObject result = listen(NULL, seconds, rows, state);
        return Listened{result, state->body[0], GetTickCount() - start};
    }
    std::string Slot(int j) const
    {
        return std::string(response->slots[j], strnlen(response->slots[j], TPA_SLOT_SIZE));
    }
};

TEST_F(TpaExchange, ResponseRowsAreWrittenFromSlotZeroAndTheLastRowCounts)
{
    ASSERT_TRUE(StartTpaListener(library, 0));
    Listened listened = Listen(0, Response({{"a", "b", "c"}, {"d"}}));
    EXPECT_EQ(TPA_STATE_NONE, listened.state);
    EXPECT_TRUE(listened.result == NULL);
    TpaResponseSeen seen = TpaListenerSeen();
    EXPECT_EQ(1, seen.deliveries);
    EXPECT_EQ(1, seen.count);
    EXPECT_EQ(std::vector<std::string>({"d"}), seen.texts);

    /* An empty text cannot be converted: its slot stays empty, the rest go. */
    Listen(0, Response({{"", "x"}}));
    EXPECT_EQ(std::vector<std::string>({"", "x"}), TpaListenerSeen().texts);

    /* No rows: still sent, and the areas keep what the last delivery left. */
    Listened none = Listen(0, Response({}));
    EXPECT_EQ(TPA_STATE_NONE, none.state);
    seen = TpaListenerSeen();
    EXPECT_EQ(3, seen.deliveries);
    EXPECT_EQ(std::vector<std::string>({"", "x"}), seen.texts);
}

TEST_F(TpaExchange, AShorterTextLeavesNoTraceOfTheLongerOne)
{
    ASSERT_TRUE(StartTpaListener(library, 0));
    Listen(0, Response({{"a rather long response text"}}));
    Listen(0, Response({{"ab"}}));
    EXPECT_EQ("ab", Slot(0));
    for (int k = 2; k < TPA_SLOT_SIZE; k++)
        ASSERT_EQ(0, response->slots[0][k]) << "byte " << k;
}

/* A slot holds 1023 characters and the terminator.  A longer text is
 * refused, and none of its bytes may stay in the area that the component
 * reads. */
TEST_F(TpaExchange, ATextBeyondItsSlotLeavesTheSlotAllZero)
{
    ASSERT_TRUE(StartTpaListener(library, 0));
    const std::string fits(TPA_SLOT_SIZE - 1, 'a');
    Listen(0, Response({{fits, std::string(TPA_SLOT_SIZE, 'b'), std::string(5000, 'c')}}));
    EXPECT_EQ(std::vector<std::string>({fits, "", ""}), TpaListenerSeen().texts);
    EXPECT_EQ(fits, Slot(0));
    for (int j = 1; j < 3; j++)
        for (int k = 0; k < TPA_SLOT_SIZE; k++)
            ASSERT_EQ(0, response->slots[j][k]) << "slot " << j << " byte " << k;
}

TEST_F(TpaExchange, ARowOfMoreThanTwentyTextsDeliversItsFirstTwenty)
{
    ASSERT_TRUE(StartTpaListener(library, 0));
    Listen(0, Response({Texts(25, "t")}));
    EXPECT_EQ(TPA_SLOT_COUNT, response->count);
    TpaResponseSeen seen = TpaListenerSeen();
    EXPECT_EQ(TPA_SLOT_COUNT, seen.count);
    EXPECT_EQ(Texts(TPA_SLOT_COUNT, "t"), seen.texts);
}

TEST_F(TpaExchange, AWaitingRequestIsReturnedAtOnceAndClearsTheFlag)
{
    ASSERT_TRUE(PlaceTpaRequest(library, {"r0", "r1"}, 2, 0));
    Listened listened = Listen(10, NULL);
    EXPECT_LT(listened.elapsedMs, 2000u);
    EXPECT_EQ(TPA_STATE_REQUEST, listened.state);
    EXPECT_STREQ("[Ljava/lang/String;", StandinClassOf(listened.result));
    EXPECT_EQ(std::vector<std::string>({"r0", "r1"}), listened.Request());
    EXPECT_EQ(0, *flag);
}

TEST_F(TpaExchange, RequestCountsAreKeptWithinTheSlots)
{
    struct CountCase {
        int32_t count;
        size_t expected;
    };
    const CountCase cases[] = {{0, 0}, {3, 3}, {25, TPA_SLOT_COUNT}, {-3, 0}};
    for (const CountCase &c : cases) {
        ASSERT_TRUE(PlaceTpaRequest(library, Texts(TPA_SLOT_COUNT, "q"), c.count, 0));
        Listened listened = Listen(0, NULL);
        EXPECT_EQ(TPA_STATE_REQUEST, listened.state) << c.count;
        ASSERT_TRUE(listened.result != NULL) << c.count;
        const ArrayOfArray *outer = (const ArrayOfArray *)listened.result;
        ASSERT_EQ(1, outer->length);
        ASSERT_TRUE(outer->body[0] != NULL) << "a count of " << c.count << " still has a row";
        EXPECT_EQ(Texts((int)c.expected, "q"), listened.Request()) << c.count;
    }
}

TEST_F(TpaExchange, ASlotFilledToItsLastByteEndsAtTheSlot)
{
    memset(request->slots[0], 'a', TPA_SLOT_SIZE);
    strcpy(request->slots[1], "next");
    request->count = 2;
    *flag = 1;
    Listened listened = Listen(0, NULL);
    EXPECT_EQ(TPA_STATE_REQUEST, listened.state);
    EXPECT_EQ(std::vector<std::string>({std::string(TPA_SLOT_SIZE, 'a'), "next"}),
              listened.Request());
}

TEST_F(TpaExchange, WaitsOnceForTheWholeTimeWhenNoRequestIsWaiting)
{
    ASSERT_TRUE(StartTpaListener(library, 0));
    ASSERT_TRUE(PlaceTpaRequest(library, {"late"}, 1, 300));
    Listened listened = Listen(2, NULL);
    EXPECT_GE(listened.elapsedMs, 1900u) << "a request during the wait is seen after it";
    EXPECT_EQ(TPA_STATE_REQUEST, listened.state);
    EXPECT_EQ(std::vector<std::string>({"late"}), listened.Request());

    const int32_t noWait[] = {0, -5};
    for (int32_t seconds : noWait) {
        Listened none = Listen(seconds, NULL);
        EXPECT_LT(none.elapsedMs, 1000u) << seconds;
        EXPECT_EQ(TPA_STATE_NONE, none.state) << seconds;
        EXPECT_TRUE(none.result == NULL);
    }
}

TEST_F(TpaExchange, ArraysThatCannotBeMadeFailAndLeaveTheRequestWaiting)
{
    ASSERT_TRUE(PlaceTpaRequest(library, {"r"}, 1, 0));
    StandinFailArraysAfter(0);
    Listened listened = Listen(0, NULL);
    EXPECT_EQ(TPA_STATE_FAILED, listened.state);
    EXPECT_TRUE(listened.result == NULL);
    EXPECT_EQ(1, *flag);

    StandinFailArraysAfter(1);
    listened = Listen(0, NULL);
    EXPECT_EQ(TPA_STATE_FAILED, listened.state);
    const ArrayOfArray *outer = (const ArrayOfArray *)listened.result;
    ASSERT_TRUE(outer != NULL) << "the outer array is handed back";
    EXPECT_TRUE(outer->body[0] == NULL);
    EXPECT_EQ(1, *flag);

    StandinFailArraysAfter(-1);
    listened = Listen(0, NULL);
    EXPECT_EQ(TPA_STATE_REQUEST, listened.state);
    EXPECT_EQ(std::vector<std::string>({"r"}), listened.Request());
    EXPECT_EQ(0, *flag);
}

TEST_F(TpaExchange, WithoutAListenerTheCallFailsAtOnceAndTheRequestStaysWaiting)
{
    ASSERT_TRUE(PlaceTpaRequest(library, {"r"}, 1, 0));
    Listened listened = Listen(3, Response({{"x"}}));
    EXPECT_LT(listened.elapsedMs, 1000u);
    EXPECT_EQ(TPA_STATE_FAILED, listened.state);
    EXPECT_TRUE(listened.result == NULL);
    EXPECT_EQ(1, *flag);
    EXPECT_EQ("x", Slot(0)) << "the response stays in its area";
}

TEST_F(TpaExchange, AListenerThatBlocksPastTheLimitFailsTheDelivery)
{
    ASSERT_TRUE(StartTpaListener(library, 3500));
    Listened listened = Listen(3, Response({{"x"}}));
    EXPECT_GE(listened.elapsedMs, 1900u);
    EXPECT_LT(listened.elapsedMs, 3400u) << "no wait for a request after a failed delivery";
    EXPECT_EQ(TPA_STATE_FAILED, listened.state);
    EXPECT_TRUE(listened.result == NULL);
}

TEST_F(TpaExchange, ANullResponseNeverLooksForTheListener)
{
    ASSERT_TRUE(StartTpaListener(library, 3500));
    Listened listened = Listen(0, NULL);
    EXPECT_LT(listened.elapsedMs, 1000u);
    EXPECT_EQ(TPA_STATE_NONE, listened.state);
    EXPECT_EQ(0, TpaListenerSeen().deliveries);
}

static int g_mainRuns;
static DWORD g_mainThread;
static int g_preparedDuringMain;

static void SampleMain(void)
{
    g_mainRuns++;
    g_mainThread = GetCurrentThreadId();
    g_preparedDuringMain = StandinPreparedThreads();
}

/* Exported under its 32-bit decorated name on every target. */
static RunFn RunMsJvmExport() { return Export<RunFn>("_RNIRunMsJVM@4"); }

TEST(RunMsJVM, RunsMainOnceInsideAPreparedThread)
{
    RunFn run = RunMsJvmExport();
    ASSERT_TRUE(run != NULL);
    StandinRegisterClass("com/zorv/Sample", SampleMain);
    int before = StandinPreparedThreads();
    EXPECT_EQ(0, run("com/zorv/Sample"));
    EXPECT_EQ(1, g_mainRuns);
    EXPECT_EQ(GetCurrentThreadId(), g_mainThread);
    EXPECT_EQ(before + 1, g_preparedDuringMain);
    EXPECT_EQ(before, StandinPreparedThreads());
    ThreadEntryFrame *prepared = NULL;
    ThreadEntryFrame *unprepared = NULL;
    StandinLastThreadFrames(&prepared, &unprepared);
    EXPECT_TRUE(prepared != NULL);
    EXPECT_EQ(prepared, unprepared) << "unprepared with the record it was prepared with";
}

#if defined(__i386__)
/* Calls a one-argument __stdcall entry as a 32-bit caller does, and measures
 * the stack pointer around the call itself: the callee must pop its
 * argument.  A compiler's own call would hide an imbalance behind its frame
 * pointer. */
static int32_t CallMeasuringStack(RunFn run, const char *argument, int32_t *drift)
{
    int32_t result, moved;
    __asm__ volatile("movl %%esp, %%esi\n\t"
                     "pushl %[argument]\n\t"
                     "call *%[run]\n\t"
                     "movl %%esp, %%ecx\n\t"
                     "subl %%esi, %%ecx\n\t"
                     "movl %%esi, %%esp"
                     : "=a"(result), "=c"(moved)
                     : [run] "r"(run), [argument] "r"(argument)
                     : "esi", "edx", "memory", "cc");
    *drift = moved;
    return result;
}

TEST(RunMsJVM, AStdcallCallerFindsItsStackBalanced)
{
    RunFn run = RunMsJvmExport();
    ASSERT_TRUE(run != NULL) << "_RNIRunMsJVM@4 is exported under its decorated name";
    StandinRegisterClass("com/zorv/Sample", SampleMain);
    int runsBefore = g_mainRuns;
    int32_t drift = -1;
    EXPECT_EQ(0, CallMeasuringStack(run, "com/zorv/Sample", &drift));
    EXPECT_EQ(0, drift) << "bytes left on the stack by the call";
    EXPECT_EQ(runsBefore + 1, g_mainRuns);
}
#endif

/* In the child: the failing run, which must not come back. */
static void RunAsChild(const char *kind)
{
    RunFn run = RunMsJvmExport();
    if (!run)
        ExitProcess(3);
    if (strcmp(kind, "refused") == 0)
        StandinFailThreadPreparation(TRUE);
    run("com/zorv/Missing");
    ExitProcess(2);
}

static ShownBox RunFailingChild(const char *kind, const char *directory, DWORD *exitCode)
{
    ScopedEnvironment child("ZORV_RUN_JVM_CHILD", kind);
    DWORD processId = 0;
    HANDLE process = StartChild("\"" + TestFilePath("tpa_exchange_test.exe") +
                                    "\" --gtest_filter=RunMsJVM.ChildRun",
                                directory, &processId);
    EXPECT_TRUE(process != NULL);
    if (!process)
        return ShownBox{false, "", ""};
    ShownBox box = CloseMessageBox(processId, 30000);
    *exitCode = FinishChild(process, 30000);
    return box;
}

TEST(RunMsJVM, ChildRun)
{
    const char *kind = getenv("ZORV_RUN_JVM_CHILD");
    if (kind)
        RunAsChild(kind);
}

TEST(RunMsJVM, AnUnknownClassShowsItsNameAndTheCurrentDirectoryAndExits)
{
    TempDir directory;
    DWORD exitCode = 0;
    ShownBox box = RunFailingChild("unknown", directory.path.c_str(), &exitCode);
    ASSERT_TRUE(box.found);
    EXPECT_EQ("Cannot retrieve a class object pointer for the Java class com/zorv/Missing "
              "from the location " +
                  directory.path + ".",
              box.text);
    EXPECT_EQ(1u, exitCode);
}

TEST(RunMsJVM, ARefusedThreadPreparationShowsWhyAndExits)
{
    DWORD exitCode = 0;
    ShownBox box = RunFailingChild("refused", NULL, &exitCode);
    ASSERT_TRUE(box.found);
    EXPECT_EQ("Cannot prepare a Java thread for entering the virtual machine.", box.text);
    EXPECT_EQ(1u, exitCode);
}
