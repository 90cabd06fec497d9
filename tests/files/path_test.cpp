// Path text edits and the batch-rename parser.
#include "files/core/path.h"
#include "files/core/rename_batch.h"
#include "tests/files/str_tools_double.h"

#include <gtest/gtest.h>

#include <vector>

namespace zunda::core {
namespace {

TEST(FilePath, SlashesAndNames) {
    EXPECT_EQ(Addslash(""), "");
    EXPECT_EQ(Addslash("C:\\dir"), "C:\\dir\\");
    EXPECT_EQ(Addslash("C:\\dir\\"), "C:\\dir\\");
    EXPECT_EQ(RemoveSlash("C:\\dir\\"), "C:\\dir");
    EXPECT_EQ(RemoveSlash("C:\\dir\\\\"), "C:\\dir\\");  // one backslash only
    EXPECT_EQ(RemoveSlash(""), "");

    struct Case {
        const char* file;
        const char* nameOnly;
    } cases[] = {
        {"C:\\d\\report.txt", "report"},
        {"a.txt1.txt", "a.txt1"},  // the extension goes at the end, not where it first occurs
        {"x.txt.txt", "x.txt"},
        {"C:\\dir.d\\noext", "noext"},  // a dot in the folder is no extension
        {"C:name.ini", "name"},
        {"C:\\d\\.profile", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ExtractFileNameOnly(c.file), c.nameOnly) << c.file;
}

TEST(FilePath, LastDirNameAndReplaceExt) {
    test::StrToolsDouble tools;
    EXPECT_EQ(ExtractLastDirName("C:\\a\\b\\", tools), "b");
    EXPECT_EQ(ExtractLastDirName("C:\\a\\b", tools), "b");
    EXPECT_EQ(ExtractLastDirName("C:\\", tools), "");
    EXPECT_EQ(ExtractLastDirName("plain", tools), "");

    EXPECT_EQ(ReplaceExt("C:\\d\\my.file.txt", "bak", tools), "C:\\d\\my.bak");
    EXPECT_EQ(ReplaceExt("C:\\d\\my.file.txt", ".bak", tools), "C:\\d\\my.bak");
    EXPECT_EQ(ReplaceExt("name.txt", "log", tools), "name.log");  // no path stays without one
    EXPECT_EQ(ReplaceExt("C:\\d.x\\name", "log", tools), "C:\\d.x\\name.log");
}

TEST(FilePath, DrivesRootsAndSharesAreRecognised) {
    for (const char* p : {"", "\\", "/", "C:", "c:\\", "C:/", "C:\\\\", "\\\\server\\share", "\\\\server\\share\\",
                          "\\\\server", "\\\\?\\C:\\", "\\\\.\\D:", "\\\\?\\UNC\\server\\share\\"})
        EXPECT_TRUE(IsDriveOrRoot(p)) << p;
    for (const char* p : {"C:\\dir", "C:\\dir\\", "dir", ".", "\\\\server\\share\\dir", "\\\\?\\C:\\x", "\\temp"})
        EXPECT_FALSE(IsDriveOrRoot(p)) << p;
}

struct Renames {
    std::vector<std::pair<std::string, std::string>> done;
    std::string failOn;
    RenameFn Fn() {
        return [this](const std::string& s, const std::string& d, std::string& reason) {
            done.emplace_back(s, d);
            if (s == failOn) {
                reason = "The system cannot find the file specified.";
                return false;
            }
            return true;
        };
    }
};

TEST(RenameBatch, RenamesEveryLineAndStopsAtABadOne) {
    test::StrToolsDouble tools;
    Renames r;
    RenameOutcome o = RenameBatch("a.txt;b.txt\r\nc.txt;d.txt;ignored\r\n", &tools, r.Fn());
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(r.done, (std::vector<std::pair<std::string, std::string>>{{"a.txt", "b.txt"}, {"c.txt", "d.txt"}}));

    struct Case {
        const char* text;
        const char* message;
        size_t renamed;
    } cases[] = {
        {"a;b\r\nc.txt\r\nd;e\r\n", "Sign \";\" not found.", 1},
        {" ;b\r\n", "strSource or strDest = '", 0},
        {"a;\t\r\n", "strSource or strDest = '", 0},
        {"a;b\r\n\r\n", "Sign \";\" not found.", 1},  // an empty entry is a line too
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Renames batch;
        RenameOutcome out = RenameBatch(c.text, &tools, batch.Fn());
        EXPECT_FALSE(out.ok);
        EXPECT_EQ(out.message, c.message);
        EXPECT_EQ(batch.done.size(), c.renamed);
    }

    Renames trimmed;
    EXPECT_TRUE(RenameBatch("  old name.txt ; new.txt \r\n", &tools, trimmed.Fn()).ok);
    EXPECT_EQ(trimmed.done[0], (std::pair<std::string, std::string>{"old name.txt", "new.txt"}));

    Renames missingTools;
    RenameOutcome none = RenameBatch("a;b\r\n", nullptr, missingTools.Fn());
    EXPECT_FALSE(none.ok);
    EXPECT_EQ(none.message, "Int_ComStrUtils not Assigned");
    EXPECT_TRUE(RenameBatch("", nullptr, missingTools.Fn()).ok);
}

TEST(RenameBatch, AFailedRenameMarksTheBatchButTheRestGoesOn) {
    test::StrToolsDouble tools;
    Renames r;
    r.failOn = "missing.txt";
    RenameOutcome o = RenameBatch("missing.txt;x.txt\r\nc.txt;d.txt\r\n", &tools, r.Fn());
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(r.done.size(), 2u);
    EXPECT_EQ(o.message, "Cannot rename \"missing.txt\" to \"x.txt\". The system cannot find the file specified.");
}

}  // namespace
}  // namespace zunda::core
