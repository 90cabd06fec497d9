#include "machine/core/machine_lists.h"

#include "machine/core/trim.h"
#include "server/core/failure.h"

#include <memory>

namespace zunda::machine {
namespace {

std::string TextOf(const reg::Data& data, const std::string& name) {
    if (data.type != reg::kString && data.type != reg::kExpandString)
        throw Failure("The registry value '" + name + "' is not a string.");
    return reg::StringOf(data);
}

const char* kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

}  // namespace

std::vector<std::string> ParseEnvironment(const char* block, std::size_t size, std::size_t limit) {
    std::vector<std::string> out;
    if (!block) return out;
    std::string entry;
    const std::size_t end = size < limit ? size : limit;
    for (std::size_t i = 0; i < end; ++i) {
        if (block[i] != '\0') {
            entry.push_back(block[i]);
            continue;
        }
        if (entry.empty()) break;
        out.push_back(entry);
        entry.clear();
    }
    return out;
}

std::string FontLine(const std::string& valueName, const std::string& file) {
    std::string name = valueName;
    std::string type = "?\?\?-Font";
    const std::string::size_type open = name.find('(');
    const std::string::size_type close = name.find(')');
    // Only a "(" that comes before the first ")" opens a type.
    if (open != std::string::npos && close != std::string::npos && open < close) {
        type = TrimLow(name.substr(open + 1, close - open - 1));
        name.erase(open, close - open + 1);
    }
    return TrimLow(name) + ";" + type + ";" + TrimLow(file);
}

void Fonts(reg::Registry& registry, bool isNT, const AddLine& add) {
    const char* path = isNT ? "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"
                            : "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts";
    std::unique_ptr<reg::Key> key;
    if (registry.Open(reg::kLocalMachine, path, reg::kRead, key) != reg::kOk) return;
    std::vector<std::pair<std::string, reg::Data>> values;
    const long rc = key->Values(values);
    for (const auto& [name, data] : values) add(FontLine(name, TextOf(data, name)));
    reg::Check(registry, rc);
}

void InstalledSoftware(reg::Registry& registry, const AddLine& add) {
    std::vector<std::string> names;
    {
        std::unique_ptr<reg::Key> key;
        if (registry.Open(reg::kLocalMachine, kUninstall, reg::kRead, key) != reg::kOk) return;
        reg::Check(registry, key->Subkeys(names));
    }
    for (const std::string& name : names) {
        std::unique_ptr<reg::Key> sub;
        if (registry.Open(reg::kLocalMachine, std::string(kUninstall) + "\\" + name, reg::kRead, sub) != reg::kOk)
            continue;
        reg::Data data;
        const long rc = sub->Query("DisplayName", data);
        if (reg::IsMissing(rc)) continue;
        reg::Check(registry, rc);
        add(TextOf(data, "DisplayName"));
    }
}

}  // namespace zunda::machine
