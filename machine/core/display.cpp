#include "machine/core/display.h"

#include <iterator>
#include <memory>

namespace zunda::machine {
namespace {

bool IsText(std::uint32_t type) { return type == reg::kString || type == reg::kExpandString; }

std::string UpToZero(std::string_view bytes) { return std::string(bytes.substr(0, bytes.find('\0'))); }

// A value's data; false when it cannot be read for whatever reason.
bool Read(reg::Key& key, const char* name, reg::Data& data) { return key.Query(name, data) == reg::kOk; }

}  // namespace

std::string ModeLine(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel) {
    auto d = [](std::uint32_t v) { return std::to_string(static_cast<std::int32_t>(v)); };
    return d(width) + " x " + d(height) + " - " + d(bitsPerPixel) + " bit";
}

const char* TechnologyText(int technology) {
    static constexpr const char* kTexts[] = {"Vector Plotter", "Raster Display", "Raster Printer", "Raster Camera",
                                             "Character Stream", "Metafile", "Display File"};
    if (technology < 0 || technology >= static_cast<int>(std::size(kTexts))) return "";
    return kTexts[technology];
}

std::string BiosVersionText(const reg::Data& data) {
    if (IsText(data.type)) return UpToZero(data.bytes);
    if (data.type == reg::kDword) return std::string();
    if (data.type == reg::kBinary) return UpToZero(std::string_view(data.bytes).substr(0, kBiosBinaryLimit));
    return UpToZero(data.bytes);  // a multi-string: its first string
}

std::string WideBytesText(std::string_view bytes, std::size_t limit) {
    bytes = bytes.substr(0, limit);
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\0') {
            out.push_back(bytes[i]);
        } else if (i + 1 < bytes.size() && bytes[i + 1] == '\0') {
            break;
        }
    }
    return out;
}

std::int32_t LittleEndian32(std::string_view bytes) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4 && i < bytes.size(); ++i)
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return static_cast<std::int32_t>(v);
}

VideoBios ReadVideoBios(reg::Registry& registry) {
    VideoBios out;
    std::unique_ptr<reg::Key> key;
    if (registry.Open(reg::kLocalMachine, kSystemDescriptionKey, reg::kRead, key) != reg::kOk) return out;
    reg::Data data;
    if (Read(*key, "VideoBiosVersion", data)) out.version = BiosVersionText(data);
    if (Read(*key, "VideoBiosDate", data) && IsText(data.type)) out.date = UpToZero(data.bytes);
    return out;
}

std::string NtAdapterKey(const std::string& service) {
    return "SYSTEM\\CurrentControlSet\\Services\\" + service + "\\Device0";
}

void ReadAdapterDetails(reg::Registry& registry, bool isNT, const std::string& service, AdapterDetails& out) {
    if (isNT && service.empty()) return;
    std::unique_ptr<reg::Key> key;
    if (registry.Open(reg::kLocalMachine, isNT ? NtAdapterKey(service) : k9xDisplayInfoKey, reg::kRead, key) !=
        reg::kOk)
        return;
    reg::Data data;
    auto memory = [&](const char* name) {
        if (Read(*key, name, data) && (data.type == reg::kBinary || data.type == reg::kDword))
            out.memory = LittleEndian32(data.bytes);
    };
    if (isNT) {
        if (Read(*key, "HardwareInformation.DacType", data) && data.type == reg::kBinary)
            out.dac = WideBytesText(data.bytes);
        if (Read(*key, "HardwareInformation.ChipType", data) && data.type == reg::kBinary)
            out.chip = WideBytesText(data.bytes);
        memory("HardwareInformation.MemorySize");
    } else {
        if (Read(*key, "DacType", data) && IsText(data.type)) out.dac = UpToZero(data.bytes);
        if (Read(*key, "ChipType", data) && IsText(data.type)) out.chip = UpToZero(data.bytes);
        memory("VideoMemory");
    }
}

}  // namespace zunda::machine
