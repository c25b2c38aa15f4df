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
 * depends on timing, so for the dialog exports GDI objects and the process
 * heap may grow by a tenth of the dialogs shown: a leak of ours in one
 * call in ten would still exceed that.
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
#include "dialog_exports.h"
#include "file_exports.h"
#include "gui.h"
#include "java_text.h"
#include "library.h"
#include "mapi_mail.h"
#include "msjava_standin.h"
#include "resources.h"
#include "shell_open.h"
#include "tpa_exchange.h"
#include "tpa_listener.h"
#include "version_exports.h"

namespace {

const int CALLS = 500;
const int WARM_UP_ROUNDS = 3;
const char STRING_CLASS[] = "java/lang/String";
const char ZORV_EXCEPTION[] = "com/zorv/ZORVException";

ArrayOfString *Texts(const std::vector<std::string> &texts)
{
    ArrayOfString *array = StandinObjectArray(STRING_CLASS, (int)texts.size());
    for (size_t i = 0; i < texts.size(); i++)
        array->body[i] = JavaText(texts[i]);
    return array;
}

ArrayOfString *OutString(void)
{
    return StandinObjectArray(STRING_CLASS, 1);
}

ArrayOfArray *OutStrings(void)
{
    return (ArrayOfArray *)StandinObjectArray("[Ljava/lang/String;", 1);
}

/* The class of the exception the call left pending, taken; "" when none. */
std::string TakeRaised(void)
{
    StandinException exception;
    return StandinTakeException(&exception) ? exception.className : "";
}

/* A status export's answer: 0 and nothing raised, or a status and raised. */
bool StatusAnswer(int32_t status, bool shouldFail, const char *raisedClass = ZORV_EXCEPTION)
{
    std::string raised = TakeRaised();
    return shouldFail ? status != 0 && raised == raisedClass : status == 0 && raised.empty();
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

/* What Wine's window caches may add: a tenth of the dialogs shown. */
long CacheSlack(const std::vector<Variant> &variants, size_t shownPerCycle)
{
    return (long)(CALLS * shownPerCycle / variants.size() / 10);
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

/* A dialog call's answer, and whether its dialog was shown (and closed). */
bool WithDialog(std::function<bool()> call, bool opensDialog)
{
    LONG closedBefore = g_dismisser.closed;
    bool answered = call();
    /* The dismisser counts a dialog only after it is gone; the call may
     * return a moment before that. */
    for (int waited = 0; opensDialog && g_dismisser.closed == closedBefore && waited < 2000;
         waited += 5)
        Sleep(5);
    return answered && (g_dismisser.closed != closedBefore) == opensDialog;
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

    /* The warm-up, the counts before, CALLS calls cycling through the
     * variants, the counts after. */
    void Run(const std::vector<Variant> &variants, long cacheSlack = 0)
    {
        for (int round = 0; round < WARM_UP_ROUNDS; round++)
            for (const Variant &variant : variants)
                ASSERT_TRUE(variant.call()) << variant.name << " in the warm-up";
        ResourceCounts before;
        Count(&before);
        int wrong = 0;
        std::string firstWrong;
        for (int i = 0; i < CALLS; i++) {
            const Variant &variant = variants[i % variants.size()];
            if (!variant.call() && wrong++ == 0)
                firstWrong = std::string(variant.name) + " at call " + std::to_string(i);
        }
        ResourceCounts after;
        Count(&after);
        EXPECT_EQ(0, wrong) << "the first wrong answer: " << firstWrong;
        EXPECT_EQ("", DescribeGrowth(before, after, cacheSlack));
        EXPECT_EQ(0, StandinDamagedGuards());
        EXPECT_EQ(0, StandinPreparedThreads());
    }

    std::string Path(const char *name) { return work / name; }

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
    auto version = EXPORT_OF(com_zorv_ZORVNI_NIGetZORVDLLVersion);
    auto compare = EXPORT_OF(com_zorv_ZORVNI_NICompareVersions);
    Run({
        {"compatible version", [=] { return compatible() != 0 && TakeRaised().empty(); }},
        {"library version", [=] { return IsString(version(NULL)) && TakeRaised().empty(); }},
        {"compare",
         [=] {
             ArrayOfInt *part = StandinIntArray(1);
             return compare(NULL, JavaText("2.1"), JavaText("2.01.3"), part) == -1 &&
                    TakeRaised().empty();
         }},
        {"compare with null texts",
         [=] { return compare(NULL, NULL, NULL, StandinIntArray(1)) == 0 && TakeRaised().empty(); }},
        {"compare into a null array",
         [=] {
             return compare(NULL, JavaText("1"), JavaText("2"), NULL) == 0 &&
                    TakeRaised() == "java/lang/NullPointerException";
         }},
    });
}

TEST_F(Stress, FileInformation)
{
    auto fileInfo = EXPORT_OF(com_zorv_ZORVNI_Win32GetFileInfo);
    auto fileSystemInfo = EXPORT_OF(com_zorv_ZORVNI_Win32GetFileSystemInfo);
    auto storageInfo = EXPORT_OF(com_zorv_ZORVNI_Win32GetStorageInfo);
    std::string directory = work.path;
    auto askFile = [=](const char *name, ArrayOfInt *links) {
        return fileInfo(NULL, JavaText(directory), JavaText(name), OutString(), OutString(), OutString(),
                        OutString(), StandinLongArray(1), links, OutString(),
                        StandinLongArray(1), OutString(), StandinLongArray(1), OutString(),
                        StandinLongArray(1), OutStrings());
    };
    auto askFileSystem = [=](const char *name) {
        return fileSystemInfo(NULL, JavaText(directory), JavaText(name), OutString(), OutStrings(),
                              StandinIntArray(1));
    };
    auto askStorage = [=](HString name, ArrayOfLong *free) {
        return storageInfo(NULL, JavaText(directory), name, OutString(), OutString(), OutString(),
                           StandinIntArray(1), free, StandinLongArray(1), StandinLongArray(1));
    };
    std::string tooLong(300, 'n');
    Run({
        {"file", [=] { return StatusAnswer(askFile("note.txt", StandinIntArray(1)), false); }},
        {"missing file",
         [=] { return StatusAnswer(askFile("missing.txt", StandinIntArray(1)), true); }},
        {"file, null link count",
         [=] {
             return StatusAnswer(askFile("note.txt", NULL), true,
                                 "java/lang/NullPointerException");
         }},
        {"file system", [=] { return StatusAnswer(askFileSystem("note.txt"), false); }},
        {"file system, name too long",
         [=] { return StatusAnswer(askFileSystem(tooLong.c_str()), true); }},
        {"storage",
         [=] { return StatusAnswer(askStorage(JavaText("note.txt"), StandinLongArray(1)), false); }},
        {"storage, empty free bytes",
         [=] {
             return StatusAnswer(askStorage(JavaText("note.txt"), StandinLongArray(0)), true,
                                 "java/lang/ArrayIndexOutOfBoundsException");
         }},
    });
}

TEST_F(Stress, TempDirectoryAndEmptyFiles)
{
    auto tempDirectory = EXPORT_OF(com_zorv_ZORVNI_NIGetOSTempDir);
    auto createEmpty = EXPORT_OF(com_zorv_ZORVNI_NICreateEmptyFile);
    std::string made = Path("made.txt");
    std::string unreachable = Path("missing\\made.txt");
    Run({
        {"temporary directory", [=] { return StatusAnswer(tempDirectory(NULL, OutString()), false); }},
        {"temporary directory into an empty array",
         [=] {
             return StatusAnswer(tempDirectory(NULL, StandinObjectArray(STRING_CLASS, 0)), true,
                                 "java/lang/ArrayIndexOutOfBoundsException");
         }},
        {"temporary directory, TEMP unusable",
         [=] {
             ScopedEnvironment tmp("TMP", NULL);
             ScopedEnvironment temp("TEMP", std::string(300, 't').c_str());
             return StatusAnswer(tempDirectory(NULL, OutString()), true);
         }},
        {"empty file, overwritten",
         [=] { return createEmpty(NULL, JavaText(made), 1) == 0 && TakeRaised().empty(); }},
        {"empty file, existing kept",
         [=] { return createEmpty(NULL, JavaText(made), 0) == 1 && TakeRaised().empty(); }},
        {"empty file in a missing directory",
         [=] { return createEmpty(NULL, JavaText(unreachable), 1) == 1 && TakeRaised().empty(); }},
    });
}

TEST_F(Stress, Mail)
{
    auto sendMail = EXPORT_OF(com_zorv_ZORVNI_NIWin32MAPISendMail);
    ScopedEnvironment record("ZORV_MAPI_RECORD", Path("mail.txt").c_str());
    std::string directory = work.path;
    auto send = [=](const std::string &fileName, int32_t toCount) {
        return sendMail(NULL, JavaText("Subject"), JavaText("Note"), 0, Texts({"to@example.com"}),
                        toCount, Texts({"cc@example.com"}), 1, NULL, 0, Texts({"Title"}),
                        Texts({directory}), Texts({fileName}), 1);
    };
    Run({
        {"mail", [=] { return StatusAnswer(send("note.txt", 1), false); }},
        {"mail, counts beyond the arrays",
         [=] { return StatusAnswer(send("note.txt", 1000), false); }},
        {"mail, attachment path too long",
         [=] { return StatusAnswer(send(std::string(300, 'a'), 1), true); }},
        {"mail, refused by the client",
         [=] {
             ScopedEnvironment result("ZORV_MAPI_RESULT", "2");
             return StatusAnswer(send("note.txt", 1), true);
         }},
    });
}

TEST_F(Stress, TpaExchange)
{
    auto listen = EXPORT_OF(com_zorv_ZORVNI_NIListenTPARequest);
    ASSERT_TRUE(StartTpaListener(LibraryUnderTest(), 0));
    auto response = [] {
        ArrayOfArray *rows = (ArrayOfArray *)StandinObjectArray("[Ljava/lang/String;", 1);
        rows->body[0] = (HObject)Texts({"answer", "done"});
        return rows;
    };
    auto stateOf = [](ArrayOfInt *state) { return state->body[0]; };
    Run({
        {"request waiting",
         [=] {
             ArrayOfInt *state = StandinIntArray(1);
             if (!PlaceTpaRequest(LibraryUnderTest(), {"question"}, 1, 0))
                 return false;
             HObject request = listen(NULL, 0, response(), state);
             return request && stateOf(state) == TPA_STATE_REQUEST && TakeRaised().empty();
         }},
        {"nothing waiting",
         [=] {
             ArrayOfInt *state = StandinIntArray(1);
             return !listen(NULL, 0, response(), state) && stateOf(state) == TPA_STATE_NONE &&
                    TakeRaised().empty();
         }},
        {"no response, negative wait",
         [=] {
             ArrayOfInt *state = StandinIntArray(1);
             return !listen(NULL, -5, NULL, state) && stateOf(state) == TPA_STATE_NONE &&
                    TakeRaised().empty();
         }},
        {"null state",
         [=] {
             return !listen(NULL, 0, response(), NULL) &&
                    TakeRaised() == "java/lang/NullPointerException";
         }},
    });
    StopTpaListener();
}

TEST_F(Stress, OpeningDocuments)
{
    auto shellExecute = EXPORT_OF(com_zorv_ZORVNI_NIWin32ShellExecuteEx);
    std::string program = TestFilePath("recorder.exe");
    std::string missing = Path("missing.exe");
    /* One start in nine: a process start under Wine costs far more than a
     * refusal. */
    std::vector<Variant> starts = {
        {"start and wait",
         [=] { return shellExecute(NULL, JavaText(program), JavaText("open")) == 1 && TakeRaised().empty(); }},
    };
    std::vector<Variant> refusals = {
        {"missing file",
         [=] { return shellExecute(NULL, JavaText(missing), NULL) == 0 && TakeRaised() == ZORV_EXCEPTION; }},
        {"null file", [=] { return shellExecute(NULL, NULL, NULL) == 0 && TakeRaised() == ZORV_EXCEPTION; }},
        {"name too long",
         [=] {
             return shellExecute(NULL, JavaText(std::string(300, 'x')), NULL) == 0 &&
                    TakeRaised() == ZORV_EXCEPTION;
         }},
        {"unknown verb",
         [=] {
             return shellExecute(NULL, JavaText(Path("note.txt")), JavaText("nosuchverb")) == 0 &&
                    TakeRaised() == ZORV_EXCEPTION;
         }},
    };
    Run(Mixed(starts, refusals, 2));
}

static LONG g_mainRuns;

static void CountedMain(void)
{
    InterlockedIncrement(&g_mainRuns);
}

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
    auto messageBox = EXPORT_OF(com_zorv_ZORVNI_NIMessageBox);
    /* Every call shows its box: a refused one would need a text the VM
     * cannot make. */
    std::vector<Variant> boxes = {
        {"box",
         [=] {
             return WithDialog([=] {
                 return messageBox(NULL, 0, JavaText("Text"), JavaText("Caption"), MB_OKCANCEL) ==
                            IDCANCEL && TakeRaised().empty();
             }, true);
         }},
    };
    Run(boxes, CacheSlack(boxes, boxes.size()));
}

TEST_F(Stress, FileChoosersCancelled)
{
    auto chooseFile = EXPORT_OF(com_zorv_ZORVNI_NIChooseFile);
    auto chooseFiles = EXPORT_OF(com_zorv_ZORVNI_NIChooseFiles);
    auto chooseFiles1 = EXPORT_OF(com_zorv_ZORVNI_NIChooseFiles1);
    std::string path = work.path;
    auto emptyString = [](HString string) {
        WCHAR unit;
        return StandinStringUnits(string, &unit, 1) == 0;
    };
    std::vector<Variant> shown = {
        {"one file",
         [=] {
             return WithDialog([=] {
                 return emptyString(chooseFile(NULL, JavaText(path), JavaText("Texts"), JavaText("*.txt"), 1,
                                               0)) && TakeRaised().empty();
             }, true);
         }},
        {"files",
         [=] {
             return WithDialog([=] {
                 return !chooseFiles(NULL, JavaText(path), JavaText("Texts"), JavaText("*.txt"), 1, 1, 0, 5) &&
                        TakeRaised().empty();
             }, true);
         }},
        {"files copied in",
         [=] {
             return WithDialog([=] {
                 return !chooseFiles1(NULL, JavaText(path), JavaText("Texts"), JavaText("*.txt"), 1, 1, 1, 5,
                                      1) && TakeRaised().empty();
             }, true);
         }},
    };
    std::vector<Variant> refused = {
        {"one file, filter without a pattern",
         [=] {
             return WithDialog([=] {
                 return !chooseFile(NULL, JavaText(path), JavaText("Texts"), NULL, 1, 0) &&
                        TakeRaised() == ZORV_EXCEPTION;
             }, false);
         }},
        {"files, none allowed",
         [=] {
             return WithDialog([=] {
                 return !chooseFiles(NULL, JavaText(path), JavaText("Texts"), JavaText("*.txt"), 1, 1, 0, 0) &&
                        TakeRaised() == ZORV_EXCEPTION;
             }, false);
         }},
        {"files copied in, too many allowed",
         [=] {
             return WithDialog([=] {
                 return !chooseFiles1(NULL, JavaText(path), JavaText("Texts"), JavaText("*.txt"), 1, 1, 1,
                                      1001, 1) && TakeRaised() == ZORV_EXCEPTION;
             }, false);
         }},
    };
    std::vector<Variant> variants = Mixed(shown, refused, 3);
    Run(variants, CacheSlack(variants, shown.size()));
}

TEST_F(Stress, FolderBrowserCancelled)
{
    auto chooseDirectory = EXPORT_OF(com_zorv_ZORVNI_NIChooseDir);
    std::string path = work.path;
    std::vector<Variant> shown = {
        {"browse",
         [=] {
             return WithDialog([=] {
                 return StatusAnswer(chooseDirectory(NULL, JavaText(path), JavaText("Pick"), 0,
                                                     OutString(), StandinIntArray(1)), false);
             }, true);
         }},
    };
    std::vector<Variant> refused = {
        {"browse, null flag",
         [=] {
             return WithDialog([=] {
                 return StatusAnswer(chooseDirectory(NULL, JavaText(path), JavaText("Pick"), 0,
                                                     OutString(), NULL), true,
                                     "java/lang/NullPointerException");
             }, false);
         }},
    };
    std::vector<Variant> variants = Mixed(shown, refused, 3);
    Run(variants, CacheSlack(variants, shown.size()));
}
