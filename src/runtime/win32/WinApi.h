// <windows.h> without the parts fiverow does not use and without the min and
// max macros. Include it after fiverow's own headers: its FormatMessage macro
// would otherwise rename fiverow's function of that name.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
