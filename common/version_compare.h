/*
 * Comparing dotted version texts part by part as numbers.
 */
#pragma once

/* -1, 0 or 1; *partIndex (when given) receives the 1-based part at which
 * the comparison was decided. */
int CompareVersions(const char *first, const char *second, int *partIndex);
