// The registry reads and writes that MxUtils offers its clients. Reads of a
// missing key or value give an empty text or 0; writes only ever change a
// value that already exists and never create keys or values.
#pragma once

#include "system/core/registry.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zunda::utils {

// The most bytes ReadRegBinary accepts.
constexpr std::size_t kBinaryLimit = 255;

// A string value (REG_SZ or REG_EXPAND_SZ, unexpanded). Other types fail.
std::string ReadRegString(reg::Registry& registry, reg::Root root, const std::string& key,
                          const std::string& ident);
// A REG_DWORD value. Other types fail.
std::int32_t ReadRegInt(reg::Registry& registry, reg::Root root, const std::string& key, const std::string& ident);
// Up to kBinaryLimit bytes of binary (or untyped, or multi-string) data, as
// text up to the first zero byte. Larger data and string or DWORD values fail.
std::string ReadRegBinary(reg::Registry& registry, reg::Root root, const std::string& key,
                          const std::string& ident);

// Writes fail only for real failures; a missing key or value is no error.
void WriteRegString(reg::Registry& registry, reg::Root root, const std::string& key, const std::string& ident,
                    std::string_view value);
void WriteRegInt(reg::Registry& registry, reg::Root root, const std::string& key, const std::string& ident,
                 std::int32_t value);
void WriteRegBinary(reg::Registry& registry, reg::Root root, const std::string& key, const std::string& ident,
                    std::string_view bytes);

// DCOM settings of the machine.
bool IsDcomEnabled(reg::Registry& registry);
// The installed DCOM version, empty unless DCOM is enabled.
std::string DcomVersion(reg::Registry& registry);

}  // namespace zunda::utils
