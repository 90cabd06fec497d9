// The version-resource parser over built bytes: both forms, binary values,
// translations, and damaged resources that must stop the walk cleanly.
#include "files/core/file_record.h"
#include "files/core/version_resource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace zunda::core {
namespace {

std::string Latin1(std::u16string_view w) {
    std::string out;
    for (char16_t c : w) out.push_back(c < 256 ? static_cast<char>(c) : '?');
    return out;
}

void Pad(std::string& b) {
    while (b.size() % 4) b.push_back('\0');
}
void PutWord(std::string& b, size_t at, unsigned v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
std::string Dwords(std::initializer_list<std::uint32_t> values) {
    std::string out;
    for (std::uint32_t v : values)
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    return out;
}

// Builds a block of the 32-bit form (wide = true) or of the 16-bit form.
struct Node {
    std::string key;
    int type = 1;         // 1 text, 0 binary (32-bit form only)
    std::string value;    // text (8-bit, widened in the 32-bit form) or raw bytes
    std::vector<Node> children;
    int lengthDelta = 0;  // added to the stored total length (damage)
    int lengthOverride = -1;
    int valueLengthOverride = -1;

    std::string Build(bool wide) const {
        std::string b(wide ? 6 : 4, '\0');
        if (wide) {
            PutWord(b, 4, static_cast<unsigned>(type));
            for (char c : key) {
                b.push_back(c);
                b.push_back('\0');
            }
            b.append(2, '\0');
        } else {
            b += key;
            b.push_back('\0');
        }
        Pad(b);
        unsigned valueLength = 0;
        if (!value.empty()) {
            if (type == 1) {
                for (char c : value) {
                    b.push_back(c);
                    if (wide) b.push_back('\0');
                }
                b.append(wide ? 2 : 1, '\0');
                valueLength = static_cast<unsigned>(value.size() + 1);
            } else {
                b += value;
                valueLength = static_cast<unsigned>(value.size());
            }
        }
        if (valueLengthOverride >= 0) valueLength = static_cast<unsigned>(valueLengthOverride);
        for (const Node& c : children) {
            Pad(b);
            b += c.Build(wide);
        }
        PutWord(b, 0, lengthOverride >= 0 ? static_cast<unsigned>(lengthOverride)
                                          : static_cast<unsigned>(static_cast<int>(b.size()) + lengthDelta));
        PutWord(b, 2, valueLength);
        return b;
    }
};

std::string Fixed(std::uint32_t ms, std::uint32_t ls) {
    std::string f = Dwords({0xFEEF04BDu, 0x00010000u, ms, ls, 0, 0, 0x3F, 0, 4, 2, 0, 0, 0});
    return f;
}

Node Sample() {
    Node root{"VS_VERSION_INFO", 0, Fixed(0x0002000Fu, 0x012C9C40u), {}};
    Node strings{"StringFileInfo", 1, "", {}};
    strings.children.push_back(Node{"040704B0", 1, "", {{"CompanyName", 1, "Firma GmbH", {}}, {"Comments", 1, "deutsch", {}}}});
    strings.children.push_back(Node{"040904E4", 1, "", {{"CompanyName", 1, "Company Inc", {}},
                                                        {"ProductName", 1, "Product", {}},
                                                        {"Flags", 0, std::string("\x34\x12", 2), {}},
                                                        {"Big", 0, std::string(6, '\x01'), {}}}});
    Node vars{"VarFileInfo", 1, "", {{"Translation", 0, Dwords({0x04B00407u, 0x04E40409u}), {}}}};
    root.children = {strings, vars};
    return root;
}

TEST(VersionResource, ReadsBothFormsAlike) {
    for (bool wide : {true, false}) {
        SCOPED_TRACE(wide ? "32-bit form" : "16-bit form");
        Node root = Sample();
        if (!wide) root.children[0].children[1].children.resize(2);  // no binary entries in the 16-bit form
        const VersionResource r = ParseVersionResource(root.Build(wide), Latin1);
        ASSERT_TRUE(r.valid);
        ASSERT_EQ(r.tables.size(), 2u);
        EXPECT_EQ(r.tables[0].language, 0x0407);
        EXPECT_EQ(r.tables[0].codePage, 0x04B0);
        EXPECT_EQ(r.tables[1].codePage, 0x04E4);
        // The first table that holds a key wins.
        EXPECT_EQ(r.Value("CompanyName"), "Firma GmbH");
        EXPECT_EQ(r.Value("ProductName"), "Product");
        EXPECT_EQ(r.Value("Comments"), "deutsch");
        EXPECT_EQ(r.Value("InternalName"), "");
        EXPECT_EQ(r.entries[2].table, 1u);
        EXPECT_EQ(r.entries[2].text, "CompanyName=Company Inc");
        EXPECT_EQ(r.translations, (std::vector<std::uint32_t>{0x04B00407u, 0x04E40409u}));
        EXPECT_EQ(VersionText(r, "x.dll"), "2.15.300.40000");
    }
}

TEST(VersionResource, BinaryEntriesBecomeHexWithTwoDigitsPerByte) {
    const VersionResource r = ParseVersionResource(Sample().Build(true), Latin1);
    EXPECT_EQ(r.Value("Flags"), "$1234");
    EXPECT_EQ(r.Value("Big"), "");  // more than 4 bytes
}

TEST(VersionResource, AResourceWithoutFixedPartHasNoVersionNumber) {
    Node root = Sample();
    root.value.clear();
    const VersionResource r = ParseVersionResource(root.Build(true), Latin1);
    EXPECT_TRUE(r.valid);
    EXPECT_FALSE(r.HasFileVersion());
    EXPECT_EQ(VersionText(r, "C:\\a.txt"), "No Version Information found (C:\\a.txt).");
    EXPECT_EQ(r.Value("ProductName"), "Product");
}

TEST(VersionResource, DamagedResourcesStopWithoutReadingPastThem) {
    const std::string good = Sample().Build(true);
    // Every cut of the buffer: no crash, and never more than the whole gives.
    for (size_t n = 0; n <= good.size(); ++n) {
        // A separate allocation of exactly n bytes, so ASan sees any overread.
        std::unique_ptr<char[]> copy(new char[n ? n : 1]);
        memcpy(copy.get(), good.data(), n);
        const VersionResource r = ParseVersionResource(std::string_view(copy.get(), n), Latin1);
        EXPECT_LE(r.entries.size(), 6u);
        if (n < good.size()) {
            EXPECT_FALSE(r.valid) << n;  // the root's length points past the cut
        }
    }
    // Lengths that point past their parent, an unterminated key, a wrong root.
    Node longChild = Sample();
    longChild.children[0].children[1].lengthDelta = 400;
    VersionResource r = ParseVersionResource(longChild.Build(true), Latin1);
    EXPECT_TRUE(r.valid);
    EXPECT_EQ(r.tables.size(), 1u);  // the damaged table ends the string section
    EXPECT_EQ(r.translations.size(), 2u);

    Node tooShort = Sample();
    tooShort.children[0].children[0].children[0].lengthOverride = 2;  // below the header size
    r = ParseVersionResource(tooShort.Build(true), Latin1);
    EXPECT_EQ(r.Value("CompanyName"), "Company Inc");

    Node binaryPast = Sample();
    binaryPast.children[1].children[0].valueLengthOverride = 4000;
    r = ParseVersionResource(binaryPast.Build(true), Latin1);
    EXPECT_TRUE(r.translations.empty());

    std::string unterminated(64, 'V');
    PutWord(unterminated, 0, 64);
    EXPECT_FALSE(ParseVersionResource(unterminated, Latin1).valid);
    Node other = Sample();
    other.key = "SOMETHING_ELSE";
    EXPECT_FALSE(ParseVersionResource(other.Build(true), Latin1).valid);
    EXPECT_FALSE(ParseVersionResource(std::string(), Latin1).valid);
}

TEST(VersionResource, ZeroLengthChildrenDoNotLoop) {
    std::string b = Sample().Build(true);
    // The first child's length becomes 0: the root's walk stops there.
    const size_t firstChild = 40 + 52;  // header and key padded to 40 bytes, then the fixed part
    PutWord(b, firstChild, 0);
    const VersionResource r = ParseVersionResource(b, Latin1);
    EXPECT_TRUE(r.valid);
    EXPECT_TRUE(r.entries.empty());
    EXPECT_TRUE(r.HasFileVersion());
}

TEST(VersionResource, LargeTablesAreReadWhole) {
    auto build = [](int n) {
        Node table{"040904E4", 1, "", {}};
        for (int i = 0; i < n; ++i) table.children.push_back(Node{"K" + std::to_string(i), 1, "value", {}});
        Node root{"VS_VERSION_INFO", 0, "", {Node{"StringFileInfo", 1, "", {table}}}};
        return root.Build(true);
    };
    const std::string small = build(100), large = build(2000);  // stays below 64 KiB per block
    auto count = [&](const std::string& b) { return ParseVersionResource(b, Latin1).entries.size(); };
    EXPECT_EQ(count(small), 100u);
    EXPECT_EQ(count(large), 2000u);
}

}  // namespace
}  // namespace zunda::core
