/*
 * zorvni_host: the native library answering its Java caller.  It loads
 * zorvrni.dll (found through ZORV_BIN) beside the stand-in VM, calls every
 * export group as the VM would and prints what the Java side receives;
 * the dialogs and menus are opened on the display, driven as a user would,
 * and a screenshot of each is saved into the directory given as the one
 * argument.  A demonstration, not a test: it prints and goes on.
 */
#include "host.h"

#include <stdio.h>
#include <string.h>

#include "alloc.h"
#include "child.h"
#include "error_record.h"
#include "gui.h"
#include "java_text.h"
#include "window_shot.h"

std::string g_binDirectory;
std::string g_screenshotDirectory;
/* Calls still blocked in a window nobody could answer. */
static int g_stuckCalls;

ArrayOfString *OutString(void) { return StandinObjectArray("java/lang/String", 1); }

static std::string AnsiOf(HString string)
{
    WCHAR units[2048];
    const int room = (int)ARRAY_SIZE(units);
    int length = StandinStringUnits(string, units, room);
    if (length < 0)
        return "";
    char text[4096];
    int bytes = WideCharToMultiByte(CP_ACP, 0, units, length < room ? length : room - 1, text,
                                    sizeof(text), NULL, NULL);
    return std::string(text, bytes > 0 ? bytes : 0);
}

template <typename Element, typename Array>
static std::string Braced(const Array *array, std::string (*show)(Element))
{
    if (!array)
        return "null";
    std::string shown = "{";
    for (int i = 0; i < array->length; i++)
        shown += (i ? ", " : "") + show(array->body[i]);
    return shown + "}";
}

static std::string Number(long long value) { return std::to_string(value); }

std::string ShowInts(const ArrayOfInt *array) { return Braced<long long>(array, Number); }

std::string ShowLongs(const ArrayOfLong *array) { return Braced<long long>(array, Number); }

std::string Show(HObject value)
{
    const char *type = StandinClassOf(value);
    if (!type)
        return "null";
    if (strcmp(type, "java/lang/String") == 0)
        return "\"" + AnsiOf((HString)value) + "\"";
    if (strcmp(type, "[I") == 0)
        return ShowInts((const ArrayOfInt *)value);
    if (strcmp(type, "[J") == 0)
        return ShowLongs((const ArrayOfLong *)value);
    if (strncmp(type, "[L", 2) == 0)
        return Braced<HObject>((const ArrayOfObject *)value, Show);
    return std::string("<") + type + ">";
}

std::string TakePendingException(void)
{
    StandinException pending = {};
    if (!StandinTakeException(&pending))
        return "";
    if (!pending.signature[0])
        return std::string("throws ") + pending.className;
    return std::string("throws ") + pending.className + "(" + Show(pending.arguments[0]) + ", " +
           Show(pending.arguments[1]) + ", " + Show(pending.arguments[2]) + ")";
}

std::string Outcome(const std::string &result, const std::string &exception)
{
    return exception.empty() ? result : result + ", " + exception;
}

void Heading(const char *title) { printf("\n== %s\n", title); }

void Call(const std::string &call) { printf("  %s\n", call.c_str()); }

void Answer(const std::string &name, const std::string &value)
{
    printf("      %-18s %s\n", name.c_str(), value.c_str());
    fflush(stdout);
}

bool RunWhileDriving(std::function<void()> call, std::function<void()> drive, DWORD timeoutMs,
                     std::string *exception)
{
    /* Left to the thread when it does not end: it still writes into it. */
    std::string *pending = new std::string();
    ThreadCall *background = new ThreadCall();
    StartThreadCall(background, [call, pending] {
        call();
        *pending = TakePendingException();
        return 0;
    });
    drive();
    bool late = false;
    FinishThreadCall(background, timeoutMs, &late);
    if (late) {
        Answer("did not end:", "the window is still open");
        g_stuckCalls++;
        return false;
    }
    if (exception)
        *exception = *pending;
    delete pending;
    delete background;
    return true;
}

void Screenshot(HWND window, const char *name)
{
    std::string path = g_screenshotDirectory + "\\" + name + ".png";
    if (!window) {
        Answer("screenshot:", "none, the window did not appear");
        return;
    }
    /* Give the window's own thread the time to paint it completely. */
    Sleep(700);
    if (SaveWindowPng(window, path.c_str()) == STATUS_OK)
        Answer("screenshot:", path);
    else
        Answer("screenshot:", "failed, error " + std::to_string(GetLastError()));
}

static bool LoadLibraryUnderTest(void)
{
    std::string path = DeliverablePath("zorvrni.dll");
    if (!LibraryUnderTest()) {
        fprintf(stderr, "zorvni_host: cannot load %s (error %lu)\n", path.c_str(), GetLastError());
        return false;
    }
    g_binDirectory = path.substr(0, path.find_last_of('\\'));
    printf("Loaded %s with the stand-in VM's msjava.dll\n", path.c_str());
    return true;
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: zorvni_host SCREENSHOT-DIRECTORY (zorvrni.dll from ZORV_BIN)\n");
        return 2;
    }
    g_screenshotDirectory = argv[1];
    CreateDirectoryA(g_screenshotDirectory.c_str(), NULL);
    if (!LoadLibraryUnderTest())
        return 1;
    ShowVersions();
    ShowFileInformation();
    ShowTempDirectoryAndEmptyFile();
    ShowMail();
    ShowTpaExchange();
    ShowOpenDocument();
    ShowMessageBox();
    ShowFileChoosers();
    ShowFolderBrowser();
    ShowContextMenu();
    ShowSendToMenu();
    /* A call still inside the library keeps it loaded; ending the process
     * ends that call too. */
    if (g_stuckCalls)
        return 1;
    FreeLibraryUnderTest();
    return 0;
}
