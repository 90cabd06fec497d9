// The drive calls of the running system behind DriveSystem.
#pragma once

#include "machine/core/drive.h"

namespace zunda {

class Win32Drives final : public machine::DriveSystem {
public:
    bool DiskFreeSpace(const std::string& root, bool quiet, machine::DiskGeometry& out) override;
    bool DiskFreeSpaceEx(const std::string& root, std::uint64_t& freeToCaller, std::uint64_t& total) override;
    std::uint32_t DriveType(const std::string& root) override;
    bool VolumeInformation(const std::string& root, machine::VolumeInfo& out) override;
};

// GetLogicalDriveStringsA as drive letters.
std::string AvailableDriveLetters();

}  // namespace zunda
