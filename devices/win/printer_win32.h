// The spooler behind the printer list's interface, and the one printer list
// of the process with the lock that guards it (objects of several apartments
// share it).
#pragma once

#include "devices/core/printer_list.h"
#include "server/win/lock.h"

#include <windows.h>

namespace zunda {

class Win32Spooler final : public devices::Spooler {
public:
    std::vector<devices::SpoolerPrinter> Printers(bool nt) override;
    long DefaultPrinter(std::string& name) override;
    std::string ProfileDevice() override;
    std::string Message(long code) override;
};

// Whether the system is of the NT family.
bool SystemIsNT();

// Holds the process's printer list locked for as long as it lives; the list
// is built on first use.
class SharedPrinters {
public:
    SharedPrinters();
    SharedPrinters(const SharedPrinters&) = delete;
    SharedPrinters& operator=(const SharedPrinters&) = delete;
    devices::PrintSystem& System() { return *system_; }
    devices::Spooler& Spooler() { return *spooler_; }

private:
    ScopedLock hold_;
    devices::PrintSystem* system_;
    devices::Spooler* spooler_;
};

}  // namespace zunda
