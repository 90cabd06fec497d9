// The running system behind MachinePlatform: GetVersionExA, the registry,
// MxUtils for registry texts, and the Windows 9x BIOS area.
#pragma once

#include "machine/core/os_version.h"
#include "server/win/com_util.h"

namespace zunda {

class Win32MachinePlatform final : public machine::MachinePlatform {
public:
    // utils answers the registry texts; it is created on first use when null.
    explicit Win32MachinePlatform(ComPtr<IMxUtils>& utils) : utils_(utils) {}

    machine::VersionInfo Version() override;
    std::optional<std::uint8_t> ProductTypeEx() override;
    reg::Registry& Registry() override;
    std::string ReadRegString(reg::Root root, const std::string& key, const std::string& name) override;
    std::string ReadRegBinary(reg::Root root, const std::string& key, const std::string& name) override;
    std::string ReadLowMemory(std::uint32_t address, std::size_t bound) override;

private:
    IMxUtils* Utils();
    ComPtr<IMxUtils>& utils_;
};

// GetVersionExA on a zero-filled OSVERSIONINFOA, whatever the call answers.
OSVERSIONINFOA RawVersion(bool* ok = nullptr);

}  // namespace zunda
