/*
 * Leaks under load: every export that runs unattended is called 500 times
 * in a row through the real zorvrni.dll, cycling through valid calls and
 * invalid ones, and so is every dialog export, its dialog cancelled as it
 * appears.  Between a warm-up (each variant a few times, so that caches
 * the system fills once are full) and the end, no count of what the
 * process holds may grow: handles, GDI and USER objects, the blocks of
 * the C run-time's heap and of the process heap, and the stand-in VM's
 * objects, collected as the VM would between calls.  Every call must
 * also answer as its export promises, with an exception pending exactly
 * when it says it failed.
 *
 * The dialogs shown leave Wine's own caches of their windows (visible
 * regions, window surfaces, the shell's icons) filled to a level that
 * depends on timing (Wine's cached device contexts and regions rise by a
 * dozen over a few hundred dialogs, then level off), so for the dialog
 * exports GDI objects and the process heap may grow by a fifth of the
 * dialogs shown.  Counts that end above that get one more round of calls
 * and must then be back within it: a cache's level falls back or stays, a
 * leak's only rises, so a leak in more than one dialog of five still fails.
 *
 * The calls run on this one thread, as one Java thread makes them.  Under
 * Wine 8 each new thread that opens a dialog leaves an RPC endpoint of
 * its drag-and-drop registration behind, and after some 60 of them a
 * dialog hangs in its setup; that is Wine's, not the library's.
 */
#include <gtest/gtest.h>

#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include "child.h"
#include "export_table.h"
#include "gui.h"
#include "java_text.h"
#include "library.h"
#include "msjava_standin.h"
#include "resources.h"
#include "tpa_exchange.h"
#include "tpa_listener.h"
#include "version_exports.h"

namespace {

const int CALLS = 500;
const int WARM_UP_ROUNDS = 3;
const char STRING_CLASS[] = "java/lang/String";
const char ZORV_EXCEPTION[] = "com/zorv/ZORVException";
const char NULL_POINTER[] = "java/lang/NullPointerException";
const char OUT_OF_BOUNDS[] = "java/lang/ArrayIndexOutOfBoundsException";

/* The class of the exception the call left pending, taken; "" when none. */
std::string TakeRaised(void)
{
    StandinException exception;
    return StandinTakeException(&exception) ? exception.className : "";
}

/* A status export's answer: 0 and nothing raised, or a status and raised. */
bool StatusAnswer(intptr_t result, bool shouldFail, const char *raisedClass = ZORV_EXCEPTION)
{
    int32_t status = (int32_t)result;
    std::string raised = TakeRaised();
    return shouldFail ? status != 0 && raised == raisedClass : status == 0 && raised.empty();
}

/* An int export's answer: expected, and then raisedClass pending ("" for
 * nothing). */
bool Answers(intptr_t result, int32_t expected, const char *raisedClass = "")
{
    return (int32_t)result == expected && TakeRaised() == raisedClass;
}

bool IsString(HObject object)
{
    const char *className = StandinClassOf(object);
    return className && strcmp(className, STRING_CLASS) == 0;
}

/* One kind of call and whether its answer is the promised one. */
struct Variant {
    const char *name;
    std::function<bool()> call;
};

/* The calls that show a window or start a process, each followed by copies
 * rounds of the refused ones, which cost far less. */
std::vector<Variant> Mixed(const std::vector<Variant> &shown, const std::vector<Variant> &refused,
                           int copies)
{
    std::vector<Variant> variants = shown;
    for (int i = 0; i < copies; i++)
        variants.insert(variants.end(), refused.begin(), refused.end());
    return variants;
}

/* What Wine's window caches may add: a fifth of the dialogs shown. */
long CacheSlack(const std::vector<Variant> &variants, size_t shownPerCycle)
{
    return (long)(CALLS * shownPerCycle / variants.size() / 5);
}

/* Closes every dialog of this process as it appears, on one thread for
 * the whole run, and counts what it closed.  Its rounds allocate from the
 * process heap, so counting holds it off. */
struct Dismisser {
    ThreadCall call;
    CRITICAL_SECTION round;
    volatile LONG stop;
    volatile LONG closed;
};
Dismisser g_dismisser;

BOOL CALLBACK CancelDialog(HWND window, LPARAM)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[16] = "";
    GetClassNameA(window, className, sizeof(className));
    if (owner == GetCurrentProcessId() && IsWindowVisible(window) &&
        strcmp(className, "#32770") == 0 && PostMessageA(window, WM_COMMAND, IDCANCEL, 0)) {
        /* Counted once it is gone, so that one dialog counts once. */
        for (int waited = 0; IsWindow(window) && waited < 5000; waited += 5)
            Sleep(5);
        InterlockedIncrement(&g_dismisser.closed);
    }
    return TRUE;
}

int DismissDialogs()
{
    while (!g_dismisser.stop) {
        EnterCriticalSection(&g_dismisser.round);
        EnumWindows(CancelDialog, 0);
        LeaveCriticalSection(&g_dismisser.round);
        Sleep(5);
    }
    return 0;
}

/* A dialog call as a variant: its answer, and whether its dialog was shown
 * (and closed). */
std::function<bool()> WithDialog(std::function<bool()> call, bool opensDialog)
{
    return [=] {
        LONG closedBefore = g_dismisser.closed;
        bool answered = call();
        /* The dismisser counts a dialog only after it is gone; the call may
         * return a moment before that. */
        for (int waited = 0; opensDialog && g_dismisser.closed == closedBefore && waited < 2000;
             waited += 5)
            Sleep(5);
        return answered && (g_dismisser.closed != closedBefore) == opensDialog;
    };
}

/* Lets what the last window left behind be handled, then counts while
 * the dismisser rests. */
void Count(ResourceCounts *counts)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 500) {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    }
    EnterCriticalSection(&g_dismisser.round);
    TakeResourceCounts(counts);
    LeaveCriticalSection(&g_dismisser.round);
}

class Stress : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        LibraryUnderTest();
        InitializeCriticalSection(&g_dismisser.round);
        StartThreadCall(&g_dismisser.call, DismissDialogs);
        /* The first count sets up what counting itself needs. */
        ResourceCounts first;
        Count(&first);
    }

    static void TearDownTestSuite()
    {
        g_dismisser.stop = 1;
        FinishThreadCall(&g_dismisser.call, 10000);
    }

    void SetUp() override
    {
        ASSERT_TRUE(LibraryUnderTest() != NULL);
        ASSERT_TRUE(WriteTextFile(work / "note.txt", "note"));
    }

    /* CALLS calls cycling through the variants; wrong counts the answers
     * that are not the promised ones. */
    void CallAll(const std::vector<Variant> &variants, int *wrong, std::string *firstWrong)
    {
        for (int i = 0; i < CALLS; i++) {
            const Variant &variant = variants[i % variants.size()];
            if (!variant.call() && (*wrong)++ == 0)
                *firstWrong = std::string(variant.name) + " at call " + std::to_string(i);
        }
    }

    /* The warm-up, the counts before, the calls, the counts after; one more
     * round of calls where the slack is exceeded (see the top). */
    void Run(const std::vector<Variant> &variants, long cacheSlack = 0)
    {
        for (int round = 0; round < WARM_UP_ROUNDS; round++)
            for (const Variant &variant : variants)
                ASSERT_TRUE(variant.call()) << variant.name << " in the warm-up";
        ResourceCounts before;
        Count(&before);
        int wrong = 0;
        std::string firstWrong;
        CallAll(variants, &wrong, &firstWrong);
        ResourceCounts after;
        Count(&after);
        if (cacheSlack > 0 && !DescribeGrowth(before, after, cacheSlack).empty()) {
            CallAll(variants, &wrong, &firstWrong);
            Count(&after);
        }
        EXPECT_EQ(0, wrong) << "the first wrong answer: " << firstWrong;
        EXPECT_EQ("", DescribeGrowth(before, after, cacheSlack));
        EXPECT_EQ(0, StandinDamagedGuards());
        EXPECT_EQ(0, StandinPreparedThreads());
    }

    std::string Path(const char *name) { return work / name; }

    /* The export's valid call from the table, in the work directory, with
     * the arguments at the positions replacements name in their place. */
    intptr_t Call(const char *exportName, const std::vector<Replacement> &replacements = {})
    {
        return CallValid(exportName, work.path, replacements);
    }

    TempDir work;
};

} // namespace

/* Each count sees one more object of its kind, so that a count that reads
 * nothing cannot pass for no growth. */
TEST_F(Stress, EveryCountSeesWhatIsLeft)
{
    ResourceCounts before;
    Count(&before);
    HANDLE event = CreateEventA(NULL, FALSE, FALSE, NULL);
    HBITMAP bitmap = CreateBitmap(1, 1, 1, 1, NULL);
    HMENU menu = CreatePopupMenu();
    HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, HWND_MESSAGE, NULL, NULL, NULL);
    /* volatile: the compiler may not drop a block nobody reads. */
    void *volatile block = malloc(16);
    void *volatile processBlock = HeapAlloc(GetProcessHeap(), 0, 4096);
    ResourceCounts after;
    Count(&after);
    EXPECT_LT(before.listedHandles, after.listedHandles);
    EXPECT_LT(before.probedGdiObjects, after.probedGdiObjects);
    EXPECT_LT(before.probedMenus, after.probedMenus);
    EXPECT_LT(before.probedWindows, after.probedWindows);
    EXPECT_LT(before.crtHeapBlocks, after.crtHeapBlocks);
    EXPECT_LT(before.processHeapBlocks, after.processHeapBlocks);
    /* Each count collects first; an object kept as a root stays. */
    HObject root = (HObject)StandinObjectArray(STRING_CLASS, 1);
    ((ArrayOfString *)root)->body[0] = JavaText("held");
    EXPECT_EQ(after.vmObjects + 2, StandinCollect(&root, 1));
    EXPECT_EQ(after.vmObjects, StandinCollect(NULL, 0));
    CloseHandle(event);
    DeleteObject(bitmap);
    DestroyMenu(menu);
    DestroyWindow(window);
    free(block);
    HeapFree(GetProcessHeap(), 0, processBlock);
}

TEST_F(Stress, Versions)
{
    auto compatible = EXPORT_OF(RNIGetCompatibleVersion);
    auto version = EXPORT(NIGetZORVDLLVersion);
    Run({
        {"compatible version", [=] { return compatible() != 0 && TakeRaised().empty(); }},
        {"library version", [=] { return IsString(version(NULL)) && TakeRaised().empty(); }},
        {"compare", [=] { return Answers(Call("NICompareVersions"), -1); }},
        {"compare with null texts",
         [=] {
             return Answers(Call("NICompareVersions", {{0, nullptr}, {1, nullptr}}), 0);
         }},
        {"compare into a null array",
         [=] {
             return Answers(Call("NICompareVersions", {{2, nullptr}}), 0, NULL_POINTER);
         }},
    });
}

TEST_F(Stress, FileInformation)
{
    std::string tooLong(300, 'n');
    Run({
        {"file", [=] { return StatusAnswer(Call("Win32GetFileInfo"), false); }},
        {"missing file",
         [=] {
             return StatusAnswer(Call("Win32GetFileInfo", {{1, JavaText("missing.txt")}}), true);
         }},
        {"file, null link count",
         [=] {
             return StatusAnswer(Call("Win32GetFileInfo", {{7, nullptr}}), true, NULL_POINTER);
         }},
        {"file system", [=] { return StatusAnswer(Call("Win32GetFileSystemInfo"), false); }},
        {"file system, name too long",
         [=] {
             return StatusAnswer(Call("Win32GetFileSystemInfo", {{1, JavaText(tooLong)}}), true);
         }},
        {"storage", [=] { return StatusAnswer(Call("Win32GetStorageInfo"), false); }},
        {"storage, empty free bytes",
         [=] {
             return StatusAnswer(Call("Win32GetStorageInfo", {{6, StandinLongArray(0)}}), true,
                                 OUT_OF_BOUNDS);
         }},
    });
}

TEST_F(Stress, TempDirectoryAndEmptyFiles)
{
    std::string unreachable = Path("missing\\made.txt");
    Run({
        {"temporary directory", [=] { return StatusAnswer(Call("NIGetOSTempDir"), false); }},
        {"temporary directory into an empty array",
         [=] {
             ArrayOfString *empty = StandinObjectArray(STRING_CLASS, 0);
             return StatusAnswer(Call("NIGetOSTempDir", {{0, empty}}), true, OUT_OF_BOUNDS);
         }},
        {"temporary directory, TEMP unusable",
         [=] {
             ScopedEnvironment tmp("TMP", NULL);
             ScopedEnvironment temp("TEMP", std::string(300, 't').c_str());
             return StatusAnswer(Call("NIGetOSTempDir"), true);
         }},
        {"empty file, overwritten", [=] { return Answers(Call("NICreateEmptyFile"), 0); }},
        {"empty file, existing kept",
         [=] {
             return Answers(Call("NICreateEmptyFile", {{1, 0}}), 1);
         }},
        {"empty file in a missing directory",
         [=] {
             return Answers(Call("NICreateEmptyFile", {{0, JavaText(unreachable)}}), 1);
         }},
    });
}

TEST_F(Stress, Mail)
{
    ScopedEnvironment record("ZORV_MAPI_RECORD", Path("mail.txt").c_str());
    Run({
        {"mail", [=] { return StatusAnswer(Call("NIWin32MAPISendMail"), false); }},
        {"mail, counts beyond the arrays",
         [=] {
             return StatusAnswer(Call("NIWin32MAPISendMail", {{4, 1000}}), false);
         }},
        {"mail, attachment path too long",
         [=] {
             ArrayOfString *names = JavaStrings({std::string(300, 'a')});
             return StatusAnswer(Call("NIWin32MAPISendMail", {{11, names}}), true);
         }},
        {"mail, refused by the client",
         [=] {
             ScopedEnvironment result("ZORV_MAPI_RESULT", "2");
             return StatusAnswer(Call("NIWin32MAPISendMail"), true);
         }},
    });
}

TEST_F(Stress, TpaExchange)
{
    ASSERT_TRUE(StartTpaListener(LibraryUnderTest(), 0));
    /* NIListenTPARequest(seconds, response, state) with a state of its own. */
    auto listen = [=](ArrayOfInt *state, std::vector<Replacement> replacements = {}) {
        replacements.push_back({2, state});
        return (HObject)Call("NIListenTPARequest", replacements);
    };
    auto stateOf = [](ArrayOfInt *state) { return state->body[0]; };
    Run({
        {"request waiting",
         [=] {
             ArrayOfInt *state = StandinIntArray(1);
             if (!PlaceTpaRequest(LibraryUnderTest(), {"question"}, 1, 0))
                 return false;
             HObject request = listen(state);
             return request && stateOf(state) == TPA_STATE_REQUEST && TakeRaised().empty();
         }},
        {"nothing waiting",
         [=] {
             ArrayOfInt *state = StandinIntArray(1);
             return !listen(state) && stateOf(state) == TPA_STATE_NONE && TakeRaised().empty();
         }},
        {"no response, negative wait",
         [=] {
             ArrayOfInt *state = StandinIntArray(1);
             return !listen(state, {{0, -5}, {1, nullptr}}) && stateOf(state) == TPA_STATE_NONE &&
                    TakeRaised().empty();
         }},
        {"null state", [=] { return !listen(NULL) && TakeRaised() == NULL_POINTER; }},
    });
    StopTpaListener();
}

TEST_F(Stress, OpeningDocuments)
{
    /* NIWin32ShellExecuteEx(file, verb) with both given. */
    auto open = [=](HString file, HString verb) {
        return Call("NIWin32ShellExecuteEx", {{0, file}, {1, verb}});
    };
    std::string missing = Path("missing.exe");
    /* One start in nine: a process start under Wine costs far more than a
     * refusal. */
    std::vector<Variant> starts = {
        {"start and wait", [=] { return Answers(Call("NIWin32ShellExecuteEx"), 1); }},
    };
    std::vector<Variant> refusals = {
        {"missing file", [=] { return Answers(open(JavaText(missing), NULL), 0, ZORV_EXCEPTION); }},
        {"null file", [=] { return Answers(open(NULL, NULL), 0, ZORV_EXCEPTION); }},
        {"name too long",
         [=] { return Answers(open(JavaText(std::string(300, 'x')), NULL), 0, ZORV_EXCEPTION); }},
        {"unknown verb",
         [=] {
             return Answers(open(JavaText(Path("note.txt")), JavaText("nosuchverb")), 0,
                            ZORV_EXCEPTION);
         }},
    };
    Run(Mixed(starts, refusals, 2));
}

static LONG g_mainRuns;

static void CountedMain(void) { InterlockedIncrement(&g_mainRuns); }

TEST_F(Stress, RunningAJavaClass)
{
    auto run = Export<decltype(&RNIRunMsJVM)>("_RNIRunMsJVM@4");
    ASSERT_TRUE(run != NULL);
    StandinRegisterClass("com/zorv/StressMain", CountedMain);
    g_mainRuns = 0;
    Run({{"main", [=] { return run("com/zorv/StressMain") == 0 && TakeRaised().empty(); }}});
    EXPECT_EQ(WARM_UP_ROUNDS + CALLS, g_mainRuns);
}

TEST_F(Stress, MessageBoxCancelled)
{
    /* Every call shows its box: a refused one would need a text the VM
     * cannot make. */
    std::vector<Variant> boxes = {
        {"box", WithDialog([=] { return Answers(Call("NIMessageBox"), IDCANCEL); }, true)},
    };
    Run(boxes, CacheSlack(boxes, boxes.size()));
}

TEST_F(Stress, FileChoosersCancelled)
{
    auto emptyString = [](intptr_t string) {
        WCHAR unit;
        return StandinStringUnits((HString)string, &unit, 1) == 0;
    };
    auto cancelled = [=](const char *exportName) {
        return WithDialog([=] { return !Call(exportName) && TakeRaised().empty(); }, true);
    };
    auto refused = [=](const char *exportName, Replacement replacement) {
        return WithDialog(
            [=] { return !Call(exportName, {replacement}) && TakeRaised() == ZORV_EXCEPTION; },
            false);
    };
    std::vector<Variant> shown = {
        {"one file",
         WithDialog([=] { return emptyString(Call("NIChooseFile")) && TakeRaised().empty(); },
                    true)},
        {"files", cancelled("NIChooseFiles")},
        {"files copied in", cancelled("NIChooseFiles1")},
    };
    std::vector<Variant> refusals = {
        {"one file, filter without a pattern", refused("NIChooseFile", {2, nullptr})},
        {"files, none allowed", refused("NIChooseFiles", {6, 0})},
        {"files copied in, too many allowed", refused("NIChooseFiles1", {6, 1001})},
    };
    std::vector<Variant> variants = Mixed(shown, refusals, 3);
    Run(variants, CacheSlack(variants, shown.size()));
}

TEST_F(Stress, FolderBrowserCancelled)
{
    std::vector<Variant> shown = {
        {"browse", WithDialog([=] { return StatusAnswer(Call("NIChooseDir"), false); }, true)},
    };
    std::vector<Variant> refused = {
        {"browse, null flag",
         WithDialog(
             [=] {
                 return StatusAnswer(Call("NIChooseDir", {{4, nullptr}}), true, NULL_POINTER);
             },
             false)},
    };
    std::vector<Variant> variants = Mixed(shown, refused, 3);
    Run(variants, CacheSlack(variants, shown.size()));
}
