#include "system/core/registry.h"

#include "server/core/failure.h"

namespace zunda::reg {

void Check(const Registry& registry, long code) {
    if (code != kOk) throw Failure(registry.Message(code));
}

std::string StringOf(const Data& data) {
    const std::string::size_type end = data.bytes.find('\0');
    return end == std::string::npos ? data.bytes : data.bytes.substr(0, end);
}

}  // namespace zunda::reg
