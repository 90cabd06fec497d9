// The multimedia device lists of MxMedia: one line "name vMAJOR.MINOR" per
// device of a kind, each line once.
#pragma once

#include "machine/core/machine_lists.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zunda::machine {

enum class MediaKind { WaveIn, WaveOut, MidiIn, MidiOut, Aux, Mixer };

// The size of a device name field (szPname, MAXPNAMELEN).
constexpr std::size_t kDeviceNameField = 32;

// The line for one device: the name up to its first zero, never past the
// field (a name that fills it has no zero), " v", the major version (high
// byte of the low word) and the minor version (low byte), in decimal.
std::string DeviceLine(std::string_view nameField, std::uint32_t driverVersion);

// The system's devices of each kind.
class MediaDevices {
public:
    virtual ~MediaDevices() = default;
    virtual unsigned Count(MediaKind kind) = 0;
    // The name field (its raw bytes) and driver version of device `index`;
    // false when the system's capability call fails.
    virtual bool Caps(MediaKind kind, unsigned index, std::string& nameField, std::uint32_t& version) = 0;
};

// Adds, in device order, the line of every device whose capabilities can be
// read, unless `listed` says the list already holds it.
void ListDevices(MediaDevices& devices, MediaKind kind, const std::function<bool(const std::string&)>& listed,
                 const AddLine& add);

}  // namespace zunda::machine
