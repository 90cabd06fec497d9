// Drive records: the letter, media type, medium test, geometry, capacity,
// label, serial and file system of one drive; and the drive letters of the
// system's logical drive strings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zunda::machine {

// TYP_Drive_Media
enum Media : int { tmUnknown = 0, tmNotExists, tmRemoveable, tmFixed, tmRemote, tmCDROM, tmRAMDisk };

struct DiskGeometry {
    std::uint32_t sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
};

struct VolumeInfo {
    std::string label, fileSystem;
    std::uint32_t serial = 0;
};

class DriveSystem {
public:
    virtual ~DriveSystem() = default;
    // GetDiskFreeSpaceA on the root; with quiet set, without the system's
    // critical-error dialog. False when the call fails.
    virtual bool DiskFreeSpace(const std::string& root, bool quiet, DiskGeometry& out) = 0;
    // Bytes free to the caller and total bytes; false when the call fails.
    virtual bool DiskFreeSpaceEx(const std::string& root, std::uint64_t& freeToCaller, std::uint64_t& total) = 0;
    virtual std::uint32_t DriveType(const std::string& root) = 0;
    virtual bool VolumeInformation(const std::string& root, VolumeInfo& out) = 0;
};

struct DriveRecord {
    char letter = 0;
    std::string serialNumber, label, fileSystem;
    DiskGeometry geometry;
    std::uint64_t capacity = 0, freeSpace = 0;
    int media = tmUnknown;
    bool mediumPresent = false;
};

// "1A2B-3C4D"
std::string VolumeSerialText(std::uint32_t serial);

// Rereads the record for the first character of the trimmed argument; an
// argument that is empty after trimming changes nothing.
void RefreshDrive(DriveRecord& record, DriveSystem& system, std::string_view argument);

// The drive letters, upper case, in the order of GetLogicalDriveStrings'
// answer (`length` characters of `buffer`).
std::string DriveLetters(const char* buffer, std::size_t length);

}  // namespace zunda::machine
