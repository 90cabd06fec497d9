#include "network/core/winsock.h"

#include "server/core/failure.h"

#include <algorithm>
#include <cstdio>

namespace zunda::net {

WinSockSession::WinSockSession(WinSock& sockets) : sockets_(sockets) {
    started_ = sockets_.Startup(kWinSockVersion, data_) == 0;
}

WinSockSession::~WinSockSession() {
    if (started_) sockets_.Cleanup();
}

std::string AddressText(const Address& a) {
    char text[20];
    std::snprintf(text, sizeof(text), "%u.%u.%u.%u", a[0], a[1], a[2], a[3]);
    return text;
}

std::vector<std::string> LocalAddresses(WinSock& sockets) {
    WinSockSession session(sockets);
    if (!session.Started()) throw Failure(kWinSockUnavailable);
    std::string name;
    if (!sockets.HostName(64, name)) throw Failure(sockets.ErrorText(sockets.LastError()));
    std::vector<Address> addresses;
    if (!sockets.Resolve(name, addresses)) throw Failure(sockets.ErrorText(sockets.LastError()));
    std::vector<std::string> out;
    for (const Address& a : addresses) out.push_back(AddressText(a));
    return out;
}

std::vector<std::string> Distinct(const std::vector<std::string>& texts) {
    std::vector<std::string> out;
    for (const std::string& t : texts)
        if (std::find(out.begin(), out.end(), t) == out.end()) out.push_back(t);
    return out;
}

HostAddress ResolveHost(WinSock& sockets, const std::string& host, bool exact) {
    HostAddress out;
    WinSockSession session(sockets);
    if (!session.Started()) return out;
    std::string name = host;
    if (name.empty() && !sockets.HostName(260, name)) {
        out.error = sockets.LastError();
        return out;
    }
    if (!exact || name.size() > kMaxHostName || name.find('\0') != std::string::npos) {
        out.error = kWsaInvalidArgument;
        return out;
    }
    std::vector<Address> addresses;
    if (!sockets.Resolve(name, addresses)) {
        out.error = sockets.LastError();
        return out;
    }
    if (!addresses.empty()) out.text = AddressText(addresses.front());
    return out;
}

}  // namespace zunda::net
