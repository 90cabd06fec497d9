// The string list's locale services from the system: CompareStringA without
// case in the user's locale, and conversions through the ANSI code page.
#pragma once

#include "collections/core/stringlist.h"

namespace zunda {

const core::ListLocale& SystemListLocale();

}  // namespace zunda
