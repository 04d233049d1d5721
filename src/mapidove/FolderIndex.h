// The folders of the mailboxes a reader has opened, as the MAPI stand-in
// serves them: a top of the information store per mailbox with Dovecot's
// folders below it, each with an id that stays the same for the reader's
// life. Dovecot names folders by their full path; ids are given out here.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "MailItems.h"
#include "OrgReader.h"

namespace mapidove {

struct FolderNode {
  orgdb::Folder folder;  // as served; texts in the ANSI code page
  std::string user;
  std::string name;  // the full name as IMAP gives it; empty for the top
  bool selectable = false;
  std::vector<std::int64_t> children;  // ids, in Dovecot's order
  // Sequence numbers ordered by sent date, read when first asked for.
  std::optional<std::vector<std::uint32_t>> bySentDate;
  // Messages read ahead of the table's small batches: positions [aheadStart, aheadStart +
  // ahead.size()) in the order aheadBySentDate says.
  std::int64_t aheadStart = 0;
  bool aheadBySentDate = false;
  std::vector<orgdb::Message> ahead;
};

class FolderIndex {
 public:
  // Adds a mailbox's folders below a new top and returns the top's id.
  // Levels that Dovecot lists only through their subfolders are added as
  // empty folders.
  std::int64_t Add(std::int64_t mailboxId, const std::string& user,
                   const std::vector<FolderInfo>& folders, char separator);
  FolderNode* Find(std::int64_t id);
  std::optional<std::int64_t> TopOf(std::int64_t mailboxId) const;

 private:
  std::int64_t AddNode(FolderNode node, std::optional<std::int64_t> parent);

  std::vector<FolderNode> nodes_;              // id = position + 1
  std::map<std::int64_t, std::int64_t> tops_;  // mailbox id -> top folder id
};

// Compresses sequence numbers into an IMAP sequence set ("1:3,7,9:10").
std::string SequenceSet(std::vector<std::uint32_t> numbers);

}  // namespace mapidove
