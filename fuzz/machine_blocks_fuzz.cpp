// libFuzzer target for the raw blocks the machine lists walk: the process
// environment block (NAME=value entries ending in an empty one, within a
// limit) and the multimedia device name field (a fixed field that need not
// hold a zero).
//
// Input: a limit word, a driver version (4 bytes), then the block.
#include "fuzz/fuzz_support.h"
#include "machine/core/machine_lists.h"
#include "machine/core/media.h"

#include <cstring>

namespace {

using zunda::fuzz::Check;
namespace machine = zunda::machine;

void Environment(std::string_view block, std::size_t limit) {
    // An exact-size copy: a walk past the block's end is a finding.
    const std::unique_ptr<char[]> copy = zunda::fuzz::HeapCopy(block);
    const std::vector<std::string> entries = machine::ParseEnvironment(copy.get(), block.size(), limit);
    std::size_t used = 0;
    std::string joined;
    for (const std::string& e : entries) {
        Check(!e.empty() && e.find('\0') == std::string::npos, "empty entry or zero inside one");
        used += e.size() + 1;
        joined += e;
        joined.push_back('\0');
    }
    Check(used <= std::min(block.size(), limit), "entries past the block or the limit");
    Check(block.substr(0, joined.size()) == joined, "entries are not the block's leading strings");
    Check(machine::ParseEnvironment(nullptr, block.size(), limit).empty(), "entries from no block");

    // The entries written back as a block, with its closing empty entry, read
    // the same; so does that block followed by anything.
    std::string again = joined;
    again.push_back('\0');
    const std::size_t cut = again.size();
    again.append(block);
    const std::unique_ptr<char[]> copy2 = zunda::fuzz::HeapCopy(again);
    Check(machine::ParseEnvironment(copy2.get(), again.size(), cut) == entries, "written block reads differently");
}

void Device(std::string_view field, std::uint32_t version) {
    const std::string line = machine::DeviceLine(field, version);
    const std::string_view name = field.substr(0, std::min(field.size(), machine::kDeviceNameField));
    const std::string_view shown = name.substr(0, name.find('\0'));
    const std::string tail = " v" + std::to_string((version >> 8) & 0xFF) + "." + std::to_string(version & 0xFF);
    Check(line == std::string(shown) + tail, "device line is not name up to zero within the field, then the version");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zunda::fuzz::Input in(data, size);
    const std::size_t limit = in.Word();
    std::uint32_t version = in.Word();
    version |= static_cast<std::uint32_t>(in.Word()) << 16;
    const std::string_view block(reinterpret_cast<const char*>(data) + (size - in.Left()), in.Left());
    Environment(block, limit);
    Environment(block, machine::kEnvironmentLimit);
    Device(block, version);
    return 0;
}
