#include "files/core/version_resource.h"

#include <algorithm>
#include <cstdio>

namespace zunda::core {

const char* const kVersionKeys[12] = {"Comments",       "CompanyName",      "FileDescription", "FileVersion",
                                      "InternalName",   "LegalCopyright",   "LegalTradeMarks", "OriginalFilename",
                                      "ProductName",    "ProductVersion",   "SpecialBuild",    "PrivateBuild"};

std::string VersionResource::Value(std::string_view key) const {
    for (const VersionEntry& e : entries) {
        const std::string_view text = e.text;
        if (text.size() > key.size() && text.substr(0, key.size()) == key && text[key.size()] == '=')
            return std::string(text.substr(key.size() + 1));
    }
    return std::string();
}

namespace {

constexpr std::size_t Align4(std::size_t n) { return (n + 3) & ~std::size_t(3); }

std::uint16_t Word(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      (static_cast<unsigned char>(b[at + 1]) << 8));
}
std::uint32_t Dword(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(Word(b, at)) | (static_cast<std::uint32_t>(Word(b, at + 2)) << 16);
}

// One block: [begin, end) is the whole block; the value and the children
// lie inside it.
struct Block {
    std::size_t begin = 0, end = 0;
    std::uint16_t valueLength = 0;
    std::uint16_t type = 1;  // the 16-bit form has no type: its values are texts
    std::string key;
    std::size_t value = 0;     // offset of the value
    std::size_t children = 0;  // offset of the first child
};

class Walker {
public:
    Walker(std::string_view bytes, const WideToAnsi& toAnsi) : b_(bytes), toAnsi_(toAnsi) {
        wide_ = b_.size() >= 5 && b_[4] != 'V';
    }

    // Reads the block at `at` that must end within `limit`; false when it is malformed.
    bool Read(std::size_t at, std::size_t limit, Block& out) const {
        const std::size_t header = wide_ ? 6 : 4;
        if (at > limit || limit - at < header) return false;
        const std::uint16_t length = Word(b_, at);
        if (length < header || length > limit - at) return false;
        out.begin = at;
        out.end = at + length;
        out.valueLength = Word(b_, at + 2);
        std::size_t pos = at + 4;
        if (wide_) {
            out.type = Word(b_, pos);
            pos += 2;
            std::u16string key;
            for (;;) {
                if (out.end - pos < 2) return false;  // unterminated key
                const char16_t c = static_cast<char16_t>(Word(b_, pos));
                pos += 2;
                if (c == 0) break;
                key.push_back(c);
            }
            out.key = toAnsi_(key);
        } else {
            out.type = 1;
            const std::size_t zero = b_.substr(pos, out.end - pos).find('\0');
            if (zero == std::string_view::npos) return false;
            out.key.assign(b_.substr(pos, zero));
            pos += zero + 1;
        }
        out.value = Align4(pos);
        if (out.value > out.end) {
            // A block that ends right after its key has no value and no children.
            if (out.valueLength != 0) return false;
            out.value = out.children = out.end;
            return true;
        }
        std::size_t valueBytes = ValueBytes(out);
        if (valueBytes > out.end - out.value) {
            // A text may state its length in bytes or characters; it is read up
            // to the block's end. Binary data past the block is malformed.
            if (!IsText(out)) return false;
            valueBytes = out.end - out.value;
        }
        out.children = Align4(out.value + valueBytes);
        if (out.children > out.end) out.children = out.end;
        return true;
    }

    // Calls visit for each child of parent; stops at the first malformed one.
    template <class F>
    void Children(const Block& parent, F&& visit) const {
        std::size_t at = parent.children;
        while (at < parent.end) {
            Block child;
            if (!Read(at, parent.end, child)) return;
            visit(child);
            at = Align4(child.end);
        }
    }

    bool IsText(const Block& block) const { return block.type == 1; }
    std::size_t ValueBytes(const Block& block) const {
        return wide_ && IsText(block) ? std::size_t(block.valueLength) * 2 : block.valueLength;
    }

    // A text value up to its terminator, within the block.
    std::string Text(const Block& block) const {
        const std::size_t avail = block.end - block.value;
        if (wide_) {
            std::u16string text;
            const std::size_t limit = std::min(avail / 2, std::size_t(block.valueLength));
            for (std::size_t i = 0; i < limit; ++i) {
                const char16_t c = static_cast<char16_t>(Word(b_, block.value + 2 * i));
                if (c == 0) break;
                text.push_back(c);
            }
            return toAnsi_(text);
        }
        std::string_view raw = b_.substr(block.value, std::min(avail, std::size_t(block.valueLength)));
        const std::size_t zero = raw.find('\0');
        return std::string(zero == std::string_view::npos ? raw : raw.substr(0, zero));
    }

    // A binary value of 1 to 4 bytes as "$" and two hex digits per byte; others are empty.
    std::string Binary(const Block& block) const {
        const std::size_t n = block.valueLength;
        if (n < 1 || n > 4 || n > block.end - block.value) return std::string();
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < n; ++i) v |= static_cast<std::uint32_t>(static_cast<unsigned char>(b_[block.value + i])) << (8 * i);
        char text[16];
        std::snprintf(text, sizeof(text), "$%0*X", static_cast<int>(2 * n), static_cast<unsigned>(v));
        return text;
    }

    std::string_view Bytes() const { return b_; }
    bool Wide() const { return wide_; }

private:
    std::string_view b_;
    const WideToAnsi& toAnsi_;
    bool wide_ = true;
};

std::uint16_t Hex4(std::string_view text) {
    std::uint16_t v = 0;
    for (char c : text) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return 0;
        v = static_cast<std::uint16_t>(v * 16 + d);
    }
    return v;
}

}  // namespace

VersionResource ParseVersionResource(std::string_view bytes, const WideToAnsi& toAnsi) {
    VersionResource out;
    Walker w(bytes, toAnsi);
    Block root;
    if (!w.Read(0, bytes.size(), root) || root.key != "VS_VERSION_INFO") return out;
    out.valid = true;

    // The fixed part: signature 0xFEEF04BD, then the file version (MS, LS).
    if (root.valueLength >= 52 && root.end - root.value >= 52 && Dword(bytes, root.value) == 0xFEEF04BDu) {
        const std::uint32_t ms = Dword(bytes, root.value + 8), ls = Dword(bytes, root.value + 12);
        out.fileVersion[0] = static_cast<std::uint16_t>(ms >> 16);
        out.fileVersion[1] = static_cast<std::uint16_t>(ms & 0xFFFF);
        out.fileVersion[2] = static_cast<std::uint16_t>(ls >> 16);
        out.fileVersion[3] = static_cast<std::uint16_t>(ls & 0xFFFF);
    }

    w.Children(root, [&](const Block& section) {
        if (section.key == "StringFileInfo") {
            w.Children(section, [&](const Block& table) {
                if (table.key.size() != 8) return;
                const std::size_t index = out.tables.size();
                out.tables.push_back({Hex4(std::string_view(table.key).substr(0, 4)),
                                      Hex4(std::string_view(table.key).substr(4, 4))});
                w.Children(table, [&](const Block& entry) {
                    std::string value;
                    if (entry.type == 1) value = w.Text(entry);
                    else if (entry.type == 0) value = w.Binary(entry);
                    out.entries.push_back({index, entry.key + "=" + value});
                });
            });
        } else if (section.key == "VarFileInfo") {
            w.Children(section, [&](const Block& var) {
                if (var.key != "Translation") return;
                const std::size_t n = std::min(std::size_t(var.valueLength), var.end - var.value) / 4;
                for (std::size_t i = 0; i < n; ++i) out.translations.push_back(Dword(bytes, var.value + 4 * i));
            });
        }
    });
    return out;
}

}  // namespace zunda::core
