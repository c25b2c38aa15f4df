/*
 * The string layer: trims and white-space tests, the trimmed comparisons at
 * every buffer tier, the allocating builders and the list walk.
 */
#include <gtest/gtest.h>

#include "error_record.h"
#include "marked.h"
#include "strings.h"

#include <mbctype.h>
#include <stdlib.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

namespace {

TEST(Trim, EditsInPlace)
{
    struct Case {
        const char *text, *leading, *trailing, *both;
    };
    const Case cases[] = {
        {"  ab  ", "ab  ", "  ab", "ab"},
        {"\t ab \t", "ab \t", "\t ab", "ab"},
        {"   ", "", "", ""},
        {"\x0B\x0C\r\na b", "a b", "\x0B\x0C\r\na b", "a b"},
        {"\xA0"
         "ab"
         "\xA0",
         "\xA0"
         "ab"
         "\xA0",
         "\xA0"
         "ab"
         "\xA0",
         "\xA0"
         "ab"
         "\xA0"},
    };
    for (const Case &c : cases) {
        Marked leading(c.text), trailing(c.text), both(c.text);
        EXPECT_STREQ(c.leading, TrimLeadingBlanks(leading.bytes));
        EXPECT_STREQ(c.trailing, TrimTrailingBlanks(trailing.bytes));
        EXPECT_EQ(both.bytes, TrimBlanks(both.bytes));
        EXPECT_STREQ(c.both, both.bytes);
        EXPECT_TRUE(both.MarkerFrom(strlen(c.text) + 1)) << c.text;
    }
    EXPECT_STREQ("", TrimBlanks(NULL));
}

TEST(BlankTests, AnswerForEachShapeOfText)
{
    struct Case {
        const char *text;
        int noOuter, blank, contains, inner;
        uint32_t length;
    };
    const Case cases[] = {
        {NULL, 1, 1, 0, 0, 0},        {"", 1, 1, 0, 0, 0},      {"   ", 0, 1, 1, 0, 0},
        {"  ab  ", 0, 0, 1, 0, 2},    {" a b ", 0, 0, 1, 1, 3}, {"a\tb", 1, 0, 1, 1, 3},
        {"\xA0x\xA0", 1, 0, 0, 0, 3},
    };
    for (const Case &c : cases) {
        const char *name = c.text ? c.text : "(null)";
        EXPECT_EQ(c.noOuter, HasNoOuterBlanks(c.text)) << name;
        EXPECT_EQ(c.blank, IsBlankString(c.text)) << name;
        EXPECT_EQ(c.contains, ContainsBlank(c.text)) << name;
        EXPECT_EQ(c.inner, ContainsInnerBlank(c.text)) << name;
        EXPECT_EQ(c.length, TrimmedLength(c.text)) << name;
    }
}

/* Copy mode gets the literals themselves, which are read-only: a write
 * would fault.  In place gets writable copies that must come back whole. */
TEST(CompareTrimmed, OrdersInBothModesAndLeavesTheTextsAlone)
{
    struct Case {
        const char *first, *second;
        int mode;
        uint32_t byteCount;
        int order;
    };
    const Case cases[] = {
        {NULL, NULL, COMPARE_CASE, 0, ORDER_EQUAL},
        {NULL, "   ", COMPARE_CASE, 0, ORDER_LESS},
        {"   ", NULL, COMPARE_CASE, 0, ORDER_GREATER},
        {"", "   ", COMPARE_CASE, 0, ORDER_EQUAL},
        {"a", " \t", COMPARE_CASE, 0, ORDER_GREATER},
        {"  abc", "abc   ", COMPARE_CASE, 0, ORDER_EQUAL},
        {"abc", "ab", COMPARE_CASE, 0, ORDER_GREATER},
        {"a b", "a  b", COMPARE_CASE, 0, ORDER_GREATER},
        {"ABC", " abc ", COMPARE_NOCASE, 0, ORDER_EQUAL},
        {"abcX", "abcY", COMPARE_N_BYTES, 3, ORDER_EQUAL},
        {"ab  ", "ab  x", COMPARE_N_BYTES, 4, ORDER_LESS},
        {"ABCx", "abcY", COMPARE_N_BYTES_NOCASE, 4, ORDER_LESS},
        {"b", " a ", COMPARE_COLLATE, 0, ORDER_GREATER},
    };
    for (const Case &c : cases) {
        int order = -1;
        EXPECT_EQ(STATUS_OK, CompareTrimmed(c.first, c.second, c.byteCount, 1, &order, c.mode));
        EXPECT_EQ(c.order, order) << '"' << c.first << "\" \"" << c.second << '"';

        std::string first = c.first ? c.first : "", second = c.second ? c.second : "";
        order = -1;
        EXPECT_EQ(STATUS_OK,
                  CompareTrimmed(c.first ? &first[0] : NULL, c.second ? &second[0] : NULL,
                                 c.byteCount, 0, &order, c.mode));
        EXPECT_EQ(c.order, order) << '"' << c.first << "\" \"" << c.second << "\" in place";
        EXPECT_EQ(c.first ? c.first : "", first);
        EXPECT_EQ(c.second ? c.second : "", second);
    }
}

TEST(CompareTrimmed, InPlaceRestoresOneBufferPassedTwice)
{
    char text[] = "  ab cd \t ";
    int order = -1;
    EXPECT_EQ(STATUS_OK, CompareStrings(text, text + 5, 0, &order));
    EXPECT_EQ(ORDER_LESS, order);
    EXPECT_STREQ("  ab cd \t ", text);
}

TEST(CompareTrimmed, CopyModeKeepsEveryByteAtTheBufferTiers)
{
    for (size_t length : {99, 100, 999, 1000, 4999, 5000, 12000}) {
        std::string low(length, 'a'), high = low, padded = low, shorter(length / 2, 'a');
        high.back() = 'b';
        padded.back() = ' ';
        struct Pair {
            const std::string &first, &second;
            int order;
        };
        const Pair pairs[] = {
            {low, high, ORDER_LESS},
            {high, low, ORDER_GREATER},
            {padded, low.substr(1), ORDER_EQUAL},
            {shorter, low, ORDER_LESS},
            {low, shorter, ORDER_GREATER},
        };
        for (const Pair &p : pairs) {
            int order = -1;
            EXPECT_EQ(STATUS_OK, CompareStrings(p.first.c_str(), p.second.c_str(), 1, &order));
            EXPECT_EQ(p.order, order) << p.first.size() << " and " << p.second.size() << " bytes";
        }
    }
}

TEST(Builders, DupConcatAndAppend)
{
    struct Case {
        const char *first, *second, *joined;
    };
    const Case cases[] = {{NULL, "x", "x"}, {"x", NULL, "x"}, {"ab", "cd", "abcd"}};
    for (const Case &c : cases) {
        char *out = NULL;
        ASSERT_EQ(STATUS_OK, ConcatAlloc(c.first, c.second, &out));
        EXPECT_STREQ(c.joined, out);
        free(out);
    }
    char *text = NULL;
    ASSERT_EQ(STATUS_OK, DupString(&text, "x"));
    ASSERT_EQ(STATUS_OK, AppendStrings(&text, 3, "a", (const char *)NULL, "b"));
    EXPECT_STREQ("xab", text);
    char *before = text;
    EXPECT_EQ(STATUS_OK, AppendStrings(&text, 0));
    EXPECT_EQ(before, text);
    free(text);
}

TEST(BadArguments, RefusedWithInvalidParameterAndOutputsKept)
{
    int order = 77;
    char *out = NULL;
    const std::function<int()> calls[] = {
        [&] { return CompareTrimmed("a", "b", 0, 1, &order, -1); },
        [&] { return CompareTrimmed("a", "b", 0, 1, &order, 5); },
        [&] { return CompareTrimmed("a", "b", 0, 1, NULL, COMPARE_CASE); },
        [&] { return ConcatAlloc(NULL, NULL, &out); },
        [&] { return DupString(&out, NULL); },
        [&] { return DupString(NULL, "a"); },
        [&] { return AppendStrings(NULL, 1, "a"); },
    };
    int i = 0;
    for (const auto &call : calls) {
        SetLastError(0xdeadbeef);
        EXPECT_EQ(STATUS_SYSTEM_ERROR, call()) << "call " << i;
        EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError()) << "call " << i++;
    }
    EXPECT_EQ(77, order);
    EXPECT_EQ(NULL, out);
}

/* Walks list as a caller does, until rest is null. */
std::vector<std::string> WalkList(const char *prefix, const char *list, const char *separators)
{
    std::vector<std::string> items;
    const char *rest = list;
    do {
        char *item = NULL;
        EXPECT_EQ(STATUS_OK, TakeListItem(prefix, rest, separators, &item, &rest));
        items.push_back(item ? item : "(null)");
        free(item);
    } while (rest && items.size() < 10);
    return items;
}

TEST(TakeListItem, WalksEveryItemWithThePrefix)
{
    typedef std::vector<std::string> Items;
    EXPECT_EQ((Items{"p:a", "p:b"}), WalkList("p:", "a,b", ","));
    EXPECT_EQ((Items{"p:a", "p:"}), WalkList("p:", "a,", ","));
    EXPECT_EQ((Items{"p:", "p: a"}), WalkList("p:", ", a", ","));
    EXPECT_EQ((Items{"p:"}), WalkList("p:", "", ","));
    EXPECT_EQ((Items{"a", "", "b", "c"}), WalkList(NULL, "a;;b,c", ";,"));
    EXPECT_EQ((Items{"p:a,b"}), WalkList("p:", "a,b", NULL));
    EXPECT_EQ((Items{"p:"}), WalkList("p:", NULL, ","));
    EXPECT_EQ((Items{"(null)"}), WalkList(NULL, NULL, ","));

    const char list[] = "ab,cd";
    const char *rest = NULL;
    EXPECT_EQ(STATUS_OK, TakeListItem("p", list, ",", NULL, &rest));
    EXPECT_EQ(list + 3, rest);
}

} // namespace
