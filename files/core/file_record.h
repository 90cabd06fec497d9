// The portable rules of a file record: its name parts and the folders a bare
// name is looked for in, the executable-type text, file times as automation
// dates and the version text.
#pragma once

#include "files/core/version_resource.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zunda::core {

struct NameParts {
    std::string extension;  // without its dot
    std::string path;       // directory part with its trailing backslash, trimmed
    std::string name;       // without directory and extension
};
NameParts SplitFileName(std::string_view fullName);

// The files a name without directory may stand for, in search order: the
// system root, its "System32\" and "System\" folders, the Windows folder and
// the current folder. Folders that are empty are left out.
std::vector<std::string> SearchCandidates(std::string_view fileName, std::string_view systemRoot,
                                          std::string_view windows, std::string_view current);

// The executable type: from the SHGetFileInfoA(SHGFI_EXETYPE) answer, else
// from GetBinaryTypeA's type when that call succeeded; empty when neither tells.
std::string BinaryTypeText(std::uint32_t exeType, std::optional<std::uint32_t> binaryType);

// A FILETIME (100 ns units since 1601-01-01) as an automation date.
double FileTimeToDate(std::uint64_t fileTime);

// "a.b.c.d" of the fixed file version, or the no-version text for the name.
std::string VersionText(const VersionResource& resource, std::string_view fileName);

// Waitfor's limit: the number of 250 ms steps after which it stops
// (4 per second for a timeout of 1 or more, 240 otherwise), without overflow.
std::int64_t WaitStepLimit(std::int32_t timeoutSeconds);

}  // namespace zunda::core
