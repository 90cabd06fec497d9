// File record rules: name parts, the bare-name search order, executable
// types, file times and the list limits.
#include "files/core/file_record.h"

#include <gtest/gtest.h>

#include <climits>

namespace zunda::core {
namespace {

TEST(FileRecord, NamePartsOfAFullName) {
    struct Case {
        const char* in;
        const char* ext;
        const char* path;
        const char* name;
    } cases[] = {
        {"C:\\data\\report.txt", "txt", "C:\\data\\", "report"},
        {"C:\\data\\archive.tar.gz", "gz", "C:\\data\\", "archive.tar"},
        {"notepad.exe", "exe", "", "notepad"},
        {"C:\\dir.d\\noext", "", "C:\\dir.d\\", "noext"},
        {"", "", "", ""},
        {"C:\\", "", "C:\\", ""},
    };
    for (const Case& c : cases) {
        const NameParts p = SplitFileName(c.in);
        EXPECT_EQ(p.extension, c.ext) << c.in;
        EXPECT_EQ(p.path, c.path) << c.in;
        EXPECT_EQ(p.name, c.name) << c.in;
    }
}

TEST(FileRecord, BareNamesAreLookedForInTheSystemFoldersFirst) {
    EXPECT_EQ(SearchCandidates("notepad.exe", "C:\\WINDOWS", "C:\\WINDOWS\\", "C:\\work"),
              (std::vector<std::string>{"C:\\WINDOWS\\notepad.exe", "C:\\WINDOWS\\System32\\notepad.exe",
                                        "C:\\WINDOWS\\System\\notepad.exe", "C:\\WINDOWS\\notepad.exe",
                                        "C:\\work\\notepad.exe"}));
    EXPECT_EQ(SearchCandidates("a", "", "", "D:\\"), (std::vector<std::string>{"D:\\a"}));
}

TEST(FileRecord, ExecutableTypeText) {
    const std::tuple<std::uint32_t, std::optional<std::uint32_t>, const char*> cases[] = {
        {0x00005A4D, std::nullopt, "DOS Executable"},
        {0x0000454C, std::nullopt, "Virtual Device Driver"},
        {0x00004550, std::nullopt, "Win32 Console Executable"},
        {0x04004550, std::nullopt, "Win32 Executable"},
        {0x0300454E, std::nullopt, "Win16 Executable"},
        {0x030A454E, std::nullopt, "Win16 Executable"},
        {0x05004550, std::nullopt, ""},  // an unknown Windows version
        {0x04000000, std::nullopt, "Win32 Executable"},
        {0, std::nullopt, ""},           // a text file
        {0, 0u, "Win32 Executable"},
        {0, 3u, "PIF File"},
        {0, 5u, "OS/2 16 bit Executable"},
        {0, 6u, ""},
        {0x05004550, 1u, "DOS Executable"},  // the second source fills what the first left empty
    };
    for (const auto& [exe, bin, text] : cases) EXPECT_EQ(BinaryTypeText(exe, bin), text) << std::hex << exe;
}

TEST(FileRecord, FileTimesAsAutomationDates) {
    constexpr std::uint64_t kDay = 864000000000ull;
    const std::uint64_t epoch1899 = 109205ull * kDay;
    EXPECT_DOUBLE_EQ(FileTimeToDate(epoch1899), 0.0);
    EXPECT_DOUBLE_EQ(FileTimeToDate(epoch1899 + kDay / 4), 0.25);
    // 2005-01-01 12:00:00.500 UTC is day 38353.
    EXPECT_NEAR(FileTimeToDate(epoch1899 + 38353 * kDay + kDay / 2 + 5000000), 38353.5 + 0.5 / 86400, 1e-9);
    // Before 1899-12-30 the fraction counts away from zero.
    EXPECT_DOUBLE_EQ(FileTimeToDate(epoch1899 - kDay + kDay / 4), -1.25);
    EXPECT_DOUBLE_EQ(FileTimeToDate(0), -109205.0);
    EXPECT_TRUE(FileTimeToDate(UINT64_MAX) > 2900000.0);  // the largest FILETIME stays finite and ordered
}

TEST(FileRecord, WaitLimit) {
    EXPECT_EQ(WaitStepLimit(2), 8);
    EXPECT_EQ(WaitStepLimit(1), 4);
    EXPECT_EQ(WaitStepLimit(0), 240);
    EXPECT_EQ(WaitStepLimit(-5), 240);
    EXPECT_EQ(WaitStepLimit(INT32_MAX), std::int64_t(4) * INT32_MAX);  // no overflow
}

}  // namespace
}  // namespace zunda::core
