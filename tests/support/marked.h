/*
 * A writable text with a marker behind it, for tests of in-place edits.
 */
#pragma once

#include <string.h>

/* A writable copy of text whose spare bytes hold a marker, so a test sees
 * any write past the room an edit was promised. */
struct Marked {
    char bytes[64];
    explicit Marked(const char *text)
    {
        memset(bytes, 'Z', sizeof(bytes));
        memcpy(bytes, text, strlen(text) + 1);
    }
    bool MarkerFrom(size_t offset) const
    {
        return strspn(bytes + offset, "Z") >= sizeof(bytes) - offset;
    }
};
