// NetBIOS requests of MxNetWork: the LANA enumeration, the reset of one
// LANA and the adapter status that carries the adapter's MAC address. The
// platform submits a control block; the completion code is what the submit
// call returns, never a field the call may have left as it was.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zunda::net {

constexpr std::uint8_t kNcbEnum = 0x37;
constexpr std::uint8_t kNcbReset = 0x32;
constexpr std::uint8_t kNcbAdapterStatus = 0x33;
constexpr std::size_t kLanaEnumBytes = 256;
constexpr std::size_t kAdapterStatusBytes = 4650;  // the status record and 255 name entries
constexpr long kMaxLana = 254;

// The fields of a network control block that the requests set; everything
// else of the block is zero.
struct NcbRequest {
    std::uint8_t command = 0;
    std::uint8_t lana = 0;
    std::uint8_t lsn = 0;
    std::array<char, 16> callname{};
    std::vector<std::uint8_t> buffer;  // ncb_buffer and ncb_length; filled by the call
};

class NetBios {
public:
    virtual ~NetBios() = default;
    // Submits the request synchronously and returns the call's completion code (0: success).
    virtual std::uint8_t Submit(NcbRequest& request) = 0;
};

// The LANA numbers the system enumerates, in order; nullopt when the
// enumeration fails.
std::optional<std::vector<std::uint8_t>> EnumerateLanas(NetBios& netbios);

// Resets the LANA (no session or name limits asked) and returns the completion code.
std::uint8_t ResetLana(NetBios& netbios, std::uint8_t lana);

struct AdapterStatus {
    std::uint8_t code = 0;                  // completion code
    std::array<std::uint8_t, 6> address{};  // the adapter's address when code is 0
};
AdapterStatus QueryAdapterStatus(NetBios& netbios, std::uint8_t lana);

// Whether the number names a LANA (0 to 254).
inline bool ValidLana(long lana) { return lana >= 0 && lana <= kMaxLana; }

// The distinct adapter addresses of the enumerated LANAs, in their order.
// Each LANA is reset first and then becomes the current one; a LANA that
// cannot be reset is left out and the current one stays as it was. A LANA
// whose adapter status fails is told to statusFailed and left out: the list
// holds real addresses only.
std::vector<std::string> AllMacAddresses(NetBios& netbios, long& currentLana,
                                         const std::function<void(std::uint8_t code)>& statusFailed);

// "00-A0-C9-12-34-56"
std::string MacText(const std::array<std::uint8_t, 6>& address);
// "Return Code = $23"
std::string ReturnCodeText(std::uint8_t code);

}  // namespace zunda::net
