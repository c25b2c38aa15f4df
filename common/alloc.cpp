/*
 * The allocator under every unit.  Growth goes through it as well, so every
 * block of the library is zero-filled where nothing was written yet.
 */
#include "alloc.h"

#include "error_record.h"

#include <errno.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

int AllocZeroed(void *out, size_t count, size_t size)
{
    if (!out) {
        errno = EINVAL;
        return STATUS_CRT_ERROR;
    }
    void *block = calloc(count, size);
    *(void **)out = block;
    if (!block) {
        errno = ENOMEM;
        return STATUS_CRT_ERROR;
    }
    return STATUS_OK;
}

/* The next capacity that holds needed, or 0 when it would overflow. */
static size_t DoubledCapacity(size_t capacity, size_t needed, size_t elementSize,
                              size_t firstCapacity)
{
    size_t grown = capacity ? capacity : (firstCapacity ? firstCapacity : 1);
    while (grown < needed) {
        if (grown > SIZE_MAX / 2)
            return 0;
        grown *= 2;
    }
    return grown > SIZE_MAX / elementSize ? 0 : grown;
}

int GrowArray(void *block, size_t *capacity, size_t needed, size_t elementSize,
              size_t firstCapacity)
{
    if (!block || !capacity || elementSize == 0) {
        errno = EINVAL;
        return STATUS_CRT_ERROR;
    }
    if (needed <= *capacity)
        return STATUS_OK;
    size_t grown = DoubledCapacity(*capacity, needed, elementSize, firstCapacity);
    if (grown == 0) {
        errno = ENOMEM;
        return STATUS_CRT_ERROR;
    }
    void *fresh = NULL;
    int status = AllocZeroed(&fresh, grown, elementSize);
    if (status == STATUS_OK) {
        void **old = (void **)block;
        if (*old)
            memcpy(fresh, *old, *capacity * elementSize);
        free(*old);
        *old = fresh;
        *capacity = grown;
    }
    return status;
}
