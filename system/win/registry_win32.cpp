#include "system/win/registry_win32.h"

#include "server/win/com_util.h"

#include <vector>

namespace zunda {
namespace {

class Win32Key final : public reg::Key {
public:
    explicit Win32Key(HKEY key) : key_(key) {}
    ~Win32Key() override { RegCloseKey(key_); }
    Win32Key(const Win32Key&) = delete;
    Win32Key& operator=(const Win32Key&) = delete;

    long Query(const std::string& name, reg::Data& out) override {
        out = reg::Data();
        // The value may grow between the size query and the read: retry.
        for (int attempt = 0; attempt < 8; ++attempt) {
            DWORD type = 0, size = 0;
            LONG rc = RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size);
            if (rc != ERROR_SUCCESS) return rc;
            std::string bytes(size, '\0');
            DWORD got = size;
            rc = RegQueryValueExA(key_, name.c_str(), nullptr, &type,
                                  size ? reinterpret_cast<BYTE*>(bytes.data()) : nullptr, &got);
            if (rc == ERROR_MORE_DATA) continue;
            if (rc != ERROR_SUCCESS) return rc;
            bytes.resize(got < size ? got : size);
            out.type = type;
            out.bytes = std::move(bytes);
            return ERROR_SUCCESS;
        }
        return ERROR_MORE_DATA;
    }

    long Set(const std::string& name, std::uint32_t type, std::string_view bytes) override {
        return RegSetValueExA(key_, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                              static_cast<DWORD>(bytes.size()));
    }

    long Values(std::vector<std::pair<std::string, reg::Data>>& out) override {
        out.clear();
        DWORD count = 0, maxName = 0, maxData = 0;
        LONG rc = RegQueryInfoKeyA(key_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &maxName,
                                   &maxData, nullptr, nullptr);
        if (rc != ERROR_SUCCESS) return rc;
        std::vector<char> name(maxName + 2);
        std::vector<BYTE> data(maxData + 2);
        for (DWORD i = 0;; ++i) {
            DWORD nameLen = static_cast<DWORD>(name.size());
            DWORD dataLen = static_cast<DWORD>(data.size());
            DWORD type = 0;
            rc = RegEnumValueA(key_, i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen);
            if (rc == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
            if (rc == ERROR_MORE_DATA) {
                // Grown since the size query: enlarge and read this index again.
                name.resize(name.size() * 2 + 256);
                data.resize(data.size() * 2 + 256);
                --i;
                continue;
            }
            if (rc != ERROR_SUCCESS) return rc;
            reg::Data d;
            d.type = type;
            d.bytes.assign(reinterpret_cast<const char*>(data.data()), dataLen);
            out.emplace_back(std::string(name.data(), nameLen), std::move(d));
        }
    }

    long Subkeys(std::vector<std::string>& out) override {
        out.clear();
        char name[1024];
        for (DWORD i = 0;; ++i) {
            DWORD len = sizeof(name);
            LONG rc = RegEnumKeyExA(key_, i, name, &len, nullptr, nullptr, nullptr, nullptr);
            if (rc == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
            if (rc != ERROR_SUCCESS) return rc;
            out.emplace_back(name, len);
        }
    }

private:
    HKEY key_;
};

}  // namespace

HKEY RootKey(reg::Root root) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(root))));
}

long Win32Registry::Open(reg::Root root, const std::string& path, std::uint32_t access,
                         std::unique_ptr<reg::Key>& out) {
    out.reset();
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExA(RootKey(root), path.c_str(), 0, access, &key);
    if (rc != ERROR_SUCCESS) return rc;
    out = std::make_unique<Win32Key>(key);
    return ERROR_SUCCESS;
}

std::string Win32Registry::Message(long code) const { return SystemMessage(static_cast<DWORD>(code)); }

Win32Registry& SystemRegistry() {
    static Win32Registry registry;
    return registry;
}

}  // namespace zunda
