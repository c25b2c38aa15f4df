/*
 * What this process holds, counted so that a leak shows as growth between
 * two snapshots: kernel handles, GDI and USER objects, blocks of the C
 * run-time's heap and of the process heap, and the stand-in VM's objects.
 *
 * Wine 8 answers GetProcessHandleCount and GetGuiResources with 0, so
 * each has a count of our own beside it: the process's entries in the
 * system's handle list, and objects found by probing every handle index
 * (Wine accepts a GDI or USER handle without its generation bits).  On
 * Windows the probes find nothing and the system's counts serve.
 */
#pragma once

#include <windows.h>
#include <stddef.h>
#include <string>

struct ResourceCounts {
    DWORD handles;      /* GetProcessHandleCount */
    long listedHandles; /* this process's entries in the handle list */
    DWORD gdiObjects;   /* GetGuiResources */
    DWORD userObjects;
    long probedGdiObjects; /* GDI handle indices that name an object */
    long probedWindows;    /* windows of this process, message-only ones too */
    long probedMenus;
    long crtHeapBlocks;     /* blocks in use in the C run-time's heap */
    long processHeapBlocks; /* blocks in use in the process heap */
    long vmObjects;         /* the stand-in VM's objects after a collection */
};

/* Collects the stand-in VM's unreachable objects (the caller keeps none
 * across the snapshot), then counts. */
void TakeResourceCounts(ResourceCounts *counts);

/* Each count that grew from before to after, as "name: before -> after"
 * lines; empty when nothing grew.  The GDI objects and the process heap
 * may grow by cacheSlack: they also hold caches the system fills with its
 * windows' timing (visible regions, window surfaces, the shell's icons). */
std::string DescribeGrowth(const ResourceCounts &before, const ResourceCounts &after,
                           long cacheSlack);

/* Blocks in use in the C run-time's heap. */
long UsedCrtHeapBlocks(void);
