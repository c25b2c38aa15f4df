/*
 * The launcher's command line as its caller sees it: every bad command line
 * ends in exit code 1 and one error box with the first problem, or in no
 * box once -q has been read.
 */
#include <gtest/gtest.h>

#include "launcher_run.h"

static std::string NumberedArguments(int count)
{
    std::string arguments;
    for (int i = 1; i <= count; i++)
        arguments += " -" + std::to_string(i) + " v";
    return arguments;
}

TEST(LauncherSwitches, EachBadCommandLineShowsItsMessage)
{
    const std::string conflict = "There is a command line switches conflict.";
    const std::string partner = "Both switches drk and drs should be specified.";
    struct Case {
        std::string arguments;
        std::string message;
    } cases[] = {
        {"x -q", "Unknown the command line parameter \"x\"."},
        {"-w \"\"", "Unknown the command line parameter \"\"."},
        {"-", "Unknown the command line switch \"-\"."},
        {"-dx a", "Unknown the command line switch \"-dx\"."},
        {"-w -D", "The command line switch \"-D\" requires a parameter."},
        {"-d x /D y", "Unknown the command line switch \"/D\"."},
        {"/DEXE -dexe", "Unknown the command line switch \"-dexe\"."},
        {"-drk 0 -drs k", "The value 0 of the command line switch \"drk\" is unknown."},
        {"-drk 6", "The value 6 of the command line switch \"drk\" is unknown."},
        {"-drk abc", "The value abc of the command line switch \"drk\" is unknown."},
        {"-3 a -03 b", "The command line switch -03 is specified twice or more."},
        {"-2 a -1", "The command line switch \"-1\" requires a parameter."},
        {NumberedArguments(129), "The number of the command line arguments that are passed to "
                                 "executable file is too big. The maximal number is 128."},
        {"-d a -de b", conflict},
        {"-d a -drk 3 -drs k", conflict},
        {"-de a -drk 3 -drs k", conflict},
        {"-ea a -de b", conflict},
        {"-er x -ea y", conflict},
        {"-dexe -dv 1 -d a", conflict},
        {"-drk 3 -er x", partner},
        {"-drs k -er x", partner},
        {"-d C:\\ -w", "An absolute file name or a directory and a relative file name should "
                       "be specified."},
        {"-de ZORV_NO_SUCH_VARIABLE -er x", "The environment variable ZORV_NO_SUCH_VARIABLE "
                                            "varname is not found in the environment table."},
        {"-d C:\\" + std::string(250, 'x') + " -er app.exe",
         "The path name C:\\" + std::string(250, 'x') +
             "\\app.exe is too long. The maximal "
             "length is 259 characters."},
    };
    for (const Case &c : cases) {
        LauncherResult run = RunLauncher(c.arguments);
        EXPECT_EQ(LauncherMessage(c.message), run.box.text) << c.arguments;
        EXPECT_EQ(1u, run.exitCode) << c.arguments;
    }
}

TEST(LauncherSwitches, QuietModeShowsNothingOnceRead)
{
    const char *cases[] = {"-q x", "-q -drk 9", "-q -ea C:\\zorv-missing\\none.exe"};
    for (const char *arguments : cases) {
        LauncherResult run = RunLauncher(arguments);
        EXPECT_FALSE(run.timedOut) << arguments;
        EXPECT_FALSE(run.box.found) << arguments;
        EXPECT_EQ(1u, run.exitCode) << arguments;
    }
}

TEST(LauncherStart, FailuresOfTheSystemShowItsText)
{
    LauncherResult missing = RunLauncher("-ea C:\\windows\\zorv-missing.exe -1 a");
    EXPECT_EQ(SystemErrorText(ERROR_FILE_NOT_FOUND), missing.box.text);
    EXPECT_EQ(1u, missing.exitCode);
    LauncherResult unnamed = RunLauncher("-dexe -w"); /* nothing names the file */
    EXPECT_TRUE(unnamed.box.found);
    EXPECT_EQ(1u, unnamed.exitCode);
}
