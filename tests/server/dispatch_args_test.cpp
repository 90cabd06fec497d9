// The argument checks of the late-bound dispatcher.
#include "server/core/dispatch_args.h"

#include <gtest/gtest.h>

#include <vector>

namespace zunda {
namespace {

TEST(DispatchArguments, ExtraPositionalAndUnknownNamedArgumentsAreRefused) {
    struct Case {
        const char* what;
        unsigned inputs;
        bool put;
        unsigned args;
        std::vector<std::int32_t> named;
        ArgumentProblem problem;
        unsigned namedIndex;
    } cases[] = {
        {"all arguments", 3, false, 3, {}, ArgumentProblem::None, 0},
        {"optional ones left out", 4, false, 3, {}, ArgumentProblem::None, 0},
        {"no arguments", 0, false, 0, {}, ArgumentProblem::None, 0},
        {"one too many", 3, false, 4, {}, ArgumentProblem::TooMany, 0},
        {"any argument for a member without parameters", 0, false, 1, {}, ArgumentProblem::TooMany, 0},
        {"named by position", 3, false, 2, {2, 0}, ArgumentProblem::None, 0},
        {"named past the last parameter", 0, false, 1, {7}, ArgumentProblem::UnknownName, 0},
        {"unknown name", 3, false, 2, {1, 5}, ArgumentProblem::UnknownName, 1},
        {"negative name", 3, false, 1, {-1}, ArgumentProblem::UnknownName, 0},
        {"the put value", 1, true, 1, {kDispidPropertyPut}, ArgumentProblem::None, 0},
        {"indexed put", 2, true, 2, {kDispidPropertyPut}, ArgumentProblem::None, 0},
        {"put value name without a put", 1, false, 1, {kDispidPropertyPut}, ArgumentProblem::UnknownName, 0},
        {"put with an unknown name", 1, true, 1, {4}, ArgumentProblem::UnknownName, 0},
        {"put with a value too many", 1, true, 2, {kDispidPropertyPut}, ArgumentProblem::TooMany, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ArgumentCheck r = CheckArguments(c.inputs, c.put, c.args, c.named.data(), static_cast<unsigned>(c.named.size()));
        EXPECT_EQ(r.problem, c.problem);
        if (c.problem == ArgumentProblem::UnknownName) {
            EXPECT_EQ(r.namedIndex, c.namedIndex);
        }
    }
}

}  // namespace
}  // namespace zunda
