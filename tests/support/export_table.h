/*
 * Every export a Java caller reaches, each with a valid call: the one table
 * the tests of the whole library start from, each varying its own part of
 * the call (hostile arguments, repetition, names the code page lacks).
 */
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "msjava_standin.h"

/* What a parameter takes from Java. */
enum ParameterType {
    TEXT,      /* String */
    TEXT_LIST, /* String[] input */
    TEXT_ROWS, /* String[][] input */
    OUT_TEXT,  /* String[] out parameter, may be null */
    OUT_LIST,  /* String[][] out parameter, may be null */
    OUT_INT,   /* int[] out parameter */
    OUT_LONG,  /* long[] out parameter */
    RESERVED,  /* String[] out parameter that is never stored into */
    COUNT,     /* int counting or limiting something */
    WAIT,      /* int seconds to wait: never the largest */
    NUMBER     /* int flags, types and handles */
};

struct Parameter {
    ParameterType type;
    const char *text;  /* valid text or element; "$DIR" is the work
                             directory, "$BIN" the test directory */
    int32_t number;    /* valid value of an int */
    bool longMustFail; /* a path: 10,000 characters of it can only fail */
};

/* How an export tells a failure from a success. */
enum Reporting {
    BY_STATUS,  /* 0, or the status with an exception pending */
    BY_ONE,     /* 1, or 0 with an exception pending */
    BY_STRING,  /* a String, or null with an exception pending */
    BY_STRINGS, /* a String[] or null (cancelled), or null with an exception */
    BY_CODE,    /* one of codes; no ZORVException */
    BY_STATE    /* null or a String[][], and a TPA state; no ZORVException */
};

struct ExportEntry {
    const char *name;
    Reporting reporting;
    std::vector<int32_t> codes;        /* BY_CODE: the results it names, failure first */
    std::vector<Parameter> parameters; /* after the object; none: no Java input */
};

/* In the order of the module definition. */
const std::vector<ExportEntry> &ExportTable(void);

/* The entry of the export name, or of the native method com_zorv_ZORVNI_
 * followed by name; null when the table has none. */
const ExportEntry *FindExport(const char *name);

/* text with "$DIR" and "$BIN" at its start expanded. */
std::string ExpandedText(const char *text, const std::string &workDirectory);

/* A new out parameter of type (OUT_TEXT to RESERVED) with length elements,
 * each null or 0. */
intptr_t NewOutArgument(ParameterType type, int length);

/* A new valid argument for parameter: its text (as the one element of a
 * list, or of the one row of rows), its number, or an out parameter of one
 * element. */
intptr_t ValidArgument(const Parameter &parameter, const std::string &workDirectory);

/* Every export is __cdecl, so one with fewer parameters may be called with
 * more: the caller removes them, and each int travels in a slot of its own. */
enum { MOST_PARAMETERS = 15 };
typedef intptr_t(__cdecl *AnyExport)(HObject, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t,
                                     intptr_t, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t,
                                     intptr_t, intptr_t, intptr_t, intptr_t);

/* Calls export with a null object and arguments, at most MOST_PARAMETERS
 * of them; the slots beyond get 0.  An int result is in the low 32 bits. */
intptr_t CallExport(AnyExport export_, const std::vector<intptr_t> &arguments);

/* An argument given in place of the valid one at position at (0 is the
 * first after the object). */
struct Replacement {
    size_t at;
    intptr_t value;
    Replacement(size_t at, int32_t number) : at(at), value(number) {}
    Replacement(size_t at, const void *object) : at(at), value((intptr_t)object) {}
};

/* The valid call of the export name (which the table holds) from the
 * library under test, with replacements; its result as CallExport gives it. */
intptr_t CallValid(const char *name, const std::string &workDirectory,
                   const std::vector<Replacement> &replacements = {});
