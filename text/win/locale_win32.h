// The process locale for the portable cores: character classes and
// conversions of the system ANSI code page, upper case, comparison and the
// user's number and date settings.
#pragma once

#include "text/core/locale.h"

namespace zunda {

// The one instance for the process; its code-page tables are built when the
// library is loaded, its separators and formats are read on every call.
const Locale& SystemLocale();

}  // namespace zunda
