// A fixed stand-in for the system locale in native tests: Western European
// code page 1252 with its character classes, upper case and case-insensitive
// comparison. Separators and formats are plain fields a test sets, e.g.
//   zunda::test::Cp1252Locale loc;
//   loc.shortDate = "dd.MM.yyyy";
//   loc.dateSeparator = ".";
#pragma once

#include "text/core/locale.h"

#include <string>

namespace zunda::test {

class Cp1252Locale : public Locale {
public:
    // Defaults are the US English settings; tests overwrite what they need.
    std::string decimalSeparator = ".";
    std::string shortDate = "M/d/yyyy";
    std::string dateSeparator = "/";
    std::string longTime = "h:mm:ss tt";
    // Pretends to be a multi-byte code page when false (conversions stay 1252).
    bool singleByte = true;

    std::uint16_t ByteClass(unsigned char byte) const override;
    std::optional<unsigned char> ToByte(char16_t ch) const override;
    std::string ToAnsi(std::u16string_view text) const override;  // '?' for what 1252 cannot hold
    std::u16string FromAnsi(std::string_view text) const override;
    std::string UpperCase(std::string_view text) const override;
    // Ordinal comparison of the upper-cased bytes.
    int CompareNoCase(std::string_view a, std::string_view b) const override;
    bool SingleByteCodePage() const override { return singleByte; }

    std::string DecimalSeparator() const override { return decimalSeparator; }
    std::string ShortDateFormat() const override { return shortDate; }
    std::string DateSeparator() const override { return dateSeparator; }
    std::string LongTimeFormat() const override { return longTime; }

    // The UTF-16 character of one byte of code page 1252. The five bytes the
    // code page leaves undefined map to the control characters of the same value.
    static char16_t ByteToChar(unsigned char byte);
    static unsigned char UpperByte(unsigned char byte);
};

}  // namespace zunda::test
