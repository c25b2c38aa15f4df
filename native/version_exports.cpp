/*
 * Version exports: the RNI version the library was built for, its own
 * version text, and dotted-version comparison for the Java side.
 */
#include "version_exports.h"

#include "alloc.h"
#include "boundary.h"
#include "version_compare.h"

#include <stdlib.h>

DWORD __cdecl RNIGetCompatibleVersion(void) { return RNI_COMPATIBLE_VERSION; }

HString __cdecl com_zorv_ZORVNI_NIGetZORVDLLVersion(HObject)
{
    return AnsiToJavaString(ZORVRNI_VERSION);
}

/* Reports by its result only: a text that cannot be converted compares as
 * equal and leaves partIndex alone.  Only a partIndex with no element 0
 * raises, as the store itself would in Java. */
int32_t __cdecl com_zorv_ZORVNI_NICompareVersions(HObject, HString first, HString second,
                                                  ArrayOfInt *partIndex)
{
    char *firstText = NULL;
    char *secondText = NULL;
    int result = 0;
    const OutParameter outs[] = {{partIndex, true}};
    int status = CheckOutParameters(outs, ARRAY_SIZE(outs));
    if (status != STATUS_OK)
        return 0;
    status = JavaStringsToAnsi(first, second, &firstText, &secondText);
    if (status == STATUS_OK)
        result = CompareVersions(firstText, secondText, &partIndex->body[0]);
    free(firstText);
    free(secondText);
    return result;
}
