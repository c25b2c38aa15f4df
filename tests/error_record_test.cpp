#include <gtest/gtest.h>
#include "error_record.h"
TEST(ErrorRecord, Placeholder) { EXPECT_EQ(STATUS_OK, SetErrorRecord(0,0,0,0)); }
