// Memory figures and drive records over recorded answers.
#include "machine/core/drive.h"
#include "machine/core/memory.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>

namespace zunda::machine {
namespace {

TEST(Memory, FiguresKeepTheirBitsUpTo4GiBAndSaturateAbove) {
    const std::pair<std::uint64_t, std::int32_t> cases[] = {
        {0, 0},
        {0x7FFFFFFFull, 0x7FFFFFFF},
        {0x80000000ull, static_cast<std::int32_t>(0x80000000u)},  // above 2^31 - 1: negative, same bits
        {0xFFFFFFFFull, -1},
        {0x100000000ull, -1},                                    // 4 GiB: saturated, not 0
        {25276137472ull, -1},                                    // 24 GiB would truncate to a small number
        {0x00007FFFFFFEFFFFull, -1},                             // a 64-bit highest address
    };
    for (auto [value, expected] : cases) EXPECT_EQ(Saturate32(value), expected) << value;
}

TEST(Memory, SelectorsPickTheirField) {
    MemoryStatus s;
    s.totalPhys = 1;
    s.availPhys = 2;
    s.totalPageFile = 3;
    s.availPageFile = 4;
    s.totalVirtual = 5;
    s.availVirtual = 6;
    s.memoryLoad = 7;
    s.allocationGranularity = 8;
    s.maxAppAddress = 9;
    s.minAppAddress = 10;
    s.pageSize = 11;
    for (int selector = 0; selector <= 10; ++selector) EXPECT_EQ(MemoryValue(s, selector), selector + 1);
    EXPECT_EQ(MemoryValue(s, 11), 0);
    EXPECT_EQ(MemoryValue(s, -1), 0);
}

class FakeDrives final : public DriveSystem {
public:
    struct Drive {
        std::uint32_t type = 3;
        bool medium = true;
        bool volumeReadable = true;
        DiskGeometry geometry{8, 512, 1000, 4000};
        std::uint64_t free = 4096000, total = 16384000;
        VolumeInfo volume{"LABEL", "NTFS", 0x1A2B3C4D};
    };
    std::map<std::string, Drive> drives;
    std::vector<std::string> calls;

    // Roots are found whatever the letter's case, as on Windows.
    std::map<std::string, Drive>::iterator Find(std::string root) {
        for (char& c : root) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return drives.find(root);
    }

    bool DiskFreeSpace(const std::string& root, bool quiet, DiskGeometry& out) override {
        calls.push_back(std::string(quiet ? "probe " : "space ") + root);
        auto it = Find(root);
        if (it == drives.end() || !it->second.medium) return false;
        out = it->second.geometry;
        return true;
    }
    bool DiskFreeSpaceEx(const std::string& root, std::uint64_t& free, std::uint64_t& total) override {
        auto it = Find(root);
        if (it == drives.end() || !it->second.medium) return false;
        free = it->second.free;
        total = it->second.total;
        return true;
    }
    std::uint32_t DriveType(const std::string& root) override {
        auto it = Find(root);
        return it == drives.end() ? 1 : it->second.type;
    }
    bool VolumeInformation(const std::string& root, VolumeInfo& out) override {
        auto it = Find(root);
        if (it == drives.end() || !it->second.medium || !it->second.volumeReadable) return false;
        out = it->second.volume;
        return true;
    }
};

TEST(Drive, RecordOfAFixedDrive) {
    FakeDrives sys;
    sys.drives["C:\\"] = {};
    DriveRecord r;
    RefreshDrive(r, sys, "  C:\\ ");
    EXPECT_EQ(r.letter, 'C');
    EXPECT_TRUE(r.mediumPresent);
    EXPECT_EQ(r.media, tmFixed);
    EXPECT_EQ(r.serialNumber, "1A2B-3C4D");
    EXPECT_EQ(r.label, "LABEL");
    EXPECT_EQ(r.fileSystem, "NTFS");
    EXPECT_EQ(r.geometry.sectorsPerCluster, 8u);
    EXPECT_EQ(r.geometry.bytesPerSector, 512u);
    EXPECT_EQ(r.geometry.freeClusters, 1000u);
    EXPECT_EQ(r.geometry.totalClusters, 4000u);
    EXPECT_EQ(r.freeSpace, 4096000u);
    EXPECT_EQ(r.capacity, 16384000u);
    // The first call probes quietly; the reads follow only with a medium.
    EXPECT_EQ(sys.calls, (std::vector<std::string>{"probe C:\\", "space C:\\"}));
}

TEST(Drive, EmptyRemovableDriveHasNoValues) {
    FakeDrives sys;
    sys.drives["C:\\"] = {};
    FakeDrives::Drive floppy;
    floppy.type = 2;
    floppy.medium = false;
    sys.drives["A:\\"] = floppy;
    DriveRecord r;
    RefreshDrive(r, sys, "C");
    RefreshDrive(r, sys, "a");
    EXPECT_EQ(r.letter, 'a');
    EXPECT_FALSE(r.mediumPresent);
    EXPECT_EQ(r.media, tmRemoveable);
    EXPECT_EQ(r.serialNumber, "");
    EXPECT_EQ(r.label, "");
    EXPECT_EQ(r.fileSystem, "");
    EXPECT_EQ(r.geometry.totalClusters, 0u);
    EXPECT_EQ(r.capacity, 0u);
    EXPECT_EQ(r.freeSpace, 0u);
    EXPECT_EQ(sys.calls.back(), "probe a:\\");  // no unquiet read of an empty drive
}

TEST(Drive, AFailedVolumeReadNeverLeavesAnotherDrivesNames) {
    FakeDrives sys;
    sys.drives["C:\\"] = {};
    FakeDrives::Drive d;
    d.volumeReadable = false;
    d.type = 4;
    sys.drives["D:\\"] = d;
    DriveRecord r;
    RefreshDrive(r, sys, "C");
    RefreshDrive(r, sys, "D");
    EXPECT_EQ(r.letter, 'D');
    EXPECT_EQ(r.media, tmRemote);
    EXPECT_EQ(r.label, "");
    EXPECT_EQ(r.serialNumber, "");
    EXPECT_EQ(r.fileSystem, "");
    EXPECT_EQ(r.capacity, 16384000u);  // the space figures are the new drive's

    // The same drive read again keeps its names through a failed volume read.
    RefreshDrive(r, sys, "C");
    sys.drives["C:\\"].volumeReadable = false;
    RefreshDrive(r, sys, "C");
    EXPECT_EQ(r.label, "LABEL");
}

TEST(Drive, ArgumentsAndTypes) {
    FakeDrives sys;
    sys.drives["C:\\"] = {};
    DriveRecord r;
    RefreshDrive(r, sys, "");
    RefreshDrive(r, sys, " \t ");
    EXPECT_EQ(r.letter, 0);
    EXPECT_TRUE(sys.calls.empty());
    RefreshDrive(r, sys, "Q");  // not there: DRIVE_NO_ROOT_DIR
    EXPECT_EQ(r.media, tmNotExists);
    EXPECT_FALSE(r.mediumPresent);
    sys.drives["C:\\"].type = 6;
    RefreshDrive(r, sys, "C");
    EXPECT_EQ(r.media, tmRAMDisk);
    sys.drives["C:\\"].type = 7;  // beyond the known types: unchanged
    RefreshDrive(r, sys, "C");
    EXPECT_EQ(r.media, tmRAMDisk);
    EXPECT_EQ(VolumeSerialText(0), "0000-0000");
    EXPECT_EQ(VolumeSerialText(0xFFFFFFFFu), "FFFF-FFFF");
}

TEST(Drive, LettersOfTheLogicalDriveStrings) {
    const char strings[] = "A:\\\0C:\\\0d:\\\0E:\\\0\0X:\\\0";
    EXPECT_EQ(DriveLetters(strings, sizeof(strings) - 1), "ACDE");
    EXPECT_EQ(DriveLetters("C:\\", 3), "C");  // no final zeros within the answer
    EXPECT_EQ(DriveLetters("", 0), "");
    EXPECT_EQ(DriveLetters(nullptr, 10), "");
}

}  // namespace
}  // namespace zunda::machine
