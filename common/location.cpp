/*
 * Where files lie.  The launcher asks whether a path is a directory or can
 * be opened, what string a registry value holds, where a file matching a
 * wildcard lies in a directory tree and where the system search path finds
 * a file.  The tree search walks by changing the process's current
 * directory, so it is not reentrant; it keeps its depth in process-wide
 * state and ends in the directory it started from.  It enters a directory
 * that a link leads back to only once, and reads directory identities for
 * that only where a cycle can form, for reading one costs about as much as
 * listing the directory.
 */
#include "location.h"

#include "alloc.h"
#include "error_record.h"
#include "paths.h"
#include "strings.h"

#include <stdlib.h>
#include <string.h>

/* Nesting level of the running tree search; 0 between searches. */
static int g_searchDepth;

static const char NOT_A_STRING[] = "Registry data type must be string.";

/* Access 0 with backup semantics: directories open too, and nothing is
 * asked of the file's own permissions. */
HANDLE OpenForQuery(const char *path)
{
    return CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, NULL);
}

int IsExistingDirectory(const char *path, int *isDirectory)
{
    if (!path || !isDirectory)
        return InvalidParameterStatus();
    DWORD attributes = GetFileAttributesA(path);
    /* A missing path is an answer here, not a failure. */
    if (attributes == INVALID_FILE_ATTRIBUTES)
        SetLastError(0);
    *isDirectory = attributes != INVALID_FILE_ATTRIBUTES &&
                   (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return STATUS_OK;
}

int CanOpenPath(const char *path, int *opened)
{
    if (!path || !opened)
        return InvalidParameterStatus();
    HANDLE handle = OpenForQuery(path);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        *opened = 1;
        return STATUS_OK;
    }
    /* Windows 95 and 98 cannot open a directory and say so this way. */
    if (GetLastError() != ERROR_INVALID_FUNCTION)
        return STATUS_SYSTEM_ERROR;
    *opened = 0;
    return STATUS_OK;
}

/* With missingIsEmpty a registry failure only means there is no string. */
static int RegistryFailure(LONG result, int missingIsEmpty)
{
    return missingIsEmpty ? STATUS_OK : StoredFailure((int)result);
}

static int RegistryOutcome(LONG result, DWORD type, int missingIsEmpty)
{
    if (result != ERROR_SUCCESS)
        return RegistryFailure(result, missingIsEmpty);
    /* REG_EXPAND_SZ too: its text is not a usable path before expansion. */
    if (type != REG_SZ && !missingIsEmpty)
        return AppFailure(NOT_A_STRING, 0);
    return STATUS_OK;
}

static int QueryStringValue(HKEY key, const char *valueName, int missingIsEmpty, char **value)
{
    DWORD type = REG_NONE;
    DWORD size = 0;
    char *text = NULL;
    int status = STATUS_OK;
    LONG result = RegQueryValueExA(key, valueName, NULL, &type, NULL, &size);
    if (result == ERROR_SUCCESS && type == REG_SZ) {
        /* One spare byte: a string stored without its NUL still gets one. */
        status = AllocZeroed(&text, (size_t)size + 1, 1);
        if (status == STATUS_OK)
            result = RegQueryValueExA(key, valueName, NULL, &type, (BYTE *)text, &size);
    }
    if (status == STATUS_OK)
        status = RegistryOutcome(result, type, missingIsEmpty);
    if (status == STATUS_OK && result == ERROR_SUCCESS && type == REG_SZ) {
        *value = text;
        text = NULL;
    }
    free(text);
    return status;
}

int ReadRegistryString(HKEY root, const char *subkey, const char *valueName, int missingIsEmpty,
                       char **value)
{
    if (!subkey || !value)
        return InvalidParameterStatus();
    *value = NULL;
    HKEY key = NULL;
    LONG result = RegOpenKeyExA(root, subkey, 0, KEY_QUERY_VALUE, &key);
    if (result != ERROR_SUCCESS)
        return RegistryFailure(result, missingIsEmpty);
    int status = QueryStringValue(key, valueName, missingIsEmpty, value);
    RegCloseKey(key);
    return status;
}

/* A Win32 text answer: 0 for a failure (the last error says why), the
 * length when the text fit, or the size it needs, NUL included, when it did
 * not. */
typedef DWORD (*TextFiller)(char *buffer, DWORD size, void *context);

/* Grows the buffer until the whole text fits; a text is never cut. */
static int AllocFilledText(TextFiller fill, void *context, char **text)
{
    char *buffer = NULL;
    DWORD size = MAX_PATH;
    int status = STATUS_OK;
    int fits = 0;
    while (status == STATUS_OK && !fits) {
        free(buffer);
        status = AllocZeroed(&buffer, size, 1);
        if (status == STATUS_OK) {
            DWORD answer = fill(buffer, size, context);
            if (answer == 0)
                status = STATUS_SYSTEM_ERROR;
            else if (answer < size)
                fits = 1;
            else /* never the same size twice, whatever the answer */
                size = answer > size ? answer : size + MAX_PATH;
        }
    }
    if (status == STATUS_OK)
        *text = buffer;
    else
        free(buffer);
    return status;
}

static DWORD FillCurrentDirectory(char *buffer, DWORD size, void *)
{
    return GetCurrentDirectoryA(size, buffer);
}

int GetCurrentDirectoryCopy(char **out)
{
    if (!out)
        return InvalidParameterStatus();
    *out = NULL;
    return AllocFilledText(FillCurrentDirectory, NULL, out);
}

int ChangeDirectory(const char *path, char **newCurrent)
{
    if (!path)
        return InvalidParameterStatus();
    if (newCurrent)
        *newCurrent = NULL;
    int status = SetCurrentDirectoryA(path) ? STATUS_OK : STATUS_SYSTEM_ERROR;
    if (status == STATUS_OK && newCurrent)
        status = GetCurrentDirectoryCopy(newCurrent);
    return status;
}

struct PathSearch {
    const char *pathList;
    const char *fileName;
    const char *extension;
    char *filePart; /* into the buffer of the last call */
};

static DWORD FillSearchResult(char *buffer, DWORD size, void *context)
{
    PathSearch *search = (PathSearch *)context;
    return SearchPathA(search->pathList, search->fileName, search->extension, size, buffer,
                       &search->filePart);
}

int SearchSystemPath(const char *pathList, const char *fileName, const char *extension,
                     char **fullPath, char **filePart)
{
    if (!fileName)
        return InvalidParameterStatus();
    if (fullPath)
        *fullPath = NULL;
    if (filePart)
        *filePart = NULL;
    if (!fullPath && !filePart)
        return STATUS_OK;
    PathSearch search = {pathList, fileName, extension, NULL};
    char *found = NULL;
    int status = AllocFilledText(FillSearchResult, &search, &found);
    if (status == STATUS_OK && filePart)
        status = DupString(filePart, search.filePart ? search.filePart : "");
    if (status == STATUS_OK && fullPath) {
        *fullPath = found;
        found = NULL;
    }
    free(found);
    return status;
}

/* Listing the current directory.  A pattern that matches nothing gives an
 * empty listing, not a failure. */
static int StartListing(const char *pattern, WIN32_FIND_DATAA *entry, HANDLE *listing, int *more)
{
    *listing = FindFirstFileA(pattern, entry);
    *more = *listing != INVALID_HANDLE_VALUE;
    return *more || GetLastError() == ERROR_FILE_NOT_FOUND ? STATUS_OK : STATUS_SYSTEM_ERROR;
}

static int NextEntry(HANDLE listing, WIN32_FIND_DATAA *entry, int *more)
{
    *more = FindNextFileA(listing, entry) != 0;
    return *more || GetLastError() == ERROR_NO_MORE_FILES ? STATUS_OK : STATUS_SYSTEM_ERROR;
}

static void CloseListing(HANDLE listing)
{
    if (listing != INVALID_HANDLE_VALUE)
        FindClose(listing);
}

static int IsDotEntry(const char *name)
{
    return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

static int AttributesMatch(DWORD attributes, const DWORD *mask, int mode)
{
    if (!mask)
        return 1;
    switch (mode) {
    case MATCH_EXACT: return attributes == *mask;
    case MATCH_ANY: return (attributes & *mask) != 0;
    case MATCH_NONE: return (attributes & *mask) == 0;
    default: return 0;
    }
}

static int EntryMatches(const WIN32_FIND_DATAA *entry, const DWORD *mask, int mode)
{
    return !IsDotEntry(entry->cFileName) && AttributesMatch(entry->dwFileAttributes, mask, mode);
}

/* The current directory, a separator unless it ends in one, then name. */
static int PathInCurrentDirectory(const char *name, char **path)
{
    char *current = NULL;
    int status = GetCurrentDirectoryCopy(&current);
    if (status == STATUS_OK)
        status = JoinPathAlloc(current, name, path);
    free(current);
    return status;
}

/* All the wanted outputs or, on a failure, none. */
static int DescribeMatch(const WIN32_FIND_DATAA *entry, char **fullPath, char **fileName,
                         DWORD *attributes, int *found)
{
    char *name = NULL;
    char *path = NULL;
    int status = fileName ? DupString(&name, entry->cFileName) : STATUS_OK;
    if (status == STATUS_OK && fullPath)
        status = PathInCurrentDirectory(entry->cFileName, &path);
    if (status == STATUS_OK) {
        if (fileName)
            *fileName = name;
        if (fullPath)
            *fullPath = path;
        if (attributes)
            *attributes = entry->dwFileAttributes;
        if (found)
            *found = 1;
    } else {
        free(name);
        free(path);
    }
    return status;
}

int FindFileInCurrentDirectory(const char *directory, const char *pattern, const DWORD *mask,
                               int mode, char **fullPath, char **fileName, DWORD *attributes,
                               int *found)
{
    if (!directory || !pattern)
        return InvalidParameterStatus();
    if (fullPath)
        *fullPath = NULL;
    if (fileName)
        *fileName = NULL;
    if (found)
        *found = 0;
    WIN32_FIND_DATAA entry;
    HANDLE listing = INVALID_HANDLE_VALUE;
    int more = 0;
    int matched = 0;
    int status = StartListing(pattern, &entry, &listing, &more);
    while (status == STATUS_OK && more && !matched) {
        matched = EntryMatches(&entry, mask, mode);
        if (!matched)
            status = NextEntry(listing, &entry, &more);
    }
    if (status == STATUS_OK && matched)
        status = DescribeMatch(&entry, fullPath, fileName, attributes, found);
    CloseListing(listing);
    return status;
}

/* A directory as the file system knows it, whatever path led there.  An
 * index of 0 never identifies one, so it marks a free slot. */
struct DirectoryIdentity {
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
};

/* The directories the search has entered: an open-addressing table, never
 * more than half full, so a free slot always ends a probe. */
struct VisitedSet {
    DirectoryIdentity *slots;
    size_t capacity; /* 0 or a power of two */
    size_t count;
};

static const size_t FIRST_VISITED_CAPACITY = 64;

static int IsFreeSlot(const DirectoryIdentity *slot)
{
    return slot->indexHigh == 0 && slot->indexLow == 0;
}

static int SameIdentity(const DirectoryIdentity *first, const DirectoryIdentity *second)
{
    return first->volume == second->volume && first->indexHigh == second->indexHigh &&
           first->indexLow == second->indexLow;
}

/* The slot that holds identity, or the free slot where it belongs. */
static DirectoryIdentity *FindSlot(DirectoryIdentity *slots, size_t capacity,
                                   const DirectoryIdentity *identity)
{
    size_t at = ((size_t)identity->indexLow * 2654435761u) ^ identity->indexHigh ^
                ((size_t)identity->volume * 40503u);
    at &= capacity - 1;
    while (!IsFreeSlot(&slots[at]) && !SameIdentity(&slots[at], identity))
        at = (at + 1) & (capacity - 1);
    return &slots[at];
}

static int GrowVisitedSet(VisitedSet *set)
{
    size_t capacity = set->capacity ? set->capacity * 2 : FIRST_VISITED_CAPACITY;
    DirectoryIdentity *slots = NULL;
    int status = AllocZeroed(&slots, capacity, sizeof(*slots));
    if (status == STATUS_OK) {
        for (size_t i = 0; i < set->capacity; i++)
            if (!IsFreeSlot(&set->slots[i]))
                *FindSlot(slots, capacity, &set->slots[i]) = set->slots[i];
        free(set->slots);
        set->slots = slots;
        set->capacity = capacity;
    }
    return status;
}

static int AddIdentity(VisitedSet *set, const DirectoryIdentity *identity, int *isNew)
{
    int status = (set->count + 1) * 2 > set->capacity ? GrowVisitedSet(set) : STATUS_OK;
    if (status == STATUS_OK) {
        DirectoryIdentity *slot = FindSlot(set->slots, set->capacity, identity);
        *isNew = IsFreeSlot(slot);
        if (*isNew) {
            *slot = *identity;
            set->count++;
        }
    }
    return status;
}

static int ReadDirectoryIdentity(const char *path, DirectoryIdentity *identity)
{
    BY_HANDLE_FILE_INFORMATION information;
    HANDLE handle = OpenForQuery(path);
    int known = handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle, &information);
    if (handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
    if (known) {
        identity->volume = information.dwVolumeSerialNumber;
        identity->indexHigh = information.nFileIndexHigh;
        identity->indexLow = information.nFileIndexLow;
    }
    return known && !IsFreeSlot(identity);
}

/* isNew 0: a link or junction led back to a directory already searched.
 * A directory without a readable identity counts as new: Windows 95 and 98
 * cannot open directories (nor do they have links), and some network file
 * systems give no file index. */
static int MarkVisited(VisitedSet *set, const char *path, int *isNew)
{
    DirectoryIdentity identity;
    *isNew = 1;
    return ReadDirectoryIdentity(path, &identity) ? AddIdentity(set, &identity, isNew) : STATUS_OK;
}

/* A directory cycle needs a link: a junction, symbolic link or mount
 * point, which every listing marks as a reparse point (Wine marks Unix
 * symbolic links so).  FAT and the Windows 95, 98 and NT 4 file systems
 * have none, and NTFS has no hard links to directories, so a local tree
 * without reparse points holds no cycle and its directories are searched
 * without reading their identities.  A server, though, may follow its own
 * links and show them as plain directories: on a remote volume every
 * directory is probed from the start. */
static int IsLinkEntry(const WIN32_FIND_DATAA *entry)
{
    return (entry->dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

/* path is a full path as GetCurrentDirectoryA gives it.  Anything but a
 * drive known to be local counts as remote, a UNC or device path too:
 * probing where it is not needed costs time, never a wrong answer. */
static int IsOnRemoteVolume(const char *path)
{
    if (path[0] == '\0' || path[1] != ':')
        return 1;
    char root[4] = {path[0], ':', '\\', '\0'};
    switch (GetDriveTypeA(root)) {
    case DRIVE_FIXED:
    case DRIVE_REMOVABLE:
    case DRIVE_CDROM:
    case DRIVE_RAMDISK: return 0;
    default: return 1;
    }
}

/* The full paths of the directories entered while no identity is read,
 * kept until the search ends: the directories being searched use them. */
struct EnteredList {
    char **paths;
    size_t count;
    size_t capacity;
};

static const size_t FIRST_ENTERED_CAPACITY = 64;

static void FreeEnteredList(EnteredList *list)
{
    for (size_t i = 0; i < list->count; i++)
        free(list->paths[i]);
    free(list->paths);
}

/* Takes *path into the list; it stays the caller's to free on a failure. */
static int Remember(EnteredList *list, char **path)
{
    int status = GrowArray(&list->paths, &list->capacity, list->count + 1, sizeof(char *),
                           FIRST_ENTERED_CAPACITY);
    if (status == STATUS_OK) {
        list->paths[list->count++] = *path;
        *path = NULL;
    }
    return status;
}

struct TreeSearch {
    const char *pattern;
    const DWORD *mask;
    int mode;
    int recursive;
    int maxDepth;
    int wantFullPath;
    int wantFileName;
    /* The first match, handed to the caller once the search is over. */
    char *fullPath;
    char *fileName;
    DWORD attributes;
    int found;
    /* 1 once every directory is probed before it is entered; until then
     * the directories entered are remembered instead. */
    int probing;
    VisitedSet visited;
    EnteredList entered;
};

/* From the first link on, the search decides as though it had probed
 * every directory from the start: the ones entered so far go into the
 * visited set now, and each one after them before it is entered.  They
 * are all different directories, for no link led to any of them. */
static int StartProbing(TreeSearch *search)
{
    int status = STATUS_OK;
    int isNew = 0;
    for (size_t i = 0; status == STATUS_OK && i < search->entered.count; i++)
        status = MarkVisited(&search->visited, search->entered.paths[i], &isNew);
    search->probing = 1;
    return status;
}

/* The start directory, entered already: probed at once on a remote volume,
 * otherwise remembered. */
static int BeginVisits(TreeSearch *search, const char *start)
{
    int isNew = 0;
    char *path = NULL;
    search->probing = IsOnRemoteVolume(start);
    if (search->probing)
        return MarkVisited(&search->visited, ".", &isNew);
    int status = DupString(&path, start);
    if (status == STATUS_OK)
        status = Remember(&search->entered, &path);
    free(path);
    return status;
}

static int SearchDirectory(TreeSearch *search, const char *directory);

static int MayDescend(const TreeSearch *search)
{
    return search->recursive && (search->maxDepth == 0 || g_searchDepth + 1 < search->maxDepth);
}

static int IsSubdirectory(const WIN32_FIND_DATAA *entry)
{
    return (entry->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsDotEntry(entry->cFileName);
}

/* Enters the subdirectory name of parent unless the visited set knows it
 * already, and searches it.  *inSibling 1: the current directory is still
 * a sibling searched before, so the search goes straight from there to
 * name by its full path, the one a change to ".." and then to name would
 * reach, with one directory change instead of two: each change opens the
 * directory, which costs about half as much as listing it. */
static int SearchSubdirectory(TreeSearch *search, const char *parent, const char *name,
                              int *inSibling)
{
    char *directory = NULL;
    char *fullName = NULL;
    int isNew = 1;
    int status = *inSibling ? JoinPathAlloc(parent, name, &fullName) : STATUS_OK;
    const char *target = fullName ? fullName : name;
    if (status == STATUS_OK && search->probing)
        status = MarkVisited(&search->visited, target, &isNew);
    if (status == STATUS_OK && isNew)
        status = ChangeDirectory(target, &directory);
    const char *path = directory;
    if (status == STATUS_OK && isNew && !search->probing)
        status = Remember(&search->entered, &directory);
    if (status == STATUS_OK && isNew) {
        g_searchDepth++;
        status = SearchDirectory(search, path);
        g_searchDepth--;
        *inSibling = 1;
    }
    free(fullName);
    free(directory);
    return status;
}

/* The subdirectories of directory, the current directory, in listing
 * order; after one searched in vain the search comes back only once the
 * listing is done. */
static int SearchSubdirectories(TreeSearch *search, const char *directory)
{
    WIN32_FIND_DATAA entry;
    HANDLE listing = INVALID_HANDLE_VALUE;
    int more = 0;
    int inSibling = 0;
    int status = StartListing("*.*", &entry, &listing, &more);
    while (status == STATUS_OK && more && !search->found) {
        /* Only a directory that is a link can lead back into the tree. */
        if (IsSubdirectory(&entry) && IsLinkEntry(&entry) && !search->probing)
            status = StartProbing(search);
        if (status == STATUS_OK && IsSubdirectory(&entry))
            status = SearchSubdirectory(search, directory, entry.cFileName, &inSibling);
        if (status == STATUS_OK && !search->found)
            status = NextEntry(listing, &entry, &more);
    }
    if (status == STATUS_OK && inSibling && !search->found)
        status = ChangeDirectory("..", NULL);
    CloseListing(listing);
    return status;
}

/* Depth first: the directory itself, then each subdirectory's whole tree
 * in listing order.  directory is the current directory. */
static int SearchDirectory(TreeSearch *search, const char *directory)
{
    int status = FindFileInCurrentDirectory(directory, search->pattern, search->mask, search->mode,
                                            search->wantFullPath ? &search->fullPath : NULL,
                                            search->wantFileName ? &search->fileName : NULL,
                                            &search->attributes, &search->found);
    if (status == STATUS_OK && !search->found && MayDescend(search))
        status = SearchSubdirectories(search, directory);
    return status;
}

static void HandOverMatch(TreeSearch *search, char **fullPath, char **fileName, DWORD *attributes,
                          int *found)
{
    if (fullPath) {
        *fullPath = search->fullPath;
        search->fullPath = NULL;
    }
    if (fileName) {
        *fileName = search->fileName;
        search->fileName = NULL;
    }
    if (attributes)
        *attributes = search->attributes;
    if (found)
        *found = 1;
}

int FindFileRecursive(const char *startDirectory, const char *pattern, const DWORD *mask, int mode,
                      int recursive, int maxDepth, char **fullPath, char **fileName,
                      DWORD *attributes, int *found)
{
    if (!startDirectory || !pattern)
        return InvalidParameterStatus();
    if (fullPath)
        *fullPath = NULL;
    if (fileName)
        *fileName = NULL;
    if (found)
        *found = 0;
    if (!fullPath && !fileName && !attributes && !found)
        return STATUS_OK;
    TreeSearch search = {pattern,          mask,        mode, recursive, maxDepth, fullPath != NULL,
                         fileName != NULL, NULL,        NULL, 0,         0,        0,
                         {NULL, 0, 0},     {NULL, 0, 0}};
    char *start = NULL;
    int status = ChangeDirectory(startDirectory, &start);
    if (status == STATUS_OK)
        status = BeginVisits(&search, start);
    if (status == STATUS_OK)
        status = SearchDirectory(&search, start);
    /* The search wanders through the tree; it ends where it started. */
    if (start) {
        int back = ChangeDirectory(start, NULL);
        if (status == STATUS_OK)
            status = back;
    }
    if (status == STATUS_OK && search.found)
        HandOverMatch(&search, fullPath, fileName, attributes, found);
    free(search.fullPath);
    free(search.fileName);
    free(search.visited.slots);
    FreeEnteredList(&search.entered);
    free(start);
    return status;
}
