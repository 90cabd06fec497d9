#include "network/core/netbios.h"

#include <algorithm>
#include <cstdio>

namespace zunda::net {

std::optional<std::vector<std::uint8_t>> EnumerateLanas(NetBios& netbios) {
    NcbRequest request;
    request.command = kNcbEnum;
    request.buffer.assign(kLanaEnumBytes, 0);
    if (netbios.Submit(request) != 0 || request.buffer.empty()) return std::nullopt;
    // LANA_ENUM: a count byte, then that many LANA numbers (as many as the buffer holds).
    const std::size_t count = std::min<std::size_t>(request.buffer[0], request.buffer.size() - 1);
    return std::vector<std::uint8_t>(request.buffer.begin() + 1,
                                     request.buffer.begin() + 1 + static_cast<std::ptrdiff_t>(count));
}

std::uint8_t ResetLana(NetBios& netbios, std::uint8_t lana) {
    NcbRequest request;
    request.command = kNcbReset;
    request.lana = lana;
    return netbios.Submit(request);
}

AdapterStatus QueryAdapterStatus(NetBios& netbios, std::uint8_t lana) {
    NcbRequest request;
    request.command = kNcbAdapterStatus;
    request.lana = lana;
    request.callname.fill(' ');
    request.callname[0] = '*';
    request.buffer.assign(kAdapterStatusBytes, 0);
    AdapterStatus status;
    status.code = netbios.Submit(request);
    if (status.code == 0 && request.buffer.size() >= status.address.size())
        std::copy_n(request.buffer.begin(), status.address.size(), status.address.begin());
    return status;
}

std::vector<std::string> AllMacAddresses(NetBios& netbios, long& currentLana,
                                         const std::function<void(std::uint8_t code)>& statusFailed) {
    std::vector<std::string> out;
    const auto lanas = EnumerateLanas(netbios);
    if (!lanas) return out;
    for (std::uint8_t lana : *lanas) {
        if (ResetLana(netbios, lana) != 0) continue;
        currentLana = lana;
        const AdapterStatus status = QueryAdapterStatus(netbios, lana);
        if (status.code != 0) {
            statusFailed(status.code);
            continue;
        }
        std::string mac = MacText(status.address);
        if (std::find(out.begin(), out.end(), mac) == out.end()) out.push_back(std::move(mac));
    }
    return out;
}

std::string MacText(const std::array<std::uint8_t, 6>& a) {
    char text[32];
    std::snprintf(text, sizeof(text), "%2.2X-%2.2X-%2.2X-%2.2X-%2.2X-%2.2X", a[0], a[1], a[2], a[3], a[4], a[5]);
    return text;
}

std::string ReturnCodeText(std::uint8_t code) {
    char text[32];
    std::snprintf(text, sizeof(text), "Return Code = $%2.2X", code);
    return text;
}

}  // namespace zunda::net
