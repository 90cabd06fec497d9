// libFuzzer target for the version-resource walk (both forms): the whole
// input is the resource. What was read must stay within the input, and
// writing it back as a well-formed resource of either form and reading that
// again must give the same tables, entries, translations and file version.
#include "files/core/file_record.h"
#include "files/core/version_resource.h"
#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <vector>

namespace {

using zunda::core::VersionResource;
using zunda::fuzz::Check;

// Wide text to 8-bit, one byte per character: '?' for what 8 bits cannot hold.
std::string Narrow(std::u16string_view w) {
    std::string out;
    for (char16_t c : w) out.push_back(c < 256 ? static_cast<char>(c) : '?');
    return out;
}

void Pad(std::string& b) {
    while (b.size() % 4) b.push_back('\0');
}
void PutWord(std::string& b, std::size_t at, std::size_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void AddDword(std::string& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// One block of either form: texts are 8-bit, widened byte by byte in the 32-bit form.
struct Node {
    std::string key;
    bool text = true;
    std::string value;  // a text without its terminator, or raw bytes
    std::vector<Node> children;

    std::string Build(bool wide) const {
        std::string b(wide ? 6 : 4, '\0');
        if (wide) PutWord(b, 4, text ? 1 : 0);
        for (char c : key) {
            b.push_back(c);
            if (wide) b.push_back('\0');
        }
        b.append(wide ? 2 : 1, '\0');
        Pad(b);
        std::size_t valueLength = 0;
        if (text && !value.empty()) {
            for (char c : value) {
                b.push_back(c);
                if (wide) b.push_back('\0');
            }
            b.append(wide ? 2 : 1, '\0');
            valueLength = value.size() + 1;
        } else if (!text) {
            b += value;
            valueLength = value.size();
        }
        for (const Node& c : children) {
            Pad(b);
            b += c.Build(wide);
        }
        PutWord(b, 0, b.size());
        PutWord(b, 2, valueLength);
        return b;
    }
};

std::string Rebuild(const VersionResource& r, bool wide) {
    Node root{"VS_VERSION_INFO", false, "", {}};
    if (r.HasFileVersion()) {
        AddDword(root.value, 0xFEEF04BDu);
        AddDword(root.value, 0x00010000u);
        AddDword(root.value, static_cast<std::uint32_t>(*r.fileVersion[0]) << 16 | *r.fileVersion[1]);
        AddDword(root.value, static_cast<std::uint32_t>(*r.fileVersion[2]) << 16 | *r.fileVersion[3]);
        root.value.append(36, '\0');
    }
    Node strings{"StringFileInfo", true, "", {}};
    for (const auto& t : r.tables) {
        char id[16];
        std::snprintf(id, sizeof(id), "%04X%04X", t.language, t.codePage);
        strings.children.push_back(Node{id, true, "", {}});
    }
    for (const auto& e : r.entries) {
        // Cut at the first "=": key and value join back into the same text.
        const std::size_t eq = e.text.find('=');
        strings.children[e.table].children.push_back(Node{e.text.substr(0, eq), true, e.text.substr(eq + 1), {}});
    }
    root.children.push_back(strings);
    Node vars{"VarFileInfo", true, "", {}};
    Node translation{"Translation", false, "", {}};
    for (std::uint32_t t : r.translations) AddDword(translation.value, t);
    vars.children.push_back(translation);
    root.children.push_back(vars);
    return root.Build(wide);
}

bool SameContent(const VersionResource& a, const VersionResource& b) {
    if (a.valid != b.valid || a.tables.size() != b.tables.size() || a.entries.size() != b.entries.size() ||
        a.translations != b.translations)
        return false;
    for (int i = 0; i < 4; ++i)
        if (a.fileVersion[i] != b.fileVersion[i]) return false;
    for (std::size_t i = 0; i < a.tables.size(); ++i)
        if (a.tables[i].language != b.tables[i].language || a.tables[i].codePage != b.tables[i].codePage) return false;
    for (std::size_t i = 0; i < a.entries.size(); ++i)
        if (a.entries[i].table != b.entries[i].table || a.entries[i].text != b.entries[i].text) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const VersionResource r = zunda::core::ParseVersionResource(bytes, Narrow);
    if (!r.valid) {
        Check(r.tables.empty() && r.entries.empty() && r.translations.empty() && !r.HasFileVersion(),
              "an invalid resource yields nothing");
        return 0;
    }

    // Every block takes at least 4 bytes, and texts come from inside the input.
    Check(r.tables.size() + r.entries.size() <= size / 4, "more blocks than the input can hold");
    Check(r.translations.size() <= size / 4, "more translations than the input can hold");
    std::size_t textBytes = 0;
    for (const auto& e : r.entries) {
        Check(e.table < r.tables.size(), "entry of a table that was not read");
        Check(e.text.find('\0') == std::string::npos, "zero byte in an entry");
        textBytes += e.text.size();
    }
    Check(textBytes <= size, "entry texts larger than the input");
    for (int i = 1; i < 4; ++i) Check(r.fileVersion[i].has_value() == r.HasFileVersion(), "partial file version");
    for (const char* key : zunda::core::kVersionKeys) (void)r.Value(key);
    const std::string version = zunda::core::VersionText(r, "file.dll");
    Check(version.size() <= 4 * 5 + 3 || !r.HasFileVersion(), "version text longer than four numbers");

    // Sizes stay below the 16-bit block lengths for inputs up to 8 KiB.
    if (size <= 8192) {
        for (bool wide : {true, false}) {
            const std::string again = Rebuild(r, wide);
            if (again.size() > 0xFFFF) continue;
            const VersionResource s = zunda::core::ParseVersionResource(again, Narrow);
            Check(SameContent(r, s), wide ? "32-bit form does not read back" : "16-bit form does not read back");
        }
    }
    return 0;
}
