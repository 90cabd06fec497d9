#include "devices/core/printer_list.h"

#include "machine/core/trim.h"

namespace zunda::devices {

const char* const kNoDefaultPrinter = "Zur Zeit ist kein Standarddrucker gew\xE4hlt";

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

}  // namespace

std::vector<std::string> SplitPorts(std::string_view ports) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= ports.size()) {
        size_t comma = ports.find(',', start);
        if (comma == std::string_view::npos) comma = ports.size();
        std::string port = machine::TrimLow(ports.substr(start, comma - start));
        if (!port.empty()) out.push_back(std::move(port));
        start = comma + 1;
    }
    if (out.empty()) out.emplace_back();
    return out;
}

std::vector<PrinterEntry> BuildPrinterList(const std::vector<SpoolerPrinter>& printers, bool nt) {
    std::vector<PrinterEntry> out;
    for (const SpoolerPrinter& p : printers) {
        if (nt) {
            out.push_back({p.name, p.name, std::string()});
            continue;
        }
        for (const std::string& port : SplitPorts(p.ports)) out.push_back({p.name + " an " + port, p.name, port});
    }
    return out;
}

std::string ProfileDeviceName(std::string_view entry) {
    const size_t comma = entry.find(',');
    return machine::TrimLow(entry.substr(0, comma));
}

void PrintSystem::Ensure(Spooler& spooler, bool nt) {
    if (built_) return;
    entries_ = BuildPrinterList(spooler.Printers(nt), nt);
    built_ = true;
}

int PrintSystem::DefaultPosition(Spooler& spooler, std::string& error) const {
    error.clear();
    std::string name;
    const long rc = spooler.DefaultPrinter(name);
    if (name.empty()) name = ProfileDeviceName(spooler.ProfileDevice());
    if (name.empty()) {
        error = (rc == 0 || rc == kErrorInvalidName) ? kNoDefaultPrinter : spooler.Message(rc);
        return -1;
    }
    for (size_t i = 0; i < entries_.size(); ++i)
        if (EqualNoCase(entries_[i].device, name)) return static_cast<int>(i);
    error = kNoDefaultPrinter;
    return -1;
}

int PrintSystem::Resolve(Spooler& spooler, std::string& error) {
    error.clear();
    if (index_ >= 0 && index_ < Count()) return index_;
    index_ = -1;
    const int position = DefaultPosition(spooler, error);
    if (position >= 0) index_ = position;
    return position;
}

void PrintSystem::Select(int index) {
    if (index > Count() - 1) index = Count() - 1;
    if (index < 0) index = -1;
    index_ = index;
}

}  // namespace zunda::devices
