// The stores' contents: a mailbox's folders (read once per reader) and a
// folder's messages (read a batch at a time).
#include <algorithm>
#include <numeric>

#include "AnsiText.h"
#include "DoveOrgReader.h"
#include "ServerRead.h"

namespace mapidove {

std::optional<orgdb::Folder> DoveOrgReader::TopFolder(std::int64_t mailboxId) const {
  std::lock_guard lock(mutex_);
  if (auto top = folders_.TopOf(mailboxId)) return folders_.Find(*top)->folder;
  const User* u = UserById(mailboxId);
  if (!u) return std::nullopt;
  std::vector<FolderInfo> folders = FromServer([&] { return reader_.Folders(u->name); });
  return folders_.Find(folders_.Add(mailboxId, u->name, folders, server_.settings.separator))
      ->folder;
}

std::optional<orgdb::Folder> DoveOrgReader::FolderById(std::int64_t id) const {
  std::lock_guard lock(mutex_);
  const FolderNode* node = folders_.Find(id);
  if (!node) return std::nullopt;
  return node->folder;
}

std::vector<orgdb::Folder> DoveOrgReader::ChildFolders(std::int64_t folderId) const {
  std::lock_guard lock(mutex_);
  std::vector<orgdb::Folder> children;
  if (const FolderNode* node = folders_.Find(folderId))
    for (std::int64_t id : node->children) children.push_back(folders_.Find(id)->folder);
  return children;
}

std::int64_t DoveOrgReader::CountMessages(std::int64_t folderId) const {
  std::lock_guard lock(mutex_);
  const FolderNode* node = folders_.Find(folderId);
  return node ? node->folder.contentCount : 0;
}

std::vector<orgdb::Message> DoveOrgReader::Messages(const FolderNode& node,
                                                    const std::vector<MessageInfo>& infos) const {
  std::vector<orgdb::Message> messages;
  messages.reserve(infos.size());
  for (const MessageInfo& info : infos) {
    orgdb::Message m;
    m.id = info.uid;
    m.folderId = node.folder.id;
    m.subject = DecodeHeaderText(info.subject);
    m.size = static_cast<std::uint32_t>(std::min<std::int64_t>(info.size, 0xFFFFFFFF));
    m.hasAttachment = info.hasAttachment;
    m.deliveryTime = FileTimeOf(info.internalDate);
    if (info.sentDate != 0) m.submitTime = FileTimeOf(info.sentDate);
    messages.push_back(std::move(m));
  }
  return messages;
}

std::vector<orgdb::Message> DoveOrgReader::MessageBatch(std::int64_t folderId,
                                                        std::int64_t position, std::int64_t limit,
                                                        bool bySubmitTime) const {
  std::lock_guard lock(mutex_);
  FolderNode* node = folders_.Find(folderId);
  if (!node || !node->selectable || position < 0 || limit <= 0 ||
      position >= node->folder.contentCount)
    return {};
  const std::int64_t count = node->folder.contentCount;
  const std::int64_t end = std::min<std::int64_t>(position + limit, count);
  const std::int64_t aheadEnd = node->aheadStart + static_cast<std::int64_t>(node->ahead.size());
  const bool sameOrder = node->aheadBySentDate == bySubmitTime;
  // A table starts reading at its first row: then the folder is read afresh.
  if (position == 0 || !sameOrder || position < node->aheadStart || end > aheadEnd) {
    // Forwards from here, or backwards when the table reads from its end.
    const bool backwards = position > 0 && sameOrder && position < node->aheadStart;
    const std::int64_t window = std::max(limit, readAhead_);
    const std::int64_t from = backwards ? std::max<std::int64_t>(0, end - window) : position;
    const std::int64_t to = backwards ? end : std::min<std::int64_t>(position + window, count);
    node->ahead.clear();
    node->ahead = ReadMessages(*node, from, to, bySubmitTime);
    node->aheadStart = from;
    node->aheadBySentDate = bySubmitTime;
  }
  const std::int64_t first = position - node->aheadStart;
  const std::int64_t last =
      std::min<std::int64_t>(end - node->aheadStart, static_cast<std::int64_t>(node->ahead.size()));
  if (first >= last) return {};  // the folder shrank meanwhile
  return {node->ahead.begin() + first, node->ahead.begin() + last};
}

std::vector<orgdb::Message> DoveOrgReader::ReadMessages(FolderNode& node, std::int64_t position,
                                                        std::int64_t end, bool bySubmitTime) const {
  if (!bySubmitTime) {
    const std::string set = std::to_string(position + 1) + ":" + std::to_string(end);
    return Messages(node,
                    FromServer([&] { return reader_.FetchMessages(node.user, node.name, set); }));
  }
  // By sent date: the order is read once, then each batch fetched by its
  // sequence numbers, which come back in mailbox order.
  if (!node.bySentDate) {
    std::vector<std::int64_t> dates =
        FromServer([&] { return reader_.SentDates(node.user, node.name); });
    std::vector<std::uint32_t> order(dates.size());
    std::iota(order.begin(), order.end(), 1u);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return dates[a - 1] < dates[b - 1]; });
    node.bySentDate = std::move(order);
  }
  const auto& order = *node.bySentDate;
  if (position >= static_cast<std::int64_t>(order.size())) return {};
  std::vector<std::uint32_t> wanted(order.begin() + position,
                                    order.begin() + std::min<std::int64_t>(end, order.size()));
  std::vector<MessageInfo> fetched =
      FromServer([&] { return reader_.FetchMessages(node.user, node.name, SequenceSet(wanted)); });
  std::vector<std::uint32_t> ascending = wanted;
  std::sort(ascending.begin(), ascending.end());
  if (fetched.size() != ascending.size()) return Messages(node, fetched);  // changed meanwhile
  std::vector<MessageInfo> sorted;
  sorted.reserve(wanted.size());
  for (std::uint32_t seq : wanted) {
    const auto at = std::lower_bound(ascending.begin(), ascending.end(), seq) - ascending.begin();
    sorted.push_back(std::move(fetched[static_cast<std::size_t>(at)]));
  }
  return Messages(node, sorted);
}

}  // namespace mapidove
