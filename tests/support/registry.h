/*
 * Registry fixtures for tests: a key of the test's own that goes away with
 * everything below it, and a value elsewhere that is put back as it was.
 */
#pragma once

#include <windows.h>
#include <string>

/* HKEY_CURRENT_USER\Software\VantrelTests\<name>_<process id>_<n>, created
 * empty and deleted with its subkeys when destroyed. */
struct TestRegistryKey {
    std::string path; /* below HKEY_CURRENT_USER */
    explicit TestRegistryKey(const char *name);
    ~TestRegistryKey();
    /* Sets value name (null: the default value) of path + subkey (which
     * begins with a backslash, or is empty), creating the subkey. */
    bool SetValue(const std::string &subkey, const char *name, DWORD type, const void *data,
                  DWORD size) const;
    bool SetText(const std::string &subkey, const char *name, const std::string &text,
                 DWORD type = REG_SZ) const;
};

/* Remembers one value (or that it and its key were absent) and restores
 * that state when destroyed.  Set and Remove change it meanwhile. */
struct ScopedRegistryValue {
    HKEY root;
    std::string key;
    std::string name;
    bool keyExisted = false;
    bool valueExisted = false;
    DWORD type = 0;
    std::string data;
    ScopedRegistryValue(HKEY root, const std::string &key, const char *name);
    ~ScopedRegistryValue();
    bool Set(DWORD type, const void *data, DWORD size) const;
    bool Remove() const;
};
