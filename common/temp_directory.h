/*
 * The directory for temporary files, from the environment variables TMP
 * and TEMP.
 */
#pragma once

/* Needs directory, a MAX_PATH buffer, which receives the value of TMP or
 * TEMP as the variable holds it (no separator added, not made full).  An
 * existing directory is taken first, TMP before TEMP; only when neither
 * names one is the missing directory created (one level, TMP first).  A
 * value of MAX_PATH characters or more is unusable and never created.
 * Failure: STATUS_APP_ERROR with the message for what was found; a null
 * directory: STATUS_SYSTEM_ERROR, last error 87. */
int GetOsTempDirectory(char *directory);
