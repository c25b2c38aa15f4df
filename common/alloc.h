/*
 * The library's one allocator, and the growth of an array allocated with
 * it.  Every block it hands out is zero-filled; the receiver frees it with
 * free().
 */
#pragma once

#include <stddef.h>

/* The number of elements of an array (not of a pointer). */
#define ARRAY_SIZE(array) (sizeof(array) / sizeof((array)[0]))

/* Needs out (a pointer to the caller's pointer).  *out receives count * size
 * zero bytes from calloc, which the receiver frees with free().  Null out:
 * STATUS_CRT_ERROR, errno EINVAL.  Refused: STATUS_CRT_ERROR, errno ENOMEM,
 * *out null. */
int AllocZeroed(void *out, size_t count, size_t size);

/* Needs block (a pointer to the caller's array pointer, null while the array
 * is empty) and capacity (its element count).  Makes room for at least
 * needed elements of elementSize bytes by doubling from firstCapacity: the
 * old elements are kept, the new ones are zero, the old block is freed.  On
 * failure (STATUS_CRT_ERROR, errno ENOMEM) the array is left as it was. */
int GrowArray(void *block, size_t *capacity, size_t needed, size_t elementSize,
              size_t firstCapacity);
