// Fixtures below HKEY_LOCAL_MACHINE for the inventory tests of the Wine
// prefix: values changed for one test and restored after it, and keys of the
// test's own (their names carry "Zunda") created and removed with everything
// below them.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zunda::test {

class MachineValue {
public:
    MachineValue(std::string key, std::string name) : key_(std::move(key)), name_(std::move(name)) {
        HKEY k = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return;
        std::vector<BYTE> buf(64 * 1024);
        DWORD size = static_cast<DWORD>(buf.size()), type = 0;
        if (RegQueryValueExA(k, name_.c_str(), nullptr, &type, buf.data(), &size) == ERROR_SUCCESS)
            saved_ = std::make_pair(type, std::string(reinterpret_cast<char*>(buf.data()), size));
        RegCloseKey(k);
    }
    ~MachineValue() {
        if (saved_) Set(saved_->first, saved_->second.data(), static_cast<DWORD>(saved_->second.size()));
        else Delete();
    }
    MachineValue(const MachineValue&) = delete;
    MachineValue& operator=(const MachineValue&) = delete;

    void Set(DWORD type, const void* data, DWORD size) {
        HKEY k = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(k, name_.c_str(), 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(k);
    }
    void Set(DWORD type, const std::string& bytes) { Set(type, bytes.data(), static_cast<DWORD>(bytes.size())); }
    void SetString(const char* text) { Set(REG_SZ, text, static_cast<DWORD>(strlen(text) + 1)); }
    void Delete() {
        HKEY k = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
        RegDeleteValueA(k, name_.c_str());
        RegCloseKey(k);
    }
    bool Existed() const { return saved_.has_value(); }

private:
    std::string key_, name_;
    std::optional<std::pair<DWORD, std::string>> saved_;
};

// Removes a key and its subkeys; only keys whose own name carries "Zunda"
// (any case), or that lie below such a key, are touched.
inline void DeleteZundaKey(HKEY parent, const std::string& path, bool below = false) {
    const std::string own = path.substr(path.rfind('\\') + 1);
    std::string lower = own;
    for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    if (!below && lower.find("zunda") == std::string::npos) return;
    HKEY k = nullptr;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
    char name[256];
    for (;;) {
        DWORD len = sizeof(name);
        if (RegEnumKeyExA(k, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        const std::string child = name;
        DeleteZundaKey(k, child, true);
        HKEY probe = nullptr;
        if (RegOpenKeyExA(k, child.c_str(), 0, KEY_READ, &probe) == ERROR_SUCCESS) {  // could not be removed
            RegCloseKey(probe);
            break;
        }
    }
    RegCloseKey(k);
    RegDeleteKeyA(parent, path.c_str());
}

class MachineKey {
public:
    // `path` must end in a key of the test's own, named with "Zunda".
    explicit MachineKey(std::string path) : path_(std::move(path)) {
        DeleteZundaKey(HKEY_LOCAL_MACHINE, path_);
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    }
    ~MachineKey() {
        if (key_) RegCloseKey(key_);
        DeleteZundaKey(HKEY_LOCAL_MACHINE, path_);
    }
    MachineKey(const MachineKey&) = delete;
    MachineKey& operator=(const MachineKey&) = delete;

    void Set(const char* name, DWORD type, const std::string& bytes) {
        RegSetValueExA(key_, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size()));
    }
    void SetString(const char* name, const char* text) { Set(name, REG_SZ, std::string(text, strlen(text) + 1)); }
    void SetDword(const char* name, DWORD v) { Set(name, REG_DWORD, std::string(reinterpret_cast<char*>(&v), 4)); }
    void AddSubkey(const char* name) {
        HKEY sub = nullptr;
        if (RegCreateKeyExA(key_, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr) == ERROR_SUCCESS)
            RegCloseKey(sub);
    }

private:
    std::string path_;
    HKEY key_ = nullptr;
};

}  // namespace zunda::test
