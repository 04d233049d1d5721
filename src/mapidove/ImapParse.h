// Reading the IMAP answers a mailbox store needs: folder lists with their
// counts and sizes, a folder's messages, and the texts inside them (quoted
// strings, literals, dates, modified UTF-7 names, header fields).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "MailItems.h"

namespace mapidove {

// Reads the items of one untagged response in order. Malformed text throws
// std::invalid_argument.
class ImapReader {
 public:
  explicit ImapReader(std::string_view text) : in_(text) {}

  bool AtEnd();
  // Consumes `c` when it comes next (after spaces).
  bool Take(char c);
  // An atom, or a fetch item name with its "[section]" ("BODY[HEADER.FIELDS (DATE)]").
  std::string_view Atom();
  // A quoted string or a literal, or an atom such as INBOX; nothing for NIL.
  std::optional<std::string> String();
  std::int64_t Number();
  // One whole value, lists included, as it stands in the text.
  std::string_view Raw();

 private:
  [[noreturn]] void Fail(const char* what) const;
  void SkipSpace();
  std::string_view Literal();

  std::string_view in_;
  std::size_t at_ = 0;
};

// "* LIST (\HasNoChildren) "/" INBOX" without its "* LIST ", into `folder`'s
// name and selectable flag.
FolderInfo ParseList(std::string_view response);
// "STATUS INBOX (MESSAGES 3 SIZE 1200)" without its "STATUS ": the name and
// its counts.
std::pair<std::string, MailboxTotals> ParseStatus(std::string_view response);
// "12 FETCH (UID 7 RFC822.SIZE ...)": the message, or nothing for a FETCH
// answer of other items (flag changes the server reports unasked).
std::optional<MessageInfo> ParseFetch(std::string_view response);

// The part of a sequence set ("1:7,9") within a folder of `exists`
// messages ("1:5" for 5), empty when nothing is: a server refuses numbers
// past the end, and a folder may shrink between counting and reading.
std::string ClampSequenceSet(std::string_view set, std::uint32_t exists);

// A modified UTF-7 folder name ("Entw&APw-rfe") in UTF-8 ("Entwürfe"); text
// that is no valid modified UTF-7 stays as it is.
std::string DecodeModifiedUtf7(std::string_view name);
// INTERNALDATE "17-Jul-1996 02:44:25 -0700" as seconds since 1970.
std::optional<std::int64_t> ParseInternalDate(std::string_view text);
// A Date header ("Tue, 1 Jul 2003 10:52:37 +0200", with the obsolete forms
// of zones and years) as seconds since 1970.
std::optional<std::int64_t> ParseDateHeader(std::string_view text);
// A header field's value from a header block, unfolded; nothing without it.
std::optional<std::string> HeaderField(std::string_view header, std::string_view name);

}  // namespace mapidove
