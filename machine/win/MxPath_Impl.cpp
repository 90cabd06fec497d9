// MxPath: the special folders, the Windows, temporary and current
// directories, the paths kept under the CurrentVersion key, ParsePath and a
// report of them all. Every value is worked out when it is read.
#include "machine/core/shell_folders.h"
#include "server/core/failure.h"
#include "server/win/frame.h"

#include <shlobj.h>

namespace zunda {

class TMxPath final : public Object<TMxPath, IMxPath>, private machine::PathExpander {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxPath, &IID_IMxPath, &DIID_IMxEvents, L"Zunda.MxPath", "MxPath",
                                     ErrorEvent::ModuleProcedureMessage, true};

    void Initialize() {
        // Missing objects are created again when a member needs them.
        try {
            utils_ = CreateLibraryObject<IMxUtils>(CLSID_MxUtils);
            strUtils_ = CreateLibraryObject<IMxStrUtils>(CLSID_MxStrUtils);
        } catch (const std::exception&) {
        }
    }

    STDMETHODIMP get_wstrSystemRoot(BSTR* out) override { return Path(out, "wstrSystemRoot"); }
    STDMETHODIMP get_wstrAppData(BSTR* out) override { return Path(out, "wstrAppData"); }
    STDMETHODIMP get_wstrCommonDesktopDir(BSTR* out) override { return Path(out, "wstrCommonDesktopDir"); }
    STDMETHODIMP get_wstrCommonAltstartup(BSTR* out) override { return Path(out, "wstrCommonAltstartup"); }
    STDMETHODIMP get_wstrBitBucket(BSTR* out) override { return Path(out, "wstrBitBucket"); }
    STDMETHODIMP get_wstrCommonPrograms(BSTR* out) override { return Path(out, "wstrCommonPrograms"); }
    STDMETHODIMP get_wstrCommonStartMenu(BSTR* out) override { return Path(out, "wstrCommonStartMenu"); }
    STDMETHODIMP get_wstrCommonFavorites(BSTR* out) override { return Path(out, "wstrCommonFavorites"); }
    STDMETHODIMP get_wstrCookies(BSTR* out) override { return Path(out, "wstrCookies"); }
    STDMETHODIMP get_wstrControls(BSTR* out) override { return Path(out, "wstrControls"); }
    STDMETHODIMP get_wstrDesktop(BSTR* out) override { return Path(out, "wstrDesktop"); }
    STDMETHODIMP get_wstrDesktopDir(BSTR* out) override { return Path(out, "wstrDesktopDir"); }
    STDMETHODIMP get_wstrFavorites(BSTR* out) override { return Path(out, "wstrFavorites"); }
    STDMETHODIMP get_wstrDrives(BSTR* out) override { return Path(out, "wstrDrives"); }
    STDMETHODIMP get_wstrFonts(BSTR* out) override { return Path(out, "wstrFonts"); }
    STDMETHODIMP get_wstrHistory(BSTR* out) override { return Path(out, "wstrHistory"); }
    STDMETHODIMP get_wstrInternet(BSTR* out) override { return Path(out, "wstrInternet"); }
    STDMETHODIMP get_wstrInternetCache(BSTR* out) override { return Path(out, "wstrInternetCache"); }
    STDMETHODIMP get_wstrNetwork(BSTR* out) override { return Path(out, "wstrNetwork"); }
    STDMETHODIMP get_wstrNethood(BSTR* out) override { return Path(out, "wstrNethood"); }
    STDMETHODIMP get_wstrPersonal(BSTR* out) override { return Path(out, "wstrPersonal"); }
    STDMETHODIMP get_wstrPrintHood(BSTR* out) override { return Path(out, "wstrPrintHood"); }
    STDMETHODIMP get_wstrPrinters(BSTR* out) override { return Path(out, "wstrPrinters"); }
    STDMETHODIMP get_wstrPrograms(BSTR* out) override { return Path(out, "wstrPrograms"); }
    STDMETHODIMP get_wstrRecent(BSTR* out) override { return Path(out, "wstrRecent"); }
    STDMETHODIMP get_wstrStartMenu(BSTR* out) override { return Path(out, "wstrStartMenu"); }
    STDMETHODIMP get_wstrStartup(BSTR* out) override { return Path(out, "wstrStartup"); }
    STDMETHODIMP get_wstrTemplates(BSTR* out) override { return Path(out, "wstrTemplates"); }
    STDMETHODIMP get_wstrTemp(BSTR* out) override { return Path(out, "wstrTemp"); }
    STDMETHODIMP get_wstrWindows(BSTR* out) override { return Path(out, "wstrWindows"); }
    STDMETHODIMP get_wstrCommonFiles(BSTR* out) override { return Path(out, "wstrCommonFiles"); }
    STDMETHODIMP get_wstrProgramFiles(BSTR* out) override { return Path(out, "wstrProgramFiles"); }
    STDMETHODIMP get_wstrDevice(BSTR* out) override { return Path(out, "wstrDevice"); }
    STDMETHODIMP get_wstrOtherDevice(BSTR* out) override { return Path(out, "wstrOtherDevice"); }
    STDMETHODIMP get_wstrMedia(BSTR* out) override { return Path(out, "wstrMedia"); }
    STDMETHODIMP get_wstrConfig(BSTR* out) override { return Path(out, "wstrConfig"); }
    STDMETHODIMP get_wstrWallpaper(BSTR* out) override { return Path(out, "wstrWallpaper"); }
    STDMETHODIMP get_wstrCurrent(BSTR* out) override { return Path(out, "wstrCurrent"); }

    STDMETHODIMP ParsePath(BSTR path, BSTR* out) override {
        return Get(out, [&] { return Bstr::FromAnsi(machine::ParsePath(ToAnsi(path), *this)); });
    }

    STDMETHODIMP GetReport(IMxStringlist** out) override {
        return NewList("GetReport", out, [&](const AddText& add) {
            for (const machine::PathEntry* e : machine::ReportOrder()) add(e->reportName + ReportedValue(*e));
        });
    }

private:
    // A property read: the three directory calls report their failure under
    // the property's name and answer empty; the others have no failure of their own.
    HRESULT Path(BSTR* out, const char* member) {
        return Get(out, [&] { return Bstr::FromAnsi(ReportedValue(*machine::FindPath(member))); });
    }

    std::string ReportedValue(const machine::PathEntry& e) {
        try {
            return Compute(e);
        } catch (const Failure& f) {
            ReportError(e.member, f.what());
            return std::string();
        }
    }

    std::string Compute(const machine::PathEntry& e) {
        using S = machine::PathSource;
        switch (e.source) {
            case S::Windows:
                return Directory([](char* b, std::uint32_t n) -> std::uint32_t { return GetWindowsDirectoryA(b, n); }, 260);
            case S::Current:
                return Directory([](char* b, std::uint32_t n) -> std::uint32_t { return GetCurrentDirectoryA(n, b); }, 260);
            case S::Temp: {
                auto text = machine::ReadGrowing([](char* b, std::uint32_t n) -> std::uint32_t { return GetTempPathA(n, b); }, 1024);
                return text ? *text : std::string();
            }
            case S::Folder:
                return SpecialFolder(e.csidl);
            case S::Registry:
                return Registry(e.regValue);
            case S::RegistryExpanded:
                return machine::ParsePath(Registry(e.regValue), *this);
        }
        return std::string();
    }

    static std::string Directory(std::uint32_t (*call)(char*, std::uint32_t), std::uint32_t size) {
        SetLastError(0);
        auto text = machine::ReadGrowing([&](char* b, std::uint32_t n) { return call(b, n); }, size);
        if (!text) {
            const DWORD code = GetLastError();
            ThrowSystemError(code ? code : ERROR_INVALID_FUNCTION);
        }
        return *text;
    }

    static std::string SpecialFolder(int csidl) {
        LPITEMIDLIST items = nullptr;
        if (FAILED(SHGetSpecialFolderLocation(GetDesktopWindow(), csidl, &items)) || !items) return std::string();
        char path[MAX_PATH + 1] = {};
        const BOOL ok = SHGetPathFromIDListA(items, path);
        CoTaskMemFree(items);
        if (!ok) return std::string();
        return machine::FileSystemPathOnly(std::string(path, strnlen(path, MAX_PATH)));
    }

    std::string Registry(const char* value) {
        if (!utils_) utils_ = CreateLibraryObject<IMxUtils>(CLSID_MxUtils);
        Bstr text;
        Check(utils_->ReadRegString(static_cast<ZundaHKEY>(0x80000002u), Bstr::FromAnsi(machine::kCurrentVersionKey),
                                    Bstr::FromAnsi(value), text.Put()));
        return text.Ansi();
    }

    // ParsePath's view of this object.
    std::string Value(const char* member) override { return ReportedValue(*machine::FindPath(member)); }
    std::string Upper(std::string_view text) override {
        std::string out(text);
        if (!out.empty()) CharUpperBuffA(out.data(), static_cast<DWORD>(out.size()));
        return out;
    }
    std::string StrReplaceEx(std::string_view text, std::string_view from, std::string_view to) override {
        if (!strUtils_) strUtils_ = CreateLibraryObject<IMxStrUtils>(CLSID_MxStrUtils);
        Bstr result;
        Check(strUtils_->StrReplaceEx(Bstr::FromAnsi(text), Bstr::FromAnsi(from), Bstr::FromAnsi(to), result.Put()));
        return result.Ansi();
    }

    ComPtr<IMxUtils> utils_;
    ComPtr<IMxStrUtils> strUtils_;
};

ZUNDA_CLASS(TMxPath);

}  // namespace zunda
