#include "devices/win/printer_win32.h"

#include "server/win/com_util.h"
#include "server/win/lock.h"

#include <vector>

namespace zunda {
namespace {

// Enumerates printers at one level into a buffer sized by the spooler.
bool Enumerate(DWORD flags, DWORD level, std::vector<BYTE>& buffer, DWORD& count, DWORD& error) {
    DWORD needed = 0;
    count = 0;
    error = 0;
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (EnumPrintersA(flags, nullptr, level, buffer.empty() ? nullptr : buffer.data(),
                          static_cast<DWORD>(buffer.size()), &needed, &count))
            return true;
        error = GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER || needed == 0) return false;
        buffer.assign(needed, 0);  // the list may grow between the calls: retry
    }
    return false;
}

std::string Text(const char* s) { return s ? std::string(s) : std::string(); }

struct Shared {
    devices::PrintSystem system;
    Win32Spooler spooler;
};

// The lock is ready before any object exists; the list lives as long as the
// process and is made by the first thread that holds the lock.
constinit CriticalSection g_printersLock;
Shared* g_printers = nullptr;

}  // namespace

std::vector<devices::SpoolerPrinter> Win32Spooler::Printers(bool nt) {
    std::vector<devices::SpoolerPrinter> out;
    std::vector<BYTE> buffer;
    DWORD count = 0, error = 0;
    if (nt) {
        if (!Enumerate(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, 4, buffer, count, error)) return out;
        const auto* info = reinterpret_cast<const PRINTER_INFO_4A*>(buffer.data());
        for (DWORD i = 0; i < count; ++i) out.push_back({Text(info[i].pPrinterName), std::string()});
    } else {
        if (!Enumerate(PRINTER_ENUM_LOCAL, 5, buffer, count, error)) return out;
        const auto* info = reinterpret_cast<const PRINTER_INFO_5A*>(buffer.data());
        for (DWORD i = 0; i < count; ++i) out.push_back({Text(info[i].pPrinterName), Text(info[i].pPortName)});
    }
    return out;
}

long Win32Spooler::DefaultPrinter(std::string& name) {
    name.clear();
    std::vector<BYTE> buffer;
    DWORD count = 0, error = 0;
    if (!Enumerate(PRINTER_ENUM_DEFAULT, 5, buffer, count, error)) return static_cast<long>(error);
    if (count > 0) name = Text(reinterpret_cast<const PRINTER_INFO_5A*>(buffer.data())->pPrinterName);
    return 0;
}

std::string Win32Spooler::ProfileDevice() {
    std::vector<char> buffer(1024, '\0');
    const DWORD n = GetProfileStringA("windows", "device", "", buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::string(buffer.data(), n);
}

std::string Win32Spooler::Message(long code) { return SystemMessage(static_cast<DWORD>(code)); }

bool SystemIsNT() {
    OSVERSIONINFOA v = {};
    v.dwOSVersionInfoSize = sizeof(v);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&v)) return true;
#pragma GCC diagnostic pop
    return v.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

SharedPrinters::SharedPrinters() : hold_(g_printersLock) {
    if (!g_printers) g_printers = new Shared();
    system_ = &g_printers->system;
    spooler_ = &g_printers->spooler;
}

}  // namespace zunda
