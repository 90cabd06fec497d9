// Recursive deletion of a directory tree. Links (reparse points) inside the
// tree are removed themselves and never followed; a whole drive, a drive
// root or a share is refused.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zunda::core {

constexpr std::uint32_t kAttrDirectory = 0x10;
constexpr std::uint32_t kAttrReparsePoint = 0x400;

struct DirEntry {
    std::string name;
    std::uint32_t attributes = 0;
};

// The file system operations the deletion needs.
class TreeFileSystem {
public:
    virtual ~TreeFileSystem() = default;
    // Entries of a directory (any attributes), without "." and "..".
    virtual std::vector<DirEntry> List(const std::string& dir) = 0;
    virtual bool Attributes(const std::string& path, std::uint32_t& attributes) = 0;
    // Attributes reset to "normal" (read-only, hidden and system cleared).
    virtual bool SetNormal(const std::string& path) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
    virtual bool RemoveDir(const std::string& path) = 0;
    // The system's reason for the last failed operation.
    virtual std::string LastError() = 0;
    virtual std::string FullPath(const std::string& path) = 0;
};

struct DeltreeOutcome {
    bool ok = true;
    std::string message;  // the first failure, when not ok
};

// Deletes everything below path and then path itself. With abortOnFailure
// the first entry that resists ends the deletion; otherwise everything that
// can go goes, and the directory stays when anything resisted.
DeltreeOutcome Deltree(const std::string& path, bool abortOnFailure, TreeFileSystem& fs);

}  // namespace zunda::core
