// The text tools of the file objects, taken from an internal MxStrUtils
// object created through COM. When that object cannot be created, the tools
// fail with the system's message for the failed creation.
#pragma once

#include "files/core/str_tools.h"
#include "server/win/com_util.h"

namespace zunda {

class ComStrTools final : public core::StrTools {
public:
    // Creates the internal object; never throws.
    void Create();
    bool Available() const { return static_cast<bool>(object_); }

    std::string Replace(std::string_view text, char from, char to) override;
    std::string GetToken(std::string_view text, std::string_view sep, long position) override;
    bool TokenExists(std::string_view text, std::string_view sep) override;
    long LastPos(char c, std::string_view text) override;

private:
    IMxStrUtils* Need() const;

    ComPtr<IMxStrUtils> object_;
    std::string creationError_ = "Int_ComStrUtils not Assigned.";
};

}  // namespace zunda
