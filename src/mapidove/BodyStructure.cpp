#include "BodyStructure.h"

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace mapidove {
namespace {

// A parsed item: a string (quoted or atom), NIL, or a parenthesised list.
struct Item {
  enum class Kind { Text, Nil, List } kind = Kind::Nil;
  std::string text;  // upper-cased for comparison
  std::vector<Item> items;

  bool IsText(std::string_view upper) const { return kind == Kind::Text && text == upper; }
};

class Parser {
 public:
  explicit Parser(std::string_view input) : in_(input) {}

  Item ParseAll() {
    Item top{Item::Kind::List, {}, {}};
    while (SkipSpace()) top.items.push_back(ParseItem(0));
    return top;
  }

 private:
  static constexpr int kMaxDepth = 64;

  bool SkipSpace() {
    while (at_ < in_.size() && (in_[at_] == ' ' || in_[at_] == '\r' || in_[at_] == '\n')) ++at_;
    return at_ < in_.size();
  }

  [[noreturn]] void Fail(const char* what) const {
    throw std::invalid_argument(std::string("body structure: ") + what + " at offset " +
                                std::to_string(at_));
  }

  Item ParseItem(int depth) {
    if (depth > kMaxDepth) Fail("nested too deeply");
    char c = in_[at_];
    if (c == '(') {
      ++at_;
      Item list{Item::Kind::List, {}, {}};
      for (;;) {
        if (!SkipSpace()) Fail("unclosed list");
        if (in_[at_] == ')') {
          ++at_;
          return list;
        }
        list.items.push_back(ParseItem(depth + 1));
      }
    }
    if (c == ')') Fail("unexpected ')'");
    if (c == '"') {
      ++at_;
      std::string text;
      for (;;) {
        if (at_ >= in_.size()) Fail("unclosed string");
        char d = in_[at_++];
        if (d == '"') break;
        if (d == '\\' && at_ < in_.size()) d = in_[at_++];
        text += Upper(d);
      }
      return {Item::Kind::Text, text, {}};
    }
    if (c == '{') {
      // A literal, as IMAP servers send texts with line ends or 8-bit bytes.
      const std::size_t close = in_.find("}\r\n", at_);
      if (close == std::string_view::npos) Fail("malformed literal");
      const std::size_t size =
          std::strtoull(std::string(in_.substr(at_ + 1, close - at_ - 1)).c_str(), nullptr, 10);
      if (in_.size() - (close + 3) < size) Fail("literal longer than the text");
      std::string text;
      for (char d : in_.substr(close + 3, size)) text += Upper(d);
      at_ = close + 3 + size;
      return {Item::Kind::Text, text, {}};
    }
    std::string atom;
    while (at_ < in_.size() && in_[at_] != ' ' && in_[at_] != '(' && in_[at_] != ')')
      atom += Upper(in_[at_++]);
    if (atom == "NIL") return {};
    return {Item::Kind::Text, atom, {}};
  }

  static char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

  std::string_view in_;
  std::size_t at_ = 0;
};

// A parameter list ("NAME" "value" ...) that names a file.
bool NamesFile(const Item& params) {
  if (params.kind != Item::Kind::List) return false;
  for (std::size_t i = 0; i + 1 < params.items.size(); i += 2)
    if (params.items[i].IsText("FILENAME") || params.items[i].IsText("NAME")) return true;
  return false;
}

// A disposition ("attachment" ("filename" "x")) that makes an attachment.
bool AttachedBy(const Item& disposition) {
  if (disposition.kind != Item::Kind::List || disposition.items.empty()) return false;
  return disposition.items[0].IsText("ATTACHMENT") ||
         (disposition.items.size() > 1 && NamesFile(disposition.items[1]));
}

bool PartHasAttachment(const Item& part, bool top) {
  if (part.kind != Item::Kind::List || part.items.empty()) return false;
  const auto& items = part.items;
  if (items[0].kind == Item::Kind::List) {
    // multipart: the parts, then the subtype, parameters and disposition.
    std::size_t i = 0;
    for (; i < items.size() && items[i].kind == Item::Kind::List; ++i)
      if (PartHasAttachment(items[i], false)) return true;
    return i + 2 < items.size() && AttachedBy(items[i + 2]);
  }
  if (items.size() < 7) return false;
  bool message = items[0].IsText("MESSAGE") && items[1].IsText("RFC822");
  if (message && !top) return true;
  if (NamesFile(items[2])) return true;
  // The extension fields start after the lines of a text part and after the
  // envelope, body and lines of an embedded message.
  std::size_t extension = items[0].IsText("TEXT") ? 8 : message ? 10 : 7;
  if (message && items.size() > 8 && PartHasAttachment(items[8], false)) return true;
  return extension + 1 < items.size() && AttachedBy(items[extension + 1]);
}

}  // namespace

bool HasAttachment(std::string_view bodyStructure) {
  Item top = Parser(bodyStructure).ParseAll();
  if (top.items.empty()) throw std::invalid_argument("body structure: empty");
  return PartHasAttachment(top, true);
}

}  // namespace mapidove
