// Windows and the generated interface declarations of the type library.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <ocidl.h>
#include <olectl.h>

// Some members of the library carry names that windows.h turns into macros
// for its ANSI/wide API pairs; the interfaces keep their own names.
#undef CopyFile
#undef MoveFile
#undef GetFileSize

#include "Zunda.h"
