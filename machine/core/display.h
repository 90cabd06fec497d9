// Display facts of MxDisplay: the mode line, the technology text, the video
// BIOS values and the adapter's DAC, chip and memory, each from the registry
// source of its family.
#pragma once

#include "system/core/registry.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zunda::machine {

// "%d x %d - %d bit" of a display mode.
std::string ModeLine(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel);

// GetDeviceCaps(TECHNOLOGY) as text; empty for values outside the table.
const char* TechnologyText(int technology);

constexpr const char* kSystemDescriptionKey = "HARDWARE\\DESCRIPTION\\System";
// The most bytes of a binary "VideoBiosVersion" that are read.
constexpr std::size_t kBiosBinaryLimit = 151;
// The buffer the NT adapter's information values are read into.
constexpr std::size_t kAdapterInfoLimit = 255;

// "VideoBiosVersion" by its type: a string as it is; binary data (at most 151
// bytes) up to its first zero byte; a value of any other type except an
// integer as a multi-string, whose first string is taken; an integer gives
// nothing.
std::string BiosVersionText(const reg::Data& data);

// Text stored as UTF-16 in binary data, read as 8-bit text: every non-zero
// byte is one character, up to the first two consecutive zero bytes, within
// the first `limit` bytes.
std::string WideBytesText(std::string_view bytes, std::size_t limit = kAdapterInfoLimit);

// The first 4 bytes as a little-endian 32-bit number; missing bytes are zero.
std::int32_t LittleEndian32(std::string_view bytes);

struct VideoBios {
    std::string version, date;
};
// Both values from HARDWARE\DESCRIPTION\System; what is missing, unreadable
// or of the wrong type stays empty.
VideoBios ReadVideoBios(reg::Registry& registry);

struct AdapterDetails {
    std::string dac, chip;
    std::int32_t memory = 0;
};
constexpr const char* k9xDisplayInfoKey = "System\\CurrentControlSet\\Services\\Class\\Display\\0000\\INFO";
// SYSTEM\CurrentControlSet\Services\<service>\Device0
std::string NtAdapterKey(const std::string& service);
// The adapter's DAC type, chip type and memory size: on Windows 9x from the
// display class's INFO key, on NT from the device key of the adapter's
// service. Each value that is missing or unreadable leaves its field as it is.
void ReadAdapterDetails(reg::Registry& registry, bool isNT, const std::string& service, AdapterDetails& out);

}  // namespace zunda::machine
