// Text from a source that cannot be trusted (an engine's output, Tah.dat, a
// command line), made safe to show a person and to keep on one line.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fiverow::tools {

// Printable ASCII and well-formed UTF-8 stay as they are. A backslash becomes
// "\\"; tab, line feed and carriage return become "\t", "\n" and "\r"; every
// other control character (C0, DEL, and C1 written in UTF-8) and every byte
// that is not part of well-formed UTF-8 becomes "\xHH", and so do the bytes
// of the characters that format text (bidirectional controls such as
// U+202E, zero-width ones, line and paragraph separators). So no terminal
// control sequence survives, nothing reorders the text around it, and the
// result is a single line.
std::string EscapeText(std::string_view bytes);

// The same for text that is already meant for people (a command line as
// given, a reason the referee wrote): only control characters and malformed
// UTF-8 are escaped, backslashes stay as they are.
std::string ShownText(std::string_view text);

// The exact bytes again from EscapeText's result; nothing for a malformed
// escape.
std::optional<std::string> UnescapeText(std::string_view text);

// Escaped text in double quotes, with " (cut)" after it when the source was
// longer than what was kept.
std::string QuotedText(std::string_view bytes, bool cut);

}  // namespace fiverow::tools
