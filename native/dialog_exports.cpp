/*
 * Dialog exports.  The open-file dialog with its checks, copies and
 * layouts is ChooseFiles; here the Java arguments are converted, the fixed
 * ones chosen, and the entries turned into Java values.  The folder
 * browser is here whole: it opens at the caller's directory through its
 * callback and answers with a file-system path or an error naming what
 * was chosen instead.
 */
#include "dialog_exports.h"

#include "alloc.h"
#include "boundary.h"
#include "choose_files.h"
#include "strings.h"

#include <shlobj.h>
#include <stdlib.h>

/* The converted arguments of the file exports; the texts are absent when
 * no filter name was given. */
struct ChooseArguments {
    char directory[MAX_PATH];
    char *filterName;
    char *filterPattern;
};

int32_t __cdecl com_zorv_ZORVNI_NIMessageBox(HObject, int32_t window, HString text, HString caption,
                                             int32_t type)
{
    char *textAnsi = NULL;
    char *captionAnsi = NULL;
    int result = 0;
    int status = JavaStringsToAnsi(text, caption, &textAnsi, &captionAnsi);
    if (status == STATUS_OK)
        result = MessageBoxA((HWND)(INT_PTR)window, textAnsi, captionAnsi, (UINT)type);
    free(textAnsi);
    free(captionAnsi);
    return result;
}

/* An empty directory is no error (the dialog gets an empty text), but one
 * that does not convert is: it would silently become the empty one.  The
 * directory and the pattern are names; the filter's name is only shown. */
static int ConvertChooseArguments(HString directory, HString filterName, HString filterPattern,
                                  ChooseArguments *arguments)
{
    ZeroMemory(arguments, sizeof(*arguments));
    int status = STATUS_OK;
    int filtered = !JavaStringIsEmpty(filterName);
    if (!JavaStringIsEmpty(directory))
        status = JavaNameToBuffer(directory, arguments->directory, sizeof(arguments->directory));
    if (status == STATUS_OK && filtered)
        status = JavaStringToAnsi(filterName, &arguments->filterName);
    if (status == STATUS_OK && filtered)
        status = JavaNameToAnsi(filterPattern, &arguments->filterPattern);
    return status;
}

/* *list is the caller's to free whatever the status. */
static int ChooseForJava(HString directory, HString filterName, HString filterPattern,
                         int32_t multiSelect, int32_t layout, int32_t mustBeInside,
                         int32_t maxFiles, int32_t copyOutside, PathEntry **list)
{
    ChooseArguments arguments;
    *list = NULL;
    int status = ConvertChooseArguments(directory, filterName, filterPattern, &arguments);
    if (status == STATUS_OK)
        status = ChooseFiles(arguments.directory, arguments.filterName, arguments.filterPattern,
                             multiSelect == 1, layout, mustBeInside == 1, maxFiles, copyOutside,
                             list);
    free(arguments.filterName);
    free(arguments.filterPattern);
    return status;
}

HString __cdecl com_zorv_ZORVNI_NIChooseFile(HObject, HString directory, HString filterName,
                                             HString filterPattern, int32_t layout,
                                             int32_t mustBeInside)
{
    PathEntry *list = NULL;
    HString chosen = NULL;
    int status = ChooseForJava(directory, filterName, filterPattern, 0, layout, mustBeInside, 1, 1,
                               &list);
    if (status == STATUS_OK)
        chosen = AnsiToJavaString(list ? list[1] : NULL);
    else
        ThrowStatusException(status);
    free(list);
    return chosen;
}

/* The entries as a String[] with one element more than there are entries,
 * the last one empty.  Entry 0 always counts, even when empty (a caller's
 * empty directory), so that the files after it are not lost. */
static int EntriesToJavaArray(PathEntry *list, HObject *array)
{
    int count = 1;
    while (list[count][0])
        count++;
    ArrayOfString *strings = (ArrayOfString *)ClassArrayAlloc(T_CLASS, count + 1,
                                                              "java/lang/String");
    if (!strings)
        return STATUS_JAVA_OUT_OF_MEMORY;
    for (int i = 0; i <= count; i++)
        strings->body[i] = AnsiToJavaString(list[i]);
    *array = (HObject)strings;
    return STATUS_OK;
}

static HObject ChosenFilesArray(HString directory, HString filterName, HString filterPattern,
                                int32_t multiSelect, int32_t layout, int32_t mustBeInside,
                                int32_t maxFiles, int32_t copyOutside)
{
    PathEntry *list = NULL;
    HObject array = NULL;
    int status = ChooseForJava(directory, filterName, filterPattern, multiSelect, layout,
                               mustBeInside, maxFiles, copyOutside, &list);
    if (status == STATUS_OK && list)
        status = EntriesToJavaArray(list, &array);
    if (status != STATUS_OK)
        ThrowStatusException(status);
    free(list);
    return array;
}

HObject __cdecl com_zorv_ZORVNI_NIChooseFiles(HObject, HString directory, HString filterName,
                                              HString filterPattern, int32_t multiSelect,
                                              int32_t layout, int32_t mustBeInside,
                                              int32_t maxFiles)
{
    return ChosenFilesArray(directory, filterName, filterPattern, multiSelect, layout, mustBeInside,
                            maxFiles, 0);
}

HObject __cdecl com_zorv_ZORVNI_NIChooseFiles1(HObject, HString directory, HString filterName,
                                               HString filterPattern, int32_t multiSelect,
                                               int32_t layout, int32_t mustBeInside,
                                               int32_t maxFiles, int32_t copyOutside)
{
    return ChosenFilesArray(directory, filterName, filterPattern, multiSelect, layout, mustBeInside,
                            maxFiles, copyOutside);
}

/* Opens the browser at the initial directory (data) and, when the caller
 * asked for a status line, shows the selected folder's path in it. */
static int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM parameter, LPARAM data)
{
    if (message == BFFM_INITIALIZED) {
        SendMessageA(window, BFFM_SETSELECTIONA, TRUE, data);
    } else if (message == BFFM_SELCHANGED) {
        char path[MAX_PATH];
        if (!SHGetPathFromIDListA((PCIDLIST_ABSOLUTE)parameter, path))
            path[0] = '\0';
        SendMessageA(window, BFFM_SETSTATUSTEXTA, 0, (LPARAM)path);
    }
    return 0;
}

/* *directory receives an allocated path, or stays null after a cancel (or
 * when the shell's allocator is not to be had); *flag becomes 0 after a
 * choice.  A choice without a file-system path fails naming it. */
static int BrowseForDirectory(const char *initialDirectory, const char *title, int32_t browseFlags,
                              char **directory, int32_t *flag)
{
    *directory = NULL;
    IMalloc *shellMalloc = NULL;
    if (FAILED(SHGetMalloc(&shellMalloc)))
        return STATUS_OK;

    char displayName[MAX_PATH] = "";
    BROWSEINFOA browse;
    ZeroMemory(&browse, sizeof(browse));
    browse.hwndOwner = NULL;
    browse.pidlRoot = NULL;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = title;
    browse.ulFlags = (UINT)browseFlags;
    browse.lpfn = BrowseCallback;
    browse.lParam = (LPARAM)initialDirectory;
    browse.iImage = 0;
    LPITEMIDLIST item = SHBrowseForFolderA(&browse);

    int status = STATUS_OK;
    if (item) {
        char path[MAX_PATH];
        if (SHGetPathFromIDListA(item, path)) {
            status = DupString(directory, path);
        } else {
            displayName[MAX_PATH - 1] = '\0';
            SetErrorRecord("15", NULL, "The chosen or typed name %1 is not a valid path name.", 1,
                           displayName);
            status = STATUS_APP_ERROR;
        }
        if (status == STATUS_OK && flag)
            *flag = 0;
        shellMalloc->Free(item);
    }
    shellMalloc->Release();
    return status;
}

int32_t __cdecl com_zorv_ZORVNI_NIChooseDir(HObject, HString initialDirectory, HString title,
                                            int32_t browseFlags, ArrayOfString *chosenDirectory,
                                            ArrayOfInt *directoryFlag)
{
    const OutParameter outs[] = {{chosenDirectory, false}, {directoryFlag, true}};
    int status = CheckOutParameters(outs, ARRAY_SIZE(outs));
    if (status != STATUS_OK)
        return status;
    /* Texts that do not convert are no error here: the browser gets empty
     * ones, and an initial directory that is empty or too long for a path
     * opens it at its default.  Only an initial directory the code page
     * cannot write is refused, since its look-alike would open the browser
     * elsewhere. */
    char initial[MAX_PATH] = "";
    char titleText[MAX_PATH] = "";
    JavaStringToBuffer(title, titleText, sizeof(titleText));
    int initialLength = JavaStringAnsiLength(initialDirectory);
    if (initialLength > 0 && initialLength < MAX_PATH)
        status = JavaNameToBuffer(initialDirectory, initial, sizeof(initial));
    char *chosen = NULL;
    if (status == STATUS_OK)
        status = BrowseForDirectory(initial, titleText, browseFlags, &chosen,
                                    &directoryFlag->body[0]);
    if (status == STATUS_OK && chosen)
        SetOutString(chosenDirectory, chosen);
    free(chosen);
    if (status != STATUS_OK)
        ThrowStatusException(status);
    return status;
}
