#include "common/EscapedText.h"

#include <utility>

namespace fiverow::tools {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendHex(std::string& text, unsigned char byte) {
  text += "\\x";
  text += kHexDigits[byte >> 4];
  text += kHexDigits[byte & 15];
}

// The length of the well-formed UTF-8 sequence of a code point of U+00A0 or
// above starting at `at`; 0 when there is none (C1 controls U+0080..U+009F
// are left out, since some terminals obey them).
std::size_t Utf8Length(std::string_view bytes, std::size_t at) {
  const auto byte = [&bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = byte(at);
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xbf;
  if (lead == 0xc2) {
    length = 2;
    low = 0xa0;
  } else if (lead >= 0xc3 && lead <= 0xdf) {
    length = 2;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3;
    if (lead == 0xe0) low = 0xa0;   // no overlong forms
    if (lead == 0xed) high = 0x9f;  // no surrogates
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4;
    if (lead == 0xf0) low = 0x90;
    if (lead == 0xf4) high = 0x8f;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (at + length > bytes.size()) return 0;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(at + i) < 0x80 || byte(at + i) > 0xbf) return 0;
  }
  return length;
}

// The code point of a well-formed UTF-8 sequence of `length` bytes.
char32_t CodePoint(std::string_view sequence) {
  const auto byte = [&sequence](std::size_t i) { return static_cast<unsigned char>(sequence[i]); };
  char32_t point = byte(0) & (0x7f >> sequence.size());
  for (std::size_t i = 1; i < sequence.size(); ++i) point = (point << 6) | (byte(i) & 0x3f);
  return point;
}

// Characters that format text rather than show (Unicode's format characters,
// the bidirectional embeddings, overrides and isolates among them) and the
// line and paragraph separators: they could reorder or break what is shown
// around them.
constexpr std::pair<char32_t, char32_t> kFormatCharacters[] = {
    {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},
    {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
    {0x200B, 0x200F},   {0x2028, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},
    {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
    {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
};

bool IsFormatCharacter(char32_t point) {
  for (const auto& [first, last] : kFormatCharacters) {
    if (point >= first && point <= last) return true;
  }
  return false;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Escape(std::string_view bytes, bool backslashes) {
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte >= 0x80) {
      const std::size_t length = Utf8Length(bytes, i);
      if (length == 0) {
        AppendHex(text, byte);
        ++i;
      } else if (IsFormatCharacter(CodePoint(bytes.substr(i, length)))) {
        for (std::size_t end = i + length; i < end; ++i)
          AppendHex(text, static_cast<unsigned char>(bytes[i]));
      } else {
        text.append(bytes.substr(i, length));
        i += length;
      }
      continue;
    }
    switch (byte) {
      case '\\': text += backslashes ? "\\\\" : "\\"; break;
      case '\t': text += "\\t"; break;
      case '\n': text += "\\n"; break;
      case '\r': text += "\\r"; break;
      default:
        if (byte < 0x20 || byte == 0x7f) {
          AppendHex(text, byte);
        } else {
          text += static_cast<char>(byte);
        }
    }
    ++i;
  }
  return text;
}

}  // namespace

std::string EscapeText(std::string_view bytes) { return Escape(bytes, true); }

std::string ShownText(std::string_view text) { return Escape(text, false); }

std::optional<std::string> UnescapeText(std::string_view text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      bytes += text[i];
      continue;
    }
    if (++i == text.size()) return std::nullopt;
    switch (text[i]) {
      case '\\': bytes += '\\'; break;
      case 't': bytes += '\t'; break;
      case 'n': bytes += '\n'; break;
      case 'r': bytes += '\r'; break;
      case 'x': {
        const int high = i + 1 < text.size() ? HexValue(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
        if (high < 0 || low < 0) return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default: return std::nullopt;
    }
  }
  return bytes;
}

std::string QuotedText(std::string_view bytes, bool cut) {
  std::string text(1, '"');
  text += EscapeText(bytes);
  text += cut ? "\" (cut)" : "\"";
  return text;
}

}  // namespace fiverow::tools
