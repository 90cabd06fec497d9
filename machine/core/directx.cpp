#include "machine/core/directx.h"

#include "machine/core/subkeys.h"
#include "machine/core/trim.h"

#include <memory>

namespace zunda::machine {
namespace {

std::uint32_t BigEndian(std::string_view b, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return v;
}

bool IsText(std::uint32_t type) { return type == reg::kString || type == reg::kExpandString; }

// Queries a value: false when it is missing; other failures throw.
bool Query(reg::Registry& registry, reg::Key& key, const char* name, reg::Data& data) {
    const long rc = key.Query(name, data);
    if (reg::IsMissing(rc)) return false;
    reg::Check(registry, rc);
    return true;
}

}  // namespace

std::string InstalledVersionText(std::string_view bytes) {
    if (bytes.size() < 4) return std::string();
    const std::uint32_t minor = bytes.size() >= 8 ? BigEndian(bytes, 4) : 0;
    return std::to_string(BigEndian(bytes, 0)) + "." + std::to_string(minor);
}

std::string DirectXVersion(reg::Registry& registry) {
    std::unique_ptr<reg::Key> key;
    if (registry.Open(reg::kLocalMachine, kDirectXKey, reg::kRead, key) != reg::kOk) return kNotInstalled;
    std::string version;
    reg::Data data;
    if (Query(registry, *key, "Version", data) && IsText(data.type)) version = reg::StringOf(data);
    if (version.empty() && Query(registry, *key, "InstalledVersion", data) &&
        (data.type == reg::kBinary || data.type == reg::kNone))
        version = InstalledVersionText(data.bytes);
    version = TrimLow(version);
    return version.empty() ? kNotInstalled : version;
}

void SubkeyDescriptions(reg::Registry& registry, const std::string& key, const AddLine& add) {
    const long listed = VisitSubkeys(registry, key, [&](reg::Key& sub) {
        reg::Data data;
        if (sub.Query("Description", data) == reg::kOk && IsText(data.type)) add(reg::StringOf(data));
        return true;
    });
    reg::Check(registry, listed);
}

}  // namespace zunda::machine
