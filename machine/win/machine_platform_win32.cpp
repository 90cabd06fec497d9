#include "machine/win/machine_platform_win32.h"

#include "machine/win/low_memory.h"
#include "system/win/registry_win32.h"

namespace zunda {
namespace {

using ReadFn = HRESULT (STDMETHODCALLTYPE IMxUtils::*)(ZundaHKEY, BSTR, BSTR, BSTR*);

std::string ReadThrough(IMxUtils* utils, ReadFn read, reg::Root root, const std::string& key,
                        const std::string& name) {
    Bstr out;
    Check((utils->*read)(static_cast<ZundaHKEY>(root), Bstr::FromAnsi(key), Bstr::FromAnsi(name), out.Put()));
    return out.Ansi();
}

}  // namespace

OSVERSIONINFOA RawVersion(bool* ok) {
    OSVERSIONINFOA v;
    ZeroMemory(&v, sizeof(v));
    v.dwOSVersionInfoSize = sizeof(v);  // 148
    const BOOL done = GetVersionExA(&v);
    if (ok) *ok = done != FALSE;
    return v;
}

machine::VersionInfo Win32MachinePlatform::Version() {
    bool ok = false;
    const OSVERSIONINFOA raw = RawVersion(&ok);
    machine::VersionInfo v;
    v.ok = ok;
    if (!ok) return v;
    v.major = raw.dwMajorVersion;
    v.minor = raw.dwMinorVersion;
    v.build = raw.dwBuildNumber;
    v.platform = raw.dwPlatformId;
    v.csd.assign(raw.szCSDVersion, sizeof(raw.szCSDVersion));
    return v;
}

std::optional<std::uint8_t> Win32MachinePlatform::ProductTypeEx() {
    OSVERSIONINFOEXA v;
    ZeroMemory(&v, sizeof(v));
    v.dwOSVersionInfoSize = sizeof(v);  // 156
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&v))) return std::nullopt;
    return v.wProductType;
}

reg::Registry& Win32MachinePlatform::Registry() { return SystemRegistry(); }

IMxUtils* Win32MachinePlatform::Utils() {
    if (!utils_) utils_ = CreateLibraryObject<IMxUtils>(CLSID_MxUtils);
    return utils_.Get();
}

std::string Win32MachinePlatform::ReadRegString(reg::Root root, const std::string& key, const std::string& name) {
    return ReadThrough(Utils(), &IMxUtils::ReadRegString, root, key, name);
}

std::string Win32MachinePlatform::ReadRegBinary(reg::Root root, const std::string& key, const std::string& name) {
    return ReadThrough(Utils(), &IMxUtils::ReadRegBinary, root, key, name);
}

std::string Win32MachinePlatform::ReadLowMemory(std::uint32_t address, std::size_t bound) {
    return ReadLowMemoryString(address, bound);
}

}  // namespace zunda
