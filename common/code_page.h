/*
 * Unicode texts on their way into the ANSI code page.  WideCharToMultiByte
 * (CP_ACP, 0, ..., NULL, NULL) does not fail for a character the code page
 * lacks: it writes a "best fit" look-alike or '?' and reports success.  A
 * look-alike can be a separator, a quote, an option's dash or a wildcard on
 * the other side (U+FF3C becomes '\', U+FF02 '"', U+0100 'A' under code
 * page 1252; U+00A5 becomes '\' under 932), so a text that names something
 * is converted exactly or refused.
 *
 * Exact (ToAnsiExact; a text the code page cannot write is refused):
 * - Vantrelc: every argument of its command line: switch values, paths,
 *   patterns, registry key, subkey, value and machine names, the numbered
 *   arguments for the started program.
 * - zorvrni: every path, directory, file name and pattern; the shell verb;
 *   the mail recipients' addresses and the attachments' directories and
 *   file names.
 *
 * Approximate (WideCharToMultiByte as above; look-alikes may stand in):
 * texts only shown to a person or handed on as free text: message box text
 * and caption, dialog titles and filter names, the mail subject, body and
 * attachment titles, the TPA response texts, the version texts compared
 * number by number, and system texts on their way into a message.
 *
 * A NUL (which a Java String may hold) is written exactly, but an ANSI
 * string ends there, so every system call would read a name cut at it:
 * the exact conversion refuses it like a character the code page lacks.
 *
 * A new text belongs to the exact group as soon as anything reads it as a
 * name.  The test for exactness is a round trip through MultiByteToWideChar,
 * which every Windows from 95 and NT 4 on has: best-fit mappings report no
 * default character, and WC_NO_BEST_FIT_CHARS is younger than those.
 */
#pragma once

#include <windows.h>

/* Bytes of the longest ANSI form of one character (a surrogate pair in the
 * four-byte code pages). */
enum { ANSI_CHARACTER_SIZE = 4 };

/* Converts count UTF-16 units (count >= 1) into text, which holds size
 * bytes, without a terminator; *length (may be null) receives the bytes
 * written.  STATUS_OK only when those bytes read back as exactly the same
 * units and hold no NUL.  A text the code page cannot write, or one
 * holding a NUL, gives STATUS_APP_ERROR, recorded as NOT_IN_CODE_PAGE with
 * the text as far as it can be shown ('?' for each character it cannot
 * write and each NUL, cut to the record's field).  A
 * text that does not fit, or an empty one, gives STATUS_SYSTEM_ERROR from
 * the conversion; no memory, STATUS_CRT_ERROR.  On every failure the size
 * bytes of text are zero. */
int ToAnsiExact(const WCHAR *units, int count, char *text, int size, int *length);

/* The ANSI form of the one character at units (available >= 1 units are
 * readable; a surrogate pair is one character): its exact bytes and 1, or
 * the single byte '?' and 0 when the code page cannot write it exactly, it
 * is a NUL, or the conversion fails.  *size receives the bytes in form, *used the
 * units taken. */
int AnsiCharacter(const WCHAR *units, int available, char form[ANSI_CHARACTER_SIZE], int *size,
                  int *used);

/* The recorded message of a refusal; its one argument is the text. */
extern const char NOT_IN_CODE_PAGE[];
