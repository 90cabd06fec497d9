#include "machine/core/media.h"

namespace zunda::machine {

std::string DeviceLine(std::string_view nameField, std::uint32_t driverVersion) {
    if (nameField.size() > kDeviceNameField) nameField = nameField.substr(0, kDeviceNameField);
    const std::string_view::size_type end = nameField.find('\0');
    std::string line(nameField.substr(0, end));
    line += " v" + std::to_string((driverVersion >> 8) & 0xFF) + "." + std::to_string(driverVersion & 0xFF);
    return line;
}

void ListDevices(MediaDevices& devices, MediaKind kind, const std::function<bool(const std::string&)>& listed,
                 const AddLine& add) {
    const unsigned count = devices.Count(kind);
    for (unsigned i = 0; i < count; ++i) {
        std::string name;
        std::uint32_t version = 0;
        if (!devices.Caps(kind, i, name, version)) continue;
        const std::string line = DeviceLine(name, version);
        if (!listed(line)) add(line);
    }
}

}  // namespace zunda::machine
