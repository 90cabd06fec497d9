// libFuzzer target for the raw blocks the machine facts walk: the process
// environment block (NAME=value entries ending in an empty one, within a
// limit), the multimedia device name field (a fixed field that need not hold
// a zero) and the logical drive strings ("C:\", zero-separated).
//
// Input: a limit word, a driver version (4 bytes), then the block.
#include "fuzz/fuzz_support.h"
#include "machine/core/drive.h"
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

void Drives(std::string_view buffer) {
    const std::unique_ptr<char[]> copy = zunda::fuzz::HeapCopy(buffer);
    const std::string letters = machine::DriveLetters(copy.get(), buffer.size());
    Check(letters.size() <= buffer.size(), "more drive letters than characters");
    for (char c : letters) Check(c >= 'A' && c <= 'Z', "drive letter not upper case");
    Check(machine::DriveLetters(nullptr, buffer.size()).empty(), "drive letters from no buffer");
    // A well-formed answer: one "X:\" per letter, each ending in a zero, then an empty string.
    std::string answer, expected;
    for (char c : buffer) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) continue;
        answer += std::string(1, c) + ":\\" + std::string(1, '\0');
        expected.push_back(static_cast<char>(c >= 'a' ? c - 'a' + 'A' : c));
    }
    answer.push_back('\0');
    const std::unique_ptr<char[]> copy2 = zunda::fuzz::HeapCopy(answer);
    Check(machine::DriveLetters(copy2.get(), answer.size()) == expected, "drive letters of a well-formed answer");
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
    Drives(block);
    return 0;
}
