#include "eval/node_text.h"

// TEMPORARY stand-in until the transcoder lands.
namespace LVTDT {
namespace eval_text {

void AppendWide(const std::string& utf8, std::u16string& text) {
  for (std::size_t i = 0; i < utf8.size();) {
    unsigned char c = utf8[i];
    char32_t cp = c;
    std::size_t n = 1;
    if (c >= 0xF0) {
      cp = c & 7;
      n = 4;
    } else if (c >= 0xE0) {
      cp = c & 15;
      n = 3;
    } else if (c >= 0xC0) {
      cp = c & 31;
      n = 2;
    }
    for (std::size_t k = 1; k < n && i + k < utf8.size(); ++k)
      cp = (cp << 6) | (utf8[i + k] & 63);
    i += n;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      text.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      text.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      text.push_back(static_cast<char16_t>(cp));
    }
  }
}

void AppendUtf8(const std::u16string& text, std::string& utf8) {
  for (char16_t c : text) {
    if (c < 0x80)
      utf8.push_back(static_cast<char>(c));
    else if (c < 0x800) {
      utf8.push_back(static_cast<char>(0xC0 | (c >> 6)));
      utf8.push_back(static_cast<char>(0x80 | (c & 63)));
    } else {
      utf8.push_back(static_cast<char>(0xE0 | (c >> 12)));
      utf8.push_back(static_cast<char>(0x80 | ((c >> 6) & 63)));
      utf8.push_back(static_cast<char>(0x80 | (c & 63)));
    }
  }
}

}  // namespace eval_text
}  // namespace LVTDT
