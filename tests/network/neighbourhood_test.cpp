// The neighbourhood listing over an in-memory namespace: every form of the
// display name, blanks, empty workgroups, enumerators that return nothing,
// fail halfway or are not there at all, the extra level of Windows NT 3 and
// 4, short parsed paths; every list and name handed out goes back to the
// namespace's allocator.
#include "network/core/neighbourhood.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zunda::net {
namespace {

constexpr HResult kFail = static_cast<HResult>(0x80004005);

// How a folder answers EnumObjects and Next.
enum class EnumMode { Normal, NoEnumerator, EnumFails, NextFails };

struct Node {
    std::string name;                // the display name as the namespace returns it
    DisplayNameKind form = kNameWide;
    std::vector<int> children;
    EnumMode mode = EnumMode::Normal;
    size_t failAfter = 0;            // NextFails: items handed out before the failure
    bool bindFails = false;
    bool nameFails = false;
};

// Items are a 16-bit count, the node's number (4 bytes) and the node's name
// with its zero; the offset form of a display name points at that name.
class MemoryNamespace final : public Namespace {
public:
    MemoryNamespace() { nodes_.push_back(MakeNode("Desktop", kNameWide)); }

    int AddNode(int parent, std::string name, DisplayNameKind form = kNameWide) {
        nodes_.push_back(MakeNode(std::move(name), form));
        const int id = static_cast<int>(nodes_.size() - 1);
        nodes_[static_cast<size_t>(parent)].children.push_back(id);
        return id;
    }
    Node& At(int id) { return nodes_[static_cast<size_t>(id)]; }

    HResult Desktop(std::unique_ptr<Folder>& out) override;
    void* Allocate(std::size_t bytes) override {
        auto* block = new std::uint8_t[bytes];
        live_.insert(block);
        ++allocations;
        return block;
    }
    void Free(const void* block) override {
        if (live_.erase(block) != 1) {
            ++badFrees;
            return;
        }
        delete[] static_cast<const std::uint8_t*>(block);
    }
    std::string ToAnsi(std::u16string_view text) override {
        std::string out;
        for (char16_t c : text) out += c < 256 ? static_cast<char>(c) : '?';
        return out;
    }

    IdList MakeList(const std::vector<int>& path) {
        size_t bytes = 2;
        for (int id : path) bytes += ItemBytes(id);
        auto* list = static_cast<std::uint8_t*>(Allocate(bytes));
        size_t at = 0;
        for (int id : path) {
            const size_t cb = ItemBytes(id);
            list[at] = static_cast<std::uint8_t>(cb);
            list[at + 1] = static_cast<std::uint8_t>(cb >> 8);
            std::memcpy(list + at + 2, &id, 4);
            std::memcpy(list + at + 6, nodes_[static_cast<size_t>(id)].name.c_str(),
                        nodes_[static_cast<size_t>(id)].name.size() + 1);
            at += cb;
        }
        list[at] = list[at + 1] = 0;
        return list;
    }
    static std::vector<int> Path(IdList list) {
        std::vector<int> ids;
        for (size_t at = 0, cb; (cb = list[at] | list[at + 1] << 8) >= 2; at += cb) {
            int id;
            std::memcpy(&id, list + at + 2, 4);
            ids.push_back(id);
        }
        return ids;
    }
    bool FindPath(int from, const std::string& name, std::vector<int>& path) {
        for (int child : nodes_[static_cast<size_t>(from)].children) {
            path.push_back(child);
            if (nodes_[static_cast<size_t>(child)].name == name || FindPath(child, name, path)) return true;
            path.pop_back();
        }
        return false;
    }

    // When set, ParseDisplayName answers this path whatever it is asked.
    std::optional<std::vector<int>> parsedPath;
    std::vector<std::u16string> parsedNames;
    size_t allocations = 0;
    int badFrees = 0;
    size_t Live() const { return live_.size(); }

private:
    static Node MakeNode(std::string name, DisplayNameKind form) {
        Node n;
        n.name = std::move(name);
        n.form = form;
        return n;
    }
    size_t ItemBytes(int id) const { return 2 + 4 + nodes_[static_cast<size_t>(id)].name.size() + 1; }

    std::vector<Node> nodes_;
    std::set<const void*> live_;
};

class MemoryEnumerator final : public ItemEnumerator {
public:
    MemoryEnumerator(MemoryNamespace& ns, const Node& folder) : ns_(ns), folder_(folder) {}
    HResult Next(IdList& item) override {
        if (folder_.mode == EnumMode::NextFails && next_ == folder_.failAfter) return kFail;
        if (next_ >= folder_.children.size()) return kFalse;
        item = ns_.MakeList({folder_.children[next_++]});
        return kOk;
    }

private:
    MemoryNamespace& ns_;
    const Node& folder_;
    size_t next_ = 0;
};

class MemoryFolder final : public Folder {
public:
    MemoryFolder(MemoryNamespace& ns, int id) : ns_(ns), id_(id) {}

    HResult ParseDisplayName(const std::u16string& name, IdList& out) override {
        ns_.parsedNames.push_back(name);
        if (ns_.parsedPath) {
            out = ns_.MakeList(*ns_.parsedPath);
            return kOk;
        }
        if (name.size() < 3 || name.substr(0, 2) != u"\\\\") return kFail;
        std::vector<int> path;
        if (!ns_.FindPath(id_, ns_.ToAnsi(name.substr(2)), path)) return kFail;
        out = ns_.MakeList(path);
        return kOk;
    }
    HResult BindToObject(IdList relative, std::unique_ptr<Folder>& out) override {
        int at = id_;
        for (int id : MemoryNamespace::Path(relative)) {
            const auto& kids = ns_.At(at).children;
            if (std::find(kids.begin(), kids.end(), id) == kids.end() || ns_.At(id).bindFails) return kFail;
            at = id;
        }
        out = std::make_unique<MemoryFolder>(ns_, at);
        return kOk;
    }
    HResult EnumObjects(std::uint32_t flags, std::unique_ptr<ItemEnumerator>& out) override {
        EXPECT_EQ(flags, kEnumAll);
        switch (ns_.At(id_).mode) {
        case EnumMode::NoEnumerator: return kFalse;
        case EnumMode::EnumFails: return kFail;
        default: out = std::make_unique<MemoryEnumerator>(ns_, ns_.At(id_)); return kOk;
        }
    }
    HResult GetDisplayNameOf(IdList item, std::uint32_t flags, DisplayName& out) override {
        EXPECT_EQ(flags, kNameNormal);
        const std::vector<int> path = MemoryNamespace::Path(item);
        if (path.size() != 1) return kFail;
        const Node& node = ns_.At(path[0]);
        if (node.nameFails) return kFail;
        out.kind = node.form;
        switch (node.form) {
        case kNameWide: {
            auto* wide = static_cast<char16_t*>(ns_.Allocate((node.name.size() + 1) * sizeof(char16_t)));
            for (size_t i = 0; i <= node.name.size(); ++i) wide[i] = static_cast<unsigned char>(node.name.c_str()[i]);
            out.wide = wide;
            break;
        }
        case kNameOffset: out.offset = 6; break;
        case kNameAnsi: std::snprintf(out.ansi, sizeof(out.ansi), "%s", node.name.c_str()); break;
        }
        return kOk;
    }

private:
    MemoryNamespace& ns_;
    int id_;
};

HResult MemoryNamespace::Desktop(std::unique_ptr<Folder>& out) {
    out = std::make_unique<MemoryFolder>(*this, 0);
    return kOk;
}

using Listing = std::vector<std::pair<std::string, std::vector<std::string>>>;

Listing Read(const NeighbourhoodList& l) {
    Listing out;
    for (long i = 0; i < l.Count(); ++i) {
        std::vector<std::string> computers;
        const WorkgroupList& c = l.Computers(i);
        for (long j = 0; j < c.Count(); ++j) computers.push_back(c.Get(j));
        out.emplace_back(l.Get(i), computers);
        EXPECT_EQ(l.Value(i), 0) << "kept list not given back";
    }
    return out;
}

// Desktop > Entire Network > Windows Network > workgroups > computers.
class Neighbourhood : public ::testing::Test {
protected:
    void SetUp() override {
        network = ns.AddNode(0, "Entire Network");
        provider = ns.AddNode(network, "Microsoft Windows Network");
        workgroup = ns.AddNode(provider, "WORKGROUP", kNameWide);
        vm = ns.AddNode(workgroup, "VM", kNameOffset);
        ns.AddNode(workgroup, "  Kasse 2\t", kNameAnsi);
        office = ns.AddNode(provider, " B\xFCro Nord ", kNameOffset);
        ns.AddNode(office, "Rechner mit Leerzeichen", kNameWide);
        ns.AddNode(0, "VM-on-desktop");
    }
    void TearDown() override {
        EXPECT_EQ(ns.Live(), 0u) << "lists or names not given back";
        EXPECT_EQ(ns.badFrees, 0);
    }
    Listing List(const std::u16string& computer = u"VM", bool nt34 = false) {
        ListNeighbourhood(ns, computer, nt34, list);
        return Read(list);
    }

    MemoryNamespace ns;
    NeighbourhoodList list;
    int network = 0, provider = 0, workgroup = 0, office = 0, vm = 0;
};

TEST_F(Neighbourhood, WorkgroupsAndComputersInEveryNameForm) {
    EXPECT_EQ(List(), (Listing{{"WORKGROUP", {"VM", "Kasse 2"}}, {"B\xFCro Nord", {"Rechner mit Leerzeichen"}}}));
    EXPECT_EQ(ns.parsedNames, (std::vector<std::u16string>{u"\\\\VM"}));
    // A second listing replaces the first.
    ns.At(workgroup).children.pop_back();
    EXPECT_EQ(List(), (Listing{{"WORKGROUP", {"VM"}}, {"B\xFCro Nord", {"Rechner mit Leerzeichen"}}}));
}

TEST_F(Neighbourhood, EmptyWorkgroupsAndFoldersWithoutEnumerator) {
    ns.AddNode(provider, "LEER");
    const int quiet = ns.AddNode(provider, "STILL");
    ns.AddNode(quiet, "hidden");
    ns.At(quiet).mode = EnumMode::NoEnumerator;
    EXPECT_EQ(List(), (Listing{{"WORKGROUP", {"VM", "Kasse 2"}},
                               {"B\xFCro Nord", {"Rechner mit Leerzeichen"}},
                               {"LEER", {}},
                               {"STILL", {}}}));
    ns.At(provider).mode = EnumMode::NoEnumerator;
    EXPECT_EQ(List(), Listing{});
    ns.At(provider).mode = EnumMode::Normal;
    ns.At(provider).children.clear();
    EXPECT_EQ(List(), Listing{});
}

TEST_F(Neighbourhood, FailuresEndTheListingAndKeepWhatWasListed) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
        Listing expected;
    };
    const std::vector<Case> cases = {
        {"enumeration of workgroups fails halfway", [&] {
             ns.At(provider).mode = EnumMode::NextFails;
             ns.At(provider).failAfter = 1;
         }, {{"WORKGROUP", {}}}},
        {"enumeration of computers fails halfway", [&] {
             ns.At(workgroup).mode = EnumMode::NextFails;
             ns.At(workgroup).failAfter = 1;
         }, {{"WORKGROUP", {"VM"}}, {"B\xFCro Nord", {}}}},
        {"workgroups cannot be enumerated", [&] { ns.At(provider).mode = EnumMode::EnumFails; }, {}},
        {"a workgroup cannot be opened", [&] { ns.At(office).bindFails = true; },
         {{"WORKGROUP", {"VM", "Kasse 2"}}, {"B\xFCro Nord", {}}}},
        {"a name cannot be read", [&] { ns.At(office).nameFails = true; }, {{"WORKGROUP", {}}}},
        {"the provider cannot be opened", [&] { ns.At(provider).bindFails = true; }, {}},
        {"the computer is not in the neighbourhood", [&] { ns.At(vm).name = "OTHER"; }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int touched[] = {provider, workgroup, office, vm};
        std::vector<Node> saved;
        for (int id : touched) saved.push_back(ns.At(id));
        c.arrange();
        EXPECT_EQ(List(), c.expected);
        for (size_t i = 0; i < saved.size(); ++i) ns.At(touched[i]) = saved[i];
    }
}

TEST_F(Neighbourhood, ShortParsedPathsListNothing) {
    // A computer on the desktop itself, or any path of fewer than three
    // items: the desktop's own items must not be listed as workgroups.
    EXPECT_EQ(List(u"VM-on-desktop"), Listing{});
    ns.parsedPath = std::vector<int>{network, provider};
    EXPECT_EQ(List(), Listing{});
    ns.parsedPath = std::vector<int>{};
    EXPECT_EQ(List(), Listing{});
    ns.parsedPath = std::vector<int>{network, provider, workgroup};  // three items: the network's children
    EXPECT_EQ(List(), (Listing{{"Microsoft Windows Network", {"WORKGROUP", "B\xFCro Nord"}}}));
    ns.parsedPath.reset();
    ns.parsedNames.clear();
    EXPECT_EQ(List(u""), Listing{});
    EXPECT_TRUE(ns.parsedNames.empty());
}

TEST_F(Neighbourhood, WindowsNtFourLooksOneLevelFurtherDown) {
    // These shells parse the computer one level less deep: the folder above
    // the workgroup holds the provider first, whose children are the workgroups.
    ns.AddNode(network, "Second provider");
    ns.parsedPath = std::vector<int>{network, workgroup, ns.At(workgroup).children[0]};
    EXPECT_EQ(List(u"VM", true), (Listing{{"WORKGROUP", {"VM", "Kasse 2"}}, {"B\xFCro Nord", {"Rechner mit Leerzeichen"}}}));
    // Other versions list that folder's own children.
    EXPECT_EQ(List(u"VM", false),
              (Listing{{"Microsoft Windows Network", {"WORKGROUP", "B\xFCro Nord"}}, {"Second provider", {}}}));
    // No first item, no enumerator, a failing enumerator: nothing.
    const std::vector<int> providers = ns.At(network).children;
    for (EnumMode mode : {EnumMode::Normal, EnumMode::NoEnumerator, EnumMode::EnumFails, EnumMode::NextFails}) {
        ns.At(network).mode = mode;
        ns.At(network).children = mode == EnumMode::Normal ? std::vector<int>{} : providers;
        EXPECT_EQ(List(u"VM", true), Listing{}) << static_cast<int>(mode);
    }
}

TEST(DisplayText, FormsAreCutAtTheirFirstZeroAndTrimmed) {
    MemoryNamespace ns;
    const int item = ns.AddNode(0, std::string("  Name\0tail", 11));
    IdList list = ns.MakeList({item});

    DisplayName wide;
    wide.kind = kNameWide;
    const char16_t text[] = u" \tB\u00FCro\u4E00 \0rest";
    wide.wide = static_cast<char16_t*>(ns.Allocate(sizeof(text)));
    std::memcpy(wide.wide, text, sizeof(text));
    EXPECT_EQ(DisplayText(ns, list, wide), "B\xFCro?");
    EXPECT_EQ(wide.wide, nullptr);

    DisplayName offset;
    offset.kind = kNameOffset;
    offset.offset = 6;
    EXPECT_EQ(DisplayText(ns, list, offset), "Name");
    offset.offset = 1000;  // past the item's list
    EXPECT_EQ(DisplayText(ns, list, offset), "");

    DisplayName ansi;
    ansi.kind = kNameAnsi;
    std::memset(ansi.ansi, 'x', sizeof(ansi.ansi));  // no zero at all
    EXPECT_EQ(DisplayText(ns, list, ansi), std::string(sizeof(ansi.ansi), 'x'));
    std::snprintf(ansi.ansi, sizeof(ansi.ansi), "   ");
    EXPECT_EQ(DisplayText(ns, list, ansi), "");

    DisplayName unknown;
    unknown.kind = 7;
    EXPECT_EQ(DisplayText(ns, list, unknown), "");

    ns.Free(list);
    EXPECT_EQ(ns.Live(), 0u);
}

TEST(IdList, ItemsAndBytes) {
    const std::uint8_t list[] = {4, 0, 1, 2, 3, 0, 9, 0, 0, 0, 0};
    EXPECT_EQ(IdListItems(list), 2u);
    EXPECT_EQ(IdListBytes(list), 9u);
    const std::uint8_t odd[] = {1, 0, 5, 0};  // a count below 2 ends the list
    EXPECT_EQ(IdListItems(odd), 0u);
    EXPECT_EQ(IdListItems(nullptr), 0u);
}

}  // namespace
}  // namespace zunda::net
