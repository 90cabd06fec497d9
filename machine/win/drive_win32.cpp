#include "machine/win/drive_win32.h"

#include <windows.h>

namespace zunda {
namespace {

using DiskFreeSpaceExFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

// GetDiskFreeSpaceExA came with Windows 95 OSR2; without it the figures
// come from the cluster geometry.
DiskFreeSpaceExFn DiskFreeSpaceExA() {
    static const DiskFreeSpaceExFn fn = reinterpret_cast<DiskFreeSpaceExFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetDiskFreeSpaceExA")));
    return fn;
}

}  // namespace

bool Win32Drives::DiskFreeSpace(const std::string& root, bool quiet, machine::DiskGeometry& out) {
    DWORD spc = 0, bps = 0, freeClusters = 0, total = 0;
    const UINT mode = quiet ? SetErrorMode(SEM_FAILCRITICALERRORS) : 0;
    const BOOL ok = GetDiskFreeSpaceA(root.c_str(), &spc, &bps, &freeClusters, &total);
    if (quiet) SetErrorMode(mode);
    if (!ok) return false;
    out.sectorsPerCluster = spc;
    out.bytesPerSector = bps;
    out.freeClusters = freeClusters;
    out.totalClusters = total;
    return true;
}

bool Win32Drives::DiskFreeSpaceEx(const std::string& root, std::uint64_t& freeToCaller, std::uint64_t& total) {
    if (DiskFreeSpaceExFn fn = DiskFreeSpaceExA()) {
        ULARGE_INTEGER avail, bytes, totalFree;
        if (!fn(root.c_str(), &avail, &bytes, &totalFree)) return false;
        freeToCaller = avail.QuadPart;
        total = bytes.QuadPart;
        return true;
    }
    machine::DiskGeometry g;
    if (!DiskFreeSpace(root, false, g)) return false;
    const std::uint64_t cluster = static_cast<std::uint64_t>(g.sectorsPerCluster) * g.bytesPerSector;
    freeToCaller = cluster * g.freeClusters;
    total = cluster * g.totalClusters;
    return true;
}

std::uint32_t Win32Drives::DriveType(const std::string& root) { return GetDriveTypeA(root.c_str()); }

bool Win32Drives::VolumeInformation(const std::string& root, machine::VolumeInfo& out) {
    char name[256] = {}, fs[256] = {};
    DWORD serial = 0, maxComponent = 0, flags = 0;
    if (!GetVolumeInformationA(root.c_str(), name, 255, &serial, &maxComponent, &flags, fs, 255)) return false;
    out.label = name;
    out.fileSystem = fs;
    out.serial = serial;
    return true;
}

std::string AvailableDriveLetters() {
    char buffer[256] = {};
    const DWORD n = GetLogicalDriveStringsA(255, buffer);
    if (n == 0 || n > 255) return std::string();
    return machine::DriveLetters(buffer, n);
}

}  // namespace zunda
