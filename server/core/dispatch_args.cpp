#include "server/core/dispatch_args.h"

namespace zunda {

ArgumentCheck CheckArguments(unsigned inputs, bool isPut, unsigned argCount, const std::int32_t* named,
                             unsigned namedCount) {
    ArgumentCheck out;
    for (unsigned i = 0; i < namedCount; ++i) {
        const std::int32_t id = named ? named[i] : -1;
        const bool known = (isPut && id == kDispidPropertyPut) ||
                           (id >= 0 && static_cast<unsigned>(id) < inputs && id != kDispidPropertyPut);
        if (!known) {
            out.problem = ArgumentProblem::UnknownName;
            out.namedIndex = i;
            return out;
        }
    }
    if (argCount > inputs) out.problem = ArgumentProblem::TooMany;
    return out;
}

}  // namespace zunda
