// DirectX facts of MxDirectX: the installed version text and the names of
// the registered Direct3D drivers, DirectPlay services and DirectMusic
// synthesizers.
#pragma once

#include "machine/core/machine_lists.h"
#include "system/core/registry.h"

#include <string>
#include <string_view>

namespace zunda::machine {

constexpr const char* kDirectXKey = "SOFTWARE\\Microsoft\\DirectX";
constexpr const char* kDirect3DDrivers = "SOFTWARE\\Microsoft\\Direct3D\\Drivers";
constexpr const char* kDirectPlayServices = "SOFTWARE\\Microsoft\\DirectPlay\\Services";
constexpr const char* kDirectMusicSynths = "SOFTWARE\\Microsoft\\DirectMusic\\SoftwareSynths";
constexpr const char* kNotInstalled = "not installed";

// The "InstalledVersion" value as "MAJOR.MINOR": bytes 0-3 and 4-7 are
// big-endian numbers (the minor is 0 when the value stops after byte 3).
// Empty when the value has fewer than 4 bytes.
std::string InstalledVersionText(std::string_view bytes);

// The version text: the "Version" string, else the one built from
// "InstalledVersion", trimmed; "not installed" when that is empty or the key
// is missing. Values of the wrong type count as missing; other registry
// failures throw Failure.
std::string DirectXVersion(reg::Registry& registry);

// The "Description" of every subkey of `key` (HKEY_LOCAL_MACHINE), in
// enumeration order; subkeys without one (or with one that is not a string)
// add nothing, a missing key adds nothing. A failed enumeration throws
// Failure after the subkeys it did list.
void SubkeyDescriptions(reg::Registry& registry, const std::string& key, const AddLine& add);

}  // namespace zunda::machine
