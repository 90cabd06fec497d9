// The length limits of the names passed to the system's file calls and the
// shell's file operation: plain names, destinations inside a folder, and the
// paths below a folder the shell walks.
#include "files/core/path_limits.h"
#include "server/core/failure.h"

#include <gtest/gtest.h>

#include <map>

namespace zunda::core {
namespace {

TEST(PathLimits, NamesUpToTheLimitPassLongerOnesFailWithTheirLength) {
    EXPECT_NO_THROW(CheckPathLength(""));
    EXPECT_NO_THROW(CheckPathLength(std::string(259, 'd')));
    try {
        CheckPathLength("C:\\" + std::string(600, 'd'));
        FAIL() << "a 603-character path passed";
    } catch (const Failure& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("603 characters"), std::string::npos) << text;
        EXPECT_NE(text.find("at most 259"), std::string::npos) << text;
        EXPECT_LT(text.size(), 200u) << "the message shows only the start of the path";
    }
    EXPECT_THROW(CheckPathLength(std::string(260, 'd')), Failure);
    EXPECT_THROW(CheckPathLength(std::string(40000, 'd')), Failure);
    EXPECT_NO_THROW(CheckPathLength("C:\\abc", 6));
    EXPECT_THROW(CheckPathLength("C:\\abcd", 6), Failure);
}

TEST(PathLimits, ShellTargetIsTheDestinationOrTheNameInsideIt) {
    EXPECT_EQ(ShellTarget("C:\\t\\new.txt", false, "a.txt"), "C:\\t\\new.txt");
    EXPECT_EQ(ShellTarget("C:\\t\\dir", true, "a.txt"), "C:\\t\\dir\\a.txt");
    EXPECT_EQ(ShellTarget("C:\\", true, "a.txt"), "C:\\a.txt");
    // A destination folder that fits on its own can still give a target that does not.
    const std::string folder = "C:\\" + std::string(250, 'f');
    EXPECT_NO_THROW(CheckPathLength(folder));
    EXPECT_THROW(CheckPathLength(ShellTarget(folder, true, "name-of-ten.txt")), Failure);
}

// A tree of folders and files given by full paths; counts the folders listed.
class Tree : public TreeFileSystem {
public:
    std::map<std::string, std::uint32_t> nodes;
    int listed = 0;
    std::vector<DirEntry> List(const std::string& dir) override {
        ++listed;
        std::vector<DirEntry> out;
        for (auto& [path, attrs] : nodes)
            if (path.size() > dir.size() + 1 && path.compare(0, dir.size(), dir) == 0 && path[dir.size()] == '\\' &&
                path.find('\\', dir.size() + 1) == std::string::npos)
                out.push_back({path.substr(dir.size() + 1), attrs});
        return out;
    }
    bool Attributes(const std::string&, std::uint32_t&) override { return false; }
    bool SetNormal(const std::string&) override { return false; }
    bool RemoveFile(const std::string&) override { return false; }
    bool RemoveDir(const std::string&) override { return false; }
    std::string LastError() override { return std::string(); }
    std::string FullPath(const std::string& p) override { return p; }
};

TEST(PathLimits, LongestBelowMeasuresTheDeepestPathAndStopsPastTheLimit) {
    Tree t;
    t.nodes["C:\\top\\a.txt"] = 0x20;
    t.nodes["C:\\top\\sub"] = kAttrDirectory;
    t.nodes["C:\\top\\sub\\bb.txt"] = 0x20;
    t.nodes["C:\\top\\link"] = kAttrDirectory | kAttrReparsePoint;
    t.nodes["C:\\top\\link\\" + std::string(300, 'x')] = 0x20;  // behind a link: not followed
    EXPECT_EQ(LongestBelow(t, "C:\\top", 6), std::string("\\sub\\bb.txt").size());
    EXPECT_NO_THROW(CheckTreeLength("C:\\top", LongestBelow(t, "C:\\top", 6)));
    EXPECT_TRUE(LongestBelow(t, "C:\\empty", 8) == 0);

    // A chain of 200 folders: the walk ends at the first path past the limit.
    Tree deep;
    std::string path = "C:\\d";
    for (int i = 0; i < 200; ++i) {
        path += "\\" + std::string(9, static_cast<char>('a' + i % 26));
        deep.nodes[path] = kAttrDirectory;
    }
    const size_t below = LongestBelow(deep, "C:\\d", 4);
    EXPECT_GT(4 + below, kMaxPathChars);
    EXPECT_LT(deep.listed, 30);
    try {
        CheckTreeLength("C:\\d", below);
        FAIL() << "a tree deeper than the limit passed";
    } catch (const Failure& e) {
        EXPECT_NE(std::string(e.what()).find("below \"C:\\d\""), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace zunda::core
