/*
 * The export groups that need no user: versions, file, file-system and
 * storage information, the temporary directory and an empty file, a mail
 * handed to the stand-in mail client, the TPA exchange with the stand-in
 * listener, running a Java class, and opening a document.
 */
#include "host.h"

#include <stdio.h>

#include "child.h"
#include "file_exports.h"
#include "mapi_mail.h"
#include "registry.h"
#include "shell.h"
#include "shell_open.h"
#include "tpa_exchange.h"
#include "tpa_listener.h"
#include "version_exports.h"

static std::string Quoted(const std::string &text) { return "\"" + text + "\""; }

static std::string Hex(DWORD value)
{
    char text[16];
    snprintf(text, sizeof(text), "0x%08lX", (unsigned long)value);
    return text;
}

/* Result and what the call left pending, on one line. */
static std::string Returned(const std::string &result)
{
    return Outcome(result, TakePendingException());
}

void ShowVersions(void)
{
    Heading("Versions");
    Call("RNIGetCompatibleVersion()   (asked by the VM when it loads the library)");
    Answer("returns", Hex(EXPORT_OF(RNIGetCompatibleVersion)()));
    Call("NIGetZORVDLLVersion()");
    Answer("returns", Returned(Show(EXPORT_OF(com_zorv_ZORVNI_NIGetZORVDLLVersion)(NULL))));
    static const char *const pairs[][2] = {{"2.01", "2.1"}, {"10.2", "9.9"}, {"1.2.3", "1.2.4"}};
    for (const auto &pair : pairs) {
        ArrayOfInt *partIndex = StandinIntArray(1);
        Call("NICompareVersions(" + Quoted(pair[0]) + ", " + Quoted(pair[1]) + ", partIndex)");
        int32_t result = EXPORT_OF(com_zorv_ZORVNI_NICompareVersions)(NULL, JavaText(pair[0]),
                                                                      JavaText(pair[1]), partIndex);
        Answer("returns", Returned(std::to_string(result)));
        Answer("partIndex", ShowInts(partIndex));
    }
}

/* The out parameters of Win32GetFileInfo, fresh for one call. */
struct FileInfoOuts {
    ArrayOfString *fullPath = OutString(), *shortPath = OutString(), *reserved = OutString(),
                  *typeName = OutString(), *created = OutString(), *accessed = OutString(),
                  *written = OutString();
    ArrayOfLong *size = StandinLongArray(1), *createdSeconds = StandinLongArray(1),
                *accessedSeconds = StandinLongArray(1), *writtenSeconds = StandinLongArray(1);
    ArrayOfInt *links = StandinIntArray(1);
    ArrayOfArray *attributes = StandinObjectArray("[Ljava/lang/String;", 1);
};

static std::string CallFileInfo(const std::string &directory, const std::string &name,
                                FileInfoOuts *o)
{
    Call("Win32GetFileInfo(" + Quoted(directory) + ", " + Quoted(name) + ", fullPath, " +
         "shortPath, reserved, typeName, size, links, created, createdSeconds, accessed, " +
         "accessedSeconds, written, writtenSeconds, attributes)");
    int32_t result = EXPORT_OF(com_zorv_ZORVNI_Win32GetFileInfo)(
        NULL, JavaText(directory), JavaText(name), o->fullPath, o->shortPath, o->reserved,
        o->typeName, o->size, o->links, o->created, o->createdSeconds, o->accessed,
        o->accessedSeconds, o->written, o->writtenSeconds, o->attributes);
    return Returned(std::to_string(result));
}

static void ShowOneFile(const std::string &directory, const std::string &name)
{
    FileInfoOuts o;
    Answer("returns", CallFileInfo(directory, name, &o));
    Answer("fullPath", Show(o.fullPath));
    Answer("shortPath", Show(o.shortPath));
    Answer("reserved", Show(o.reserved));
    Answer("typeName", Show(o.typeName));
    Answer("size", ShowLongs(o.size));
    Answer("links", ShowInts(o.links));
    Answer("created", Show(o.created) + " " + ShowLongs(o.createdSeconds));
    Answer("accessed", Show(o.accessed) + " " + ShowLongs(o.accessedSeconds));
    Answer("written", Show(o.written) + " " + ShowLongs(o.writtenSeconds));
    Answer("attributes", Show(o.attributes));
}

static void ShowFileSystem(const std::string &directory)
{
    ArrayOfString *name = OutString();
    ArrayOfArray *features = StandinObjectArray("[Ljava/lang/String;", 1);
    ArrayOfInt *component = StandinIntArray(1);
    Call("Win32GetFileSystemInfo(" + Quoted(directory) + ", \"\", name, features, " +
         "maxComponent)");
    int32_t result = EXPORT_OF(com_zorv_ZORVNI_Win32GetFileSystemInfo)(NULL, JavaText(directory),
                                                                       JavaText(""), name, features,
                                                                       component);
    Answer("returns", Returned(std::to_string(result)));
    Answer("name", Show(name));
    Answer("maxComponent", ShowInts(component));
    const ArrayOfString *list = (const ArrayOfString *)features->body[0];
    for (int i = 0; list && i < list->length; i++)
        Answer(i ? "" : "features", Show(list->body[i]));
}

static void ShowStorage(const std::string &directory)
{
    ArrayOfString *label = OutString(), *serial = OutString(), *type = OutString();
    ArrayOfInt *known = StandinIntArray(1);
    ArrayOfLong *free = StandinLongArray(1), *total = StandinLongArray(1),
                *available = StandinLongArray(1);
    Call("Win32GetStorageInfo(" + Quoted(directory) + ", \"\", label, serial, type, " +
         "spaceKnown, free, total, available)");
    int32_t result = EXPORT_OF(
        com_zorv_ZORVNI_Win32GetStorageInfo)(NULL, JavaText(directory), JavaText(""), label, serial,
                                             type, known, free, total, available);
    Answer("returns", Returned(std::to_string(result)));
    Answer("label", Show(label));
    Answer("serial", Show(serial));
    Answer("type", Show(type));
    Answer("spaceKnown", ShowInts(known));
    Answer("free", ShowLongs(free));
    Answer("total", ShowLongs(total));
    Answer("available", ShowLongs(available));
}

void ShowFileInformation(void)
{
    Heading("File, file-system and storage information (of the library itself)");
    ShowOneFile(g_binDirectory, "zorvrni.dll");
    FileInfoOuts missing;
    Answer("returns", CallFileInfo(g_binDirectory, "no such file.dll", &missing));
    ShowFileSystem(g_binDirectory);
    ShowStorage(g_binDirectory);
}

static std::string SizeOnDisk(const std::string &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return "no such file";
    return std::to_string(((unsigned long long)data.nFileSizeHigh << 32) | data.nFileSizeLow) +
           " bytes on disk";
}

void ShowTempDirectoryAndEmptyFile(void)
{
    Heading("Temporary directory and an empty file");
    ArrayOfString *tempDirectory = OutString();
    Call("NIGetOSTempDir(tempDirectory)");
    int32_t result = EXPORT_OF(com_zorv_ZORVNI_NIGetOSTempDir)(NULL, tempDirectory);
    Answer("returns", Returned(std::to_string(result)));
    Answer("tempDirectory", Show(tempDirectory));

    TempDir dir;
    std::string path = dir / "new document.txt";
    auto create = EXPORT_OF(com_zorv_ZORVNI_NICreateEmptyFile);
    const struct {
        int32_t overwrite;
        const char *before;
    } steps[] = {{0, NULL}, {0, "kept"}, {1, "replaced"}};
    for (const auto &step : steps) {
        if (step.before)
            WriteTextFile(path, step.before);
        Call("NICreateEmptyFile(" + Quoted(path) + ", " + std::to_string(step.overwrite) + ")" +
             (step.before ? "   (the file holds " + SizeOnDisk(path) + ")" : ""));
        result = create(NULL, JavaText(path), step.overwrite);
        Answer("returns", Returned(std::to_string(result)) + ", " + SizeOnDisk(path));
    }
}

/* The stand-in mail client's record: every field MAPISendMail received. */
static void ShowMailRecord(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        Answer("mail client:", "received nothing");
        return;
    }
    std::string text(65536, '\0');
    DWORD got = 0;
    ReadFile(file, &text[0], (DWORD)text.size() - 1, &got, NULL);
    CloseHandle(file);
    text.resize(got);
    printf("      the mail client's MAPISendMail received:\n");
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1)
        printf("        %s\n", text.substr(start, end - start).c_str());
}

void ShowMail(void)
{
    Heading("Mail through Simple MAPI (the stand-in Mapi32.dll as the mail client)");
    TempDir dir;
    std::string record = dir / "mail.txt";
    ScopedEnvironment recordTo("ZORV_MAPI_RECORD", record.c_str());
    ScopedRegistryValue installed(HKEY_LOCAL_MACHINE, MAPI_SUBSYSTEM_KEY, "MAPI");
    installed.Set(REG_SZ, "1", 2);
    WriteTextFile(dir / "report.txt", "the quarterly report");

    Call("NIWin32MAPISendMail(\"Quarterly report\", \"Please find the report attached.\", 1, "
         "{\"anna@example.com\"}, 1, {\"ben@example.com\"}, 1, {}, 0, {\"Report\"}, {" +
         Quoted(dir.path) + "}, {\"report.txt\"}, 1)");
    int32_t result = EXPORT_OF(com_zorv_ZORVNI_NIWin32MAPISendMail)(
        NULL, JavaText("Quarterly report"), JavaText("Please find the report attached."), 1,
        JavaStrings({"anna@example.com"}), 1, JavaStrings({"ben@example.com"}), 1, JavaStrings({}),
        0, JavaStrings({"Report"}), JavaStrings({dir.path}), JavaStrings({"report.txt"}), 1);
    Answer("returns", Returned(std::to_string(result)));
    ShowMailRecord(record);
}

static void SampleMain(void)
{
    printf("      com/zorv/Sample.main() runs on thread %lu, prepared for Java: %d\n",
           GetCurrentThreadId(), StandinPreparedThreads());
}

static void ShowRunMsJvm(void)
{
    StandinRegisterClass("com/zorv/Sample", SampleMain);
    auto run = Export<decltype(&RNIRunMsJVM)>("_RNIRunMsJVM@4");
    Call("RNIRunMsJVM(\"com/zorv/Sample\")   (from native code, on thread " +
         std::to_string(GetCurrentThreadId()) + ")");
    int32_t result = run("com/zorv/Sample");
    Answer("returns", std::to_string(result));
}

void ShowTpaExchange(void)
{
    Heading("TPA exchange (the stand-in TPA listener in this process) and RNIRunMsJVM");
    if (!StartTpaListener(LibraryUnderTest(), 0)) {
        Answer("listener:", "could not be started");
        return;
    }
    PlaceTpaRequest(LibraryUnderTest(), {"GETDOC", "4711"}, 2, 0);
    printf("  (the TPA side has placed the request {\"GETDOC\", \"4711\"} and raised "
           "bTPAReqArrived)\n");
    ArrayOfArray *response = (ArrayOfArray *)StandinObjectArray("[Ljava/lang/String;", 1);
    response->body[0] = (HObject)JavaStrings({"OK", "document 4711 checked out"});
    ArrayOfInt *state = StandinIntArray(1);
    Call("NIListenTPARequest(5, {{\"OK\", \"document 4711 checked out\"}}, state)");
    HObject request = EXPORT_OF(com_zorv_ZORVNI_NIListenTPARequest)(NULL, 5, response, state);
    Answer("returns", Returned(Show(request)));
    Answer("state", ShowInts(state) + "   (2: a request arrived)");
    TpaResponseSeen seen = TpaListenerSeen();
    std::string texts;
    for (const std::string &text : seen.texts)
        texts += (texts.empty() ? "\"" : ", \"") + text + "\"";
    Answer("listener got:",
           std::to_string(seen.deliveries) + " response message, gTPARes = {" + texts + "}");
    ArrayOfInt *again = StandinIntArray(1);
    Call("NIListenTPARequest(0, null, state)   (nothing is waiting now)");
    request = EXPORT_OF(com_zorv_ZORVNI_NIListenTPARequest)(NULL, 0, NULL, again);
    Answer("returns", Returned(Show(request)));
    Answer("state", ShowInts(again) + "   (1: no request)");
    StopTpaListener();
    ShowRunMsJvm();
}

void ShowOpenDocument(void)
{
    Heading("Opening a document with its program (the recorder stand-in) and waiting");
    TempDir dir;
    std::string document = dir / "minutes.zvthost";
    std::string record = dir / "record";
    WriteTextFile(document, "minutes");
    ScopedAssociation association(".zvthost", "VantrelHost.Document",
                                  "\"" + TestFilePath("recorder.exe") + "\" \"%1\"");
    ScopedEnvironment recordTo("ZORV_RECORD", record.c_str());
    ScopedEnvironment sleep("ZORV_RECORD_SLEEP_MS", "1500");
    Call("NIWin32ShellExecuteEx(" + Quoted(document) + ", \"\")");
    DWORD start = GetTickCount();
    int32_t result = EXPORT_OF(com_zorv_ZORVNI_NIWin32ShellExecuteEx)(NULL, JavaText(document),
                                                                      JavaText(""));
    Answer("returns", Returned(std::to_string(result)) + " after " +
                          std::to_string(GetTickCount() - start) + " ms (the program ran 1500 ms)");
    Recording started = ReadRecording(record);
    Answer("started:", started.present ? started.commandLine : "nothing");
}
