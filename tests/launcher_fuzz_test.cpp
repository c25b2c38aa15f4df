/*
 * The launcher under generated command lines: whatever it is given, it
 * ends by itself with 0, 1 or the started program's code, shows a box for
 * every failure unless -q came first, and a program it starts receives
 * every numbered argument byte for byte, in the order of the numbers.
 */
#include <gtest/gtest.h>

#include "alloc.h"
#include "launcher_run.h"

#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Elements;

const DWORD CHILD_EXIT = 7;

/* Groups keep a switch and its value together wherever they are moved. */
struct Generated {
    std::vector<Elements> groups;
    std::map<int, std::string> numbered; /* what the child must receive */
    bool quiet = false;
    bool wait = false;
    bool valid = true; /* every element well formed */
};

class LauncherFuzz : public ::testing::Test {
protected:
    TempDir root;
    std::string app = root / "app.exe";
    std::string recordPath = root / "record.bin";
    ScopedEnvironment record{"ZORV_RECORD", recordPath.c_str()};
    ScopedEnvironment exitCode{"ZORV_RECORD_EXIT", "7"};
    std::mt19937 random{20261207};

    void SetUp() override { ASSERT_TRUE(CopyTo(TestFilePath("recorder.exe"), app)); }

    size_t Pick(size_t count) { return random() % count; }

    std::string Value()
    {
        static const char *const pieces[] = {"a",  "Z9", " ",  "\t",   "\"", "\\", "\\\\",
                                             "-w", "/q", "%s", "\xe9", ",",  "*?", "-1"};
        std::string value;
        for (size_t n = Pick(6); n > 0; n--)
            value += pieces[Pick(ARRAY_SIZE(pieces))];
        return value;
    }

    /* Where the executable comes from, or a malformed element. */
    void AddTarget(Generated *g)
    {
        static const char *const broken[] = {"x",   "-zz",         "-drk 9", "-d",
                                             "-ea", "/dexe -dexe", "-drk 2", "-d C:\\ -de PATH"};
        switch (Pick(8)) {
        case 0: g->groups.insert(g->groups.end(), {{"-d", root.path}, {"-er", "app.exe"}}); break;
        case 1:
            g->groups.insert(g->groups.end(), {{"-er", "ap?.exe"}, {"-r"}, {"-d", root.path}});
            break;
        case 2: {
            g->valid = false;
            std::string tokens = broken[Pick(ARRAY_SIZE(broken))];
            Elements group;
            for (size_t at = 0, next; at != std::string::npos; at = next) {
                next = tokens.find(' ', at);
                group.push_back(tokens.substr(at, next == std::string::npos ? next : next - at));
                if (next != std::string::npos)
                    next++;
            }
            g->groups.push_back(group);
            break;
        }
        default: g->groups.push_back({"-ea", app});
        }
    }

    void AddNumbered(Generated *g)
    {
        for (size_t n = Pick(7); n > 0; n--) {
            int number = 1 + (int)Pick(40);
            std::string value = Value();
            g->valid = g->valid && !g->numbered.count(number);
            g->numbered[number] = value;
            g->groups.insert(g->groups.begin() + Pick(g->groups.size() + 1),
                             {"-" + std::to_string(number), value});
        }
    }

    Generated Generate()
    {
        Generated g;
        AddTarget(&g);
        g.wait = Pick(4) != 0;
        if (g.wait)
            g.groups.push_back({"-w"});
        AddNumbered(&g);
        g.quiet = Pick(5) == 0;
        if (g.quiet)
            g.groups.insert(g.groups.begin(), {"-q"});
        return g;
    }
};

std::string CommandLineOf(const std::vector<Elements> &groups)
{
    std::string line;
    for (const Elements &group : groups)
        for (const std::string &element : group)
            line += (line.empty() ? "" : " ") + QuoteArgument(element);
    return line;
}

Elements Expected(const std::string &app, const std::map<int, std::string> &numbered)
{
    Elements expected = {app};
    for (const auto &entry : numbered)
        expected.push_back(entry.second);
    return expected;
}

TEST_F(LauncherFuzz, EndsWithAKnownCodeAndPassesEveryArgumentExactly)
{
    for (int round = 0; round < 200; round++) {
        Generated g = Generate();
        std::string line = CommandLineOf(g.groups);
        SCOPED_TRACE("round " + std::to_string(round) + ": " + line);
        DeleteFileA(recordPath.c_str());
        LauncherResult run = RunLauncher(line);
        /* Wine on a loaded machine now and then refuses a start with
         * "Internal error."; a well-formed line gets a second chance. */
        if (g.valid && run.exitCode == 1 && !run.box.text.empty() &&
            run.box.text.find(LauncherPath()) != 0)
            run = RunLauncher(line);
        ASSERT_FALSE(run.timedOut);
        if (run.exitCode == 1) {
            EXPECT_FALSE(g.valid) << run.box.text;
            EXPECT_EQ(!g.quiet, run.box.found) << run.box.text;
            EXPECT_FALSE(ReadRecording(recordPath).present);
            continue;
        }
        EXPECT_FALSE(run.box.found) << run.box.text;
        ASSERT_EQ(g.wait ? CHILD_EXIT : 0u, run.exitCode);
        Recording started = WaitForRecording(recordPath, 5000);
        if (!g.wait) {
            Sleep(100); /* the child may still be writing */
            started = ReadRecording(recordPath);
        }
        ASSERT_TRUE(started.present);
        EXPECT_TRUE(g.valid);
        EXPECT_EQ(Expected(app, g.numbered), started.arguments);
    }
}

} // namespace
