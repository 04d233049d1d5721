// A mailbox store opened with administrator privilege: an IMAP session
// logged in as the mailbox's user through the master user, read-only. It
// gives the folders with their counts and sizes and a folder's messages,
// asked for by sequence numbers so that a large folder is read in batches.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ImapSession.h"
#include "MailItems.h"

namespace mapidove {

class StoreReader {
 public:
  StoreReader(const ImapLogin& login, std::string user) : session_(login, std::move(user)) {}

  const std::string& user() const { return session_.user(); }

  // Every folder in the server's order, names as the server gives them
  // (modified UTF-7), levels without messages of their own included.
  std::vector<FolderInfo> Folders();
  // The messages of an IMAP sequence set ("1:50", "3,9,12"), in mailbox order.
  std::vector<MessageInfo> FetchMessages(const std::string& folder, const std::string& sequenceSet);
  // The same with only their sequence numbers and sent dates: what sorting
  // a folder by sent date needs, without the rest of each message.
  std::vector<MessageInfo> FetchSentDates(const std::string& folder,
                                          const std::string& sequenceSet);

 private:
  // Opens `folder` read-only unless it is open already.
  void Examine(const std::string& folder);
  std::vector<MessageInfo> Fetch(const std::string& folder, const std::string& sequenceSet,
                                 std::string_view items);

  // Keeps the open folder's message count as the server reports it.
  void Untagged(std::string_view response);

  ImapSession session_;
  std::string examined_;
  bool isExamined_ = false;
  std::uint32_t exists_ = 0;  // messages in the open folder
};

}  // namespace mapidove
