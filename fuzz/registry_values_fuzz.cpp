// libFuzzer target for the readers of registry value data: the MxUtils
// reads (string, integer, binary; with their writes as round trips), the
// multi-string join of the device tree, the video BIOS and adapter values of
// the display, and the DirectX version value.
//
// Input: a type selector, a limit byte, then the value's raw data.
#include "devices/core/device_tree.h"
#include "fuzz/fuzz_support.h"
#include "machine/core/directx.h"
#include "machine/core/display.h"
#include "server/core/failure.h"
#include "system/core/reg_values.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <vector>

namespace {

using zunda::fuzz::Check;
namespace reg = zunda::reg;
namespace machine = zunda::machine;

constexpr reg::Root kRoot = reg::kLocalMachine;

// A registry in which every key opens and holds the same value under each of
// a few names (faster than the tests' in-memory registry, which would spend
// most of each run building its maps). Writes to those names change it.
class ValueRegistry final : public reg::Registry {
public:
    ValueRegistry(std::initializer_list<const char*> names, std::uint32_t type, std::string_view bytes)
        : names_(names.begin(), names.end()), data_{type, std::string(bytes)} {}

    long Open(reg::Root, const std::string&, std::uint32_t, std::unique_ptr<reg::Key>& out) override {
        out = std::make_unique<ValueKey>(*this);
        return reg::kOk;
    }
    std::string Message(long code) const override { return "Error " + std::to_string(code) + "."; }
    // The stored data of a name, or null when the name holds no value.
    const reg::Data* Find(const std::string& name) const {
        return std::find(names_.begin(), names_.end(), name) != names_.end() ? &data_ : nullptr;
    }

private:
    class ValueKey final : public reg::Key {
    public:
        explicit ValueKey(ValueRegistry& owner) : owner_(owner) {}
        long Query(const std::string& name, reg::Data& out) override {
            const reg::Data* d = owner_.Find(name);
            if (!d) return reg::kNotFound;
            out = *d;
            return reg::kOk;
        }
        long Set(const std::string& name, std::uint32_t type, std::string_view bytes) override {
            Check(owner_.Find(name) != nullptr, "a write created a value");
            owner_.data_ = {type, std::string(bytes)};
            return reg::kOk;
        }
        long Values(std::vector<std::pair<std::string, reg::Data>>& out) override {
            out.clear();
            return reg::kOk;
        }
        long Subkeys(std::vector<std::string>& out) override {
            out.clear();
            return reg::kOk;
        }

    private:
        ValueRegistry& owner_;
    };
    std::vector<std::string> names_;
    reg::Data data_;
};
const std::string kKey = "Software\\Fuzz";

bool NoZero(const std::string& s) { return s.find('\0') == std::string::npos; }
std::string UpToZero(std::string_view s) { return std::string(s.substr(0, s.find('\0'))); }
bool IsText(std::uint32_t t) { return t == reg::kString || t == reg::kExpandString; }

template <class F>
bool Throws(F&& f) {
    try {
        f();
    } catch (const zunda::Failure&) {
        return true;
    }
    return false;
}

void UtilsReads(std::uint32_t type, std::string_view bytes) {
    ValueRegistry r({"V"}, type, bytes);
    using namespace zunda::utils;

    std::string text;
    const bool stringFails = Throws([&] { text = ReadRegString(r, kRoot, kKey, "V"); });
    Check(stringFails == !IsText(type), "ReadRegString accepts the wrong types");
    if (!stringFails) Check(text == UpToZero(bytes), "ReadRegString is not the text up to the first zero");

    std::int32_t number = 0;
    const bool intFails = Throws([&] { number = ReadRegInt(r, kRoot, kKey, "V"); });
    Check(intFails == (type != reg::kDword || bytes.size() > 4), "ReadRegInt accepts the wrong data");
    if (!intFails) Check(number == machine::LittleEndian32(bytes), "ReadRegInt is not little-endian");

    std::string binary;
    const bool binaryFails = Throws([&] { binary = ReadRegBinary(r, kRoot, kKey, "V"); });
    Check(binaryFails == (IsText(type) || type == reg::kDword || bytes.size() > kBinaryLimit),
          "ReadRegBinary accepts the wrong data");
    if (!binaryFails) Check(binary == UpToZero(bytes), "ReadRegBinary is not the bytes up to the first zero");

    // Writes change only the value that exists, and read back.
    WriteRegBinary(r, kRoot, kKey, "V", bytes);
    const std::string written = UpToZero(bytes).substr(0, kBinaryLimit);
    if (UpToZero(bytes).size() <= kBinaryLimit) Check(ReadRegBinary(r, kRoot, kKey, "V") == written, "binary write");
    WriteRegString(r, kRoot, kKey, "V", bytes);
    Check(ReadRegString(r, kRoot, kKey, "V") == UpToZero(bytes), "string write");
    WriteRegInt(r, kRoot, kKey, "V", machine::LittleEndian32(bytes));
    Check(ReadRegInt(r, kRoot, kKey, "V") == machine::LittleEndian32(bytes), "integer write");
    WriteRegString(r, kRoot, kKey, "Missing", bytes);  // must not reach Set
}

void MultiString(std::string_view bytes) {
    const std::string joined = zunda::devices::JoinMultiString(bytes);
    Check(joined.size() <= bytes.size() && NoZero(joined), "multi-string join out of bounds");
    // Strings without zeros, each terminated, and the list ending in an empty
    // one: the join is their concatenation, whatever follows the list.
    std::string list, expected;
    for (char c : bytes) {
        if (c == '\0') continue;
        if (c == '\n') {
            if (!list.empty() && list.back() != '\0') list.push_back('\0');
            continue;
        }
        list.push_back(c);
        expected.push_back(c);
    }
    if (!list.empty() && list.back() != '\0') list.push_back('\0');
    list.append(list.empty() ? 2 : 1, '\0');  // an empty list is two zeros
    list += bytes;  // anything after the terminator is ignored
    Check(zunda::devices::JoinMultiString(list) == expected, "multi-string join of a well-formed list");
}

void Display(std::uint32_t type, std::size_t limit, std::string_view bytes) {
    const std::string bios = machine::BiosVersionText(reg::Data{type, std::string(bytes)});
    Check(NoZero(bios) && bios.size() <= bytes.size(), "BIOS version out of bounds");
    if (type == reg::kBinary) Check(bios.size() <= machine::kBiosBinaryLimit, "binary BIOS version past its limit");
    if (type == reg::kDword) Check(bios.empty(), "BIOS version from an integer");
    if (type != reg::kDword) Check(bios == UpToZero(type == reg::kBinary ? std::string_view(bytes).substr(0, machine::kBiosBinaryLimit) : bytes), "BIOS version is not its first string");

    const std::string wide = machine::WideBytesText(bytes, limit);
    Check(NoZero(wide) && wide.size() <= std::min(limit, bytes.size()), "wide bytes text out of bounds");
    // UTF-16 text of 8-bit characters reads back as those characters.
    std::string utf16, narrow;
    for (char c : std::string(bytes.substr(0, limit / 2))) {
        if (c == '\0') break;
        utf16.push_back(c);
        utf16.push_back('\0');
        narrow.push_back(c);
    }
    utf16.append(2, '\0');
    Check(machine::WideBytesText(utf16 + std::string(bytes), std::string::npos) == narrow, "wide bytes text of UTF-16");

    ValueRegistry r({"VideoBiosVersion", "VideoBiosDate"}, type, bytes);
    const machine::VideoBios vb = machine::ReadVideoBios(r);
    Check(vb.version == bios, "ReadVideoBios differs from BiosVersionText");
    Check(vb.date == (IsText(type) ? UpToZero(bytes) : std::string()), "BIOS date");

    for (const bool isNT : {true, false}) {
        ValueRegistry a({"HardwareInformation.DacType", "HardwareInformation.ChipType",
                         "HardwareInformation.MemorySize", "DacType", "ChipType", "VideoMemory"},
                        type, bytes);
        machine::AdapterDetails details;
        machine::ReadAdapterDetails(a, isNT, "fuzz", details);
        Check(NoZero(details.dac) && NoZero(details.chip) && details.dac.size() <= bytes.size() &&
                  details.chip.size() <= bytes.size(),
              "adapter texts out of bounds");
        const bool memoryType = type == reg::kBinary || type == reg::kDword;
        Check(details.memory == (memoryType ? machine::LittleEndian32(bytes) : 0), "adapter memory");
    }
}

void DirectX(std::uint32_t type, std::string_view bytes) {
    const std::string text = machine::InstalledVersionText(bytes);
    if (bytes.size() < 4) {
        Check(text.empty(), "version from fewer than 4 bytes");
    } else {
        // Two decimal numbers of at most 10 digits each.
        const std::size_t dot = text.find('.');
        Check(dot != std::string::npos && dot >= 1 && dot <= 10 && text.size() - dot - 1 >= 1 && text.size() - dot - 1 <= 10 &&
                  std::all_of(text.begin(), text.end(), [](char c) { return c == '.' || std::isdigit(static_cast<unsigned char>(c)); }),
              "installed version is not MAJOR.MINOR");
    }
    ValueRegistry r({"InstalledVersion"}, type, bytes);
    const std::string version = machine::DirectXVersion(r);
    Check(!version.empty() && NoZero(version), "DirectX version empty");
    if (type == reg::kBinary || type == reg::kNone)
        Check(version == (text.empty() ? machine::kNotInstalled : text), "DirectX version from its value");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zunda::fuzz::Input in(data, size);
    static const std::uint32_t kTypes[] = {reg::kNone,   reg::kString,      reg::kExpandString, reg::kBinary,
                                           reg::kDword,  5 /* big-endian */, reg::kMultiString,  11 /* QWORD */};
    const std::uint32_t type = kTypes[in.Byte() % 8];
    const std::size_t limit = in.Byte();
    // The data stays in the fuzzer's buffer, so that a read past it is seen.
    const std::string_view bytes(reinterpret_cast<const char*>(data) + (size - in.Left()), in.Left());

    UtilsReads(type, bytes);
    MultiString(bytes);
    Display(type, limit, bytes);
    DirectX(type, bytes);
    return 0;
}
