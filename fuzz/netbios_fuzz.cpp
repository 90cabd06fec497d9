// libFuzzer target for the NetBIOS buffers the system fills: the LANA
// enumeration (a count byte, then the numbers) and the adapter status (the
// address first), through the walk that gathers every adapter's address.
//
// Input: the answers of the submitted requests in turn, each a completion
// code, for requests with a buffer a length the call leaves it at (2 bytes,
// never more than the request gave) and the bytes written into it.
#include "fuzz/fuzz_support.h"
#include "network/core/netbios.h"

#include <algorithm>
#include <set>

namespace {

using zunda::fuzz::Check;
namespace net = zunda::net;

class FuzzNetBios final : public net::NetBios {
public:
    explicit FuzzNetBios(zunda::fuzz::Input& in) : in_(in) {}
    std::uint8_t Submit(net::NcbRequest& request) override {
        ++submits;
        const std::uint8_t code = in_.Byte() % 4 == 0 ? 0 : in_.Byte();
        if (!request.buffer.empty()) {
            const std::size_t length = std::min<std::size_t>(in_.Word(), request.buffer.size());
            request.buffer.resize(length);
            const std::string bytes = in_.Bytes(length);
            std::copy(bytes.begin(), bytes.end(), request.buffer.begin());
            if (request.command == net::kNcbEnum) enumBuffer = request.buffer;
        }
        return code;
    }
    int submits = 0;
    std::vector<std::uint8_t> enumBuffer;

private:
    zunda::fuzz::Input& in_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zunda::fuzz::Input in(data, size);
    FuzzNetBios netbios(in);
    long current = -1;
    int failures = 0;
    const std::vector<std::string> macs = net::AllMacAddresses(netbios, current, [&](std::uint8_t code) {
        Check(code != 0, "a failed status with code 0");
        Check(net::ReturnCodeText(code).size() == 17, "return code text");
        ++failures;
    });
    // The LANAs: at most what the buffer holds after its count byte.
    const std::vector<std::uint8_t>& e = netbios.enumBuffer;
    const std::size_t lanas = e.empty() ? 0 : std::min<std::size_t>(e[0], e.size() - 1);
    Check(macs.size() + static_cast<std::size_t>(failures) <= lanas, "more adapters than LANAs");
    Check(netbios.submits <= static_cast<int>(1 + 2 * lanas), "requests for more than the LANAs");
    Check(current == -1 || std::find(e.begin() + 1, e.begin() + 1 + static_cast<std::ptrdiff_t>(lanas),
                                     static_cast<std::uint8_t>(current)) != e.begin() + 1 + static_cast<std::ptrdiff_t>(lanas),
          "current LANA not one of the enumerated");
    Check(std::set<std::string>(macs.begin(), macs.end()).size() == macs.size(), "an address listed twice");
    for (const std::string& m : macs) Check(m.size() == 17 && m[2] == '-' && m[14] == '-', "address text");
    return 0;
}
