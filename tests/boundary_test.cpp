/*
 * The Java boundary, run against the stand-in VM: conversions both ways,
 * out-parameter stores and the exceptions that describe a failure.
 */
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <string>

#include "alloc.h"
#include "boundary.h"
#include "msjava_standin.h"

static std::wstring UnitsOf(HObject string)
{
    WCHAR buffer[4096];
    int length = StandinStringUnits((HString)string, buffer, ARRAY_SIZE(buffer));
    return length < 0 ? L"<not a String>" : std::wstring(buffer, length);
}

static StandinException TakeException()
{
    StandinException exception = {};
    EXPECT_TRUE(StandinTakeException(&exception)) << "no exception is pending";
    return exception;
}

TEST(AnsiToJavaString, AbsentAndEmptyGiveEmptyString)
{
    HString absent = AnsiToJavaString(NULL);
    HString empty = AnsiToJavaString("");
    ASSERT_TRUE(absent && empty);
    EXPECT_EQ(L"", UnitsOf(absent));
    EXPECT_EQ(L"", UnitsOf(empty));
}

TEST(AnsiToJavaString, LengthCountsCharacters)
{
    /* "Grüße" in the ANSI code page: one byte each, one unit each. */
    HString string = AnsiToJavaString("Gr\xfc\xdf"
                                      "e");
    EXPECT_EQ(L"Gr\u00fc\u00dfe", UnitsOf(string));
}

TEST(JavaStringToAnsi, ConvertsAndRefusesEmptyAndNull)
{
    char *text = NULL;
    ASSERT_EQ(STATUS_OK, JavaStringToAnsi(StandinString(L"C:\\Dir\\f\u00e9.txt"), &text));
    EXPECT_STREQ("C:\\Dir\\f\xe9.txt", text);
    free(text);

    HString refused[] = {StandinString(L""), NULL};
    for (HString string : refused) {
        SetErrorRecord(NULL, NULL, NULL, 0);
        text = NULL;
        EXPECT_EQ(STATUS_APP_ERROR, JavaStringToAnsi(string, &text));
        ASSERT_TRUE(text != NULL) << "the caller frees the text after a failure too";
        EXPECT_STREQ("", text);
        free(text);
        EXPECT_STREQ("Conversion failed", GetErrorText(STATUS_APP_ERROR)->format);
    }
}

static bool AllZero(const char *bytes, size_t size)
{
    for (size_t i = 0; i < size; i++)
        if (bytes[i] != 0)
            return false;
    return true;
}

/* A path entry: 259 characters and the terminator fit.  A refused text
 * leaves no converted byte behind, wherever it stopped (the buffer is
 * marked first to show every byte written). */
TEST(JavaStringToBuffer, AlwaysLeavesATerminatedTextAndNothingOfARefusedOne)
{
    char buffer[MAX_PATH];
    memset(buffer, 0, sizeof(buffer));
    std::wstring fits(MAX_PATH - 1, L'p');
    EXPECT_EQ(STATUS_OK, JavaStringToBuffer(StandinString(fits.c_str()), buffer, sizeof(buffer)));
    EXPECT_EQ(std::string(MAX_PATH - 1, 'p'), buffer);

    const std::wstring refused[] = {std::wstring(MAX_PATH, L'p'), std::wstring(5000, L'p'), L""};
    for (const std::wstring &text : refused) {
        memset(buffer, 'x', sizeof(buffer));
        SetErrorRecord(NULL, NULL, NULL, 0);
        EXPECT_EQ(STATUS_APP_ERROR,
                  JavaStringToBuffer(StandinString(text.c_str()), buffer, sizeof(buffer)))
            << text.size();
        EXPECT_TRUE(AllZero(buffer, sizeof(buffer))) << text.size();
        EXPECT_STREQ("Conversion failed", GetErrorText(STATUS_APP_ERROR)->format);
    }
    EXPECT_EQ(STATUS_APP_ERROR, JavaStringToBuffer(NULL, buffer, sizeof(buffer)));
    EXPECT_TRUE(AllZero(buffer, sizeof(buffer)));
}

TEST(ThrowStatusException, ApplicationErrorCarriesIdMessageAndArguments)
{
    SetErrorRecord("15", "tarex00122", "The chosen or typed name %1 is not a valid path name.", 1,
                   "C:\\a?b");
    ThrowStatusException(STATUS_APP_ERROR);
    StandinException exception = TakeException();
    EXPECT_STREQ("com/zorv/ZORVException", exception.className);
    EXPECT_STREQ("(Ljava/lang/String;Ljava/lang/String;[Ljava/lang/String;)", exception.signature);
    EXPECT_EQ(L"tarex00122", UnitsOf(exception.arguments[0]));
    EXPECT_EQ(L"The chosen or typed name %1 is not a valid path name.",
              UnitsOf(exception.arguments[1]));
    ArrayOfString *arguments = (ArrayOfString *)exception.arguments[2];
    ASSERT_TRUE(arguments != NULL);
    EXPECT_STREQ("[Ljava/lang/String;", StandinClassOf((HObject)arguments));
    ASSERT_EQ(1, arguments->length);
    EXPECT_EQ(L"C:\\a?b", UnitsOf(arguments->body[0]));
}

TEST(ThrowStatusException, EmptyRecordAndUnknownStatus)
{
    SetErrorRecord(NULL, NULL, NULL, 0);
    ThrowStatusException(STATUS_APP_ERROR);
    StandinException exception = TakeException();
    EXPECT_EQ(L"", UnitsOf(exception.arguments[0]));
    EXPECT_EQ(L"No application error.", UnitsOf(exception.arguments[1]));
    EXPECT_TRUE(exception.arguments[2] == NULL);

    ThrowStatusException(STATUS_EMPTY_ARGUMENT);
    exception = TakeException();
    EXPECT_STREQ("com/zorv/ZORVException", exception.className);
    EXPECT_EQ(L"", UnitsOf(exception.arguments[0]));
    EXPECT_EQ(L"", UnitsOf(exception.arguments[1]));
    EXPECT_TRUE(exception.arguments[2] == NULL);
}

TEST(ThrowStatusException, SystemErrorCarriesTheSystemText)
{
    char expected[512];
    DWORD code = ERROR_FILE_NOT_FOUND;
    GetSystemErrorText(&code, expected, sizeof(expected));
    SetLastError(ERROR_FILE_NOT_FOUND);
    ThrowStatusException(STATUS_SYSTEM_ERROR);
    StandinException exception = TakeException();
    std::wstring message = UnitsOf(exception.arguments[1]);
    EXPECT_EQ(std::string(expected), std::string(message.begin(), message.end()));
}

TEST(ThrowStatusException, JavaOutOfMemoryRaisesOutOfMemoryError)
{
    ThrowStatusException(STATUS_JAVA_OUT_OF_MEMORY);
    StandinException exception = TakeException();
    EXPECT_STREQ("java/lang/OutOfMemoryError", exception.className);
    EXPECT_STREQ("", exception.message);
}

TEST(ThrowStatusException, ArgumentsArrayThatCannotBeMadeIsNull)
{
    SetErrorRecord(NULL, "id", "%s", 1, "x");
    StandinFailArraysAfter(0);
    ThrowStatusException(STATUS_APP_ERROR);
    StandinFailArraysAfter(-1);
    StandinException exception = TakeException();
    EXPECT_EQ(L"%s", UnitsOf(exception.arguments[1]));
    EXPECT_TRUE(exception.arguments[2] == NULL);
}

TEST(SetOutString, StoresIntoElementZeroOnly)
{
    ArrayOfString *out = StandinObjectArray("java/lang/String", 2);
    EXPECT_EQ(STATUS_OK, SetOutString(out, "value"));
    EXPECT_EQ(L"value", UnitsOf(out->body[0]));
    EXPECT_TRUE(out->body[1] == NULL);

    ArrayOfString *untouched = StandinObjectArray("java/lang/String", 1);
    EXPECT_EQ(STATUS_OK, SetOutString(untouched, NULL));
    EXPECT_TRUE(untouched->body[0] == NULL);
    EXPECT_EQ(STATUS_OK, SetOutString(NULL, "value"));
}

TEST(StringListToJavaArray, StoresANewArrayOfTheList)
{
    ArrayOfArray *out = StandinObjectArray("[Ljava/lang/String;", 1);
    char first[] = "one", second[] = "two";
    char *list[] = {first, second, NULL};
    ASSERT_EQ(STATUS_OK, StringListToJavaArray(&out->body[0], list));
    ArrayOfString *stored = (ArrayOfString *)out->body[0];
    ASSERT_EQ(2, stored->length);
    EXPECT_EQ(L"one", UnitsOf(stored->body[0]));
    EXPECT_EQ(L"two", UnitsOf(stored->body[1]));

    char *empty[] = {NULL};
    ASSERT_EQ(STATUS_OK, StringListToJavaArray(&out->body[0], empty));
    EXPECT_EQ(0, ((ArrayOfString *)out->body[0])->length);

    HObject slot = (HObject)out;
    EXPECT_EQ(STATUS_OK, StringListToJavaArray(&slot, NULL));
    EXPECT_EQ((HObject)out, slot) << "an absent list stores nothing";

    StandinFailArraysAfter(0);
    EXPECT_EQ(STATUS_JAVA_OUT_OF_MEMORY, StringListToJavaArray(&slot, list));
    StandinFailArraysAfter(-1);
    EXPECT_TRUE(slot == NULL);
}
