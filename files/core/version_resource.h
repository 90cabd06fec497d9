// The version resource of a file, parsed from the bytes GetFileVersionInfoA
// returns: the fixed file version, every string-table entry as
// "key=value" tagged with its table, the table identifiers and the
// translation values. Both forms are read: the 32-bit one (wide keys and a
// type word) and the 16-bit one (8-bit keys, no type word). Every block is
// bounded by its parent and by the buffer; a malformed block ends the walk
// of its parent, and what was read before it is kept.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zunda::core {

struct StringTableId {
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
};

struct VersionEntry {
    std::size_t table = 0;  // position in VersionResource::tables
    std::string text;       // key "=" value
};

struct VersionResource {
    bool valid = false;  // the root block is "VS_VERSION_INFO"
    std::optional<std::uint16_t> fileVersion[4];
    std::vector<StringTableId> tables;
    std::vector<VersionEntry> entries;
    std::vector<std::uint32_t> translations;

    bool HasFileVersion() const { return fileVersion[0].has_value(); }
    // The value of the first entry with this key (letter case counts); empty when none has it.
    std::string Value(std::string_view key) const;
};

// Converts the wide texts of the 32-bit form to the system code page.
using WideToAnsi = std::function<std::string(std::u16string_view)>;

VersionResource ParseVersionResource(std::string_view bytes, const WideToAnsi& toAnsi);

// The keys of the version texts, in table order (1 "Comments" .. 12 "PrivateBuild").
extern const char* const kVersionKeys[12];

}  // namespace zunda::core
