#include "ImapParse.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <stdexcept>
#include <vector>

#include "BodyStructure.h"
#include "TextUtil.h"

namespace mapidove {
namespace {

// Whether `word` (lower case) occurs in `text` in any case.
bool Mentions(std::string_view text, std::string_view word) {
  for (std::size_t at = 0; at + word.size() <= text.size(); ++at) {
    std::size_t i = 0;
    while (i < word.size() && (text[at + i] | 0x20) == word[i]) ++i;
    if (i == word.size()) return true;
  }
  return false;
}

bool IsDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

int ToInt(std::string_view s) {
  int value = 0;
  std::from_chars(s.data(), s.data() + s.size(), value);
  return value;
}

// 1 for "Jan" ... 12 for "Dec", 0 for anything else.
int MonthOf(std::string_view name) {
  static constexpr std::array<std::string_view, 12> kMonths = {
      "JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  for (std::size_t i = 0; i < kMonths.size(); ++i)
    if (platform::EqualsNoCase(name, kMonths[i])) return static_cast<int>(i) + 1;
  return 0;
}

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// A numeric zone "+0200" in seconds east of UTC.
std::optional<int> NumericZone(std::string_view zone) {
  if (zone.size() != 5 || (zone[0] != '+' && zone[0] != '-') || !IsDigits(zone.substr(1)))
    return std::nullopt;
  const int minutes = ToInt(zone.substr(1, 2)) * 60 + ToInt(zone.substr(3, 2));
  return (zone[0] == '-' ? -minutes : minutes) * 60;
}

std::optional<std::int64_t> Seconds(std::int64_t year, int month, int day, int h, int m, int s,
                                    int zone) {
  if (month < 1 || day < 1 || day > 31 || h > 23 || m > 59 || s > 60) return std::nullopt;
  return DaysFromCivil(year, month, day) * 86400 + h * 3600 + m * 60 + s - zone;
}

// "hh:mm[:ss]" into its parts.
bool ParseTime(std::string_view text, int& h, int& m, int& s) {
  int parts[3] = {};
  std::size_t count = 0;
  for (std::size_t at = 0;;) {
    if (count == 3) return false;  // a fourth part
    const std::size_t colon = text.find(':', at);
    const std::string_view part = text.substr(at, colon - at);
    if (!IsDigits(part) || part.size() > 2) return false;
    parts[count++] = ToInt(part);
    if (colon == std::string_view::npos) break;
    at = colon + 1;
  }
  if (count < 2) return false;
  h = parts[0];
  m = parts[1];
  s = parts[2];
  return true;
}

void AppendUtf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The UTF-16 units of one "&...-" run of modified base64; false when invalid.
bool DecodeRun(std::string_view run, std::string& out) {
  std::uint32_t bits = 0;
  int count = 0;
  std::vector<std::uint16_t> units;
  for (char c : run) {
    int v = c >= 'A' && c <= 'Z'   ? c - 'A'
            : c >= 'a' && c <= 'z' ? c - 'a' + 26
            : c >= '0' && c <= '9' ? c - '0' + 52
            : c == '+'             ? 62
            : c == ','             ? 63
                                   : -1;
    if (v < 0) return false;
    bits = bits << 6 | static_cast<std::uint32_t>(v);
    count += 6;
    if (count >= 16) {
      count -= 16;
      units.push_back(static_cast<std::uint16_t>(bits >> count));
      bits &= (1u << count) - 1;
    }
  }
  if (units.empty() || bits != 0) return false;
  for (std::size_t i = 0; i < units.size(); ++i) {
    std::uint32_t c = units[i];
    if (c >= 0xD800 && c < 0xDC00) {
      if (i + 1 == units.size() || units[i + 1] < 0xDC00 || units[i + 1] >= 0xE000) return false;
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    } else if (c >= 0xDC00 && c < 0xE000) {
      return false;
    }
    AppendUtf8(out, c);
  }
  return true;
}

}  // namespace

void ImapReader::Fail(const char* what) const {
  throw std::invalid_argument(std::string("IMAP answer: ") + what + " at offset " +
                              std::to_string(at_));
}

void ImapReader::SkipSpace() {
  while (at_ < in_.size() && in_[at_] == ' ') ++at_;
}

bool ImapReader::AtEnd() {
  SkipSpace();
  return at_ >= in_.size();
}

bool ImapReader::Take(char c) {
  SkipSpace();
  if (at_ >= in_.size() || in_[at_] != c) return false;
  ++at_;
  return true;
}

std::string_view ImapReader::Atom() {
  SkipSpace();
  const std::size_t start = at_;
  while (at_ < in_.size() && in_[at_] != ' ' && in_[at_] != '(' && in_[at_] != ')') {
    if (in_[at_++] != '[') continue;
    const std::size_t close = in_.find(']', at_);
    if (close == std::string_view::npos) Fail("unclosed section");
    at_ = close + 1;
  }
  if (at_ == start) Fail("missing atom");
  return in_.substr(start, at_ - start);
}

std::string_view ImapReader::Literal() {
  // "{12}\r\n" and 12 bytes; "{12+}" from clients means the same.
  const std::size_t close = in_.find('}', at_);
  if (close == std::string_view::npos) Fail("unclosed literal size");
  std::string_view digits = in_.substr(at_ + 1, close - at_ - 1);
  if (!digits.empty() && digits.back() == '+') digits.remove_suffix(1);
  if (!IsDigits(digits) || in_.substr(close + 1, 2) != "\r\n") Fail("malformed literal");
  std::size_t size = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), size);
  const std::size_t start = close + 3;
  if (in_.size() - start < size) Fail("literal longer than the answer");
  at_ = start + size;
  return in_.substr(start, size);
}

std::optional<std::string> ImapReader::String() {
  SkipSpace();
  if (at_ >= in_.size()) Fail("missing string");
  if (in_[at_] == '{') return std::string(Literal());
  if (in_[at_] != '"') {
    const std::string_view atom = Atom();
    if (platform::EqualsNoCase(atom, "NIL")) return std::nullopt;
    return std::string(atom);
  }
  std::string text;
  for (++at_;;) {
    if (at_ >= in_.size()) Fail("unclosed string");
    char c = in_[at_++];
    if (c == '"') return text;
    if (c == '\\' && at_ < in_.size()) c = in_[at_++];
    text += c;
  }
}

std::int64_t ImapReader::Number() {
  const std::string_view atom = Atom();
  std::int64_t value = 0;
  auto [end, ec] = std::from_chars(atom.data(), atom.data() + atom.size(), value);
  if (ec != std::errc() || end != atom.data() + atom.size()) Fail("not a number");
  return value;
}

std::string_view ImapReader::Raw() {
  SkipSpace();
  if (at_ >= in_.size()) Fail("missing value");
  const std::size_t start = at_;
  if (in_[at_] == '"' || in_[at_] == '{') {
    String();
  } else if (in_[at_] == '(') {
    ++at_;
    while (!Take(')')) {
      if (at_ >= in_.size()) Fail("unclosed list");
      Raw();
    }
  } else {
    Atom();
  }
  return in_.substr(start, at_ - start);
}

FolderInfo ParseList(std::string_view response) {
  ImapReader r(response);
  FolderInfo folder;
  if (!r.Take('(')) throw std::invalid_argument("IMAP answer: LIST without flags");
  while (!r.Take(')')) {
    const std::string_view flag = r.Atom();
    if (platform::EqualsNoCase(flag, "\\Noselect") || platform::EqualsNoCase(flag, "\\NonExistent"))
      folder.selectable = false;
  }
  if (auto separator = r.String(); separator && separator->size() == 1)
    folder.separator = (*separator)[0];
  folder.name = r.String().value_or("");
  return folder;
}

std::pair<std::string, MailboxTotals> ParseStatus(std::string_view response) {
  ImapReader r(response);
  std::pair<std::string, MailboxTotals> status{r.String().value_or(""), {}};
  if (!r.Take('(')) throw std::invalid_argument("IMAP answer: STATUS without counts");
  while (!r.Take(')')) {
    const std::string_view item = r.Atom();
    const std::int64_t value = r.Number();
    if (platform::EqualsNoCase(item, "MESSAGES")) status.second.messages = value;
    if (platform::EqualsNoCase(item, "SIZE")) status.second.size = value;
  }
  return status;
}

std::optional<MessageInfo> ParseFetch(std::string_view response) {
  ImapReader r(response);
  MessageInfo m;
  m.sequence = static_cast<std::uint32_t>(r.Number());
  if (!platform::EqualsNoCase(r.Atom(), "FETCH") || !r.Take('('))
    throw std::invalid_argument("IMAP answer: not a FETCH");
  bool sized = false;
  while (!r.Take(')')) {
    const std::string_view item = r.Atom();
    if (platform::EqualsNoCase(item, "UID")) {
      m.uid = static_cast<std::uint32_t>(r.Number());
    } else if (platform::EqualsNoCase(item, "RFC822.SIZE")) {
      m.size = r.Number();
      sized = true;
    } else if (platform::EqualsNoCase(item, "INTERNALDATE")) {
      m.internalDate = ParseInternalDate(r.String().value_or("")).value_or(0);
    } else if (platform::EqualsNoCase(item, "BODYSTRUCTURE")) {
      std::string_view structure = r.Raw();
      if (!Mentions(structure, "name") && !Mentions(structure, "attachment") &&
          !Mentions(structure, "message"))
        continue;  // no file name, no attachment disposition, no embedded message: most mail
      try {
        m.hasAttachment =
            structure.size() > 2 && HasAttachment(structure.substr(1, structure.size() - 2));
      } catch (const std::invalid_argument&) {
        m.hasAttachment = false;  // a structure that cannot be read has no parts to count
      }
    } else if (item.size() > 5 && platform::EqualsNoCase(item.substr(0, 5), "BODY[")) {
      const std::string header = r.String().value_or("");
      m.subject = HeaderField(header, "Subject").value_or("");
      if (auto date = HeaderField(header, "Date")) m.sentDate = ParseDateHeader(*date).value_or(0);
    } else {
      r.Raw();  // FLAGS and whatever else the server adds
    }
  }
  if (!sized) return std::nullopt;
  return m;
}

std::string ClampSequenceSet(std::string_view set, std::uint32_t exists) {
  std::string out;
  auto number = [exists](std::string_view text) -> std::uint32_t {
    return text == "*" ? exists : static_cast<std::uint32_t>(ToInt(text));
  };
  while (!set.empty()) {
    const std::size_t comma = set.find(',');
    const std::string_view item = set.substr(0, comma);
    set.remove_prefix(comma == std::string_view::npos ? set.size() : comma + 1);
    const std::size_t colon = item.find(':');
    std::uint32_t lo = number(item.substr(0, colon));
    std::uint32_t hi = colon == std::string_view::npos ? lo : number(item.substr(colon + 1));
    if (lo > hi) std::swap(lo, hi);
    if (lo == 0 || lo > exists) continue;
    hi = std::min(hi, exists);
    if (!out.empty()) out += ',';
    out += std::to_string(lo);
    if (hi != lo) out += ':' + std::to_string(hi);
  }
  return out;
}

std::string DecodeModifiedUtf7(std::string_view name) {
  std::string out;
  for (std::size_t at = 0; at < name.size();) {
    if (name[at] != '&') {
      out += name[at++];
      continue;
    }
    const std::size_t dash = name.find('-', at);
    if (dash == std::string_view::npos) return std::string(name);
    if (dash == at + 1) {
      out += '&';
    } else if (!DecodeRun(name.substr(at + 1, dash - at - 1), out)) {
      return std::string(name);
    }
    at = dash + 1;
  }
  return out;
}

std::optional<std::int64_t> ParseInternalDate(std::string_view text) {
  // "17-Jul-1996 02:44:25 -0700"; the day may be space-padded.
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  const std::size_t d1 = text.find('-');
  if (d1 == std::string_view::npos) return std::nullopt;
  const std::string_view day = text.substr(0, d1);
  const std::string_view rest = text.substr(d1 + 1);
  if (!IsDigits(day) || rest.size() != 23 || rest[3] != '-' || rest[8] != ' ' || rest[17] != ' ')
    return std::nullopt;
  const std::string_view year = rest.substr(4, 4);
  int h = 0, m = 0, s = 0;
  const auto zone = NumericZone(rest.substr(18));
  if (!IsDigits(year) || !ParseTime(rest.substr(9, 8), h, m, s) || !zone) return std::nullopt;
  return Seconds(ToInt(year), MonthOf(rest.substr(0, 3)), ToInt(day), h, m, s, *zone);
}

std::optional<std::int64_t> ParseDateHeader(std::string_view text) {
  // Comments, commas and runs of white space only separate the words.
  std::string plain;
  int depth = 0;
  for (char c : text) {
    if (c == '(') ++depth;
    if (depth == 0) plain += c == ',' || c == '\t' || c == '\r' || c == '\n' ? ' ' : c;
    if (c == ')' && depth > 0) --depth;
  }
  // Called for every message: a fixed row of words, none needed past the zone.
  std::array<std::string_view, 6> words;
  std::size_t count = 0;
  std::string_view rest = plain;
  while (!rest.empty() && count < words.size()) {
    const std::size_t start = rest.find_first_not_of(' ');
    if (start == std::string_view::npos) break;
    rest.remove_prefix(start);
    const std::size_t end = rest.find(' ');
    words[count++] = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
  }
  std::size_t i = 0;
  if (i < count && !IsDigits(words[i])) ++i;  // the day of the week
  if (count < i + 4) return std::nullopt;
  const std::string_view day = words[i], month = words[i + 1], year = words[i + 2];
  int h = 0, m = 0, s = 0;
  if (!IsDigits(day) || !IsDigits(year) || !ParseTime(words[i + 3], h, m, s)) return std::nullopt;
  std::int64_t y = ToInt(year);
  if (year.size() == 2) y += y < 50 ? 2000 : 1900;  // obsolete two-digit years
  if (year.size() == 3) y += 1900;
  int zone = 0;
  if (count > i + 4) {
    const std::string_view z = words[i + 4];
    static constexpr std::pair<std::string_view, int> kNamed[] = {
        {"EST", -5}, {"EDT", -4}, {"CST", -6}, {"CDT", -5},
        {"MST", -7}, {"MDT", -6}, {"PST", -8}, {"PDT", -7}};
    if (auto numeric = NumericZone(z)) zone = *numeric;
    for (const auto& [name, hours] : kNamed)
      if (platform::EqualsNoCase(z, name)) zone = hours * 3600;
    // UT, GMT, Z and the military letters count as UTC.
  }
  return Seconds(y, MonthOf(month), ToInt(day), h, m, s, zone);
}

std::optional<std::string> HeaderField(std::string_view header, std::string_view name) {
  for (std::size_t at = 0; at < header.size();) {
    std::size_t eol = header.find('\n', at);
    if (eol == std::string_view::npos) eol = header.size();
    std::string_view line = header.substr(at, eol - at);
    at = eol + 1;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || line.empty() || line[0] == ' ' || line[0] == '\t')
      continue;
    std::string_view field = line.substr(0, colon);
    while (!field.empty() && (field.back() == ' ' || field.back() == '\t')) field.remove_suffix(1);
    if (!platform::EqualsNoCase(field, name)) continue;
    // The value with its continuation lines, line ends taken out.
    std::string value(line.substr(colon + 1));
    while (at < header.size() && (header[at] == ' ' || header[at] == '\t')) {
      eol = header.find('\n', at);
      if (eol == std::string_view::npos) eol = header.size();
      value += header.substr(at, eol - at);
      at = eol + 1;
    }
    std::erase(value, '\r');
    const std::size_t first = value.find_first_not_of(" \t");
    const std::size_t last = value.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
  }
  return std::nullopt;
}

}  // namespace mapidove
