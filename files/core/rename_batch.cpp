#include "files/core/rename_batch.h"

#include "collections/core/stringlist.h"
#include "files/core/path.h"

namespace zunda::core {

RenameOutcome RenameBatch(std::string_view text, StrTools* tools, const RenameFn& rename) {
    RenameOutcome out;
    for (const std::string& line : SplitLines(text)) {
        if (!tools) return {false, "Int_ComStrUtils not Assigned"};
        if (!tools->TokenExists(line, ";")) return {false, "Sign \";\" not found."};
        const std::string source = Trim(tools->GetToken(line, ";", 1));
        const std::string destination = Trim(tools->GetToken(line, ";", 2));
        if (source.empty() || destination.empty()) return {false, "strSource or strDest = '"};
        std::string reason;
        if (!rename(source, destination, reason)) {
            if (out.ok) out.message = "Cannot rename \"" + source + "\" to \"" + destination + "\". " + reason;
            out.ok = false;
        }
    }
    return out;
}

}  // namespace zunda::core
