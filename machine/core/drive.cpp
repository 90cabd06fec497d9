#include "machine/core/drive.h"

#include "machine/core/trim.h"

#include <cstdio>

namespace zunda::machine {

std::string VolumeSerialText(std::uint32_t serial) {
    char buf[16];
    std::snprintf(buf, sizeof(buf), "%04X-%04X", static_cast<unsigned>(serial >> 16),
                  static_cast<unsigned>(serial & 0xFFFF));
    return buf;
}

void RefreshDrive(DriveRecord& r, DriveSystem& system, std::string_view argument) {
    const std::string trimmed = TrimLow(argument);
    if (trimmed.empty()) return;
    const char previous = r.letter;
    r.letter = trimmed[0];
    const std::string root = std::string(1, r.letter) + ":\\";

    DiskGeometry probe;
    r.mediumPresent = system.DiskFreeSpace(root, true, probe);

    const std::uint32_t type = system.DriveType(root);
    if (type <= tmRAMDisk) r.media = static_cast<int>(type);

    if (!r.mediumPresent) {
        r.serialNumber.clear();
        r.label.clear();
        r.fileSystem.clear();
        r.geometry = DiskGeometry{};
        r.capacity = r.freeSpace = 0;
        return;
    }
    r.geometry = DiskGeometry{};
    if (!system.DiskFreeSpace(root, false, r.geometry)) r.geometry = DiskGeometry{};
    std::uint64_t free = 0, total = 0;
    if (!system.DiskFreeSpaceEx(root, free, total)) free = total = 0;
    r.freeSpace = free;
    r.capacity = total;
    VolumeInfo v;
    if (system.VolumeInformation(root, v)) {
        r.serialNumber = VolumeSerialText(v.serial);
        r.label = v.label;
        r.fileSystem = v.fileSystem;
    } else if (r.letter != previous) {
        // What the record knew belongs to another drive.
        r.serialNumber.clear();
        r.label.clear();
        r.fileSystem.clear();
    }
}

std::string DriveLetters(const char* buffer, std::size_t length) {
    std::string out;
    if (!buffer) return out;
    for (std::size_t i = 0; i < length; ++i) {
        const char c = buffer[i];
        if (c == '\0') {
            if (i + 1 >= length || buffer[i + 1] == '\0') break;
            continue;
        }
        if (c >= 'a' && c <= 'z') out.push_back(static_cast<char>(c - 'a' + 'A'));
        else if (c >= 'A' && c <= 'Z') out.push_back(c);
    }
    return out;
}

}  // namespace zunda::machine
