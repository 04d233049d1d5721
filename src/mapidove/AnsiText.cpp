#include "AnsiText.h"

#include <iconv.h>

#include <cctype>
#include <cerrno>
#include <optional>

namespace mapidove {
namespace {

constexpr const char* kAnsi = "WINDOWS-1252//TRANSLIT";

// One conversion descriptor, closed on every path.
class Converter {
 public:
  explicit Converter(const std::string& from) : cd_(iconv_open(kAnsi, from.c_str())) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts `in`; a byte sequence that is invalid in the source charset
  // becomes "?" and the conversion goes on after it.
  std::string Run(std::string_view in) {
    std::string out;
    std::string buffer(in.size() * 2 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size();
    while (left > 0) {
      char* dst = buffer.data();
      std::size_t room = buffer.size();
      const std::size_t r = iconv(cd_, &src, &left, &dst, &room);
      out.append(buffer.data(), dst);
      if (r != static_cast<std::size_t>(-1)) break;
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL: skip the byte that cannot be read.
      out.push_back('?');
      ++src;
      --left;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
  }

 private:
  iconv_t cd_;
};

bool ValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    const int extra = c < 0x80         ? 0
                      : (c >> 5) == 6  ? 1
                      : (c >> 4) == 14 ? 2
                      : (c >> 3) == 30 ? 3
                                       : -1;
    if (extra < 0 || s.size() - i <= static_cast<std::size_t>(extra)) return false;
    for (int k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += static_cast<std::size_t>(extra) + 1;
  }
  return true;
}

bool Ascii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> DecodeQ(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '_') {
      out.push_back(' ');
    } else if (text[i] == '=') {
      if (i + 2 >= text.size()) return std::nullopt;
      const int hi = HexDigit(text[i + 1]), lo = HexDigit(text[i + 2]);
      if (hi < 0 || lo < 0) return std::nullopt;
      out.push_back(static_cast<char>(hi * 16 + lo));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::optional<std::string> DecodeB(std::string_view text) {
  std::string out;
  unsigned value = 0;
  int bits = 0;
  for (char c : text) {
    int d;
    if (c >= 'A' && c <= 'Z')
      d = c - 'A';
    else if (c >= 'a' && c <= 'z')
      d = c - 'a' + 26;
    else if (c >= '0' && c <= '9')
      d = c - '0' + 52;
    else if (c == '+')
      d = 62;
    else if (c == '/')
      d = 63;
    else if (c == '=')
      break;
    else
      return std::nullopt;
    value = (value << 6) | static_cast<unsigned>(d);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<char>((value >> bits) & 0xFF));
    }
  }
  return out;
}

// The encoded word at `at` ("=?charset?X?text?="): its length and its text
// in the code page, or nothing when it is none or cannot be decoded.
std::optional<std::pair<std::size_t, std::string>> EncodedWord(std::string_view s, std::size_t at) {
  if (s.compare(at, 2, "=?") != 0) return std::nullopt;
  const std::size_t q1 = s.find('?', at + 2);
  if (q1 == std::string_view::npos || q1 + 2 >= s.size() || s[q1 + 2] != '?') return std::nullopt;
  const std::size_t end = s.find("?=", q1 + 3);
  if (end == std::string_view::npos) return std::nullopt;
  std::string charset(s.substr(at + 2, q1 - at - 2));
  if (auto star = charset.find('*'); star != std::string::npos) charset.resize(star);  // language
  const char encoding = static_cast<char>(std::toupper(static_cast<unsigned char>(s[q1 + 1])));
  const std::string_view text = s.substr(q1 + 3, end - q1 - 3);
  if (text.find(' ') != std::string_view::npos) return std::nullopt;
  std::optional<std::string> bytes = encoding == 'B'   ? DecodeB(text)
                                     : encoding == 'Q' ? DecodeQ(text)
                                                       : std::nullopt;
  if (!bytes || charset.empty()) return std::nullopt;
  Converter converter(charset);
  if (!converter.ok()) return std::nullopt;  // a charset the system does not know
  return std::make_pair(end + 2 - at, converter.Run(*bytes));
}

}  // namespace

std::string Utf8ToAnsi(std::string_view utf8) {
  if (Ascii(utf8) || !ValidUtf8(utf8)) return std::string(utf8);
  Converter converter("UTF-8");
  return converter.ok() ? converter.Run(utf8) : std::string(utf8);
}

std::string DecodeHeaderText(std::string_view header) {
  // Unfold: a line end followed by white space continues the line.
  std::string unfolded;
  for (char c : header)
    if (c != '\r' && c != '\n') unfolded.push_back(c);
  std::string out;
  std::string plain;  // text between encoded words, converted as a whole
  bool afterWord = false;
  for (std::size_t i = 0; i < unfolded.size();) {
    if (auto word = EncodedWord(unfolded, i)) {
      if (afterWord && plain.find_first_not_of(" \t") == std::string::npos) plain.clear();
      out += Utf8ToAnsi(plain);
      plain.clear();
      out += word->second;
      i += word->first;
      afterWord = true;
      continue;
    }
    if (unfolded[i] != ' ' && unfolded[i] != '\t') afterWord = false;
    plain.push_back(unfolded[i++]);
  }
  out += Utf8ToAnsi(plain);
  return out;
}

}  // namespace mapidove
