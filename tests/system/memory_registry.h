// An in-memory registry for native tests: keys with values in insertion
// order, subkeys in name order, and keys that refuse reading or writing.
#pragma once

#include "system/core/registry.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace zunda::test {

class MemoryRegistry final : public reg::Registry {
public:
    struct KeyData {
        std::string path;  // as created
        std::vector<std::pair<std::string, reg::Data>> values;
        bool denyRead = false;   // opening for any access fails with access denied
        bool denyWrite = false;  // opening with write access fails with access denied
        long enumFailure = 0;    // Values/Subkeys fail with this code after the first entry
    };

    KeyData& AddKey(reg::Root root, const std::string& path) {
        // Parents exist whenever a child does.
        for (size_t pos = path.find('\\'); pos != std::string::npos; pos = path.find('\\', pos + 1))
            Ensure(root, path.substr(0, pos));
        return Ensure(root, path);
    }
    void Set(reg::Root root, const std::string& path, const std::string& name, std::uint32_t type,
             const std::string& bytes) {
        KeyData& k = AddKey(root, path);
        for (auto& v : k.values)
            if (Lower(v.first) == Lower(name)) {
                v.second = {type, bytes};
                return;
            }
        k.values.push_back({name, {type, bytes}});
    }
    void SetString(reg::Root root, const std::string& path, const std::string& name, const std::string& text) {
        Set(root, path, name, reg::kString, text + std::string(1, '\0'));
    }
    void SetDword(reg::Root root, const std::string& path, const std::string& name, std::uint32_t v) {
        std::string b;
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        Set(root, path, name, reg::kDword, b);
    }
    const reg::Data* Find(reg::Root root, const std::string& path, const std::string& name) const {
        auto it = keys_.find({root, Lower(path)});
        if (it == keys_.end()) return nullptr;
        for (const auto& v : it->second.values)
            if (Lower(v.first) == Lower(name)) return &v.second;
        return nullptr;
    }
    bool HasKey(reg::Root root, const std::string& path) const { return keys_.count({root, Lower(path)}) > 0; }

    long Open(reg::Root root, const std::string& path, std::uint32_t access, std::unique_ptr<reg::Key>& out) override {
        out.reset();
        ++opens;
        auto it = keys_.find({root, Lower(path)});
        if (it == keys_.end()) return reg::kNotFound;
        if (it->second.denyRead) return reg::kAccessDenied;
        if (it->second.denyWrite && (access & 0x0006u)) return reg::kAccessDenied;  // KEY_SET_VALUE | KEY_CREATE_SUB_KEY
        out = std::make_unique<MemoryKey>(*this, root, it->first.second);
        return reg::kOk;
    }
    std::string Message(long code) const override {
        if (code == reg::kAccessDenied) return "Access denied.";
        return "Error " + std::to_string(code) + ".";
    }

    int opens = 0;

private:
    static std::string Lower(std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    }
    KeyData& Ensure(reg::Root root, const std::string& path) {
        KeyData& k = keys_[{root, Lower(path)}];
        if (k.path.empty()) k.path = path;
        return k;
    }

    class MemoryKey final : public reg::Key {
    public:
        MemoryKey(MemoryRegistry& owner, reg::Root root, std::string lowerPath)
            : owner_(owner), root_(root), path_(std::move(lowerPath)) {}
        long Query(const std::string& name, reg::Data& out) override {
            const reg::Data* d = owner_.Find(root_, path_, name);
            if (!d) return reg::kNotFound;
            out = *d;
            return reg::kOk;
        }
        long Set(const std::string& name, std::uint32_t type, std::string_view bytes) override {
            owner_.Set(root_, Data().path, name, type, std::string(bytes));
            return reg::kOk;
        }
        long Values(std::vector<std::pair<std::string, reg::Data>>& out) override {
            out.clear();
            for (const auto& v : Data().values) {
                if (!out.empty() && Data().enumFailure) return Data().enumFailure;
                out.push_back(v);
            }
            return reg::kOk;
        }
        long Subkeys(std::vector<std::string>& out) override {
            out.clear();
            const std::string prefix = path_ + "\\";
            for (const auto& [id, key] : owner_.keys_) {
                if (id.first != root_ || id.second.compare(0, prefix.size(), prefix) != 0) continue;
                if (id.second.find('\\', prefix.size()) != std::string::npos) continue;
                if (!out.empty() && Data().enumFailure) return Data().enumFailure;
                out.push_back(key.path.substr(prefix.size()));
            }
            return reg::kOk;
        }

    private:
        KeyData& Data() { return owner_.keys_.at({root_, path_}); }
        MemoryRegistry& owner_;
        reg::Root root_;
        std::string path_;
    };

    std::map<std::pair<reg::Root, std::string>, KeyData> keys_;
};

}  // namespace zunda::test
