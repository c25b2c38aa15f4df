/*
 * The choose-files dialog.  GetOpenFileNameA answers in one of two forms
 * (one full path, or a directory followed by names), and the choice is
 * turned into path entries laid out for the caller: full paths, paths
 * below the caller's directory, or bare names.  Files chosen outside that
 * directory can be copied into it; every copy made is recorded, so that a
 * call that fails later leaves none behind.  Every path put into an entry
 * is measured first: one that does not fit fails the call and names it.
 */
#include "choose_files.h"

#include "alloc.h"
#include "error_record.h"
#include "paths.h"
#include "strings.h"

#include <cderr.h>
#include <commdlg.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The record of the Windows 95 and NT 4 dialog, which the shipping build
 * targets; later fields would make older systems refuse the call. */
typedef OPENFILENAME_NT4A OpenFileRecord;
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(OpenFileRecord) == 76, "open-file record of the 32-bit build");
#endif

static const DWORD CHOOSE_DIALOG_FLAGS = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                                         OFN_FILEMUSTEXIST | OFN_SHAREAWARE | OFN_NONETWORKBUTTON |
                                         OFN_EXPLORER | OFN_LONGNAMES;
static_assert(OFN_HIDEREADONLY + OFN_NOCHANGEDIR + OFN_PATHMUSTEXIST + OFN_FILEMUSTEXIST +
                      OFN_SHAREAWARE + OFN_NONETWORKBUTTON + OFN_EXPLORER + OFN_LONGNAMES ==
                  0x002A580C,
              "flags of the open-file dialog");

/* Component boundaries: a drive's colon counts, and either slash. */
static const char PATH_SEPARATORS[] = ":/\\";

struct DialogError {
    DWORD code;
    const char *message;
};

/* What CommDlgExtendedError can report; any other code is a cancel. */
static const DialogError DIALOG_ERRORS[] = {
    {CDERR_STRUCTSIZE, "GetOpenFileName: The lStructSize member of the initialization "
                       "structure for the corresponding common dialog box is invalid."},
    {CDERR_INITIALIZATION, "GetOpenFileName: The common dialog box function failed during "
                           "initialization. This error often occurs when sufficient memory "
                           "is not available."},
    {CDERR_NOTEMPLATE, "GetOpenFileName: The ENABLETEMPLATE flag was set in the Flags member "
                       "of the initialization structure for the corresponding common dialog "
                       "box, but you failed to provide a corresponding template."},
    {CDERR_NOHINSTANCE, "GetOpenFileName: The ENABLETEMPLATE flag was set in the Flags member "
                        "of the initialization structure for the corresponding common dialog "
                        "box, but you failed to provide a corresponding instance handle."},
    {CDERR_LOADSTRFAILURE, "GetOpenFileName: The common dialog box function failed to load a "
                           "specified string."},
    {CDERR_FINDRESFAILURE, "GetOpenFileName: The common dialog box function failed to find a "
                           "specified resource."},
    {CDERR_LOADRESFAILURE, "GetOpenFileName: The common dialog box function failed to load a "
                           "specified resource."},
    {CDERR_LOCKRESFAILURE, "GetOpenFileName: The common dialog box function failed to lock a "
                           "specified resource."},
    {CDERR_MEMALLOCFAILURE, "GetOpenFileName: The common dialog box function was unable to "
                            "allocate memory for internal structures."},
    {CDERR_MEMLOCKFAILURE, "GetOpenFileName: The common dialog box function was unable to "
                           "lock the memory associated with a handle."},
    {CDERR_NOHOOK, "GetOpenFileName: The ENABLEHOOK flag was set in the Flags member of the "
                   "initialization structure for the corresponding common dialog box, but you "
                   "failed to provide a pointer to a corresponding hook procedure."},
    {CDERR_REGISTERMSGFAIL, "GetOpenFileName: The RegisterWindowMessage function returned an "
                            "error code when it was called by the common dialog box function."},
    {FNERR_SUBCLASSFAILURE, "GetOpenFileName: An attempt to subclass a list box failed because "
                            "sufficient memory was not available."},
    {FNERR_INVALIDFILENAME, "GetOpenFileName: A filename is invalid."},
    {FNERR_BUFFERTOOSMALL, "GetOpenFileName: The buffer pointed to by the lpstrFile member of "
                           "the OPENFILENAME structure is too small for the filename specified "
                           "by the user. The first two bytes of the lpstrFile buffer contain an "
                           "integer value specifying the size, in bytes (ANSI version) or "
                           "16-bit characters (Unicode version), required to receive the full "
                           "name."},
    {CDERR_DIALOGFAILURE, "GetOpenFileName: The dialog box could not be created. The common "
                          "dialog box function's call to the DialogBox function failed. For "
                          "example, this error occurs if the common dialog box call specifies "
                          "an invalid window handle."},
};

/* Everything one call works on. */
struct ChooseCall {
    const char *directory;
    int layout;
    int maxFiles;
    int copyOutside;
    int inside;
    PathEntry *entries; /* the caller's result array */
    char *files;        /* the dialog's answer */
    WORD nameOffset;
    PathEntry *copies; /* copies made in directory so far */
    size_t copyCount;
    size_t copyCapacity;
};

int EqualsNoCase(const char *first, const char *second, int *equal)
{
    if (!first || !second || !equal)
        return InvalidParameterStatus();
    *equal = lstrcmpiA(first, second) == 0;
    return STATUS_OK;
}

static const char *SkipSeparators(const char *path) { return path + MbsSpn(path, PATH_SEPARATORS); }

static size_t ComponentLength(const char *path) { return MbsCspn(path, PATH_SEPARATORS); }

/* Compares two components as whole texts.  They come from path entries;
 * a longer one cannot be a component of a path and is refused. */
static int ComponentsEqual(const char *first, size_t firstLength, const char *second,
                           size_t secondLength, int *equal)
{
    if (firstLength >= MAX_PATH || secondLength >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return STATUS_SYSTEM_ERROR;
    }
    char firstText[MAX_PATH];
    char secondText[MAX_PATH];
    memcpy(firstText, first, firstLength);
    firstText[firstLength] = '\0';
    memcpy(secondText, second, secondLength);
    secondText[secondLength] = '\0';
    return EqualsNoCase(firstText, secondText, equal);
}

/* 1 when every component of outer matches the leading ones of inner. */
static int StartsWithComponents(const char *outer, const char *inner, int *inside)
{
    int status = STATUS_OK;
    int match = 1;
    for (;;) {
        outer = SkipSeparators(outer);
        if (!*outer)
            break;
        inner = SkipSeparators(inner);
        if (!*inner) {
            match = 0;
            break;
        }
        size_t outerLength = ComponentLength(outer);
        size_t innerLength = ComponentLength(inner);
        status = ComponentsEqual(outer, outerLength, inner, innerLength, &match);
        if (status != STATUS_OK || !match)
            break;
        outer += outerLength;
        inner += innerLength;
    }
    if (status == STATUS_OK)
        *inside = match;
    return status;
}

int IsInsideDirectory(const char *directory, const char *path, int *inside)
{
    if (!directory || !path || !inside)
        return InvalidParameterStatus();
    char outer[MAX_PATH];
    char inner[MAX_PATH];
    int status = SplitFullPath(directory, NULL, outer, NULL, NULL, NULL, NULL, NULL);
    if (status == STATUS_OK)
        status = SplitFullPath(path, NULL, inner, NULL, NULL, NULL, NULL, NULL);
    if (status == STATUS_OK)
        status = StartsWithComponents(outer, inner, inside);
    return status;
}

int MakeRelativePath(char *path, const char *base)
{
    if (!path || !base)
        return InvalidParameterStatus();
    /* Only read until the end, so path and base may be one buffer. */
    const char *rest = path;
    int status = STATUS_OK;
    for (;;) {
        rest = SkipSeparators(rest);
        if (!*rest) {
            path[0] = '\0';
            break;
        }
        base = SkipSeparators(base);
        if (!*base)
            break;
        size_t restLength = ComponentLength(rest);
        size_t baseLength = ComponentLength(base);
        int equal = 0;
        status = ComponentsEqual(rest, restLength, base, baseLength, &equal);
        if (status != STATUS_OK)
            break;
        int lastOfBase = *SkipSeparators(base + baseLength) == '\0';
        if (equal && !lastOfBase) {
            rest += restLength;
            base += baseLength;
            continue;
        }
        if (lastOfBase)
            rest = SkipSeparators(rest + restLength);
        memmove(path, rest, strlen(rest) + 1);
        break;
    }
    return status;
}

/* "name (pattern)", NUL, "pattern", NUL, NUL: the dialog's one pair. */
static int BuildFilterText(const char *name, const char *pattern, char **filter)
{
    name = name ? name : "";
    pattern = pattern ? pattern : "";
    size_t patternLength = strlen(pattern);
    size_t size = strlen(name) + 2 * patternLength + 10;
    int status = AllocZeroed(filter, size, 1);
    if (status == STATUS_OK) {
        /* The pieces take name + 2 * pattern + 6 bytes of size; the zero
         * fill supplies the NULs between and after them. */
        int displayLength = snprintf(*filter, size, "%s (%s)", name, pattern);
        memcpy(*filter + displayLength + 1, pattern, patternLength);
    }
    return status;
}

/* The application error for a path that does not fit an entry. */
static int PathTooLong(const char *path)
{
    char limit[16];
    snprintf(limit, sizeof(limit), "%d", MAX_PATH - 1);
    return AppFailure("The path %s is too long; a path can have at most %s characters.", 2, path,
                      limit);
}

/* Copies length bytes of text into entry, or fails naming the text. */
static int CopyEntry(char *entry, const char *text, size_t length)
{
    if (length >= MAX_PATH)
        return PathTooLong(text);
    memmove(entry, text, length);
    entry[length] = '\0';
    return STATUS_OK;
}

/* directory, a separator unless it ends in one, and name into entry (which
 * may be directory itself), or fails naming the whole path. */
static int JoinEntry(const char *directory, const char *name, char *entry)
{
    /* Both texts are there, so JoinPath can only refuse the length. */
    if (JoinPath(directory, name, entry, MAX_PATH) == STATUS_OK)
        return STATUS_OK;
    char *path = NULL;
    JoinPathAlloc(directory, name, &path);
    int status = PathTooLong(path ? path : name);
    free(path);
    return status;
}

static int DialogFailure(DWORD code)
{
    for (size_t i = 0; i < ARRAY_SIZE(DIALOG_ERRORS); i++)
        if (DIALOG_ERRORS[i].code == code)
            return AppFailure(DIALOG_ERRORS[i].message, 0);
    return STATUS_OK;
}

/* Runs the dialog; *chosen is 0 after a cancel.  The file buffer holds
 * fileSize bytes for the dialog and two zero bytes beyond, so that its
 * answer is always terminated. */
static int ShowOpenDialog(const char *directory, const char *filter, int multiSelect,
                          ChooseCall *call, DWORD fileSize, int *chosen)
{
    OpenFileRecord dialog;
    ZeroMemory(&dialog, sizeof(dialog));
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = NULL;
    dialog.hInstance = GetModuleHandleA(NULL);
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = call->files;
    dialog.nMaxFile = fileSize;
    dialog.lpstrInitialDir = directory;
    dialog.lpstrTitle = CHOOSE_FILES_TITLE;
    dialog.Flags = CHOOSE_DIALOG_FLAGS | (multiSelect == 1 ? OFN_ALLOWMULTISELECT : 0);
    *chosen = GetOpenFileNameA(reinterpret_cast<LPOPENFILENAMEA>(&dialog)) ? 1 : 0;
    if (*chosen) {
        call->nameOffset = dialog.nFileOffset;
        return STATUS_OK;
    }
    return DialogFailure(CommDlgExtendedError());
}

static int OutsideDirectory(const char *directory)
{
    SetErrorRecord(NULL, OUTSIDE_DIRECTORY_MESSAGE_ID,
                   "Selected files are not in the specifieddirectory %s or its subdirectory.", 1,
                   directory);
    return STATUS_APP_ERROR;
}

static int TooManyFiles(int maxFiles)
{
    char number[16];
    snprintf(number, sizeof(number), "%d", maxFiles);
    return AppFailure("The number of selected files is too long.Currently you can choose up "
                      "to %s files.",
                      1, number);
}

/* Copies source into the directory under name, failing when a file of that
 * name is there already, and records the copy. */
static int CopyIntoDirectory(ChooseCall *call, const char *source, const char *name)
{
    PathEntry target;
    /* Room first: a copy that could not be recorded would be left behind. */
    int status = GrowArray(&call->copies, &call->copyCapacity, call->copyCount + 1,
                           sizeof(PathEntry), 8);
    if (status == STATUS_OK)
        status = JoinEntry(call->directory, name, target);
    if (status == STATUS_OK && !CopyFileA(source, target, TRUE))
        status = STATUS_SYSTEM_ERROR;
    if (status == STATUS_OK)
        memcpy(call->copies[call->copyCount++], target, sizeof(PathEntry));
    return status;
}

/* Deletes the copies again, keeping the error that made the call fail. */
static void RemoveCopies(ChooseCall *call)
{
    DWORD systemError = GetLastError();
    int crtError = errno;
    for (size_t i = 0; i < call->copyCount; i++)
        DeleteFileA(call->copies[i]);
    SetLastError(systemError);
    errno = crtError;
}

static int CopiesOutside(const ChooseCall *call)
{
    return call->copyOutside == 1 && call->inside == 0;
}

/* One full path F; its name N starts at the offset, and its directory D is
 * what precedes the separator before N (a drive root gives "C:"). */
static int TakeSingleFile(ChooseCall *call)
{
    const char *full = call->files;
    const char *name = full + call->nameOffset;
    size_t baseLength = call->nameOffset > 0 ? call->nameOffset - 1u : 0;
    PathEntry *entries = call->entries;
    int copied = CopiesOutside(call);
    int status = copied ? CopyIntoDirectory(call, full, name) : STATUS_OK;
    if (status != STATUS_OK)
        return status;

    if (call->layout == CHOOSE_LAYOUT_RELATIVE && call->inside == 1) {
        status = CopyEntry(entries[0], call->directory, strlen(call->directory));
        if (status == STATUS_OK)
            status = CopyEntry(entries[1], full, strlen(full));
        if (status == STATUS_OK)
            status = MakeRelativePath(entries[1], call->directory);
    } else if (call->layout == CHOOSE_LAYOUT_RELATIVE || call->layout == CHOOSE_LAYOUT_NAMES) {
        status = copied ? CopyEntry(entries[0], call->directory, strlen(call->directory))
                        : CopyEntry(entries[0], full, baseLength);
        if (status == STATUS_OK)
            status = CopyEntry(entries[1], name, strlen(name));
    } else if (call->layout == CHOOSE_LAYOUT_FULL) {
        if (copied) {
            status = CopyEntry(entries[0], call->directory, strlen(call->directory));
            if (status == STATUS_OK)
                status = JoinEntry(call->directory, name, entries[1]);
        } else {
            status = CopyEntry(entries[0], full, baseLength);
            if (status == STATUS_OK)
                status = CopyEntry(entries[1], full, strlen(full));
        }
    } else {
        status = InvalidParameterStatus();
    }
    if (status == STATUS_OK)
        entries[2][0] = '\0';
    return status;
}

/* Entry i of the multiple form: name as the layout wants it, from the
 * selection's directory. */
static int FillNameEntry(ChooseCall *call, const char *selection, const char *name, char *entry)
{
    const char *base = call->entries[0];
    if (call->layout == CHOOSE_LAYOUT_RELATIVE && call->inside == 1) {
        int status = CopyEntry(entry, selection, strlen(selection));
        if (status == STATUS_OK)
            status = MakeRelativePath(entry, base);
        if (status == STATUS_OK)
            status = *entry ? JoinEntry(entry, name, entry) : CopyEntry(entry, name, strlen(name));
        return status;
    }
    if (call->layout == CHOOSE_LAYOUT_FULL)
        return JoinEntry(base, name, entry);
    return CopyEntry(entry, name, strlen(name));
}

/* A directory D, then names up to an empty one. */
static int TakeMultipleFiles(ChooseCall *call)
{
    const char *selection = call->files;
    int copying = CopiesOutside(call);
    const char *base = (call->layout == CHOOSE_LAYOUT_RELATIVE && call->inside == 1) || copying
                           ? call->directory
                           : selection;
    int status = CopyEntry(call->entries[0], base, strlen(base));
    int index = 1;
    /* The two zero bytes behind the dialog's buffer end this walk. */
    for (const char *name = selection + strlen(selection) + 1; status == STATUS_OK && *name;
         name += strlen(name) + 1, index++) {
        if (index > call->maxFiles) {
            status = TooManyFiles(call->maxFiles);
            break;
        }
        if (copying) {
            PathEntry source;
            status = JoinEntry(selection, name, source);
            if (status == STATUS_OK)
                status = CopyIntoDirectory(call, source, name);
        }
        if (status == STATUS_OK)
            status = FillNameEntry(call, selection, name, call->entries[index]);
    }
    if (status == STATUS_OK)
        call->entries[index][0] = '\0';
    return status;
}

static int TakeChoice(ChooseCall *call, int mustBeInside)
{
    const char *first = call->files;
    int status = IsInsideDirectory(call->directory, first, &call->inside);
    if (status == STATUS_OK && mustBeInside == 1 && call->inside != 1)
        status = OutsideDirectory(call->directory);
    if (status == STATUS_OK)
        status = call->nameOffset < strlen(first) ? TakeSingleFile(call) : TakeMultipleFiles(call);
    return status;
}

int ChooseFiles(const char *directory, const char *filterName, const char *filterPattern,
                int multiSelect, int layout, int mustBeInside, int maxFiles, int copyOutside,
                PathEntry **result)
{
    /* Also a missing directory: the dialog would be shown for nothing. */
    if (!directory || !result || maxFiles < 1 || maxFiles > CHOOSE_MAX_FILES)
        return InvalidParameterStatus();
    ChooseCall call;
    ZeroMemory(&call, sizeof(call));
    call.directory = directory;
    call.layout = layout;
    call.maxFiles = maxFiles;
    call.copyOutside = copyOutside;
    DWORD fileSize = (DWORD)(maxFiles + 1) * MAX_PATH;
    char *filter = NULL;
    int chosen = 0;

    *result = NULL;
    int status = BuildFilterText(filterName, filterPattern, &filter);
    if (status == STATUS_OK)
        status = AllocZeroed(result, maxFiles + 2, sizeof(PathEntry));
    if (status == STATUS_OK) {
        call.entries = *result;
        status = AllocZeroed(&call.files, fileSize + 2, 1);
    }
    if (status == STATUS_OK)
        status = ShowOpenDialog(directory, filter, multiSelect, &call, fileSize, &chosen);
    if (status == STATUS_OK && !chosen) {
        free(*result);
        *result = NULL;
    }
    if (status == STATUS_OK && chosen)
        status = TakeChoice(&call, mustBeInside);

    if (status != STATUS_OK)
        RemoveCopies(&call);
    free(filter);
    free(call.files);
    free(call.copies);
    return status;
}
