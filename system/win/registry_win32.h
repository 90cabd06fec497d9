// The registry of the running system behind the portable registry interface
// (ANSI calls, so texts stay in the system code page).
#pragma once

#include "system/core/registry.h"

#include <windows.h>

namespace zunda {

// A root key value as clients pass it (32 bits) as the system's HKEY; the
// predefined roots are sign-extended on 64-bit Windows.
HKEY RootKey(reg::Root root);

class Win32Registry final : public reg::Registry {
public:
    long Open(reg::Root root, const std::string& path, std::uint32_t access, std::unique_ptr<reg::Key>& out) override;
    std::string Message(long code) const override;
};

// One registry for every user in the process; it holds no state.
Win32Registry& SystemRegistry();

}  // namespace zunda
