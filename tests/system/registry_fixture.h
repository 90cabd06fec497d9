// Registry fixtures of the Windows-side tests: everything lives below
// HKCU\Software\ZundaTest and is removed again by the fixture.
#pragma once

#include <windows.h>

#include <string>

namespace zunda::test {

class ZundaTestKey {
public:
    static constexpr const char* kPath = "Software\\ZundaTest";
    ZundaTestKey() {
        RegDeleteTreeBelow();
        RegCreateKeyExA(HKEY_CURRENT_USER, kPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    }
    ~ZundaTestKey() {
        if (key_) RegCloseKey(key_);
        RegDeleteTreeBelow();
    }
    ZundaTestKey(const ZundaTestKey&) = delete;
    ZundaTestKey& operator=(const ZundaTestKey&) = delete;

    void Set(const char* name, DWORD type, const void* data, DWORD size) {
        RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), size);
    }
    void SetString(const char* name, const std::string& text) {
        Set(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
    void SetDword(const char* name, DWORD v) { Set(name, REG_DWORD, &v, sizeof(v)); }
    // The raw data and type of a value; false when it is missing.
    bool Get(const char* name, std::string& data, DWORD& type) const {
        BYTE buf[1024];
        DWORD size = sizeof(buf);
        if (RegQueryValueExA(key_, name, nullptr, &type, buf, &size) != ERROR_SUCCESS) return false;
        data.assign(reinterpret_cast<const char*>(buf), size);
        return true;
    }
    bool HasSubkey(const char* name) const {
        HKEY k = nullptr;
        if (RegOpenKeyExA(key_, name, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
        RegCloseKey(k);
        return true;
    }

private:
    // Removes the test key with its values and one level of subkeys.
    static void RegDeleteTreeBelow() {
        HKEY k = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kPath, 0, KEY_ALL_ACCESS, &k) == ERROR_SUCCESS) {
            char name[256];
            DWORD len = sizeof(name);
            while (RegEnumKeyExA(k, 0, name, &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
                RegDeleteKeyA(k, name);
                len = sizeof(name);
            }
            RegCloseKey(k);
        }
        RegDeleteKeyA(HKEY_CURRENT_USER, kPath);
    }
    HKEY key_ = nullptr;
};

}  // namespace zunda::test
