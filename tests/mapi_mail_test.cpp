/*
 * Mail through the real zorvrni.dll export, with our Mapi32.dll stand-in
 * beside the test program in place of Wine's own (WINEDLLOVERRIDES), and
 * the Simple MAPI registry value of the bench's prefix set for each case
 * and put back afterwards.  The stand-in writes down every field it was
 * handed; the tests compare those with what the Java caller passed.
 */
#include <gtest/gtest.h>

#include <shlwapi.h>
#include <stdlib.h>
#include <map>
#include <string>
#include <vector>

#include "alloc.h"
#include "child.h"
#include "error_record.h"
#include "gui.h"
#include "library.h"
#include "mapi_mail.h"
#include "msjava_standin.h"
#include "registry.h"

typedef std::map<std::string, std::string> MailRecord;

static HString S(const wchar_t *text) { return StandinString(text); }

static ArrayOfString *Strings(const std::vector<std::wstring> &texts)
{
    ArrayOfString *array = StandinObjectArray("java/lang/String", (int)texts.size());
    for (size_t i = 0; i < texts.size(); i++)
        array->body[i] = StandinString(texts[i].c_str());
    return array;
}

static std::string UnitsOf(HObject string)
{
    WCHAR buffer[4096];
    int length = StandinStringUnits((HString)string, buffer, ARRAY_SIZE(buffer));
    return length < 0 ? "<not a String>" : std::string(buffer, buffer + length);
}

/* Frees every reference to the client module; the number freed. */
static int UnloadMapi(void)
{
    int freed = 0;
    while (HMODULE mapi = GetModuleHandleA("Mapi32.dll")) {
        if (!FreeLibrary(mapi))
            break;
        freed++;
    }
    return freed;
}

/* Every field the stand-in saw, after the fields of the call itself. */
static MailRecord Expected(const MailRecord &fields)
{
    MailRecord record = {
        {"session", "0"},
        {"uiParam", "0"},
        {"flags", "11"},
        {"reserved", "0"},
        {"message.reserved", "0"},
        {"messageType", "<null>"},
        {"dateReceived", "<null>"},
        {"conversationID", "<null>"},
        {"originator", "<null>"},
    };
    for (const auto &field : fields)
        record[field.first] = field.second;
    return record;
}

static MailRecord Recipient(int i, int recipClass, const std::string &name)
{
    std::string key = "recip." + std::to_string(i) + ".";
    return {{key + "reserved", "0"}, {key + "class", std::to_string(recipClass)},
            {key + "name", name},    {key + "address", "<name>"},
            {key + "eidSize", "0"},  {key + "entryID", "<null>"}};
}

static MailRecord Attachment(int i, const std::string &path, const std::string &name)
{
    std::string key = "file." + std::to_string(i) + ".";
    return {{key + "reserved", "0"}, {key + "flags", "0"}, {key + "position", "4294967295"},
            {key + "path", path},    {key + "name", name}, {key + "type", "<null>"}};
}

static MailRecord Join(std::vector<MailRecord> parts)
{
    MailRecord joined;
    for (const MailRecord &part : parts)
        joined.insert(part.begin(), part.end());
    return joined;
}

class MapiMail : public ::testing::Test {
protected:
    ScopedRegistryValue mapiValue{HKEY_LOCAL_MACHINE, MAPI_SUBSYSTEM_KEY, "MAPI"};
    TempDir directory;
    std::string recordPath = directory / "mail.txt";
    ScopedEnvironment record{"ZORV_MAPI_RECORD", recordPath.c_str()};
    ScopedEnvironment result{"ZORV_MAPI_RESULT", NULL};
    decltype(&com_zorv_ZORVNI_NIWin32MAPISendMail) send = NULL;

    void SetUp() override
    {
        ASSERT_TRUE(mapiValue.Set(REG_SZ, "1", 2));
        Load();
    }
    void TearDown() override { Unload(); }
    /* Each case loads the library afresh: it takes its reference to the
     * client once per load. */
    void Load()
    {
        send = EXPORT(NIWin32MAPISendMail);
        ASSERT_TRUE(send != NULL);
    }
    /* The library goes first: it holds its reference to the client for as
     * long as it is loaded.  Then nothing of either is left. */
    void Unload()
    {
        FreeLibraryUnderTest();
        send = NULL;
        UnloadMapi();
    }
    /* Sends a message with only the attachments (and no recipients). */
    int32_t SendFiles(ArrayOfString *titles, ArrayOfString *directories, ArrayOfString *fileNames,
                      int32_t count)
    {
        return send(NULL, S(L"s"), S(L"b"), 0, Strings({}), 0, Strings({}), 0, Strings({}), 0,
                    titles, directories, fileNames, count);
    }
    int32_t SendPlain(void) { return SendFiles(Strings({}), Strings({}), Strings({}), 0); }
    MailRecord TakeRecord()
    {
        MailRecord fields;
        HANDLE file = CreateFileA(recordPath.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0,
                                  NULL);
        if (file == INVALID_HANDLE_VALUE)
            return fields;
        std::string text(65536, '\0');
        DWORD got = 0;
        ReadFile(file, &text[0], (DWORD)text.size(), &got, NULL);
        CloseHandle(file);
        DeleteFileA(recordPath.c_str());
        text.resize(got);
        for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
             start = end + 1) {
            std::string line = text.substr(start, end - start);
            size_t equals = line.find('=');
            fields[line.substr(0, equals)] = line.substr(equals + 1);
        }
        return fields;
    }
    /* The pending exception's message and arguments; empty when none. */
    std::vector<std::string> TakeFailure()
    {
        StandinException exception = {};
        std::vector<std::string> failure;
        if (!StandinTakeException(&exception))
            return failure;
        failure.push_back(UnitsOf(exception.arguments[1]));
        const ArrayOfString *arguments = (const ArrayOfString *)exception.arguments[2];
        for (int i = 0; arguments && i < arguments->length; i++)
            failure.push_back(UnitsOf(arguments->body[i]));
        return failure;
    }
};

TEST_F(MapiMail, TheClientReceivesEveryField)
{
    EXPECT_EQ(0, send(NULL, S(L"Gr\u00fc\u00dfe"), S(L"Body text"), 1, Strings({L"a@x", L"b@x"}), 2,
                      Strings({L"c@x"}), 1, Strings({L"d@x"}), 1, Strings({L"Report", L"Notes"}),
                      Strings({L"D:\\mail", L"D:\\mail\\"}), Strings({L"a.txt", L"b.txt"}), 2));
    EXPECT_TRUE(TakeFailure().empty());
    MailRecord expected = Expected(Join({
        {{"subject", "Gr\xfc\xdf"
                     "e"},
         {"noteText", "Body text"},
         {"message.flags", "2"},
         {"recipCount", "4"},
         {"recips", "<set>"},
         {"fileCount", "2"},
         {"files", "<set>"}},
        Recipient(0, 1, "a@x"),
        Recipient(1, 1, "b@x"),
        Recipient(2, 2, "c@x"),
        Recipient(3, 3, "d@x"),
        Attachment(0, "D:\\mail\\a.txt", "Report"),
        Attachment(1, "D:\\mail\\b.txt", "Notes"),
    }));
    EXPECT_EQ(expected, TakeRecord());

    /* The client answering is ours, not Wine's. */
    char loaded[MAX_PATH] = "";
    GetModuleFileNameA(GetModuleHandleA("Mapi32.dll"), loaded, sizeof(loaded));
    EXPECT_EQ(0, lstrcmpiA(TestFilePath("Mapi32.dll").c_str(), loaded)) << loaded;
}

TEST_F(MapiMail, EmptySubjectAndBodyArriveAsNull)
{
    EXPECT_EQ(0, send(NULL, S(L""), S(L""), 0, Strings({}), 0, Strings({}), 0, Strings({}), 0,
                      Strings({}), Strings({}), Strings({}), 0));
    MailRecord expected = Expected({{"subject", "<null>"},
                                    {"noteText", "<null>"},
                                    {"message.flags", "0"},
                                    {"recipCount", "0"},
                                    {"recips", "<null>"},
                                    {"fileCount", "0"},
                                    {"files", "<null>"}});
    EXPECT_EQ(expected, TakeRecord());
}

TEST_F(MapiMail, RecipientCountsStayWithinTheirArrays)
{
    /* To: more asked than given; Cc: negative; Bcc: a null handle; an empty
     * element is still a recipient, with an empty name. */
    EXPECT_EQ(0, send(NULL, S(L"s"), S(L"b"), 0, Strings({L"a@x", L""}), 5, Strings({L"c@x"}), -2,
                      NULL, 3, Strings({}), Strings({}), Strings({}), 0));
    MailRecord got = TakeRecord();
    EXPECT_EQ("2", got["recipCount"]);
    EXPECT_EQ(Join({Recipient(0, 1, "a@x"), Recipient(1, 1, "")}),
              MailRecord(got.lower_bound("recip."), got.lower_bound("recip/")));

    EXPECT_EQ(0, send(NULL, S(L"s"), S(L"b"), 0, Strings({}), 2, Strings({}), 1, NULL, 1,
                      Strings({}), Strings({}), Strings({}), 0));
    got = TakeRecord();
    EXPECT_EQ("0", got["recipCount"]);
    EXPECT_EQ("<null>", got["recips"]);
}

TEST_F(MapiMail, AttachmentsNeedBothArraysAndACountAboveZero)
{
    struct FilesCase {
        std::vector<std::wstring> directories;
        std::vector<std::wstring> fileNames;
        int32_t count;
        const char *expectedCount;
    };
    const FilesCase cases[] = {
        {{}, {L"a.txt"}, 1, "0"},
        {{L"D:\\"}, {}, 1, "0"},
        {{L"D:\\"}, {L"a.txt"}, 0, "0"},
        {{L"D:\\"}, {L"a.txt"}, -1, "0"},
        {{L"D:\\", L"E:\\"}, {L"a.txt"}, 2, "1"},
        {{L"D:\\", L"E:\\"}, {L"a.txt", L"b.txt"}, 7, "2"},
    };
    for (const FilesCase &c : cases) {
        EXPECT_EQ(0, SendFiles(Strings({}), Strings(c.directories), Strings(c.fileNames), c.count));
        MailRecord got = TakeRecord();
        EXPECT_EQ(c.expectedCount, got["fileCount"]) << c.count;
        EXPECT_EQ(std::string(c.expectedCount) == "0" ? "<null>" : "<set>", got["files"]);
    }
    EXPECT_EQ(0, SendFiles(Strings({}), NULL, NULL, 2));
    EXPECT_EQ("0", TakeRecord()["fileCount"]);
}

TEST_F(MapiMail, AttachmentsAreShownUnderTheirTitlesOrFileNames)
{
    /* Without titles every file shows its name; with fewer titles than
     * files, those without one do. */
    EXPECT_EQ(0, SendFiles(Strings({}), Strings({L"D:\\mail", L"D:/in/"}),
                           Strings({L"a.txt", L"b.txt"}), 2));
    MailRecord got = TakeRecord();
    EXPECT_EQ(Join({Attachment(0, "D:\\mail\\a.txt", "a.txt"),
                    Attachment(1, "D:/in/b.txt", "b.txt")}),
              MailRecord(got.lower_bound("file."), got.lower_bound("file/")));

    EXPECT_EQ(0, SendFiles(Strings({L"First"}), Strings({L"D:\\", L"D:\\"}),
                           Strings({L"a.txt", L"b.txt"}), 2));
    got = TakeRecord();
    EXPECT_EQ("First", got["file.0.name"]);
    EXPECT_EQ("D:\\a.txt", got["file.0.path"]);
    EXPECT_EQ("b.txt", got["file.1.name"]);
}

TEST_F(MapiMail, AnAttachmentPathBeyond260BytesIsRefused)
{
    std::wstring directory = L"D:\\" + std::wstring(246, L'd'); /* 249 bytes */
    EXPECT_EQ(0, SendFiles(Strings({}), Strings({directory}), Strings({L"abcdefghi"}), 1));
    EXPECT_EQ(259u, TakeRecord()["file.0.path"].size()) << "259 bytes and the NUL fit";

    EXPECT_EQ(STATUS_APP_ERROR, SendFiles(Strings({}), Strings({L"D:\\", directory}),
                                          Strings({L"a.txt", L"abcdefghij"}), 2));
    EXPECT_EQ(std::vector<std::string>(
                  {"The path of the attachment %s does not fit in 260 bytes.", "abcdefghij"}),
              TakeFailure());
    EXPECT_TRUE(TakeRecord().empty()) << "nothing is sent";
}

TEST_F(MapiMail, ResultCodesBecomeTheirMessages)
{
    struct ResultCase {
        const char *code;
        const char *message; /* null: success */
    };
    const ResultCase cases[] = {
        {"0", NULL},
        {"1", NULL},
        {"2", "One or more unspecified errors occurred. No message was sent."},
        {"3", "There was no default logon, and the user failed to log on successfully when "
              "the logon dialog box was displayed. No message was sent."},
        {"5", "There was insufficient memory to proceed. No message was sent."},
        {"9", "There were too many file attachments. No message was sent."},
        {"10", "There were too many recipients. No message was sent."},
        {"11", "The specified attachment was not found. No message was sent."},
        {"12", "The specified attachment could not be opened. No message was sent."},
        {"14", "A recipient did not appear in the address list. No message was sent."},
        {"15", "The type of a recipient was not MAPI_TO, MAPI_CC, or MAPI_BCC. No message was "
               "sent."},
        {"18", "The text in the message was too large. No message was sent."},
        {"21", "A recipient matched more than one of the recipient descriptor structures and "
               "MAPI_DIALOG was not set. No message was sent."},
        {"25", "One or more recipients were invalid or did not resolve to any address."},
        {"4", "Unknown MAPI error"},
        {"13", "Unknown MAPI error"},
        {"26", "Unknown MAPI error"},
        {"4294967295", "Unknown MAPI error"},
    };
    for (const ResultCase &c : cases) {
        ScopedEnvironment code("ZORV_MAPI_RESULT", c.code);
        EXPECT_EQ(c.message ? STATUS_APP_ERROR : STATUS_OK, SendPlain()) << c.code;
        std::vector<std::string> failure = TakeFailure();
        if (c.message)
            EXPECT_EQ(std::vector<std::string>({c.message}), failure) << c.code;
        else
            EXPECT_TRUE(failure.empty()) << c.code;
    }
}

/* Another component of the process loads and frees the client module
 * around the first mail and around each later one: the library's own
 * reference keeps the module loaded, and it is taken once. */
TEST_F(MapiMail, ManyMailsHoldOneReferenceToTheClient)
{
    HMODULE other = LoadLibraryA("Mapi32.dll");
    ASSERT_TRUE(other != NULL);
    ASSERT_EQ(STATUS_OK, SendPlain());
    ASSERT_TRUE(FreeLibrary(other));
    ASSERT_TRUE(GetModuleHandleA("Mapi32.dll") != NULL) << "no reference of its own";
    for (int i = 0; i < 3; i++) {
        other = LoadLibraryA("Mapi32.dll");
        ASSERT_EQ(STATUS_OK, SendPlain()) << i;
        FreeLibrary(other);
        EXPECT_FALSE(TakeRecord().empty()) << i;
    }
    EXPECT_EQ(1, UnloadMapi()) << "references the library took";
}

/* Two first mails at the same moment take one reference between them. */
TEST_F(MapiMail, TwoFirstMailsAtOnceTakeOneReference)
{
    HANDLE go = CreateEventA(NULL, TRUE, FALSE, NULL);
    ThreadCall senders[2];
    for (ThreadCall &sender : senders)
        StartThreadCall(&sender, [this, go] {
            WaitForSingleObject(go, INFINITE);
            return send(NULL, S(L"s"), S(L"b"), 0, NULL, 0, NULL, 0, NULL, 0, NULL, NULL, NULL, 0);
        });
    SetEvent(go);
    for (size_t i = 0; i < ARRAY_SIZE(senders); i++)
        EXPECT_EQ(STATUS_OK, FinishThreadCall(&senders[i], 10000)) << i;
    CloseHandle(go);
    EXPECT_EQ(1, UnloadMapi());
}

TEST_F(MapiMail, OnlyTheText1InTheRegistryMeansInstalled)
{
    struct RegistryCase {
        const char *name;
        DWORD type; /* 0: value absent; REG_NONE: key absent */
        const char *data;
        DWORD size;
        bool installed;
    };
    const DWORD one = 1;
    const RegistryCase cases[] = {
        {"string 1", REG_SZ, "1", 2, true},
        {"value absent", 0, NULL, 0, false},
        {"key absent", REG_NONE, NULL, 0, false},
        {"string 0", REG_SZ, "0", 2, false},
        {"blank before", REG_SZ, " 1", 3, false},
        {"blank after", REG_SZ, "1 ", 3, false},
        {"number 1", REG_DWORD, (const char *)&one, sizeof(one), false},
        {"9 bytes", REG_BINARY, "1\0\0\0\0\0\0\0", 9, false},
        {"8 bytes without NUL", REG_BINARY, "11111111", 8, false},
    };
    for (const RegistryCase &c : cases) {
        Unload();
        Load();
        if (c.type == REG_NONE)
            SHDeleteKeyA(HKEY_LOCAL_MACHINE, MAPI_SUBSYSTEM_KEY);
        else if (c.type == 0)
            ASSERT_TRUE(mapiValue.Remove());
        else
            ASSERT_TRUE(mapiValue.Set(c.type, c.data, c.size));
        EXPECT_EQ(c.installed, IsMapiInstalled()) << c.name;
        EXPECT_EQ(c.installed ? STATUS_OK : STATUS_APP_ERROR, SendPlain()) << c.name;
        std::vector<std::string> failure = TakeFailure();
        if (c.installed) {
            EXPECT_TRUE(failure.empty()) << c.name;
            EXPECT_FALSE(TakeRecord().empty()) << c.name << ": not sent";
        } else {
            EXPECT_EQ(std::vector<std::string>({"MAPI is not installed on the computer"}), failure)
                << c.name;
            EXPECT_TRUE(GetModuleHandleA("Mapi32.dll") == NULL) << c.name << ": loaded";
            EXPECT_TRUE(TakeRecord().empty()) << c.name;
        }
    }
}

/* Under a double-byte code page a text needs more bytes than it has
 * characters; the client must still get each text whole.  The system code
 * page comes from the locale a process starts in, so the suite runs this
 * case once more under a Japanese one. */
TEST_F(MapiMail, DoubleByteTextsArriveWhole)
{
    if (GetACP() != 932) {
        ASSERT_EQ(NULL, getenv("ZORV_MAPI_EXPECT_DBCS")) << "no double-byte code page";
        GTEST_SKIP() << "runs under code page 932 only";
    }
    const wchar_t *subject = L"\u65e5\u672c\u8a9e\u306e\u4ef6\u540d";
    const wchar_t *name = L"\u5c71\u7530";
    ASSERT_EQ(0, send(NULL, S(subject), S(L"b"), 0, Strings({name}), 1, Strings({}), 0, Strings({}),
                      0, Strings({}), Strings({}), Strings({}), 0));
    char subjectAnsi[64] = "";
    char nameAnsi[64] = "";
    WideCharToMultiByte(CP_ACP, 0, subject, -1, subjectAnsi, sizeof(subjectAnsi), NULL, NULL);
    WideCharToMultiByte(CP_ACP, 0, name, -1, nameAnsi, sizeof(nameAnsi), NULL, NULL);
    ASSERT_EQ(12u, strlen(subjectAnsi));
    MailRecord record = TakeRecord();
    EXPECT_EQ(subjectAnsi, record["subject"]);
    EXPECT_EQ(nameAnsi, record["recip.0.name"]);
}
