// The printer list and the choice of the current printer, shared by every
// printer object of a process: the list built from the spooler (one entry per
// printer on the NT family, one per printer and port on the 9x family), the
// default printer and its fallback to the profile, and the index rules. The
// class does no locking: its owner guards it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zunda::devices {

struct SpoolerPrinter {
    std::string name;
    std::string ports;  // 9x family: one or more ports separated by commas
};

class Spooler {
public:
    virtual ~Spooler() = default;
    // The local printers and connections (NT family, level 4) or the local
    // printers with their ports (9x family, level 5). Failures give none.
    virtual std::vector<SpoolerPrinter> Printers(bool nt) = 0;
    // The first printer the spooler names as the default (level 5). Returns 0
    // with an empty name when it names none, else the system error code.
    virtual long DefaultPrinter(std::string& name) = 0;
    // The "device" entry of the "windows" section of the user's profile.
    virtual std::string ProfileDevice() = 0;
    virtual std::string Message(long code) = 0;
};

constexpr long kErrorInvalidName = 123;  // ERROR_INVALID_NAME
extern const char* const kNoDefaultPrinter;  // "Zur Zeit ist kein Standarddrucker gewählt" (code page 1252)

struct PrinterEntry {
    std::string text;    // as listed: the name, or "<name> an <port>"
    std::string device;  // the printer's name
    std::string port;
};

// The ports of a 9x port field: split at commas, blanks trimmed, empty parts
// dropped; a field without any port gives one empty port.
std::vector<std::string> SplitPorts(std::string_view ports);

std::vector<PrinterEntry> BuildPrinterList(const std::vector<SpoolerPrinter>& printers, bool nt);

// The first comma-separated field of a profile device entry ("name,driver,port").
std::string ProfileDeviceName(std::string_view entry);

class PrintSystem {
public:
    // Builds the list on first use.
    void Ensure(Spooler& spooler, bool nt);
    bool Built() const { return built_; }
    const std::vector<PrinterEntry>& Entries() const { return entries_; }
    int Count() const { return static_cast<int>(entries_.size()); }

    // The current index as stored (-1: the default printer, not resolved yet).
    int StoredIndex() const { return index_; }
    // Resolves -1 to the default printer's position and stores it. Returns
    // the position, or -1 with the reason in `error` when there is none.
    int Resolve(Spooler& spooler, std::string& error);
    // Sets the index: a value above the last position becomes the last
    // position, a negative one -1 (the default printer).
    void Select(int index);
    // The position of the default printer, without changing the current one.
    int DefaultPosition(Spooler& spooler, std::string& error) const;

private:
    std::vector<PrinterEntry> entries_;
    int index_ = -1;
    bool built_ = false;
};

}  // namespace zunda::devices
