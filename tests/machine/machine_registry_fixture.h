// Fixtures below HKEY_LOCAL_MACHINE for the inventory tests of the Wine
// prefix: values changed for one test and restored after it, and keys
// created for one test and removed after it.
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

// Removes a key with everything below it.
inline void DeleteKeyTree(HKEY parent, const std::string& path) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
    char name[256];
    for (;;) {
        DWORD len = sizeof(name);
        if (RegEnumKeyExA(k, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        const std::string child = name;
        DeleteKeyTree(k, child);
        HKEY probe = nullptr;
        if (RegOpenKeyExA(k, child.c_str(), 0, KEY_READ, &probe) == ERROR_SUCCESS) {  // could not be removed
            RegCloseKey(probe);
            break;
        }
    }
    RegCloseKey(k);
    RegDeleteKeyA(parent, path.c_str());
}

inline bool MachineKeyExists(const std::string& path) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

// A key created for one test, together with the keys above it that did not
// exist yet; all of them go again when the test ends. A key of that path
// left behind by an earlier run is only taken over when its name carries
// "Zunda", so a fixture never removes the system's own keys.
class MachineKey {
public:
    explicit MachineKey(std::string path) : path_(std::move(path)) {
        if (MachineKeyExists(path_)) {
            std::string own = path_.substr(path_.rfind('\\') + 1);
            for (char& c : own) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
            if (own.find("zunda") == std::string::npos) {
                ADD_FAILURE() << "fixture key exists already: " << path_;
                return;
            }
            DeleteKeyTree(HKEY_LOCAL_MACHINE, path_);
        }
        // The topmost key of the path that is new.
        for (size_t pos = path_.find('\\'); ; pos = path_.find('\\', pos + 1)) {
            const std::string prefix = path_.substr(0, pos);
            if (!MachineKeyExists(prefix)) {
                created_ = prefix;
                break;
            }
            if (pos == std::string::npos) break;
        }
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    }
    ~MachineKey() {
        if (key_) RegCloseKey(key_);
        if (!created_.empty()) DeleteKeyTree(HKEY_LOCAL_MACHINE, created_);
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
    std::string path_, created_;
    HKEY key_ = nullptr;
};

}  // namespace zunda::test
