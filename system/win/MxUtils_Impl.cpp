// MxUtils: device capabilities, registry reads and writes on the client's
// behalf, the DCOM settings, and shutting down or restarting Windows.
#include "server/core/failure.h"
#include "server/win/flag_record.h"
#include "server/win/frame.h"
#include "system/core/capabilities.h"
#include "system/core/reg_values.h"
#include "system/core/shutdown.h"
#include "system/win/registry_win32.h"

namespace zunda {
namespace {

// The device context of a window for the length of one test.
class WindowDC {
public:
    explicit WindowDC(long window) : window_(reinterpret_cast<HWND>(static_cast<LONG_PTR>(window))) {
        dc_ = GetDC(window_);
        if (!dc_) throw Failure("GetDC() failed for the window handle.");
    }
    ~WindowDC() { ReleaseDC(window_, dc_); }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_ = nullptr;
};

HDC AsDC(long handle) { return reinterpret_cast<HDC>(static_cast<LONG_PTR>(handle)); }

std::uint32_t DeviceCaps(long handle, bool isDC, int index) {
    if (isDC) return static_cast<std::uint32_t>(GetDeviceCaps(AsDC(handle), index));
    WindowDC dc(handle);
    return static_cast<std::uint32_t>(GetDeviceCaps(dc.Get(), index));
}

// A capability record: one flag per field of the record, in table order.
template <class Rec>
Rec CapRecordOf(utils::CapRecord which, long handle, VARIANT_BOOL isDC) {
    const int index = utils::CapsOf(which).index;
    return FlagRecord<Rec>(utils::FillCaps(which, DeviceCaps(handle, isDC != 0, index)));
}

class Win32Shutdown final : public utils::ShutdownSystem {
public:
    long EnableShutdownPrivilege(utils::PrivilegeStep& failedAt) override {
        HANDLE token = nullptr;
        failedAt = utils::PrivilegeStep::OpenProcessToken;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
            return static_cast<long>(GetLastError());
        long result = 0;
        TOKEN_PRIVILEGES privileges = {};
        failedAt = utils::PrivilegeStep::LookupPrivilegeValue;
        if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
            result = static_cast<long>(GetLastError());
        } else {
            failedAt = utils::PrivilegeStep::AdjustTokenPrivileges;
            privileges.PrivilegeCount = 1;
            privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
            SetLastError(ERROR_SUCCESS);
            // Succeeds without assigning when the privilege is not held: the
            // last error tells.
            AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
            result = static_cast<long>(GetLastError());
        }
        CloseHandle(token);
        return result;
    }
    long CallExitWindowsEx(std::uint32_t flags) override {
        if (ExitWindowsEx(flags, 0)) return 0;
        const DWORD code = GetLastError();
        return code ? static_cast<long>(code) : static_cast<long>(ERROR_GEN_FAILURE);
    }
    std::string Message(long code) const override { return SystemMessage(static_cast<DWORD>(code)); }
};

}  // namespace

class TMxUtils final : public Object<TMxUtils, IMxUtils> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxUtils, &IID_IMxUtils, &DIID_IMxEvents, L"Zunda.MxUtils", "MxUtils",
                                     ErrorEvent::ModuleProcedureMessage, true};

    STDMETHODIMP GetCaps(long iHandle, long iID, long iIndex, VARIANT_BOOL* out) override {
        return Guarded("GetCaps", out, VARIANT_FALSE, [&] {
            return ToVariantBool(utils::HasAllBits(DeviceCaps(iHandle, false, iID), static_cast<std::uint32_t>(iIndex)));
        });
    }
    STDMETHODIMP GetCapsDC(long hDC, long iID, long iIndex, VARIANT_BOOL* out) override {
        return Guarded("GetCapsDC", out, VARIANT_FALSE, [&] {
            return ToVariantBool(utils::HasAllBits(DeviceCaps(hDC, true, iID), static_cast<std::uint32_t>(iIndex)));
        });
    }
    STDMETHODIMP GetCurveCaps(long iHandle, VARIANT_BOOL bohDC, Rec_CurveCap* out) override {
        return Guarded("GetCurveCaps", out, Rec_CurveCap{},
                       [&] { return CapRecordOf<Rec_CurveCap>(utils::CapRecord::Curve, iHandle, bohDC); });
    }
    STDMETHODIMP GetLineCaps(long iHandle, VARIANT_BOOL bohDC, Rec_LineCap* out) override {
        return Guarded("GetLineCaps", out, Rec_LineCap{},
                       [&] { return CapRecordOf<Rec_LineCap>(utils::CapRecord::Line, iHandle, bohDC); });
    }
    STDMETHODIMP GetPolygonCaps(long iHandle, VARIANT_BOOL bohDC, Rec_PolygonCap* out) override {
        return Guarded("GetPolygonCaps", out, Rec_PolygonCap{},
                       [&] { return CapRecordOf<Rec_PolygonCap>(utils::CapRecord::Polygon, iHandle, bohDC); });
    }
    STDMETHODIMP GetRasterCaps(long iHandle, VARIANT_BOOL bohDC, Rec_RasterCap* out) override {
        return Guarded("GetRasterCaps", out, Rec_RasterCap{},
                       [&] { return CapRecordOf<Rec_RasterCap>(utils::CapRecord::Raster, iHandle, bohDC); });
    }
    STDMETHODIMP GetTextCaps(long iHandle, VARIANT_BOOL bohDC, Rec_TextCap* out) override {
        return Guarded("GetTextCaps", out, Rec_TextCap{},
                       [&] { return CapRecordOf<Rec_TextCap>(utils::CapRecord::Text, iHandle, bohDC); });
    }

    STDMETHODIMP GetDCOMVersion(BSTR* out) override {
        return Get(out, [&] { return Bstr::FromAnsi(utils::DcomVersion(SystemRegistry())); });
    }
    STDMETHODIMP IsDCOMEnabled(VARIANT_BOOL* out) override {
        return Get(out, [&] { return ToVariantBool(utils::IsDcomEnabled(SystemRegistry())); });
    }

    STDMETHODIMP ReadRegString(ZundaHKEY root, BSTR key, BSTR ident, BSTR* out) override {
        return Guarded("ReadRegString", out, BSTR{nullptr}, [&] {
            return Bstr::FromAnsi(utils::ReadRegString(SystemRegistry(), Root(root), ToAnsi(key), ToAnsi(ident)));
        });
    }
    STDMETHODIMP ReadRegInt(ZundaHKEY root, BSTR key, BSTR ident, long* out) override {
        return Guarded("ReadRegInt", out, 0L, [&] {
            return static_cast<long>(utils::ReadRegInt(SystemRegistry(), Root(root), ToAnsi(key), ToAnsi(ident)));
        });
    }
    STDMETHODIMP ReadRegBinary(ZundaHKEY root, BSTR key, BSTR ident, BSTR* out) override {
        return Guarded("ReadRegBinary", out, BSTR{nullptr}, [&] {
            return Bstr::FromAnsi(utils::ReadRegBinary(SystemRegistry(), Root(root), ToAnsi(key), ToAnsi(ident)));
        });
    }
    STDMETHODIMP WriteRegString(ZundaHKEY root, BSTR key, BSTR ident, BSTR value) override {
        return GuardedVoid("WriteRegString", [&] {
            utils::WriteRegString(SystemRegistry(), Root(root), ToAnsi(key), ToAnsi(ident), ToAnsi(value));
        });
    }
    STDMETHODIMP WriteRegInt(ZundaHKEY root, BSTR key, BSTR ident, long value) override {
        return GuardedVoid("WriteRegInt", [&] {
            utils::WriteRegInt(SystemRegistry(), Root(root), ToAnsi(key), ToAnsi(ident),
                               static_cast<std::int32_t>(value));
        });
    }
    STDMETHODIMP WriteRegBinary(ZundaHKEY root, BSTR key, BSTR ident, LPSTR value) override {
        return GuardedVoid("WriteRegBinary", [&] {
            utils::WriteRegBinary(SystemRegistry(), Root(root), ToAnsi(key), ToAnsi(ident),
                                  value ? std::string_view(value) : std::string_view());
        });
    }

    STDMETHODIMP Shutdown() override { return Exit("Shutdown", utils::kExitShutdown); }
    STDMETHODIMP Reboot() override { return Exit("Reboot", utils::kExitReboot); }

private:
    static reg::Root Root(ZundaHKEY root) { return static_cast<reg::Root>(root); }

    HRESULT Exit(const char* member, std::uint32_t flags) {
        return GuardedVoid(member, [&] {
            ComPtr<IMxMachine> machine = CreateLibraryObject<IMxMachine>(CLSID_MxMachine);
            TYP_OS os = toUnknown;
            VARIANT_BOOL isNT = VARIANT_FALSE;
            Check(machine->get_tyOperatingSystem(&os));
            Check(machine->get_boIsNT(&isNT));
            Win32Shutdown system;
            utils::RequestExit(system, static_cast<int>(os), isNT != 0, flags);
        });
    }
};

ZUNDA_CLASS(TMxUtils);

}  // namespace zunda
