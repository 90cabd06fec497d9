// Recursive deletion over an in-memory file system: what goes, what stays,
// links that are not followed, and the drives that are refused.
#include "files/core/deltree.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace zunda::core {
namespace {

// Paths are full paths below "C:"; a link is a directory entry that points elsewhere.
class MemoryTree : public TreeFileSystem {
public:
    std::map<std::string, std::uint32_t> nodes;  // path -> attributes
    std::map<std::string, std::string> links;    // link path -> target
    std::set<std::string> stuck;                 // cannot be deleted
    std::string cwd = "C:\\work";

    void Dir(const std::string& p) { nodes[p] = kAttrDirectory; }
    void File(const std::string& p, std::uint32_t attrs = 0x20) { nodes[p] = attrs; }
    void Link(const std::string& p, const std::string& target) {
        nodes[p] = kAttrDirectory | kAttrReparsePoint;
        links[p] = target;
    }

    std::vector<DirEntry> List(const std::string& dir) override {
        std::string real = links.count(dir) ? links[dir] : dir;
        std::vector<DirEntry> out;
        for (auto& [path, attrs] : nodes) {
            if (path.size() > real.size() + 1 && path.compare(0, real.size(), real) == 0 && path[real.size()] == '\\' &&
                path.find('\\', real.size() + 1) == std::string::npos)
                out.push_back({path.substr(real.size() + 1), attrs});
        }
        return out;
    }
    bool Attributes(const std::string& p, std::uint32_t& a) override {
        auto it = nodes.find(p);
        if (it == nodes.end()) return Fail();
        a = it->second;
        return true;
    }
    bool SetNormal(const std::string& p) override { return nodes.count(p) ? true : Fail(); }
    bool RemoveFile(const std::string& p) override {
        if (!nodes.count(p) || stuck.count(p) || (nodes[p] & kAttrDirectory)) return Fail();
        nodes.erase(p);
        return true;
    }
    bool RemoveDir(const std::string& p) override {
        if (!nodes.count(p) || stuck.count(p) || !(nodes[p] & kAttrDirectory)) return Fail();
        if (!(nodes[p] & kAttrReparsePoint) && !List(p).empty()) return Fail();
        nodes.erase(p);
        links.erase(p);
        return true;
    }
    std::string LastError() override { return "Access is denied."; }
    std::string FullPath(const std::string& p) override {
        if (p.size() >= 2 && p[1] == ':') return p.size() == 2 ? cwd : p;
        if (p == ".") return cwd;
        if (p == "..") return "C:\\";
        return cwd + "\\" + p;
    }

private:
    bool Fail() { return false; }
};

MemoryTree Sample() {
    MemoryTree t;
    t.Dir("C:\\work");
    t.Dir("C:\\work\\top");
    t.File("C:\\work\\top\\a.txt", 0x01);  // read-only
    t.Dir("C:\\work\\top\\sub");
    t.File("C:\\work\\top\\sub\\b.txt", 0x06);  // hidden, system
    t.Dir("C:\\work\\top\\sub\\deeper");
    t.File("C:\\work\\top\\z.txt");
    return t;
}

TEST(Deltree, DeletesTheWholeTree) {
    MemoryTree t = Sample();
    DeltreeOutcome o = Deltree("C:\\work\\top\\", true, t);
    EXPECT_TRUE(o.ok) << o.message;
    EXPECT_EQ(t.nodes.size(), 1u);  // only C:\work is left
}

TEST(Deltree, WithoutAbortEverythingDeletableGoesAndTheTopStays) {
    MemoryTree t = Sample();
    t.stuck.insert("C:\\work\\top\\sub\\b.txt");
    DeltreeOutcome o = Deltree("C:\\work\\top", false, t);
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.message, "Cannot delete \"C:\\work\\top\\sub\\b.txt\". Access is denied.");
    EXPECT_EQ(t.nodes.count("C:\\work\\top\\a.txt"), 0u);
    EXPECT_EQ(t.nodes.count("C:\\work\\top\\z.txt"), 0u);  // after the resisting entry
    EXPECT_EQ(t.nodes.count("C:\\work\\top\\sub\\deeper"), 0u);
    EXPECT_EQ(t.nodes.count("C:\\work\\top\\sub\\b.txt"), 1u);
    EXPECT_EQ(t.nodes.count("C:\\work\\top"), 1u);

    MemoryTree aborted = Sample();
    aborted.stuck.insert("C:\\work\\top\\sub\\b.txt");
    EXPECT_FALSE(Deltree("C:\\work\\top", true, aborted).ok);
    EXPECT_EQ(aborted.nodes.count("C:\\work\\top\\z.txt"), 1u);  // the loop stopped
}

TEST(Deltree, LinksAreRemovedNotFollowed) {
    MemoryTree t = Sample();
    t.Dir("C:\\keep");
    t.File("C:\\keep\\precious.txt");
    t.Link("C:\\work\\top\\sub\\link", "C:\\keep");
    EXPECT_TRUE(Deltree("C:\\work\\top", true, t).ok);
    EXPECT_EQ(t.nodes.count("C:\\keep\\precious.txt"), 1u);
    EXPECT_EQ(t.nodes.count("C:\\work\\top"), 0u);

    // A link as the top: the link goes, its target stays.
    t.Link("C:\\work\\alias", "C:\\keep");
    EXPECT_TRUE(Deltree("C:\\work\\alias", true, t).ok);
    EXPECT_EQ(t.nodes.count("C:\\work\\alias"), 0u);
    EXPECT_EQ(t.nodes.count("C:\\keep\\precious.txt"), 1u);
}

TEST(Deltree, RefusesDrivesAndRoots) {
    for (const char* p : {"", "C:", "C:\\", "c:/", "\\", "..", "\\\\server\\share"}) {
        SCOPED_TRACE(p);
        MemoryTree t = Sample();
        t.cwd = "C:\\";  // so that "C:" and ".." name the root
        size_t before = t.nodes.size();
        DeltreeOutcome o = Deltree(p, false, t);
        EXPECT_FALSE(o.ok);
        EXPECT_FALSE(o.message.empty());
        EXPECT_EQ(t.nodes.size(), before);
    }
    MemoryTree t = Sample();
    EXPECT_EQ(Deltree("", true, t).message, "No directory given.");
    EXPECT_EQ(Deltree("C:\\", true, t).message, "\"C:\\\" is a drive or its root; it is not deleted.");
}

TEST(Deltree, AMissingDirectoryIsAFailure) {
    MemoryTree t = Sample();
    DeltreeOutcome o = Deltree("C:\\work\\nothing", true, t);
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.message, "Cannot delete \"C:\\work\\nothing\". Access is denied.");
}

}  // namespace
}  // namespace zunda::core
