#include "system/core/reg_values.h"

#include "server/core/failure.h"

#include <memory>
#include <optional>

namespace zunda::utils {
namespace {

std::string Quoted(const std::string& ident) { return "'" + ident + "'"; }

// The value's data, or nullopt when the key or the value does not exist.
std::optional<reg::Data> Lookup(reg::Registry& registry, reg::Root root, const std::string& key,
                                const std::string& ident) {
    std::unique_ptr<reg::Key> k;
    long rc = registry.Open(root, key, reg::kRead, k);
    if (reg::IsMissing(rc)) return std::nullopt;
    reg::Check(registry, rc);
    reg::Data data;
    rc = k->Query(ident, data);
    if (reg::IsMissing(rc)) return std::nullopt;
    reg::Check(registry, rc);
    return data;
}

bool IsTextType(std::uint32_t type) { return type == reg::kString || type == reg::kExpandString; }

// Opens the key for writing and checks that the value exists; nullptr when
// either is missing, which is not reported.
std::unique_ptr<reg::Key> ExistingValue(reg::Registry& registry, reg::Root root, const std::string& key,
                                        const std::string& ident) {
    std::unique_ptr<reg::Key> k;
    long rc = registry.Open(root, key, reg::kAllAccess, k);
    if (reg::IsMissing(rc)) return nullptr;
    reg::Check(registry, rc);
    reg::Data current;
    rc = k->Query(ident, current);
    if (reg::IsMissing(rc)) return nullptr;
    reg::Check(registry, rc);
    return k;
}

void Write(reg::Registry& registry, reg::Root root, const std::string& key, const std::string& ident,
           std::uint32_t type, std::string_view bytes) {
    std::unique_ptr<reg::Key> k = ExistingValue(registry, root, key, ident);
    if (k) reg::Check(registry, k->Set(ident, type, bytes));
}

}  // namespace

std::string ReadRegString(reg::Registry& registry, reg::Root root, const std::string& key,
                          const std::string& ident) {
    std::optional<reg::Data> data = Lookup(registry, root, key, ident);
    if (!data) return std::string();
    if (!IsTextType(data->type)) throw Failure("The registry value " + Quoted(ident) + " is not a string.");
    return reg::StringOf(*data);
}

std::int32_t ReadRegInt(reg::Registry& registry, reg::Root root, const std::string& key, const std::string& ident) {
    std::optional<reg::Data> data = Lookup(registry, root, key, ident);
    if (!data) return 0;
    if (data->type != reg::kDword || data->bytes.size() > 4)
        throw Failure("The registry value " + Quoted(ident) + " is not a 32-bit integer.");
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < data->bytes.size(); ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(data->bytes[i])) << (8 * i);
    return static_cast<std::int32_t>(value);
}

std::string ReadRegBinary(reg::Registry& registry, reg::Root root, const std::string& key,
                          const std::string& ident) {
    std::optional<reg::Data> data = Lookup(registry, root, key, ident);
    if (!data) return std::string();
    if (IsTextType(data->type) || data->type == reg::kDword)
        throw Failure("The registry value " + Quoted(ident) + " is not binary data.");
    if (data->bytes.size() > kBinaryLimit)
        throw Failure("The registry value " + Quoted(ident) + " is larger than 255 bytes.");
    // Only the bytes the value really has count, up to the first zero.
    return reg::StringOf(*data);
}

void WriteRegString(reg::Registry& registry, reg::Root root, const std::string& key, const std::string& ident,
                    std::string_view value) {
    std::string bytes(value);
    bytes.push_back('\0');
    Write(registry, root, key, ident, reg::kString, bytes);
}

void WriteRegInt(reg::Registry& registry, reg::Root root, const std::string& key, const std::string& ident,
                 std::int32_t value) {
    const std::uint32_t v = static_cast<std::uint32_t>(value);
    char bytes[4];
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    Write(registry, root, key, ident, reg::kDword, std::string_view(bytes, 4));
}

void WriteRegBinary(reg::Registry& registry, reg::Root root, const std::string& key, const std::string& ident,
                    std::string_view bytes) {
    const std::string_view::size_type end = bytes.find('\0');
    Write(registry, root, key, ident, reg::kBinary, end == std::string_view::npos ? bytes : bytes.substr(0, end));
}

bool IsDcomEnabled(reg::Registry& registry) {
    const std::string v = ReadRegString(registry, reg::kLocalMachine, "Software\\Microsoft\\OLE", "EnableDCOM");
    return v == "y" || v == "Y";
}

std::string DcomVersion(reg::Registry& registry) {
    if (!IsDcomEnabled(registry)) return std::string();
    return ReadRegString(registry, reg::kClassesRoot,
                         "CLSID\\{bdc67890-4fc0-11d0-a805-00aa006d2ea4}\\InstalledVersion", "");
}

}  // namespace zunda::utils
