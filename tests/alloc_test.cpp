/*
 * The allocator and array growth: zero-filled blocks, failures by errno, and
 * growth that keeps what was there.
 */
#include <gtest/gtest.h>

#include <errno.h>
#include <stdint.h>
#include <stdlib.h>

#include "alloc.h"
#include "error_record.h"

TEST(AllocZeroed, GivesZeroedBlocksAndReportsFailures)
{
    unsigned char *block = NULL;
    ASSERT_EQ(STATUS_OK, AllocZeroed(&block, 16, 4));
    for (int i = 0; i < 64; i++)
        ASSERT_EQ(0, block[i]);
    free(block);

    errno = 0;
    EXPECT_EQ(STATUS_CRT_ERROR, AllocZeroed(NULL, 1, 1));
    EXPECT_EQ(EINVAL, errno);

    void *huge = (void *)1;
    errno = 0;
    EXPECT_EQ(STATUS_CRT_ERROR, AllocZeroed(&huge, (size_t)-1 / 2, 4));
    EXPECT_EQ(ENOMEM, errno);
    EXPECT_TRUE(huge == NULL);
}

TEST(GrowArray, DoublesKeepsTheElementsAndZeroesTheRest)
{
    int *numbers = NULL;
    size_t capacity = 0;
    ASSERT_EQ(STATUS_OK, GrowArray(&numbers, &capacity, 1, sizeof(int), 4));
    EXPECT_EQ(4u, capacity);
    for (int i = 0; i < 4; i++)
        numbers[i] = i + 1;
    ASSERT_EQ(STATUS_OK, GrowArray(&numbers, &capacity, 4, sizeof(int), 4));
    EXPECT_EQ(4u, capacity) << "room enough: nothing moves";
    ASSERT_EQ(STATUS_OK, GrowArray(&numbers, &capacity, 9, sizeof(int), 4));
    EXPECT_EQ(16u, capacity);
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(i < 4 ? i + 1 : 0, numbers[i]) << i;
    free(numbers);
}

TEST(GrowArray, AFailureLeavesTheArrayAsItWas)
{
    char *bytes = NULL;
    size_t capacity = 0;
    ASSERT_EQ(STATUS_OK, GrowArray(&bytes, &capacity, 3, 1, 8));
    bytes[0] = 'k';
    char *before = bytes;
    errno = 0;
    EXPECT_EQ(STATUS_CRT_ERROR, GrowArray(&bytes, &capacity, SIZE_MAX / 2 + 2, 1, 8));
    EXPECT_EQ(ENOMEM, errno);
    EXPECT_EQ(before, bytes);
    EXPECT_EQ(8u, capacity);
    EXPECT_EQ('k', bytes[0]);
    errno = 0;
    const size_t root = (size_t)1 << (sizeof(size_t) * 4); /* root * root wraps to 0 */
    EXPECT_EQ(STATUS_CRT_ERROR, GrowArray(&bytes, &capacity, root, root, 8));
    EXPECT_EQ(ENOMEM, errno) << "count times size overflows";
    EXPECT_EQ(before, bytes);
    free(bytes);
}
