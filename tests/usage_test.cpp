/*
 * The help message: the logo from a version resource, the usage text, and
 * what the launcher shows for -h.
 */
#include <gtest/gtest.h>

#include "launcher_run.h"
#include "usage.h"

#include <stdlib.h>

/* What the build writes into Vantrelc.exe's version resource. */
static const char LAUNCHER_LOGO[] = "Vantrel Software\n"
                                    "Vantrel Launcher Version " ZORV_VERSION "\n" ZORV_COPYRIGHT
                                    "\n";

TEST(VersionStrings, ComeFromTheFilesOwnResource)
{
    VersionStrings *record = NULL;
    ASSERT_EQ(STATUS_OK, GetVersionStrings(LauncherPath().c_str(), &record));
    ASSERT_NE(nullptr, record);
    EXPECT_STREQ("Vantrelc.exe", record->slot[VERSION_ORIGINAL_FILENAME]);
    EXPECT_STREQ("Vantrel", record->slot[VERSION_PRODUCT_NAME]);
    EXPECT_STREQ(ZORV_VERSION, record->slot[VERSION_PRODUCT_VERSION]);
    EXPECT_EQ(nullptr, record->slot[VERSION_COMMENTS]);
    EXPECT_EQ(nullptr, record->slot[VERSION_SPECIAL_BUILD]);
    FreeVersionStrings(record);
}

TEST(VersionStrings, AFileWithoutResourceGivesNoRecordAndNoLogo)
{
    VersionStrings *record = (VersionStrings *)1;
    char *logo = (char *)1;
    SetLastError(0xdeadbeef);
    EXPECT_EQ(STATUS_OK, GetVersionStrings(TestFilePath("recorder.exe").c_str(), &record));
    EXPECT_EQ(nullptr, record);
    EXPECT_EQ(0u, GetLastError());
    EXPECT_EQ(STATUS_OK, BuildLogo(TestFilePath("recorder.exe").c_str(), &logo));
    EXPECT_EQ(nullptr, logo);
}

TEST(Logo, HasCompanyDescriptionWithVersionAndCopyright)
{
    char *logo = NULL;
    ASSERT_EQ(STATUS_OK, BuildLogo(LauncherPath().c_str(), &logo));
    EXPECT_STREQ(LAUNCHER_LOGO, logo);
    free(logo);
}

/* Every switch the launcher takes is described at the start of a line, and
 * the text begins with a line feed and ends without one, so that it reads
 * right behind the logo. */
TEST(UsageText, DescribesEverySwitch)
{
    std::string usage = USAGE_TEXT;
    EXPECT_EQ(0u, usage.find("\n  Usage: Vantrelc [switch [parameter]] [...]\n  Switches:\n-d "));
    EXPECT_NE('\n', usage.back());
    EXPECT_EQ(std::string::npos, usage.find('\t'));
    for (const char *name : {"d", "dexe", "de", "drk", "drss", "drs", "drv", "drsv", "dv", "rrs",
                             "ea", "er", "s", "r", "q", "w", "n", "h"}) {
        std::string line = std::string("\n-") + name;
        size_t at = usage.find(line + " ");
        EXPECT_NE(std::string::npos, at) << "-" << name << " is not described";
    }
    EXPECT_NE(std::string::npos, usage.find("\n-w    Launch an executable file and wait until "
                                            "its process is terminated.\n"));
    const std::string end = "\n  should be used for specifying arguments on the command line.";
    EXPECT_EQ(usage.size() - end.size(), usage.rfind(end));
}

/* The whole help is shown, far beyond the 2559 characters the error record
 * keeps; -n counts only before -h, and -q only before it too. */
TEST(Help, IsShownWholeWithOrWithoutLogo)
{
    const std::string withLogo = std::string(LAUNCHER_LOGO) + USAGE_TEXT;
    struct Case {
        const char *arguments;
        std::string text;
    } cases[] = {
        {"", withLogo},
        {"-h -n -q", withLogo},
        {"-n -H", USAGE_TEXT},
        {"-w /h -x", withLogo},
    };
    for (const Case &c : cases) {
        LauncherResult run = RunLauncher(c.arguments);
        EXPECT_TRUE(run.box.found) << c.arguments;
        EXPECT_EQ(c.text, run.box.text) << c.arguments;
        EXPECT_EQ(1u, run.exitCode) << c.arguments;
    }
    LauncherResult quiet = RunLauncher("-q -h");
    EXPECT_FALSE(quiet.timedOut);
    EXPECT_FALSE(quiet.box.found);
    EXPECT_EQ(1u, quiet.exitCode);
}
