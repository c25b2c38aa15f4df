/*
 * Registry fixtures: keys of the tests' own and values restored afterwards.
 */
#include "registry.h"

#include <shlwapi.h>

static bool WriteValue(HKEY root, const std::string &key, const char *name, DWORD type,
                       const void *data, DWORD size)
{
    HKEY handle = NULL;
    if (RegCreateKeyExA(root, key.c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL, &handle, NULL) !=
        ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(handle, name, 0, type, (const BYTE *)data, size);
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

TestRegistryKey::TestRegistryKey(const char *name)
{
    static LONG counter;
    path = std::string("Software\\VantrelTests\\") + name + "_" +
           std::to_string(GetCurrentProcessId()) + "_" +
           std::to_string(InterlockedIncrement(&counter));
    HKEY handle = NULL;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &handle,
                        NULL) == ERROR_SUCCESS)
        RegCloseKey(handle);
}

TestRegistryKey::~TestRegistryKey() { SHDeleteKeyA(HKEY_CURRENT_USER, path.c_str()); }

bool TestRegistryKey::SetValue(const std::string &subkey, const char *name, DWORD type,
                               const void *data, DWORD size) const
{
    return WriteValue(HKEY_CURRENT_USER, path + subkey, name, type, data, size);
}

bool TestRegistryKey::SetText(const std::string &subkey, const char *name, const std::string &text,
                              DWORD type) const
{
    return SetValue(subkey, name, type, text.c_str(), (DWORD)text.size() + 1);
}

ScopedRegistryValue::ScopedRegistryValue(HKEY root, const std::string &key, const char *name)
    : root(root), key(key), name(name ? name : "")
{
    HKEY handle = NULL;
    keyExisted = RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &handle) == ERROR_SUCCESS;
    DWORD size = 0;
    if (keyExisted && RegQueryValueExA(handle, name, NULL, &type, NULL, &size) == ERROR_SUCCESS) {
        data.resize(size);
        valueExisted = RegQueryValueExA(handle, name, NULL, &type, (BYTE *)&data[0], &size) ==
                       ERROR_SUCCESS;
        data.resize(size);
    }
    if (handle)
        RegCloseKey(handle);
}

ScopedRegistryValue::~ScopedRegistryValue()
{
    if (valueExisted)
        WriteValue(root, key, name.empty() ? NULL : name.c_str(), type, data.data(),
                   (DWORD)data.size());
    else if (!keyExisted)
        SHDeleteKeyA(root, key.c_str());
    else
        Remove();
}

bool ScopedRegistryValue::Set(DWORD newType, const void *newData, DWORD size) const
{
    return WriteValue(root, key, name.empty() ? NULL : name.c_str(), newType, newData, size);
}

bool ScopedRegistryValue::Remove() const
{
    HKEY handle = NULL;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS)
        return true;
    LONG result = RegDeleteValueA(handle, name.empty() ? NULL : name.c_str());
    RegCloseKey(handle);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}
