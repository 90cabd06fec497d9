// The path table, the report order, ParsePath and the directory-call retry.
#include "machine/core/shell_folders.h"
#include "tests/support/cp1252_locale.h"
#include "text/core/strutils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

namespace zunda::machine {
namespace {

TEST(ShellFolders, TableHoldsEveryPropertyOnceWithItsSource) {
    const auto& table = PathTable();
    ASSERT_EQ(table.size(), 38u);
    std::set<std::string> members, names;
    for (const PathEntry& e : table) {
        members.insert(e.member);
        names.insert(e.reportName);
    }
    EXPECT_EQ(members.size(), 38u);
    EXPECT_EQ(names.size(), 38u);
    EXPECT_EQ(FindPath("wstrPersonal")->csidl, 5);
    EXPECT_EQ(FindPath("wstrDesktop")->csidl, 0);
    EXPECT_EQ(FindPath("wstrDesktop")->source, PathSource::Folder);
    EXPECT_EQ(FindPath("wstrWallpaper")->source, PathSource::RegistryExpanded);
    EXPECT_STREQ(FindPath("wstrWallpaper")->regValue, "WallPaperDir");
    EXPECT_EQ(FindPath("wstrConfig")->source, PathSource::Registry);
    EXPECT_EQ(FindPath("wstrCurrent")->source, PathSource::Current);
    EXPECT_EQ(FindPath("wstrNone"), nullptr);
}

TEST(ShellFolders, ReportStartsWithSystemThenAlphabetical) {
    std::vector<std::string> got;
    for (const PathEntry* e : ReportOrder()) got.push_back(e->reportName);
    const std::vector<std::string> expected = {
        "System;", "AppData;", "BitBucket;", "CommonAltstartup;", "CommonDesktopDir;", "CommonFavorites;",
        "CommonFiles;", "CommonPrograms;", "CommonStartMenu;", "Config;", "Controls;", "Cookies;", "Current;",
        "Desktop;", "DesktopDir;", "Device;", "Drives;", "Favorites;", "Fonts;", "History;", "Internet;",
        "InternetCache;", "Media;", "Nethood;", "Network;", "OtherDevice;", "Personal;", "Printers;", "PrintHood;",
        "ProgramFiles;", "Programs;", "Recent;", "StartMenu;", "Startup;", "Temp;", "Templates;", "Wallpaper;",
        "Windows;"};
    EXPECT_EQ(got, expected);
}

class Expander final : public PathExpander {
public:
    std::map<std::string, std::string> values{{"wstrSystemRoot", "C:\\WINDOWS"},
                                              {"wstrWindows", "C:\\WINDOWS"},
                                              {"wstrProgramFiles", "C:\\Program Files"},
                                              {"wstrCommonFiles", "C:\\Program Files\\Common Files"},
                                              {"wstrPersonal", "C:\\Users\\me\\Documents"}};
    std::vector<std::string> reads;
    std::string Value(const char* member) override {
        reads.push_back(member);
        return values[member];
    }
    std::string Upper(std::string_view text) override { return loc.UpperCase(text); }
    std::string StrReplaceEx(std::string_view text, std::string_view from, std::string_view to) override {
        return text::StrReplaceEx(loc, text, from, to);
    }
    test::Cp1252Locale loc;
};

TEST(ShellFolders, ParsePathExpandsTheFivePlaceholders) {
    const std::pair<const char*, const char*> cases[] = {
        {"  C:\\plain path \t", "C:\\plain path"},
        {"%windir%\\system", "C:\\WINDOWS\\system"},
        {"%USERSPROFILE%\\x", "C:\\Users\\me\\Documents\\x"},
        {"%ProgramFiles%\\a", "C:\\Program Files\\a"},
        {"%COMMONPROGRAMFILES%\\b", "C:\\Program Files\\Common Files\\b"},
        {"%WINDIR%;%WINDIR%", "C:\\WINDOWS;%WINDIR%"},            // first occurrence only
        {"%SYSTEMROOT%\\inf;%WINDIR%\\x", "C:\\WINDOWS\\inf;%WINDIR%\\x"},  // value already present
        {"%SystemDrive%\\%TEMP%", "%SystemDrive%\\%TEMP%"},       // no environment expansion
        {"", ""},
        {"%", "%"},
    };
    for (auto [in, out] : cases) {
        Expander e;
        EXPECT_EQ(ParsePath(in, e), out) << in;
    }
}

TEST(ShellFolders, ParsePathReadsOnlyThePropertiesItNeeds) {
    Expander e;
    ParsePath("%WINDIR%\\inf", e);
    EXPECT_EQ(e.reads, std::vector<std::string>{"wstrWindows"});
    e.reads.clear();
    ParsePath("no placeholders", e);
    EXPECT_TRUE(e.reads.empty());
}

TEST(ShellFolders, DirectoryCallsRetryWithTheNeededSize) {
    // Fits at once.
    auto fits = ReadGrowing([](char* b, std::uint32_t) {
        memcpy(b, "C:\\W", 4);
        return 4u;
    });
    EXPECT_EQ(fits, std::optional<std::string>("C:\\W"));
    // Needs more: the second call gets the size asked for.
    const std::string longPath(300, 'x');
    std::vector<std::uint32_t> sizes;
    auto grown = ReadGrowing([&](char* b, std::uint32_t size) -> std::uint32_t {
        sizes.push_back(size);
        if (size < longPath.size() + 1) return static_cast<std::uint32_t>(longPath.size() + 1);
        memcpy(b, longPath.data(), longPath.size());
        return static_cast<std::uint32_t>(longPath.size());
    });
    EXPECT_EQ(grown, std::optional<std::string>(longPath));
    EXPECT_EQ(sizes.size(), 2u);
    // 0 is a failure; a call that always wants more ends too.
    EXPECT_EQ(ReadGrowing([](char*, std::uint32_t) { return 0u; }), std::nullopt);
    EXPECT_EQ(ReadGrowing([](char*, std::uint32_t size) { return size + 10; }), std::nullopt);
    EXPECT_EQ(ReadGrowing([](char*, std::uint32_t) { return 0xFFFFFFFFu; }), std::nullopt);
}

TEST(ShellFolders, ShellOnlyNamesAreEmpty) {
    EXPECT_EQ(FileSystemPathOnly("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"), "");
    EXPECT_EQ(FileSystemPathOnly("C:\\x"), "C:\\x");
}

}  // namespace
}  // namespace zunda::machine
