// Parsing the directory query's statement and LDAP paths.
#include "DirectoryStatement.h"

#include <cctype>

#include "TextUtil.h"

namespace directory {

using platform::EqualsNoCase;

namespace {

class Scanner {
 public:
  explicit Scanner(const std::string& text) : text_(text) {}
  void SkipBlanks() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }
  // A keyword in any case, followed by a blank or the end.
  bool Keyword(std::string_view word) {
    SkipBlanks();
    if (!EqualsNoCase(std::string_view(text_).substr(pos_, word.size()), word)) return false;
    std::size_t end = pos_ + word.size();
    if (end < text_.size() && !std::isspace(static_cast<unsigned char>(text_[end])) &&
        text_[end] != '\'' && text_[end] != '=')
      return false;
    pos_ = end;
    return true;
  }
  bool Char(char c) {
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  std::optional<std::string> Identifier() {
    SkipBlanks();
    std::size_t start = pos_;
    while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) ||
                                   text_[pos_] == '-' || text_[pos_] == '_'))
      ++pos_;
    if (pos_ == start) return std::nullopt;
    return text_.substr(start, pos_ - start);
  }
  // A text in single quotes; a doubled quote stands for one.
  std::optional<std::string> Quoted() {
    if (!Char('\'')) return std::nullopt;
    std::string out;
    while (pos_ < text_.size()) {
      char c = text_[pos_++];
      if (c != '\'') {
        out += c;
      } else if (pos_ < text_.size() && text_[pos_] == '\'') {
        out += '\'';
        ++pos_;
      } else {
        return out;
      }
    }
    return std::nullopt;
  }
  bool AtEnd() {
    SkipBlanks();
    return pos_ == text_.size();
  }

 private:
  const std::string& text_;
  std::size_t pos_ = 0;
};

}  // namespace

std::optional<LdapPath> ParseLdapPath(const std::string& path) {
  // The provider name is case-sensitive in ADSI paths.
  constexpr std::string_view prefix = "LDAP://";
  if (path.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
  std::string rest = path.substr(prefix.size());
  std::size_t slash = rest.find('/');
  if (slash == std::string::npos || slash == 0 || slash + 1 == rest.size()) return std::nullopt;
  LdapPath out{rest.substr(0, slash), rest.substr(slash + 1)};
  for (char c : out.server)
    if (std::isspace(static_cast<unsigned char>(c)) || c == '\'' || c == '"') return std::nullopt;
  return out;
}

std::optional<DirectoryStatement> ParseDirectoryStatement(const std::string& text) {
  Scanner s(text);
  DirectoryStatement out;
  if (!s.Keyword("SELECT")) return std::nullopt;
  do {
    auto column = s.Identifier();
    if (!column) return std::nullopt;
    out.columns.push_back(*column);
  } while (s.Char(','));
  if (!s.Keyword("FROM")) return std::nullopt;
  auto from = s.Quoted();
  if (!from) return std::nullopt;
  auto path = ParseLdapPath(*from);
  if (!path) return std::nullopt;
  out.server = path->server;
  out.container = path->object;
  if (!s.Keyword("WHERE")) return std::nullopt;
  auto attribute = s.Identifier();
  if (!attribute || !EqualsNoCase(*attribute, "objectClass")) return std::nullopt;
  if (!s.Char('=')) return std::nullopt;
  auto objectClass = s.Quoted();
  if (!objectClass) return std::nullopt;
  out.objectClass = *objectClass;
  s.Char(';');
  if (!s.AtEnd()) return std::nullopt;
  return out;
}

}  // namespace directory
