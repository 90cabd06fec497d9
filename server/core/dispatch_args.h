// The checks a dispatcher makes on the arguments of a late-bound call before
// it runs the member: no more arguments than the member takes, and named
// arguments only for parameters the member has (or, for a property put, the
// value's own name).
#pragma once

#include <cstdint>

namespace zunda {

constexpr std::int32_t kDispidPropertyPut = -3;  // DISPID_PROPERTYPUT

enum class ArgumentProblem { None, TooMany, UnknownName };

struct ArgumentCheck {
    ArgumentProblem problem = ArgumentProblem::None;
    unsigned namedIndex = 0;  // the refused named argument (UnknownName)
};

// inputs: the member's parameters without its result (the value of a
// property put counts); isPut: a property put or put-by-reference call;
// argCount: all arguments, named ones included; named: the DISPIDs of the
// named arguments. A named argument the member does not have is reported
// first, then a count beyond the member's parameters. Missing optional
// arguments are never a problem here.
ArgumentCheck CheckArguments(unsigned inputs, bool isPut, unsigned argCount, const std::int32_t* named,
                             unsigned namedCount);

}  // namespace zunda
