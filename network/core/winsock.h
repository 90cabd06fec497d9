// WinSock data of MxNetWork: the implementation's description, status and
// highest version, the local host's addresses and the address of a named
// host. Every request starts WinSock 1.1 and cleans it up again after a
// successful start, whatever happens in between.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zunda::net {

constexpr std::uint16_t kWinSockVersion = 0x0101;
constexpr int kWsaInvalidArgument = 10022;  // WSAEINVAL
constexpr std::size_t kMaxHostName = 255;   // the longest name a resolver accepts
constexpr char kWinSockUnavailable[] = "Winsock cannot be initialized.";

struct WinSockData {
    std::uint16_t version = 0;
    std::uint16_t highVersion = 0;
    std::string description;  // szDescription up to its first zero
    std::string status;       // szSystemStatus up to its first zero
};

using Address = std::array<std::uint8_t, 4>;

class WinSock {
public:
    virtual ~WinSock() = default;
    // WSAStartup: 0 on success, with data filled.
    virtual int Startup(std::uint16_t version, WinSockData& data) = 0;
    virtual void Cleanup() = 0;
    // gethostname into a buffer of that many bytes; false when it fails.
    virtual bool HostName(std::size_t bufferBytes, std::string& name) = 0;
    // gethostbyname: false when there is no host entry; otherwise its IPv4
    // addresses in order (none when the entry holds no IPv4 address).
    virtual bool Resolve(const std::string& host, std::vector<Address>& addresses) = 0;
    virtual int LastError() = 0;
    // The system's text for a WinSock error code.
    virtual std::string ErrorText(int code) = 0;
};

// Holds WinSock started for one request and cleans it up when done.
class WinSockSession {
public:
    explicit WinSockSession(WinSock& sockets);
    ~WinSockSession();
    WinSockSession(const WinSockSession&) = delete;
    WinSockSession& operator=(const WinSockSession&) = delete;

    bool Started() const { return started_; }
    const WinSockData& Data() const { return data_; }

private:
    WinSock& sockets_;
    WinSockData data_;
    bool started_ = false;
};

// The major version is the low byte of the highest version, the minor the high byte.
inline long MajorVersion(std::uint16_t highVersion) { return highVersion & 0xFF; }
inline long MinorVersion(std::uint16_t highVersion) { return highVersion >> 8; }

// "192.168.0.1"
std::string AddressText(const Address& address);

// The addresses of the local host in the order of its host entry. Throws
// Failure when WinSock cannot be started, the host name cannot be read or
// the name has no host entry; the name is never looked up when it could
// not be read.
std::vector<std::string> LocalAddresses(WinSock& sockets);
// The texts in order, each once.
std::vector<std::string> Distinct(const std::vector<std::string>& texts);

// The first address of the host (the local host when host is empty): the
// text is empty and error holds WinSock's error code when it cannot be
// resolved; both are empty and 0 when WinSock cannot be started. A name
// longer than a resolver accepts, with a zero character inside, or not
// exact (the caller's text had characters the code page cannot hold, so
// host is only a look-alike) is not looked up: error WSAEINVAL.
struct HostAddress {
    std::string text;
    int error = 0;
};
HostAddress ResolveHost(WinSock& sockets, const std::string& host, bool exact = true);

}  // namespace zunda::net
