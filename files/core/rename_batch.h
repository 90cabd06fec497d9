// Batch renaming: each line "source;destination" renames one file. A line
// without the separator or with an empty side stops the batch; a rename that
// fails marks the batch failed and the next line is tried.
#pragma once

#include "files/core/str_tools.h"

#include <functional>
#include <string>
#include <string_view>

namespace zunda::core {

struct RenameOutcome {
    bool ok = true;
    std::string message;  // what to report when not ok
};

// Renames source to destination; false with the reason on failure.
using RenameFn = std::function<bool(const std::string& source, const std::string& destination, std::string& reason)>;

// `tools` may be null when the string object is not available.
RenameOutcome RenameBatch(std::string_view text, StrTools* tools, const RenameFn& rename);

}  // namespace zunda::core
