// MxFileRecord: one file's name parts, size, times, attributes, shell type
// and icon, executable type and version resource. Information is gathered
// into a private snapshot, in the calling thread or on a worker, and
// published under the record's lock, which every getter takes.
#include "files/core/file_record.h"
#include "files/core/path.h"
#include "server/win/win32_file.h"
#include "server/core/failure.h"
#include "server/win/frame.h"
#include "server/win/worker.h"

#include <shellapi.h>

#include <array>
#include <vector>

namespace zunda {
namespace {

// What a gathering reads at once: the file system's own data.
struct FileInfo {
    UINT64 size = 0;
    double created = 0, accessed = 0, modified = 0;
    long attributes = 0;
};

// What the shell and the version resource add. Reading them costs many times
// the file system's answer, so they are read when a client first asks for
// one of them after a gathering, not for every file of a list.
struct FileDetails {
    std::string version, binaryType, fileType;
    std::array<std::string, 7> texts;  // CompanyName, FileDescription, InternalName, LegalCopyright, ProductName, ProductVersion, Comments
    HICON icon = nullptr;
};

const char* const kTextKeys[7] = {"CompanyName",  "FileDescription", "InternalName", "LegalCopyright",
                                  "ProductName", "ProductVersion",  "Comments"};

// An existing file, not a folder; names with wildcards name no single file.
bool IsPlainFile(const std::string& name, WIN32_FILE_ATTRIBUTE_DATA* data = nullptr) {
    if (name.empty() || name.find_first_of("*?") != std::string::npos) return false;
    WIN32_FILE_ATTRIBUTE_DATA own;
    if (!data) data = &own;
    if (!GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, data)) return false;
    return !(data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

double DateOf(const FILETIME& t) {
    return core::FileTimeToDate((static_cast<UINT64>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

std::string WideToAnsiText(std::u16string_view text) {
    if (text.empty()) return std::string();
    const auto* w = reinterpret_cast<const wchar_t*>(text.data());
    const int n = WideCharToMultiByte(CP_ACP, 0, w, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w, static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

HICON IconOf(const std::string& name, UINT index) {
    const HINSTANCE instance = ThisModule();
    if (reinterpret_cast<UINT_PTR>(ExtractIconA(instance, name.c_str(), static_cast<UINT>(-1))) != 0)
        return ExtractIconA(instance, name.c_str(), index);
    // ExtractAssociatedIconA writes the path of the icon's file into the
    // buffer it gets: it gets a copy of the name, large enough for any path.
    std::vector<char> buffer(name.size() + MAX_PATH + 1, '\0');
    memcpy(buffer.data(), name.data(), name.size());
    WORD iconIndex = static_cast<WORD>(index);
    return ExtractAssociatedIconA(instance, buffer.data(), &iconIndex);
}

// Size, times and attributes; false when the name is no file (any more).
bool Gather(const std::string& name, FileInfo& info) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!IsPlainFile(name, &data)) return false;
    info.attributes = static_cast<long>(data.dwFileAttributes);
    info.created = DateOf(data.ftCreationTime);
    info.accessed = DateOf(data.ftLastAccessTime);
    info.modified = DateOf(data.ftLastWriteTime);
    info.size = (static_cast<UINT64>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

FileDetails GatherDetails(const std::string& name) {
    FileDetails details;
    if (!IsPlainFile(name)) return details;
    details.icon = IconOf(name, 0);
    SHFILEINFOA shell = {};
    if (SHGetFileInfoA(name.c_str(), 0, &shell, sizeof(shell), SHGFI_TYPENAME))
        details.fileType.assign(shell.szTypeName, strnlen(shell.szTypeName, sizeof(shell.szTypeName)));

    const std::string trimmed = core::Trim(name);
    const DWORD_PTR exeType = SHGetFileInfoA(trimmed.c_str(), 0, nullptr, 0, SHGFI_EXETYPE);
    DWORD binaryType = 0;
    std::optional<std::uint32_t> binary;
    if (GetBinaryTypeA(trimmed.c_str(), &binaryType)) binary = binaryType;
    details.binaryType = core::BinaryTypeText(static_cast<std::uint32_t>(exeType), binary);

    core::VersionResource resource;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(name.c_str(), &ignored);
    if (size > 0) {
        std::string bytes(size, '\0');
        if (GetFileVersionInfoA(name.c_str(), 0, size, bytes.data()))
            resource = core::ParseVersionResource(bytes, &WideToAnsiText);
    }
    details.version = core::VersionText(resource, name);
    for (int i = 0; i < 7; ++i) details.texts[i] = resource.Value(kTextKeys[i]);
    return details;
}

}  // namespace

class TMxFileRecord final : public Object<TMxFileRecord, IMxFileRecord> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxFileRecord, &IID_IMxFileRecord, nullptr, L"Zunda.MxFileRecord",
                                     "MxFileRecord", ErrorEvent::None, false};

    ~TMxFileRecord() override {
        if (details_.icon) DestroyIcon(details_.icon);
    }

    STDMETHODIMP get_fiFilename(TFilename* out) override { return Text(out, filename_); }
    STDMETHODIMP get_wstrExtension(BSTR* out) override { return Text(out, extension_); }
    STDMETHODIMP get_wstrPath(BSTR* out) override { return Text(out, path_); }
    STDMETHODIMP get_wstrName(BSTR* out) override { return Text(out, name_); }
    STDMETHODIMP get_wstrVersion(BSTR* out) override { return Detail(out, &FileDetails::version); }
    STDMETHODIMP get_wstrBinaryType(BSTR* out) override { return Detail(out, &FileDetails::binaryType); }
    STDMETHODIMP get_wstrFiletype(BSTR* out) override { return Detail(out, &FileDetails::fileType); }
    STDMETHODIMP get_wstrCompanyName(BSTR* out) override { return VersionText(out, 0); }
    STDMETHODIMP get_wstrDescription(BSTR* out) override { return VersionText(out, 1); }
    STDMETHODIMP get_wstrInternalName(BSTR* out) override { return VersionText(out, 2); }
    STDMETHODIMP get_wstrLegalCopyright(BSTR* out) override { return VersionText(out, 3); }
    STDMETHODIMP get_wstrProductName(BSTR* out) override { return VersionText(out, 4); }
    STDMETHODIMP get_wstrProductVersion(BSTR* out) override { return VersionText(out, 5); }
    STDMETHODIMP get_wstrComments(BSTR* out) override { return VersionText(out, 6); }
    STDMETHODIMP get_iSize(UINT64* out) override { return Value(out, info_.size); }
    STDMETHODIMP get_dtCreated(DATE* out) override { return Value(out, info_.created); }
    STDMETHODIMP get_dtAccessed(DATE* out) override { return Value(out, info_.accessed); }
    STDMETHODIMP get_dtModified(DATE* out) override { return Value(out, info_.modified); }
    STDMETHODIMP get_iAttributes(long* out) override { return Value(out, info_.attributes); }
    STDMETHODIMP get_iIconHandle(long* out) override {
        return Get(out, [&] {
            LoadDetails();
            ScopedLock hold(lock_);
            return static_cast<long>(reinterpret_cast<intptr_t>(details_.icon));
        });
    }

    STDMETHODIMP get_wstrExtDescription(BSTR* out) override { return Text(out, extDescription_); }
    STDMETHODIMP put_wstrExtDescription(BSTR value) override { return Put(extDescription_, value); }
    STDMETHODIMP get_wstrRegKey(BSTR* out) override { return Text(out, regKey_); }
    STDMETHODIMP put_wstrRegKey(BSTR value) override { return Put(regKey_, value); }
    STDMETHODIMP get_wstrExtDescription2(BSTR* out) override { return Text(out, extDescription2_); }
    STDMETHODIMP put_wstrExtDescription2(BSTR value) override { return Put(extDescription2_, value); }

    STDMETHODIMP _Start() override {
        try {
            Refresh();
        } catch (...) {
            // Gathering failures leave the properties as they were.
        }
        return S_OK;
    }

    STDMETHODIMP GetFileInfo(VARIANT_BOOL thread) override {
        return Call([&] {
            if (thread && StartWorker(static_cast<IMxFileRecord*>(this), [this] { Refresh(); })) return;
            _Start();  // without a thread, or when none could be started
        });
    }

    STDMETHODIMP SetFilename(TFilename name, VARIANT_BOOL fileInfo, VARIANT_BOOL thread, VARIANT_BOOL* out) override {
        return Get(out, [&] {
            Clear();
            std::string full = core::Trim(ToAnsi(name));
            if (full.find('%') != std::string::npos) full = PathText(&IMxPath::ParsePath, full);
            core::NameParts parts = core::SplitFileName(full);
            if (parts.path.empty()) {
                // A bare name: the system folders, the Windows folder, the current folder.
                const std::string root = PathText(&IMxPath::get_wstrSystemRoot);
                const std::string windows = PathText(&IMxPath::get_wstrWindows);
                const std::string current = PathText(&IMxPath::get_wstrCurrent);
                for (const std::string& candidate : core::SearchCandidates(full, root, windows, current)) {
                    if (IsPlainFile(candidate)) {
                        full = candidate;
                        parts.path = core::Trim(core::ExtractFilePath(candidate));
                        break;
                    }
                }
            }
            {
                ScopedLock hold(lock_);
                filename_ = full;
                extension_ = parts.extension;
                path_ = parts.path;
                name_ = parts.name;
            }
            if (!IsPlainFile(full)) return VARIANT_BOOL(VARIANT_FALSE);
            if (fileInfo) Check(GetFileInfo(thread));
            return VARIANT_BOOL(VARIANT_TRUE);
        });
    }

    STDMETHODIMP ParseFilename(TFilename name, TFilename* out) override {
        return Get(out, [&] { return Bstr::FromAnsi(PathText(&IMxPath::ParsePath, ToAnsi(name))); });
    }

private:
    HRESULT Text(BSTR* out, const std::string& field) {
        return Get(out, [&] {
            ScopedLock hold(lock_);
            return Bstr::FromAnsi(field);
        });
    }
    HRESULT Detail(BSTR* out, std::string FileDetails::*field) {
        return Get(out, [&] {
            LoadDetails();
            ScopedLock hold(lock_);
            return Bstr::FromAnsi(details_.*field);
        });
    }
    HRESULT VersionText(BSTR* out, int which) {
        return Get(out, [&] {
            LoadDetails();
            ScopedLock hold(lock_);
            return Bstr::FromAnsi(details_.texts[which]);
        });
    }
    template <class T>
    HRESULT Value(T* out, const T& field) {
        return Get(out, [&] {
            ScopedLock hold(lock_);
            return field;
        });
    }
    HRESULT Put(std::string& field, BSTR value) {
        return Call([&] {
            std::string text = ToAnsi(value);
            ScopedLock hold(lock_);
            field.swap(text);
        });
    }

    // Every property cleared; a gathering still running for the former name is dropped.
    void Clear() {
        ScopedLock hold(lock_);
        ++generation_;
        info_ = FileInfo();
        DropDetails();
        filename_.clear();
        extension_.clear();
        path_.clear();
        name_.clear();
        extDescription_.clear();
        extDescription2_.clear();
        regKey_.clear();
    }

    // Gathers the information of the current name and publishes it, unless
    // the name changed meanwhile. Runs on the client's thread or a worker.
    void Refresh() {
        std::string name;
        unsigned long generation;
        {
            ScopedLock hold(lock_);
            name = filename_;
            generation = generation_;
        }
        FileInfo info;
        if (!Gather(name, info)) return;
        ScopedLock hold(lock_);
        if (generation != generation_) return;
        info_ = info;
        DropDetails();
        detailsPending_ = true;
    }

    // The shell and version details of the last gathering, read on first use.
    void LoadDetails() {
        std::string name;
        unsigned long generation;
        {
            ScopedLock hold(lock_);
            if (!detailsPending_) return;
            name = filename_;
            generation = generation_;
        }
        FileDetails details = GatherDetails(name);
        ScopedLock hold(lock_);
        if (generation != generation_ || !detailsPending_) {
            if (details.icon) DestroyIcon(details.icon);
            return;
        }
        DropDetails();
        details_ = std::move(details);
    }
    // Called with the lock held.
    void DropDetails() {
        if (details_.icon) DestroyIcon(details_.icon);
        details_ = FileDetails();
        detailsPending_ = false;
    }

    // A text of the internal path object.
    std::string PathText(HRESULT (STDMETHODCALLTYPE IMxPath::*get)(BSTR*)) {
        Bstr text;
        Check((PathObject()->*get)(text.Put()));
        return text.Ansi();
    }
    std::string PathText(HRESULT (STDMETHODCALLTYPE IMxPath::*parse)(BSTR, BSTR*), const std::string& in) {
        Bstr text;
        Check((PathObject()->*parse)(Bstr::FromAnsi(in), text.Put()));
        return text.Ansi();
    }
    IMxPath* PathObject() {
        if (!pathObject_) pathObject_ = CreateLibraryObject<IMxPath>(CLSID_MxPath);
        return pathObject_.Get();
    }

    CriticalSection lock_;
    unsigned long generation_ = 0;
    std::string filename_, extension_, path_, name_;
    std::string extDescription_, extDescription2_, regKey_;
    FileInfo info_;
    FileDetails details_;
    bool detailsPending_ = false;
    ComPtr<IMxPath> pathObject_;
};

ZUNDA_CLASS(TMxFileRecord);

}  // namespace zunda
