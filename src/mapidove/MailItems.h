// What the server tells of a mailbox, a folder and a message, as both of
// its clients (the admin API and IMAP) read it.
#pragma once

#include <cstdint>
#include <string>

namespace mapidove {

struct MailboxTotals {
  std::int64_t messages = 0;
  std::int64_t size = 0;  // virtual size, bytes
};

struct FolderInfo {
  std::string name;  // full name as IMAP gives it (modified UTF-7), levels joined by the separator
  char separator = '/';
  bool selectable = true;  // false for a level that only holds other folders
  std::int64_t messages = 0;
  std::int64_t size = 0;  // virtual size, bytes
};

struct MessageInfo {
  std::uint32_t sequence = 0;  // position in the folder, from 1
  std::uint32_t uid = 0;
  std::int64_t size = 0;          // RFC822.SIZE: the virtual size, bytes
  std::int64_t internalDate = 0;  // seconds since 1970, UTC
  std::int64_t sentDate = 0;      // the Date header, seconds since 1970, UTC; 0 without one
  std::string subject;            // the header as sent, encoded words undecoded
  bool hasAttachment = false;
};

}  // namespace mapidove
