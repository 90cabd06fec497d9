// The locale and code-page services the portable cores need. The Win32
// implementation reads the process locale; native tests use a fixed stand-in
// for code page 1252.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zunda {

// CT_CTYPE1 character-type flags.
enum CharClass : std::uint16_t {
    kUpper = 0x0001,
    kLower = 0x0002,
    kDigit = 0x0004,
    kSpace = 0x0008,
    kPunct = 0x0010,
    kControl = 0x0020,
    kBlank = 0x0040,
    kHexDigit = 0x0080,
    kAlpha = 0x0100,
};

class Locale {
public:
    virtual ~Locale() = default;

    // CT_CTYPE1 flags of one byte of the system 8-bit code page.
    virtual std::uint16_t ByteClass(unsigned char byte) const = 0;
    // The single code-page byte of a UTF-16 character, without best-fit
    // mapping; nullopt when the code page cannot hold the character as one byte.
    virtual std::optional<unsigned char> ToByte(char16_t ch) const = 0;
    // UTF-16 <-> 8-bit text of the system code page.
    virtual std::string ToAnsi(std::u16string_view text) const = 0;
    virtual std::u16string FromAnsi(std::string_view text) const = 0;
    // Locale-aware upper case of 8-bit text.
    virtual std::string UpperCase(std::string_view text) const = 0;
    // Locale-aware comparison without regard to case: <0, 0, >0.
    virtual int CompareNoCase(std::string_view a, std::string_view b) const = 0;
    // Whether the system code page is a single-byte one.
    virtual bool SingleByteCodePage() const = 0;

    virtual std::string DecimalSeparator() const = 0;  // "." or ","
    virtual std::string ShortDateFormat() const = 0;   // for example "dd.MM.yyyy"
    virtual std::string DateSeparator() const = 0;     // for example "."
    virtual std::string LongTimeFormat() const = 0;    // for example "HH:mm:ss"
};

}  // namespace zunda
