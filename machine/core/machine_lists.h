// The three name lists of MxMachine: environment strings, installed fonts and
// installed software. Each walk hands its lines to `add` one by one, so a
// failure part-way leaves the lines found so far with the caller.
#pragma once

#include "system/core/registry.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace zunda::machine {

using AddLine = std::function<void(const std::string&)>;

// The most bytes of the environment block that are walked.
constexpr std::size_t kEnvironmentLimit = 4096;

// The NAME=value entries of an environment block (entries end with a zero,
// the block with an empty entry). An entry still open at `limit` bytes is
// dropped. `size` is how many bytes the block has at most.
std::vector<std::string> ParseEnvironment(const char* block, std::size_t size, std::size_t limit = kEnvironmentLimit);

// One line "name;type;file" of the font list for a value of the Fonts key.
std::string FontLine(const std::string& valueName, const std::string& file);

// Fills the font list from the family's Fonts key; a key that cannot be
// opened gives no lines. Registry failures throw Failure.
void Fonts(reg::Registry& registry, bool isNT, const AddLine& add);

// The display names of the Uninstall key's subkeys, in enumeration order.
void InstalledSoftware(reg::Registry& registry, const AddLine& add);

}  // namespace zunda::machine
