/*
 * The error record, the text steps and the error box as a user sees it.
 */
#include <gtest/gtest.h>

#include <errno.h>
#include <string.h>
#include <string>

#include "alloc.h"
#include "error_record.h"
#include "gui.h"

/* Shows status through ShowErrorRecord and reads the real box back. */
static ShownBox ShowAndRead(int status)
{
    BoxWatcher watcher;
    StartBoxWatcher(&watcher, 10000);
    EXPECT_EQ(0, ShowErrorRecord(status));
    return FinishBoxWatcher(&watcher);
}

/* AppFailure is SetErrorRecord without number and identifier that hands
 * back the status; only five arguments are kept, whatever the count says. */
TEST(ErrorRecord, AppFailureRecordsAndReturnsTheApplicationStatus)
{
    EXPECT_EQ(STATUS_APP_ERROR, AppFailure("%s and %s", 7, "a", "b", "c", "d", "e", "f", "g"));
    const ErrorRecord *text = GetErrorText(STATUS_APP_ERROR);
    ASSERT_TRUE(text != NULL);
    EXPECT_STREQ("", text->errorNumber);
    EXPECT_STREQ("%s and %s", text->format);
    EXPECT_EQ(7, text->argumentCount);
    EXPECT_EQ(5, RecordArgumentCount(text));
    EXPECT_STREQ("e", text->arguments[4]);
    ErrorRecord negative = {};
    negative.argumentCount = -3;
    EXPECT_EQ(0, RecordArgumentCount(&negative));
}

/* A step that has told the user in a box of its own is not followed by a
 * second, empty one. */
TEST(ErrorRecord, NothingIsShownAfterABoxOfItsOwn)
{
    AppFailure("stale text", 0);
    BoxWatcher watcher;
    StartBoxWatcher(&watcher, 1500);
    EXPECT_EQ(0, ShowErrorRecord(STATUS_MESSAGE_SHOWN));
    ShownBox box = FinishBoxWatcher(&watcher);
    EXPECT_FALSE(box.found) << box.text;
}

TEST(ErrorRecord, EmptyRecordReadsAsNoApplicationError)
{
    SetErrorRecord(NULL, NULL, NULL, 0);
    const ErrorRecord *text = GetErrorText(STATUS_APP_ERROR);
    ASSERT_TRUE(text != NULL);
    EXPECT_STREQ("No application error.", text->format);
    EXPECT_EQ(0, text->argumentCount);

    ShownBox box = ShowAndRead(STATUS_APP_ERROR);
    ASSERT_TRUE(box.found);
    EXPECT_EQ("No application error.", box.text);
    EXPECT_EQ("Error", box.caption);
}

TEST(ErrorRecord, FieldsAreCutToTheirSize)
{
    std::string number(30, '7');
    std::string id(25, 'i');
    std::string format(3000, 'f');
    std::string argument(2000, 'a');
    SetErrorRecord(number.c_str(), id.c_str(), format.c_str(), 7, argument.c_str(), NULL, "3", "4",
                   "5", "6", "7");
    const ErrorRecord *text = GetErrorText(STATUS_APP_ERROR);
    ASSERT_TRUE(text != NULL);
    EXPECT_EQ(number.substr(0, 19), text->errorNumber);
    EXPECT_EQ(id.substr(0, 19), text->messageId);
    EXPECT_EQ(format.substr(0, 2559), text->format);
    EXPECT_EQ(7, text->argumentCount);
    EXPECT_EQ(argument.substr(0, 1023), text->arguments[0]);
    EXPECT_STREQ("", text->arguments[1]);
    EXPECT_STREQ("5", text->arguments[4]);
}

TEST(ErrorRecord, SetReplacesTheWholeRecord)
{
    SetErrorRecord("1", "id", "first %s", 1, "x");
    SetErrorRecord(NULL, NULL, "second", 0);
    const ErrorRecord *text = GetErrorText(STATUS_APP_ERROR);
    EXPECT_STREQ("", text->errorNumber);
    EXPECT_STREQ("", text->messageId);
    EXPECT_EQ(0, text->argumentCount);
    EXPECT_STREQ("", text->arguments[0]);
}

TEST(ErrorRecord, BoxShowsFormattedTextOrFormatAsStored)
{
    SetErrorRecord(NULL, NULL, "%s: Unknown switch \"%s\".", 2, "C:\\bin\\Vantrelc.exe", "-x");
    EXPECT_EQ("C:\\bin\\Vantrelc.exe: Unknown switch \"-x\".", ShowAndRead(STATUS_APP_ERROR).text);

    /* Formatting stops at 1024 characters; a long text with one directive
     * comes out shorter than it stands, so it is shown as stored. */
    std::string longText = "%s" + std::string(2998, 'u');
    SetErrorRecord(NULL, NULL, longText.c_str(), 1, "path");
    EXPECT_EQ(longText.substr(0, 2559), ShowAndRead(STATUS_APP_ERROR).text);

    /* Only the five stored arguments take part. */
    SetErrorRecord(NULL, NULL, "%s%s%s%s%s", 7, "aa", "bb", "cc", "dd", "ee", "ff", "gg");
    EXPECT_EQ("aabbccddee", ShowAndRead(STATUS_APP_ERROR).text);

    /* A formatted text shorter than its format is shown unformatted. */
    SetErrorRecord(NULL, NULL, "[%s]", 1, "");
    EXPECT_EQ("[%s]", ShowAndRead(STATUS_APP_ERROR).text);

    /* Without arguments a % is shown as it is. */
    SetErrorRecord(NULL, NULL, "100% done", 0);
    EXPECT_EQ("100% done", ShowAndRead(STATUS_APP_ERROR).text);
}

TEST(ErrorRecord, StatusOkShowsAnEmptyBox)
{
    const ErrorRecord *text = GetErrorText(STATUS_OK);
    ASSERT_TRUE(text != NULL);
    EXPECT_STREQ("", text->format);
    ShownBox box = ShowAndRead(STATUS_OK);
    EXPECT_TRUE(box.found);
    EXPECT_EQ("", box.text);
}

TEST(ErrorRecord, SystemTextConsumesTheLastError)
{
    SetLastError(ERROR_FILE_NOT_FOUND);
    const ErrorRecord *text = GetErrorText(STATUS_SYSTEM_ERROR);
    ASSERT_TRUE(text != NULL);
    std::string first = text->format;
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(std::string::npos, first.find_first_of("\r\n")) << first;
    EXPECT_EQ(0u, GetLastError());

    char success[512];
    DWORD zero = 0;
    ASSERT_EQ(0, GetSystemErrorText(&zero, success, sizeof(success)));
    EXPECT_STREQ(success, GetErrorText(STATUS_SYSTEM_ERROR)->format);
    EXPECT_NE(first, success);
}

TEST(ErrorRecord, SystemTextsFitOneLine)
{
    for (DWORD code : {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND, ERROR_INVALID_PARAMETER}) {
        char text[512];
        ASSERT_EQ(0, GetSystemErrorText(&code, text, sizeof(text)));
        EXPECT_STRNE("", text) << code;
        EXPECT_EQ(NULL, strpbrk(text, "\r\n")) << code << ": " << text;
        EXPECT_EQ(NULL, strstr(text, "Cannot obtain")) << code << ": " << text;
    }
}

TEST(ErrorRecord, UnknownCodesGetTheFallbackText)
{
    char text[512];
    DWORD code = 0x2BADF00D;
    ASSERT_EQ(0, GetSystemErrorText(&code, text, sizeof(text)));
    EXPECT_STREQ("Cannot obtain a windows system error string \n"
                 "for the thread's last error code value 732819469.",
                 text);

    SetStoredSysError((int)code);
    EXPECT_STREQ("Cannot obtain a windows system error string"
                 "for the last error code value 732819469.",
                 GetErrorText(STATUS_STORED_ERROR)->format);
    EXPECT_EQ(0, GetStoredSysError());
}

TEST(ErrorRecord, CrtTextConsumesErrno)
{
    errno = ENOENT;
    EXPECT_STREQ(strerror(ENOENT), GetErrorText(STATUS_CRT_ERROR)->format);
    EXPECT_EQ(0, errno);
}

TEST(ErrorRecord, TextStepsRefuseUnusableArguments)
{
    char buffer[16];
    memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(1, GetSystemErrorText((const DWORD *)1, buffer, sizeof(buffer)));
    EXPECT_EQ(1, GetCrtErrorText(NULL, NULL, 10));
    EXPECT_EQ('x', buffer[0]);

    /* A text longer than the buffer is cut and terminated, never overrun. */
    char small[8];
    memset(small, 'x', sizeof(small));
    int code = ENOENT;
    EXPECT_EQ(0, GetCrtErrorText(&code, small, 5));
    EXPECT_EQ('\0', small[4]);
    EXPECT_EQ('x', small[5]);
}

TEST(ErrorRecord, StoredCodeIsKeptUntilRead)
{
    EXPECT_EQ(5, SetStoredSysError(5));
    EXPECT_EQ(5, GetStoredSysError());
    char text[512];
    int other = 2;
    ASSERT_EQ(0, GetStoredErrorText(&other, text, sizeof(text)));
    EXPECT_EQ(5, GetStoredSysError()) << "a given code leaves the stored one alone";
}

TEST(ErrorBoxes, ShowTheirTextWithTheCaptionGiven)
{
    BoxWatcher watcher;
    StartBoxWatcher(&watcher, 10000);
    EXPECT_EQ(0, ShowErrorBox(NULL, "plain text", "Caption"));
    ShownBox box = FinishBoxWatcher(&watcher);
    EXPECT_EQ("plain text", box.text);
    EXPECT_EQ("Caption", box.caption);

    char expected[512];
    DWORD code = ERROR_PATH_NOT_FOUND;
    GetSystemErrorText(&code, expected, sizeof(expected));
    StartBoxWatcher(&watcher, 10000);
    EXPECT_EQ(0, ShowSystemErrorBox(&code, NULL, NULL));
    EXPECT_EQ(expected, FinishBoxWatcher(&watcher).text);
}
