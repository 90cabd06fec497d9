#include "files/core/deltree.h"

#include "files/core/path.h"

namespace zunda::core {

namespace {

class Remover {
public:
    Remover(bool abortOnFailure, TreeFileSystem& fs, DeltreeOutcome& out)
        : abort_(abortOnFailure), fs_(fs), out_(out) {}

    bool Tree(const std::string& dir) {
        bool ok = true;
        for (const DirEntry& e : fs_.List(dir)) {
            const std::string full = dir + "\\" + e.name;
            std::uint32_t attributes = 0;
            bool entryOk;
            if (fs_.Attributes(full, attributes) && (attributes & kAttrDirectory)) {
                entryOk = (attributes & kAttrReparsePoint) ? RemoveLink(full) : Tree(full);
            } else {
                entryOk = Step(fs_.SetNormal(full), full) && Step(fs_.RemoveFile(full), full);
            }
            if (!entryOk) {
                ok = false;
                if (abort_) break;
            }
        }
        return ok && Step(fs_.SetNormal(dir), dir) && Step(fs_.RemoveDir(dir), dir);
    }

    // A directory link goes by itself, and its attributes are left alone
    // (on some systems setting them would reach what it points at). Some
    // file systems keep such a link as a file, so that is tried when removing
    // it as a directory fails.
    bool RemoveLink(const std::string& link) { return fs_.RemoveDir(link) || Step(fs_.RemoveFile(link), link); }

private:
    bool Step(bool ok, const std::string& path) {
        if (!ok && out_.message.empty()) out_.message = "Cannot delete \"" + path + "\". " + fs_.LastError();
        return ok;
    }

    bool abort_;
    TreeFileSystem& fs_;
    DeltreeOutcome& out_;
};

}  // namespace

DeltreeOutcome Deltree(const std::string& path, bool abortOnFailure, TreeFileSystem& fs) {
    DeltreeOutcome out;
    const std::string dir = RemoveSlash(path);
    if (IsDriveOrRoot(path) || IsDriveOrRoot(dir) || IsDriveOrRoot(fs.FullPath(dir))) {
        out.ok = false;
        out.message = path.empty() ? "No directory given."
                                   : "\"" + path + "\" is a drive or its root; it is not deleted.";
        return out;
    }
    Remover remover(abortOnFailure, fs, out);
    std::uint32_t attributes = 0;
    if (fs.Attributes(dir, attributes) && (attributes & kAttrDirectory) && (attributes & kAttrReparsePoint))
        out.ok = remover.RemoveLink(dir);
    else
        out.ok = remover.Tree(dir);
    return out;
}

}  // namespace zunda::core
