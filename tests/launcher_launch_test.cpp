/*
 * Finding and starting the executable file, end to end: the real launcher
 * starts the recorder stand-in, copied into directory trees and named by
 * switches, environment variables and registry values that each test makes.
 * The recorder exits with 7, so -w shows in the launcher's exit code.
 */
#include <gtest/gtest.h>

#include "launcher_run.h"
#include "registry.h"

#include <vector>

static std::string Quoted(const std::string &text) { return "\"" + text + "\""; }

class LauncherLaunch : public ::testing::Test {
protected:
    TempDir root;
    std::string recordPath = root / "record.bin";
    ScopedEnvironment record{"ZORV_RECORD", recordPath.c_str()};
    ScopedEnvironment exitCode{"ZORV_RECORD_EXIT", "7"};

    std::string Directory(const std::string &relative)
    {
        CreateDirectoryA((root / relative).c_str(), NULL);
        return root / relative;
    }
    std::string App(const std::string &relative)
    {
        EXPECT_TRUE(CopyTo(TestFilePath("recorder.exe"), root / relative)) << relative;
        return root / relative;
    }
    Recording Run(const std::string &arguments, LauncherResult *result,
                  const char *directory = NULL)
    {
        DeleteFileA(recordPath.c_str());
        *result = RunLauncher(arguments, directory);
        return ReadRecording(recordPath);
    }
    /* Runs with -w in directory and checks that the recorder at path was
     * started, in startedIn (by default the launcher's own directory). */
    void ExpectStarted(const std::string &arguments, const std::string &path,
                       const char *directory = NULL, const char *startedIn = NULL)
    {
        LauncherResult run;
        Recording started = Run(arguments + " -w", &run, directory);
        EXPECT_FALSE(run.box.found) << arguments << ": " << run.box.text;
        EXPECT_EQ(7u, run.exitCode) << arguments;
        ASSERT_TRUE(started.present) << arguments;
        EXPECT_EQ(Quoted(path), started.commandLine) << arguments;
        if (startedIn || directory) {
            EXPECT_EQ(startedIn ? startedIn : directory, started.currentDirectory) << arguments;
        }
    }
};

TEST_F(LauncherLaunch, ArgumentsArriveInNumberOrderExactlyAsGiven)
{
    std::string app = App("app.exe");
    struct Value {
        const char *written;
        const char *received;
    } values[] = {
        {"plain", "plain"},
        {R"("two words")", "two words"},
        {R"("say \"hi\"")", R"(say "hi")"},
        {R"("C:\dir\\")", R"(C:\dir\)"},
        {R"(a\\b)", R"(a\\b)"},
        {R"("")", ""},
        {"%s", "%s"},
        {R"("\\\"")", R"(\")"},
        {"-w", "-w"},
        {"/q", "/q"},
    };
    std::string arguments = "-ea " + Quoted(app) + " -w";
    std::vector<std::string> expected = {app};
    for (int i = 10; i >= 1; i--)
        arguments += " -" + std::to_string(i) + " " + values[i - 1].written;
    for (const Value &value : values)
        expected.push_back(value.received);
    LauncherResult run;
    Recording started = Run(arguments, &run);
    EXPECT_EQ(7u, run.exitCode);
    EXPECT_EQ(expected, started.arguments);

    started = Run("-ea " + Quoted(app) + " -2 y -w -1 x", &run);
    EXPECT_EQ(Quoted(app) + " \"x\" \"y\"", started.commandLine);
}

TEST_F(LauncherLaunch, AllowsOneHundredTwentyEightArguments)
{
    std::string app = App("app.exe");
    std::string arguments = "-ea " + Quoted(app) + " -w";
    for (int i = 128; i >= 1; i--)
        arguments += " -" + std::to_string(i) + " v" + std::to_string(i);
    LauncherResult run;
    Recording started = Run(arguments, &run);
    ASSERT_EQ(129u, started.arguments.size());
    for (int i = 1; i <= 128; i++)
        EXPECT_EQ("v" + std::to_string(i), started.arguments[i]);
}

TEST_F(LauncherLaunch, WithoutWaitEndsWithZeroAfterTheStart)
{
    std::string app = App("app.exe");
    LauncherResult run;
    Run("-ea " + Quoted(app) + " -1 -w", &run); /* -w is the argument here */
    EXPECT_EQ(0u, run.exitCode);
    Recording started = ReadRecording(recordPath);
    for (DWORD waited = 0; started.arguments.size() < 2 && waited < 5000; waited += 20) {
        Sleep(20);
        started = ReadRecording(recordPath);
    }
    EXPECT_EQ((std::vector<std::string>{app, "-w"}), started.arguments);
}

TEST_F(LauncherLaunch, DirectoryIsTheFirstExistingCandidateElseTheGivenOne)
{
    std::string base = Directory("base");
    App("base\\app.exe");
    Directory("base2");
    App("base2\\app.exe");
    const std::string common = "-d " + Quoted(base) + " -er app.exe -dv ";
    ExpectStarted(common + "1,2", base + "2\\app.exe");
    ExpectStarted(common + "3,4", base + "\\app.exe");
    Directory("base1");
    App("base1\\app.exe");
    ExpectStarted(common + "1,2", base + "1\\app.exe");
}

TEST_F(LauncherLaunch, FindsTheFileFromEachKindOfDirectorySwitch)
{
    Directory("from");
    std::string app = App("from\\app.exe");
    ScopedEnvironment directory("ZORV_TEST_DIRECTORY", (root / "from").c_str());
    ScopedEnvironment file("ZORV_TEST_FILE", app.c_str());
    ExpectStarted("-de ZORV_TEST_DIRECTORY -er app.exe", app);
    ExpectStarted("-dexe -de ZORV_TEST_FILE", app);
    ExpectStarted("-dexe -d " + Quoted(app), app);
    ExpectStarted("-d " + Quoted(root.path) + " -er from\\app.exe -r -s", app);
}

/* The tree search skips directories that match, prefers the start directory
 * to its subdirectories, and starts the program in the directory searched,
 * from which the search path is tried too.  Without a directory switch it
 * starts from the launcher's own. */
TEST_F(LauncherLaunch, TreeSearchFindsTheFirstMatchingFile)
{
    Directory("deep");
    Directory("deep\\apx.exe");
    Directory("deep\\a");
    Directory("deep\\a\\b");
    std::string deep = App("deep\\a\\b\\app.exe");
    Directory("flat");
    Directory("flat\\sub");
    App("flat\\sub\\app.exe");
    std::string flat = App("flat\\app.exe");
    std::string elsewhere = Directory("elsewhere");
    ExpectStarted("-d " + Quoted(root / "deep") + " -er ap?.exe -r", deep, elsewhere.c_str(),
                  (root / "deep").c_str());
    ExpectStarted("-d flat -er app*.exe -r", flat, root.path.c_str(), (root / "flat").c_str());
    ExpectStarted("-er ap?.exe -r", deep, (root / "deep").c_str());
    ExpectStarted("-er app.exe", flat, (root / "flat").c_str());
    /* The launcher's own directory is not searched again after the tree. */
    App("elsewhere\\zorvhere.exe");
    LauncherResult run;
    Run("-d " + Quoted(root / "flat") + " -er zorvhere.exe -r -s", &run, elsewhere.c_str());
    EXPECT_EQ(SystemErrorText(ERROR_FILE_NOT_FOUND), run.box.text);
}

TEST_F(LauncherLaunch, SearchPathIsTriedAfterTheTree)
{
    char oldPath[32768] = "";
    GetEnvironmentVariableA("PATH", oldPath, sizeof(oldPath));
    Directory("onpath");
    std::string app = App("onpath\\zorvpathapp.exe");
    ScopedEnvironment path("PATH", (root / "onpath;" + oldPath).c_str());
    ExpectStarted("-er zorvpathapp.exe -s", app);
    ExpectStarted("-d " + Quoted(Directory("empty")) + " -er zorvpathapp.exe -r -s", app);
    LauncherResult run;
    Run("-er zorv-missing-app.exe -s", &run);
    EXPECT_EQ(SystemErrorText(ERROR_FILE_NOT_FOUND), run.box.text);
    EXPECT_EQ(1u, run.exitCode);
}

/* Registry values under a key of the test's own in HKEY_CURRENT_USER. */
class LauncherRegistry : public LauncherLaunch {
protected:
    TestRegistryKey registry{"Launch"};
    const std::string &key = registry.path;
    void SetValue(const std::string &subkey, const char *name, DWORD type, const void *data,
                  DWORD size)
    {
        ASSERT_TRUE(registry.SetValue(subkey, name, type, data, size));
    }
    void SetText(const std::string &subkey, const char *name, const std::string &text,
                 DWORD type = REG_SZ)
    {
        ASSERT_TRUE(registry.SetText(subkey, name, text, type));
    }
};

TEST_F(LauncherRegistry, FindsTheDirectoryOrNamesEveryKeyAndPathTried)
{
    Directory("dir");
    std::string app = App("dir\\app.exe");
    std::string missing = root / "missing";
    DWORD number = 1;
    SetText("\\P2\\Install", NULL, root / "dir");
    SetText("\\Q\\Install", NULL, root / "dir", REG_EXPAND_SZ);
    SetValue("\\Q2\\Install", NULL, REG_DWORD, &number, sizeof(number));
    SetText("\\R\\Install", NULL, missing);
    SetText("\\S", "Path", root / "dir");
    SetText("\\F\\Install", "Exe", app);
    SetText("\\G\\Install", "Exe", missing);
    char computer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof(computer);
    ASSERT_TRUE(GetComputerNameA(computer, &size));
    const std::string k = key + "\\";
    const std::string notFound = " were not found in the system registry.";
    struct Case {
        std::string arguments;
        std::string message; /* empty: app.exe is started */
    } cases[] = {
        {"-drs " + k + "P -drss Install -drsv ,2 -er app.exe", ""},
        {"-drs " + k + "S -drv Path -er app.exe", ""},
        {"-drs " + k + "F -drss Install -drv Exe -dexe", ""},
        {"-rrs " + std::string(computer) + " -drs " + k + "P2 -drss Install -er app.exe", ""},
        {"-drs " + k + "P -drss Install -drsv 3,4 -er app.exe",
         LauncherMessage("Registry keys " + k + "P3\\Install " + k + "P4\\Install " + notFound)},
        {"-drs " + k + "Q -drss Install -drsv ,2 -er app.exe",
         LauncherMessage("Registry keys " + k + "Q\\Install " + k + "Q2\\Install " + notFound)},
        {"-drs " + k + "R -drss Install -er app.exe",
         LauncherMessage("Found path names " + missing + "  are not accessible.")},
        {"-drs " + k + " -drss Install -drsv P,R -er app.exe",
         LauncherMessage("Registry keys " + k + "P\\Install " + notFound + " Found directories " +
                         missing + "  are not accessible.")},
        {"-drs " + k + "G -drss Install -drv Exe -dexe", SystemErrorText(ERROR_FILE_NOT_FOUND)},
        {"-rrs zorv-no-such-host -drs " + k + "P2 -drss Install -er app.exe",
         SystemErrorText(ERROR_BAD_NETPATH)},
    };
    for (const Case &c : cases) {
        if (c.message.empty()) {
            ExpectStarted("-drk 2 " + c.arguments, app);
            continue;
        }
        LauncherResult run;
        Run("-drk 2 " + c.arguments + " -w", &run);
        EXPECT_EQ(c.message, run.box.text) << c.arguments;
        EXPECT_EQ(1u, run.exitCode) << c.arguments;
    }
}

/* A quote in the path would end the program name early and hand the child
 * arguments nobody gave; wherever the path comes from, nothing starts. */
TEST_F(LauncherLaunch, APathWithADoubleQuoteIsRefused)
{
    Directory("dir");
    App("dir\\kid.exe");
    const std::string dir = root / "dir";
    const std::string quoted = dir + "\\kid.exe\" \"inj";
    ScopedEnvironment variable("ZORV_TEST_QUOTED", (dir + "\\a\"b").c_str());
    TestRegistryKey registry("LaunchQuote");
    ASSERT_TRUE(registry.SetText("\\K", "Dir", dir));
    struct Case {
        std::string arguments;
        std::string path;
    } cases[] = {
        {"-d " + Quoted(dir) + " -er \"kid.exe\\\" \\\"inj\"", quoted},
        {"-ea \"" + dir + "\\kid.exe\\\" \\\"inj\"", quoted},
        {"-de ZORV_TEST_QUOTED -er kid.exe", dir + "\\a\"b\\kid.exe"},
        {"-dexe -de ZORV_TEST_QUOTED", dir + "\\a\"b"},
        {"-drk 2 -drs " + registry.path + "\\K -drv Dir -er \"kid.exe\\\" \\\"inj\"", quoted},
    };
    for (const Case &c : cases) {
        LauncherResult run;
        Recording started = Run(c.arguments + " -1 x -w", &run);
        EXPECT_EQ(LauncherMessage("The path name " + c.path +
                                  " contains a double quote, which a file name cannot hold."),
                  run.box.text)
            << c.arguments;
        EXPECT_EQ(1u, run.exitCode) << c.arguments;
        EXPECT_FALSE(started.present) << c.arguments;
    }
}

/* The system takes 32767 characters with the terminator.  A directory from
 * the environment makes the built line longer than the launcher's own. */
TEST_F(LauncherLaunch, ACommandLineOverTheSystemLimitIsRefusedInItsOwnWords)
{
    std::string dir = Directory(std::string(200, 'd'));
    std::string app = App(std::string(200, 'd') + "\\app.exe");
    ScopedEnvironment variable("ZORV_TEST_LONG", dir.c_str());
    const size_t fixed = Quoted(app).size() + 3; /* the path, a blank, two quotes */
    const std::string arguments = "-de ZORV_TEST_LONG -er app.exe -w -1 ";

    std::string longest(32766 - fixed, 'v');
    LauncherResult run;
    Recording started = Run(arguments + longest, &run);
    EXPECT_FALSE(run.box.found) << run.box.text;
    EXPECT_EQ(7u, run.exitCode);
    ASSERT_EQ(2u, started.arguments.size());
    EXPECT_EQ(longest, started.arguments[1]);

    started = Run(arguments + longest + "v", &run);
    EXPECT_EQ(LauncherMessage("The command line of the executable file is too long. The "
                              "maximal length is 32766 characters."),
              run.box.text);
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_FALSE(started.present);
}
