/*
 * A copy through runtime streams, which only this library carries.
 */
#pragma once

/* Copies source to target byte for byte (blocks of 10240 bytes), refusing a
 * present target unless overwrite is set; names of one file (equal but for
 * case, or spelled another way): nothing is done.  A given permission word
 * is applied to the target afterwards.  Every failure is STATUS_APP_ERROR,
 * with errno reset after a failed runtime call; a target created by the
 * copy (without overwrite) is removed again after a failure. */
int CrtCopyFileByStreams(const char *target, const char *source, const int *permission,
                         int overwrite);
