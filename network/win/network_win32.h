// The running system behind the network cores: Netbios(), WinSock 1.1
// (wsock32) and the shell's namespace (desktop folder, item identifier
// lists, folder enumeration, the shell's allocator).
#pragma once

#include "network/core/neighbourhood.h"
#include "network/core/netbios.h"
#include "network/core/winsock.h"
#include "server/win/com_util.h"

#include <shlobj.h>

namespace zunda {

class Win32NetBios final : public net::NetBios {
public:
    std::uint8_t Submit(net::NcbRequest& request) override;
};

class Win32WinSock final : public net::WinSock {
public:
    int Startup(std::uint16_t version, net::WinSockData& data) override;
    void Cleanup() override;
    bool HostName(std::size_t bufferBytes, std::string& name) override;
    bool Resolve(const std::string& host, std::vector<net::Address>& addresses) override;
    int LastError() override;
    std::string ErrorText(int code) override;
};

class ShellNamespace final : public net::Namespace {
public:
    ShellNamespace();
    net::HResult Desktop(std::unique_ptr<net::Folder>& out) override;
    void* Allocate(std::size_t bytes) override;
    void Free(const void* block) override;
    std::string ToAnsi(std::u16string_view text) override;

private:
    ComPtr<IMalloc> malloc_;
};

}  // namespace zunda
