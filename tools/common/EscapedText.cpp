#include "common/EscapedText.h"

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
