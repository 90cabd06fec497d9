#include <winsock2.h>

#include "network/win/network_win32.h"

#include <nb30.h>

#include <algorithm>
#include <cstring>

namespace zunda {

// ---------------------------------------------------------------- NetBIOS

std::uint8_t Win32NetBios::Submit(net::NcbRequest& request) {
    NCB ncb;
    std::memset(&ncb, 0, sizeof(ncb));
    ncb.ncb_command = request.command;
    ncb.ncb_lana_num = request.lana;
    ncb.ncb_lsn = request.lsn;
    std::memcpy(ncb.ncb_callname, request.callname.data(), sizeof(ncb.ncb_callname));
    if (!request.buffer.empty()) {
        ncb.ncb_buffer = request.buffer.data();
        ncb.ncb_length = static_cast<WORD>(std::min<std::size_t>(request.buffer.size(), 0xFFFF));
    }
    // The completion code is what the call returns: a block the call did
    // not fill still holds the zero it started with.
    return Netbios(&ncb);
}

// ---------------------------------------------------------------- WinSock

int Win32WinSock::Startup(std::uint16_t version, net::WinSockData& data) {
    WSADATA raw;
    std::memset(&raw, 0, sizeof(raw));
    const int result = WSAStartup(version, &raw);
    if (result != 0) return result;
    data.version = raw.wVersion;
    data.highVersion = raw.wHighVersion;
    data.description.assign(raw.szDescription, strnlen(raw.szDescription, sizeof(raw.szDescription)));
    data.status.assign(raw.szSystemStatus, strnlen(raw.szSystemStatus, sizeof(raw.szSystemStatus)));
    return 0;
}

void Win32WinSock::Cleanup() { WSACleanup(); }

bool Win32WinSock::HostName(std::size_t bufferBytes, std::string& name) {
    std::string buffer(bufferBytes + 1, '\0');
    if (gethostname(buffer.data(), static_cast<int>(bufferBytes)) != 0) return false;
    name.assign(buffer.c_str());
    return true;
}

bool Win32WinSock::Resolve(const std::string& host, std::vector<net::Address>& addresses) {
    addresses.clear();
    const hostent* entry = gethostbyname(host.c_str());
    if (!entry) return false;
    if (entry->h_addrtype == AF_INET && entry->h_length == 4 && entry->h_addr_list) {
        for (char** at = entry->h_addr_list; *at; ++at) {
            net::Address a;
            std::memcpy(a.data(), *at, a.size());
            addresses.push_back(a);
        }
    }
    return true;
}

int Win32WinSock::LastError() { return WSAGetLastError(); }

std::string Win32WinSock::ErrorText(int code) {
    std::string text = SystemMessage(static_cast<DWORD>(code));
    return text.empty() ? "WinSock error " + std::to_string(code) : text;
}

// ---------------------------------------------------------------- shell namespace

namespace {

net::IdList AsIdList(LPCITEMIDLIST p) { return reinterpret_cast<net::IdList>(p); }
LPCITEMIDLIST AsPidl(net::IdList p) { return reinterpret_cast<LPCITEMIDLIST>(p); }

class ShellEnumerator final : public net::ItemEnumerator {
public:
    ShellEnumerator(IEnumIDList* items, net::Namespace& ns) : items_(items, false), ns_(ns) {}
    net::HResult Next(net::IdList& item) override {
        LPITEMIDLIST got = nullptr;
        ULONG fetched = 0;
        const HRESULT hr = items_->Next(1, &got, &fetched);
        if (hr == S_OK && fetched == 1 && got) {
            item = AsIdList(got);
            return net::kOk;
        }
        if (got) ns_.Free(got);
        return FAILED(hr) ? hr : net::kFalse;
    }

private:
    ComPtr<IEnumIDList> items_;
    net::Namespace& ns_;
};

class ShellFolder final : public net::Folder {
public:
    ShellFolder(IShellFolder* folder, net::Namespace& ns) : folder_(folder, false), ns_(ns) {}

    net::HResult ParseDisplayName(const std::u16string& name, net::IdList& out) override {
        std::wstring text(name.begin(), name.end());
        LPITEMIDLIST pidl = nullptr;
        ULONG eaten = 0;
        const HRESULT hr = folder_->ParseDisplayName(nullptr, nullptr, text.data(), &eaten, &pidl, nullptr);
        if (FAILED(hr)) {
            if (pidl) ns_.Free(pidl);
            return hr;
        }
        out = AsIdList(pidl);
        return hr;
    }
    net::HResult BindToObject(net::IdList relative, std::unique_ptr<net::Folder>& out) override {
        IShellFolder* child = nullptr;
        const HRESULT hr = folder_->BindToObject(AsPidl(relative), nullptr, IID_IShellFolder,
                                                 reinterpret_cast<void**>(&child));
        if (SUCCEEDED(hr) && child) out = std::make_unique<ShellFolder>(child, ns_);
        else if (child) child->Release();
        return hr;
    }
    net::HResult EnumObjects(std::uint32_t flags, std::unique_ptr<net::ItemEnumerator>& out) override {
        IEnumIDList* items = nullptr;
        const HRESULT hr = folder_->EnumObjects(nullptr, flags, &items);
        if (SUCCEEDED(hr) && items) out = std::make_unique<ShellEnumerator>(items, ns_);
        else if (items) items->Release();
        return hr;
    }
    net::HResult GetDisplayNameOf(net::IdList item, std::uint32_t flags, net::DisplayName& out) override {
        STRRET name;
        std::memset(&name, 0, sizeof(name));
        const HRESULT hr = folder_->GetDisplayNameOf(AsPidl(item), flags, &name);
        if (FAILED(hr)) return hr;
        out.kind = name.uType;
        switch (name.uType) {
        case STRRET_WSTR: out.wide = reinterpret_cast<char16_t*>(name.pOleStr); break;
        case STRRET_OFFSET: out.offset = name.uOffset; break;
        case STRRET_CSTR: std::memcpy(out.ansi, name.cStr, sizeof(out.ansi)); break;
        default: break;
        }
        return hr;
    }

private:
    ComPtr<IShellFolder> folder_;
    net::Namespace& ns_;
};

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the shell's wide strings are UTF-16");
static_assert(net::kNameWide == static_cast<std::uint32_t>(STRRET_WSTR) &&
              net::kNameOffset == static_cast<std::uint32_t>(STRRET_OFFSET) &&
              net::kNameAnsi == static_cast<std::uint32_t>(STRRET_CSTR));

}  // namespace

ShellNamespace::ShellNamespace() {
    if (FAILED(SHGetMalloc(malloc_.Put()))) malloc_.Reset();
}

net::HResult ShellNamespace::Desktop(std::unique_ptr<net::Folder>& out) {
    IShellFolder* desktop = nullptr;
    const HRESULT hr = SHGetDesktopFolder(&desktop);
    if (SUCCEEDED(hr) && desktop) out = std::make_unique<ShellFolder>(desktop, *this);
    return hr;
}

void* ShellNamespace::Allocate(std::size_t bytes) {
    return malloc_ ? malloc_->Alloc(bytes) : CoTaskMemAlloc(bytes);
}

void ShellNamespace::Free(const void* block) {
    if (malloc_) malloc_->Free(const_cast<void*>(block));
    else CoTaskMemFree(const_cast<void*>(block));
}

std::string ShellNamespace::ToAnsi(std::u16string_view text) {
    return zunda::ToAnsi(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

}  // namespace zunda
