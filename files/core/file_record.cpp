#include "files/core/file_record.h"

#include "files/core/path.h"


namespace zunda::core {

NameParts SplitFileName(std::string_view fullName) {
    NameParts out;
    const std::string file = ExtractFileName(fullName);
    const size_t dot = file.rfind('.');
    if (dot != std::string::npos) out.extension = file.substr(dot + 1);
    out.path = Trim(ExtractFilePath(fullName));
    out.name = ExtractFileNameOnly(fullName);
    return out;
}

std::vector<std::string> SearchCandidates(std::string_view fileName, std::string_view systemRoot,
                                          std::string_view windows, std::string_view current) {
    std::vector<std::string> out;
    auto add = [&](std::string_view dir, const char* sub) {
        if (dir.empty()) return;
        out.push_back(Addslash(dir) + sub + std::string(fileName));
    };
    add(systemRoot, "");
    add(systemRoot, "System32\\");
    add(systemRoot, "System\\");
    add(windows, "");
    add(current, "");
    return out;
}

std::string BinaryTypeText(std::uint32_t exeType, std::optional<std::uint32_t> binaryType) {
    const std::uint16_t low = static_cast<std::uint16_t>(exeType & 0xFFFF);
    const std::uint16_t high = static_cast<std::uint16_t>(exeType >> 16);
    std::string text;
    if (low == 0x5A4D) {
        text = "DOS Executable";
    } else if (low == 0x454C) {
        text = "Virtual Device Driver";
    } else if (low == 0x4550 || low == 0x454E || (exeType != 0 && low == 0)) {
        if (high == 0) text = "Win32 Console Executable";
        else if (high == 0x0300 || high == 0x030A) text = "Win16 Executable";
        else if (high == 0x0400) text = "Win32 Executable";
    }
    if (text.empty() && binaryType) {
        static const char* const names[] = {"Win32 Executable", "DOS Executable",   "Win16 Executable",
                                            "PIF File",         "POSIX Executable", "OS/2 16 bit Executable"};
        if (*binaryType < 6) text = names[*binaryType];
    }
    return text;
}

double FileTimeToDate(std::uint64_t fileTime) {
    // 1601-01-01 is 109205 days before 1899-12-30; whole milliseconds are kept.
    constexpr std::int64_t kMsPerDay = 86400000;
    const std::int64_t ms = static_cast<std::int64_t>(fileTime / 10000) - std::int64_t(109205) * kMsPerDay;
    std::int64_t days = ms / kMsPerDay, rest = ms % kMsPerDay;
    if (rest < 0) {
        rest += kMsPerDay;
        --days;
    }
    const double fraction = static_cast<double>(rest) / static_cast<double>(kMsPerDay);
    // Before 1899-12-30 the fraction counts away from zero: -1.25 is 29 Dec 06:00.
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

std::string VersionText(const VersionResource& resource, std::string_view fileName) {
    if (!resource.HasFileVersion()) return "No Version Information found (" + std::string(fileName) + ").";
    std::string out;
    for (int i = 0; i < 4; ++i) {
        if (i) out += '.';
        out += std::to_string(*resource.fileVersion[i]);
    }
    return out;
}

std::int64_t WaitStepLimit(std::int32_t timeoutSeconds) {
    return timeoutSeconds >= 1 ? std::int64_t(4) * timeoutSeconds : 240;
}

}  // namespace zunda::core
