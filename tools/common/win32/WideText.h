// UTF-8 text to and from the UTF-16 of the Windows API.
#pragma once

#include <string>
#include <string_view>

namespace fiverow::tools {

std::wstring Widened(std::string_view utf8);
std::string Narrowed(std::wstring_view utf16);

// The system's message for a Windows error code, in UTF-8.
std::string WindowsErrorText(unsigned long code);

}  // namespace fiverow::tools
