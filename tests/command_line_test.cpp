/*
 * Command-line splitting by the launcher's quoting rules (the run-time's,
 * but for doubled quotes inside quotes and element 0): a table of lines, a
 * round trip over generated vectors, and the wide splitter's system check.
 */
#include <gtest/gtest.h>

#include "alloc.h"
#include "child.h"
#include "command_line.h"
#include "error_record.h"
#include "gui.h"
#include "os_version.h"

#include <stdlib.h>
#include <random>
#include <string>
#include <vector>

typedef std::vector<std::string> Arguments;

/* Splits text (null: the process's own) with split and frees the vector,
 * checking that a null pointer follows its last element. */
static Arguments Split(const char *text, int (*split)(const char *, char ***, int *))
{
    char **vector = NULL;
    int count = -1;
    EXPECT_EQ(STATUS_OK, split(text, &vector, &count));
    Arguments arguments;
    if (vector) {
        EXPECT_EQ(NULL, vector[count]);
        arguments.assign(vector, vector + count);
    }
    EXPECT_EQ(0, FreeArgumentVector(&vector, &count));
    return arguments;
}

static Arguments Split(const std::string &text) { return Split(text.c_str(), SplitCommandLine); }

TEST(SplitCommandLine, FollowsTheRunTimeRules)
{
    const std::string long1023(1023, 'x');
    const std::string long5000 = std::string(2500, 'y') + " " + std::string(2499, 'z');
    const struct {
        std::string commandLine;
        Arguments expected;
    } cases[] = {
        {"", {}},
        {" \t\r\n\v\f ", {}},
        {"a \"b c\" d", {"a", "b c", "d"}},
        {"a\tb  \t", {"a", "b"}},
        {"a\nb\vc\fd\re", {"a", "b", "c", "d", "e"}},
        /* Backslashes that no quote follows are literal. */
        {"C:\\dir \\\\server\\share\\ x\\\\\\", {"C:\\dir", "\\\\server\\share\\", "x\\\\\\"}},
        {"\"C:\\Program Files\\x.exe\" y", {"C:\\Program Files\\x.exe", "y"}},
        /* Odd runs before a quote escape it; even runs halve and quote. */
        {"a\\\"b", {"a\"b"}},
        {"\"a\\\" b\" c", {"a\" b", "c"}},
        {"\"a\\\\\" b", {"a\\", "b"}},
        {"a\\\\\\\"b", {"a\\\"b"}},
        {"a\\\\\\\\\"b c\"", {"a\\\\b c"}},
        /* Quoting opens and closes anywhere within an element. */
        {"\"ab\"\"cd\"", {"abcd"}},
        {"\"ab\"cd e", {"abcd", "e"}},
        {"\"a \"\" b\"", {"a  b"}},
        {"x \"\"", {"x", ""}},
        {"\"a b", {"a b"}},
        {"\"", {""}},
        /* Elements are never cut, however long. */
        {long1023 + " a", {long1023, "a"}},
        {"a \"" + long5000 + "\"", {"a", long5000}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.expected, Split(c.commandLine)) << "command line: " << c.commandLine;
}

TEST(SplitCommandLine, GivesBackWhatWasQuoted)
{
    /* Shift-JIS pieces: a trail byte may be a backslash (0x5C). */
    const char *pieces[] = {"a",  "Z9",   " ",      "\t",       "\r\n",     "\"",
                            "\\", "\\\\", "\\\\\\", "\x82\xa0", "\x95\x5c", "\xe9t\xe9"};
    const char *gaps[] = {" ", "\t", "  \t "};
    std::mt19937 random(1234);
    for (int round = 0; round < 3000; round++) {
        Arguments arguments(random() % 6);
        std::string commandLine;
        for (std::string &argument : arguments) {
            for (unsigned n = random() % 7; n > 0; n--)
                argument += pieces[random() % ARRAY_SIZE(pieces)];
            commandLine += QuoteArgument(argument) + gaps[random() % ARRAY_SIZE(gaps)];
        }
        ASSERT_EQ(arguments, Split(commandLine)) << "command line: " << commandLine;
    }
}

TEST(SplitCommandLineWide, RefusesNt31)
{
    OsVersion saved = g_osVersion;
    g_osVersion = OsVersion{OS_CLASS_NT, 3, 10, 528, 0, 0}; /* as NT 3.1 reports it */
    BoxWatcher watcher;
    StartBoxWatcher(&watcher, 10000);
    char **vector = NULL;
    EXPECT_EQ(1, SplitCommandLineWide(NULL, &vector, NULL));
    EXPECT_EQ("This application can only be run on Windows NT 3.5 or greater."
              "The application will now terminate.",
              FinishBoxWatcher(&watcher).text);
    g_osVersion = saved;
}

/* The wide split reads the process's own command line, so this runs again
 * in a copy of the program started with the arguments to check. */
TEST(SplitCommandLineWide, ConvertsEveryArgumentIncludingEmptyOnes)
{
    const char *arguments = " \"\" \"b c\" \"\" \xe9t\xe9";
    if (getenv("ZORV_WIDE_SPLIT_CHILD")) {
        ASSERT_EQ(STATUS_OK, DetectOsVersion());
        Arguments split = Split(NULL, SplitCommandLineWide);
        ASSERT_EQ(6u, split.size());
        EXPECT_EQ(Arguments({"", "b c", "", "\xe9t\xe9"}),
                  Arguments(split.begin() + 2, split.end()));
        return;
    }
    ScopedEnvironment child("ZORV_WIDE_SPLIT_CHILD", "1");
    HANDLE process = StartChild("\"" + TestFilePath("command_line_test.exe") +
                                    "\" --gtest_filter=*EmptyOnes" + arguments,
                                NULL);
    ASSERT_TRUE(process != NULL);
    EXPECT_EQ(0u, FinishChild(process, 60000));
}
