// MxFileUtils: path edits, existence tests, the MFile line-file handles,
// shell copy, move, rename and delete with the recycle bin, version numbers,
// empty files, recursive deletion, sizes and batch renaming. Most members
// return their value directly; failures follow the error convention through
// the frame's direct-result guard.
#include "files/core/deltree.h"
#include "files/core/line_reader.h"
#include "files/core/path.h"
#include "files/core/path_limits.h"
#include "files/core/rename_batch.h"
#include "files/win/str_tools_com.h"
#include "server/core/failure.h"
#include "server/win/byte_variant.h"
#include "server/win/frame.h"
#include "server/win/lock.h"
#include "server/win/win32_file.h"

#include <shellapi.h>

#include <set>
#include <utility>
#include <vector>

namespace zunda {

namespace {

const char kStrUtilsMissing[] = "Int_ComStrUtils not Assigned";

std::string NotFound(const std::string& name) { return "File \"" + name + "\" not found."; }

// The handles that MFileOpen gave out and MFileClose has not closed yet,
// of every object in the process (a log file opens through one object and
// may close through another). The MFile members act on these only: any
// other number is an invalid handle, so a wrong number never reaches a
// handle the host owns (a registry key, an event, another file).
CriticalSection& OpenFilesLock() {
    static CriticalSection lock;
    return lock;
}
std::set<long>& OpenFiles() {
    static std::set<long> files;
    return files;
}
void Remember(long handle) {
    ScopedLock hold(OpenFilesLock());
    OpenFiles().insert(handle);
}
bool Forget(long handle) {
    ScopedLock hold(OpenFilesLock());
    return OpenFiles().erase(handle) != 0;
}
// The handle of an MFile member; 0 is no handle at all.
HANDLE NeedHandle(long handle) {
    if (handle == 0) throw Failure("No handle number found (0).");
    {
        ScopedLock hold(OpenFilesLock());
        if (!OpenFiles().count(handle)) ThrowSystemError(ERROR_INVALID_HANDLE);
    }
    return I4ToHandle(handle);
}

std::uint64_t FilePointer(HANDLE h) {
    LARGE_INTEGER zero{}, pos{};
    if (!SetFilePointerEx(h, zero, &pos, FILE_CURRENT)) ThrowLastError();
    return static_cast<std::uint64_t>(pos.QuadPart);
}

// The line reader's view of an open handle.
class HandleSource final : public core::ByteSource {
public:
    explicit HandleSource(HANDLE h) : h_(h) {}
    size_t Read(char* buffer, size_t size) override {
        DWORD got = 0;
        if (!ReadFile(h_, buffer, static_cast<DWORD>(size), &got, nullptr)) ThrowLastError();
        return got;
    }
    std::uint64_t Position() override { return FilePointer(h_); }
    void SetPosition(std::uint64_t position) override {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(position);
        if (!SetFilePointerEx(h_, to, nullptr, FILE_BEGIN)) ThrowLastError();
    }

private:
    HANDLE h_;
};

// The recursive deletion's view of the file system.
class Win32Tree final : public core::TreeFileSystem {
public:
    std::vector<core::DirEntry> List(const std::string& dir) override {
        std::vector<core::DirEntry> out;
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((dir + "\\*.*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return out;
        do {
            const std::string name = data.cFileName;
            if (name != "." && name != "..") out.push_back({name, data.dwFileAttributes});
        } while (FindNextFileA(find, &data));
        FindClose(find);
        return out;
    }
    bool Attributes(const std::string& path, std::uint32_t& attributes) override {
        DWORD a = GetFileAttributesA(path.c_str());
        if (a == INVALID_FILE_ATTRIBUTES) return Failed();
        attributes = a;
        return true;
    }
    bool SetNormal(const std::string& path) override {
        return SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL) ? true : Failed();
    }
    bool RemoveFile(const std::string& path) override { return DeleteFileA(path.c_str()) ? true : Failed(); }
    bool RemoveDir(const std::string& path) override { return RemoveDirectoryA(path.c_str()) ? true : Failed(); }
    std::string LastError() override { return SystemMessage(error_); }
    std::string FullPath(const std::string& path) override { return FullPathAnsi(path); }

private:
    bool Failed() {
        error_ = GetLastError();
        return false;
    }
    DWORD error_ = 0;
};

// A list of names for the shell's file operations: each name is followed by
// a NUL and the list by one more.
std::vector<char> NameList(const std::string& name) {
    std::vector<char> out(name.begin(), name.end());
    out.push_back('\0');
    out.push_back('\0');
    return out;
}

// Whether the last part of a name is a wildcard pattern, which the shell expands.
bool HasWildcard(const std::string& name) {
    const size_t part = name.find_last_of("\\:/");
    return name.find_first_of("*?", part == std::string::npos ? 0 : part + 1) != std::string::npos;
}

// The folder part of a full path, up to and including its last backslash.
std::string FolderOf(const std::string& full) {
    const size_t p = full.find_last_of('\\');
    return p == std::string::npos ? std::string() : full.substr(0, p + 1);
}

// The shell's operation builds paths of its own in buffers of MAX_PATH
// characters: each name, its full path, the destination path of every source
// item and every path below a folder it copies, moves or deletes must fit, or
// the operation is not started.
void CheckShellPaths(UINT function, const std::string& from, const std::string* to, FILEOP_FLAGS flags) {
    core::CheckPathLength(from);
    const std::string fromFull = FullPathAnsi(from);
    core::CheckPathLength(fromFull);
    std::string toFull;
    bool intoFolder = false;
    if (to) {
        core::CheckPathLength(*to);
        toFull = FullPathAnsi(*to);
        core::CheckPathLength(toFull);
        if (function != FO_RENAME) {
            const DWORD a = GetFileAttributesA(toFull.c_str());
            intoFolder = (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) ||
                         (!to->empty() && to->back() == '\\');
        }
    }
    // The source items: the matches of a pattern, or the one named item.
    const bool pattern = HasWildcard(fromFull);
    std::vector<core::DirEntry> items;
    if (pattern) {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA(fromFull.c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = data.cFileName;
                if (name != "." && name != "..") items.push_back({name, data.dwFileAttributes});
            } while (FindNextFileA(find, &data));
            FindClose(find);
        }
    } else {
        const DWORD a = GetFileAttributesA(fromFull.c_str());
        if (a != INVALID_FILE_ATTRIBUTES) items.push_back({core::ExtractFileName(fromFull), a});
    }
    Win32Tree fs;
    const std::string folder = pattern ? FolderOf(fromFull) : std::string();
    for (const core::DirEntry& item : items) {
        const std::string full = pattern ? folder + item.name : fromFull;
        // Matches of a pattern that are folders stay where they are with FOF_FILESONLY.
        const bool isFolder = (item.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder && pattern && (flags & FOF_FILESONLY)) continue;
        const size_t below = isFolder && !(item.attributes & FILE_ATTRIBUTE_REPARSE_POINT)
                                 ? core::LongestBelow(fs, full, full.size())
                                 : 0;
        core::CheckTreeLength(full, below);
        if (to) {
            const std::string target = function == FO_RENAME ? toFull : core::ShellTarget(toFull, intoFolder, item.name);
            core::CheckTreeLength(target, below);
        }
    }
}

int ShellOperation(UINT function, long owner, const std::string& from, const std::string* to, FILEOP_FLAGS flags,
                   const std::string* title = nullptr) {
    CheckShellPaths(function, from, to, flags);
    std::vector<char> source = NameList(from);
    std::vector<char> target = to ? NameList(*to) : std::vector<char>();
    SHFILEOPSTRUCTA op = {};
    op.hwnd = reinterpret_cast<HWND>(static_cast<intptr_t>(owner));
    op.wFunc = function;
    op.pFrom = source.data();
    op.pTo = to ? target.data() : nullptr;
    op.fFlags = flags;
    op.lpszProgressTitle = title ? title->c_str() : nullptr;
    return SHFileOperationA(&op);
}

// Deleting a whole drive, its root or a share is never what a caller means.
void RefuseRoot(const std::string& name) {
    if (name.empty()) throw Failure("No file name given.");
    if (core::IsDriveOrRoot(name) || core::IsDriveOrRoot(FullPathAnsi(name)))
        throw Failure("\"" + name + "\" is a drive or its root; it is not deleted.");
}

}  // namespace

class TMxFileUtils final : public Object<TMxFileUtils, IMxFileUtils> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxFileUtils, &IID_IMxFileUtils, &DIID_IMxEvents,
                                        L"Zunda.MxFileUtils", "MxFileUtils", ErrorEvent::ModuleProcedureMessage, true};

    void Initialize() { tools_.Create(); }

    // ------------------------------------------------ path texts
    BSTR STDMETHODCALLTYPE Addslash(BSTR wstrDirectory) override {
        return Text(nullptr, [&] { return core::Addslash(ToAnsiName(wstrDirectory)); });
    }
    BSTR STDMETHODCALLTYPE RemoveSlash(BSTR wstrDirectory) override {
        return Text(nullptr, [&] { return core::RemoveSlash(ToAnsiName(wstrDirectory)); });
    }
    BSTR STDMETHODCALLTYPE ExtractFileNameOnly(TFilename fiFilename) override {
        return Text(nullptr, [&] { return core::ExtractFileNameOnly(ToAnsiName(fiFilename)); });
    }
    BSTR STDMETHODCALLTYPE ExtractLastDirName(BSTR wstrDirectory) override {
        return Text(nullptr, [&] {
            if (!tools_.Available()) return std::string();
            return core::ExtractLastDirName(ToAnsiName(wstrDirectory), tools_);
        });
    }
    BSTR STDMETHODCALLTYPE ReplaceExt(TFilename fiFilename, BSTR wstrExtension) override {
        return Text(nullptr, [&] {
            std::string name = ToAnsiName(fiFilename);
            if (!tools_.Available()) {
                ReportError("ReplaceExt", std::string(kStrUtilsMissing) + ".");
                return name;
            }
            return core::ReplaceExt(name, ToAnsiName(wstrExtension), tools_);
        });
    }

    // ------------------------------------------------ existence tests
    VARIANT_BOOL STDMETHODCALLTYPE DirExists(BSTR wstrDirectory) override {
        return Direct("DirExists", VARIANT_BOOL(VARIANT_FALSE), [&] {
            DWORD a = GetFileAttributesA(FileNameArg(wstrDirectory).c_str());
            return ToVariantBool(a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY));
        });
    }
    VARIANT_BOOL STDMETHODCALLTYPE IsDriveReady(LPSTR pchDrive) override {
        return Direct("IsDriveReady", VARIANT_BOOL(VARIANT_FALSE), [&] {
            if (!pchDrive) return VARIANT_BOOL(VARIANT_FALSE);
            const char letter = pchDrive[0];
            if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z'))) return VARIANT_BOOL(VARIANT_FALSE);
            const char root[4] = {letter, ':', '\\', '\0'};
            // No "insert a disk" box and no critical-error box in an unattended
            // host, and the process's current directory is left alone.
            UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
            DWORD a = GetFileAttributesA(root);
            SetErrorMode(previous);
            return ToVariantBool(a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY));
        });
    }

    // ------------------------------------------------ line files
    LONG STDMETHODCALLTYPE MFileOpen(TFilename fiFilename, TYP_FileAccessMode tyAccessMode,
                                     TYP_FileShareMode tyShareMode,
                                     TYP_FileCreationDistribution tyCreationDistribution) override {
        return Direct("MFileOpen", -1L, [&] {
            const std::string name = FileNameArg(fiFilename);
            DWORD access = static_cast<DWORD>(tyAccessMode);
            if (tyAccessMode == tfaGENERIC_READ) access = GENERIC_READ;
            if (tyAccessMode == tfaGENERIC_WRITE) access = GENERIC_WRITE;
            DWORD error = 0;
            FileHandle f = OpenFileAnsi(name, access, static_cast<DWORD>(tyShareMode),
                                        static_cast<DWORD>(tyCreationDistribution), &error);
            if (!f.Valid()) {
                const std::wstring_view text = L"Can\u00b4t open or create File \"";
                ReportError("MFileOpen", ToAnsi(text.data(), text.size()) + name + "\".");
                SetLastError(error);  // the reason stays readable for callers of the handle API
                return -1L;
            }
            const long handle = HandleToI4(f.Release());
            Remember(handle);
            return handle;
        });
    }
    void STDMETHODCALLTYPE MFileSeek(LONG iHandle) override {
        DirectVoid("MFileSeek", [&] {
            LARGE_INTEGER zero{};
            if (!SetFilePointerEx(NeedHandle(iHandle), zero, nullptr, FILE_END)) ThrowLastError();
        });
    }
    LONG STDMETHODCALLTYPE MFileGetPointer(LONG iHandle) override {
        return Direct("MFileGetPointer", 0L,
                      [&] { return static_cast<LONG>(static_cast<std::uint32_t>(FilePointer(NeedHandle(iHandle)))); });
    }
    VARIANT_BOOL STDMETHODCALLTYPE MFileEOF(LONG iHandle) override {
        return Direct("MFileEOF", VARIANT_BOOL(VARIANT_FALSE), [&] {
            HANDLE h = NeedHandle(iHandle);
            LARGE_INTEGER size{};
            if (!GetFileSizeEx(h, &size)) ThrowLastError();
            return ToVariantBool(FilePointer(h) >= static_cast<std::uint64_t>(size.QuadPart));
        });
    }
    void STDMETHODCALLTYPE MFileClose(LONG* iHandle) override {
        DirectVoid("MFileClose", [&] {
            if (!iHandle) return;
            const LONG handle = std::exchange(*iHandle, 0);
            if (handle == 0) return;
            if (!Forget(handle)) ThrowSystemError(ERROR_INVALID_HANDLE);
            if (!CloseHandle(I4ToHandle(handle))) ThrowLastError();
        });
    }
    void STDMETHODCALLTYPE MFileReadLN(LONG iHandle, BSTR* wstrLine) override { ReadLine("MFileReadLN", iHandle, wstrLine); }
    void STDMETHODCALLTYPE MFileReadLNEx(LONG iHandle, BSTR* wstrLine) override {
        ReadLine("MFileReadLNEx", iHandle, wstrLine);
    }
    void STDMETHODCALLTYPE MFileWriteLN(LONG iHandle, BSTR wstrLine) override {
        DirectVoid("MFileWriteLN", [&] {
            HANDLE h = NeedHandle(iHandle);
            DWORD error = WriteAll(h, ToAnsi(wstrLine) + "\r\n");
            if (error) ThrowSystemError(error);
        });
    }

    // ------------------------------------------------ shell operations
    LONG STDMETHODCALLTYPE CopyFile(TFilename fiFilename, TFilename fiDestination, BSTR wstrCaption) override {
        return Direct("CopyFile", -1L, [&] {
            const std::string source = FileNameArg(fiFilename);
            const std::string destination = FileNameArg(fiDestination);
            if (!FileExistsAnsi(source)) {
                ReportError("CopyFile", NotFound(source));
                return -1L;
            }
            const std::string caption = ToAnsi(wstrCaption);
            return static_cast<LONG>(ShellOperation(FO_COPY, 0, source, &destination, FOF_FILESONLY, &caption));
        });
    }
    LONG STDMETHODCALLTYPE DeleteToRecycleBin(TFilename fiFilename, LONG iHandle, VARIANT_BOOL boAllowUndo,
                                              VARIANT_BOOL boQuit) override {
        return Direct("DeleteToRecycleBin", -1L, [&] {
            const std::string name = FileNameArg(fiFilename);
            RefuseRoot(name);
            FILEOP_FLAGS flags = 0;
            if (boQuit) flags |= FOF_NOCONFIRMATION;
            if (boAllowUndo) flags |= FOF_ALLOWUNDO;
            return static_cast<LONG>(ShellOperation(FO_DELETE, iHandle, name, nullptr, flags));
        });
    }
    LONG STDMETHODCALLTYPE MoveFile(TFilename fiSource, TFilename fiDestination, LONG iHandle) override {
        return Direct("MoveFile", -1L, [&] {
            const std::string source = FileNameArg(fiSource);
            const std::string destination = FileNameArg(fiDestination);
            return static_cast<LONG>(ShellOperation(FO_MOVE, iHandle, source, &destination, 0));
        });
    }
    LONG STDMETHODCALLTYPE RenameFile(TFilename fiSource, TFilename fiDestination, LONG iHandle) override {
        return Direct("RenameFile", -1L, [&] {
            const std::string source = FileNameArg(fiSource);
            const std::string destination = FileNameArg(fiDestination);
            return static_cast<LONG>(ShellOperation(FO_RENAME, iHandle, source, &destination, 0));
        });
    }
    VARIANT_BOOL STDMETHODCALLTYPE EmptyRecycleBin(LONG iHandle) override {
        return Direct("EmptyRecycleBin", VARIANT_BOOL(VARIANT_FALSE), [&] {
            HMODULE shell = LoadLibraryA("Shell32.dll");
            if (!shell) {
                ReportError("EmptyRecycleBin", "Failed to load Shell32.dll.");
                return VARIANT_BOOL(VARIANT_FALSE);
            }
            using EmptyFn = HRESULT(WINAPI*)(HWND, LPCSTR, DWORD);
            auto empty = reinterpret_cast<EmptyFn>(reinterpret_cast<void*>(GetProcAddress(shell, "SHEmptyRecycleBinA")));
            if (empty)
                empty(reinterpret_cast<HWND>(static_cast<intptr_t>(iHandle)), nullptr,
                      SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
            FreeLibrary(shell);
            return VARIANT_BOOL(VARIANT_TRUE);
        });
    }

    // ------------------------------------------------ versions, sizes, files
    BSTR STDMETHODCALLTYPE FileVersion(TFilename fiFilename) override {
        // The name as well as it can be shown; the file itself is looked up
        // only under a name that converts exactly.
        const std::string none = "No Version Information found (" + ToAnsi(fiFilename) + ").";
        return Text(nullptr, [&] {
            long v[4] = {0, 0, 0, 0};
            if (!Version(FileNameArg(fiFilename), v)) return none;
            return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." +
                   std::to_string(v[3]);
        }, none);
    }
    VARIANT_BOOL STDMETHODCALLTYPE FileVersionEx(TFilename fiFilename, LONG* iMajor1, LONG* iMajor2, LONG* iMinor1,
                                                 LONG* iMinor2) override {
        return Direct("FileVersionEx", VARIANT_BOOL(VARIANT_FALSE), [&] {
            long v[4] = {0, 0, 0, 0};
            if (!Version(FileNameArg(fiFilename), v)) return VARIANT_BOOL(VARIANT_FALSE);
            LONG* out[4] = {iMajor1, iMajor2, iMinor1, iMinor2};
            for (int i = 0; i < 4; ++i)
                if (out[i]) *out[i] = v[i];
            return VARIANT_BOOL(VARIANT_TRUE);
        });
    }
    VARIANT_BOOL STDMETHODCALLTYPE CreateEmptyFile(TFilename fiFilename) override {
        return Direct("CreateEmptyFile", VARIANT_BOOL(VARIANT_FALSE), [&] {
            const std::string name = FileNameArg(fiFilename);
            if (FileExistsAnsi(name)) return VARIANT_BOOL(VARIANT_FALSE);
            DWORD error = 0;
            FileHandle f = OpenFileAnsi(name, GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW, &error);
            if (!f.Valid()) ThrowSystemError(error, "Systemfehler.  Code: " + std::to_string(error) + ".\r\n");
            return VARIANT_BOOL(VARIANT_TRUE);
        });
    }
    VARIANT_BOOL STDMETHODCALLTYPE Deltree(BSTR wstrPath, VARIANT_BOOL boAbortonFailure) override {
        return Direct(nullptr, VARIANT_BOOL(VARIANT_FALSE), [&] {
            std::string path;
            try {
                path = FileNameArg(wstrPath);
            } catch (const Failure& e) {
                ReportError("Deltree", e.what());
                return VARIANT_BOOL(VARIANT_FALSE);
            }
            Win32Tree fs;
            core::DeltreeOutcome out = core::Deltree(path, boAbortonFailure != VARIANT_FALSE, fs);
            if (!out.ok) ReportError("Deltree", out.message);
            return ToVariantBool(out.ok);
        });
    }
    UINT64 STDMETHODCALLTYPE GetFileSize(TFilename fiFilename) override {
        return Direct("GetFileSize", UINT64(0), [&] {
            const std::string name = FileNameArg(fiFilename);
            if (!FileExistsAnsi(name)) {
                ReportError("GetFileSize", NotFound(name));
                return UINT64(0);
            }
            WIN32_FIND_DATAA data;
            HANDLE find = FindFirstFileA(name.c_str(), &data);
            if (find == INVALID_HANDLE_VALUE) ThrowLastError();
            FindClose(find);
            return (static_cast<UINT64>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        });
    }

    // ------------------------------------------------ batch renaming
    VARIANT_BOOL STDMETHODCALLTYPE RenameFiles(IMxStringlist* strlFiles) override {
        return Direct("RenameFiles", VARIANT_BOOL(VARIANT_FALSE), [&] {
            if (!strlFiles) throw Failure("No string list given.");
            VARIANT bytes;
            VariantInit(&bytes);
            VARIANT_BOOL saved = VARIANT_FALSE;
            HRESULT hr = strlFiles->SaveToVariant(&bytes, &saved);
            std::string text;
            try {
                Check(hr);
                if (saved == VARIANT_FALSE) throw Failure("The string list could not be read.");
                text = BytesOfVariant(bytes);
            } catch (...) {
                VariantClear(&bytes);
                throw;
            }
            VariantClear(&bytes);
            return Rename(text);
        });
    }
    VARIANT_BOOL STDMETHODCALLTYPE RenameFilesEx(VARIANT vaFiles) override {
        return Direct("RenameFiles", VARIANT_BOOL(VARIANT_FALSE), [&] { return Rename(BytesOfVariant(vaFiles)); });
    }

    // ------------------------------------------------ list conversions
    STDMETHODIMP MxStringListToFileList(IMxStringlist* strlList, IMxFileList** clFileList) override {
        return Convert(
            "MxStringListToFileList", CLSID_MxFileList, strlList, clFileList,
            [](IMxStringlist* l, LONG* n) { return l->get_Count(n); },
            [](IMxStringlist* l, LONG i, BSTR* text) { return l->get_Strings(i, text); },
            [](IMxFileList* target, BSTR text) {
                LONG index = 0;
                return target->Add(text, VARIANT_FALSE, VARIANT_FALSE, &index);
            });
    }
    STDMETHODIMP MxFileListToStringlist(IMxFileList* clFileList, IMxStringlist** strlList) override {
        return Convert(
            "MxFileListToStringlist", CLSID_MxStringlist, clFileList, strlList,
            [](IMxFileList* l, LONG* n) { return l->get_iCount(n); },
            [](IMxFileList* l, LONG i, BSTR* text) { return l->get_fiFiles(i, text); },
            [](IMxStringlist* target, BSTR text) {
                LONG index = 0;
                return target->Add(text, &index);
            });
    }

private:
    // A direct text result: the text as a new BSTR, or `failure` as one.
    template <class F>
    BSTR Text(const char* member, F&& work, const std::string& failure = std::string()) noexcept {
        BSTR out = Direct(member, BSTR(nullptr), [&] { return Bstr::FromAnsi(work()); });
        if (out) return out;
        return Direct<BSTR>(nullptr, nullptr, [&] { return Bstr::FromAnsi(failure); });
    }

    void ReadLine(const char* member, LONG iHandle, BSTR* wstrLine) {
        DirectVoid(member, [&] {
            HANDLE h = NeedHandle(iHandle);
            if (!wstrLine) throw Failure("No line variable given.");
            HandleSource source(h);
            Bstr line = Bstr::FromAnsi(core::ReadLine(source));
            SysFreeString(*wstrLine);
            *wstrLine = line.Release();
        });
    }

    // The four numbers of a file's version resource; false when the file has
    // none. A missing file is reported under FileVersionEx.
    bool Version(const std::string& name, long v[4]) {
        if (!FileExistsAnsi(name)) {
            ReportError("FileVersionEx", NotFound(name));
            return false;
        }
        DWORD ignored = 0;
        DWORD size = GetFileVersionInfoSizeA(name.c_str(), &ignored);
        if (size == 0) return false;
        std::vector<char> block(size);
        if (!GetFileVersionInfoA(name.c_str(), 0, size, block.data())) return false;
        VS_FIXEDFILEINFO* info = nullptr;
        UINT length = 0;
        char root[] = "\\";
        if (!VerQueryValueA(block.data(), root, reinterpret_cast<void**>(&info), &length) || !info ||
            length < sizeof(VS_FIXEDFILEINFO))
            return false;
        v[0] = HIWORD(info->dwFileVersionMS);
        v[1] = LOWORD(info->dwFileVersionMS);
        v[2] = HIWORD(info->dwFileVersionLS);
        v[3] = LOWORD(info->dwFileVersionLS);
        return true;
    }

    VARIANT_BOOL Rename(const std::string& text) {
        core::RenameOutcome out = core::RenameBatch(
            text, tools_.Available() ? &tools_ : nullptr,
            [](const std::string& source, const std::string& destination, std::string& reason) {
                if (MoveFileA(source.c_str(), destination.c_str())) return true;
                reason = SystemMessage(GetLastError());  // the batch goes on and reports it
                return false;
            });
        if (!out.ok) ReportError("RenameFiles", out.message);
        return ToVariantBool(out.ok);
    }

    // Fills a new list of the target class with the source list's entries.
    // A missing source list or a failed creation of the target goes through
    // the error convention; a failing call on either list fails the member.
    template <class Source, class Target, class CountFn, class EntryFn, class AddFn>
    HRESULT Convert(const char* member, REFCLSID clsid, Source* source, Target** out, CountFn count, EntryFn entry,
                    AddFn add) noexcept {
        if (!out) return E_POINTER;
        *out = nullptr;
        return Call([&] {
            if (!source) {
                ReportError(member, "No list to convert given.");
                return;
            }
            ComPtr<Target> target;
            try {
                target = CreateLibraryObject<Target>(clsid);
            } catch (const ComError& e) {
                ReportError(member, e.what());
                return;
            }
            Check(target->Clear());
            LONG n = 0;
            Check(count(source, &n));
            for (LONG i = 0; i < n; ++i) {
                Bstr text;
                Check(entry(source, i, text.Put()));
                Check(add(target.Get(), text));
            }
            *out = target.Detach();
        });
    }

    ComStrTools tools_;
};

ZUNDA_CLASS(TMxFileUtils);

}  // namespace zunda
