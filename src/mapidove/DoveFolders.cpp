// The stores' contents: a mailbox's folders (read once per reader) and a
// folder's messages (read a batch at a time).
#include <algorithm>
#include <future>
#include <iterator>
#include <numeric>

#include "AnsiText.h"
#include "DoveOrgReader.h"
#include "ServerRead.h"

namespace mapidove {

template <class F>
auto DoveOrgReader::FromStore(std::unique_ptr<StoreReader>& slot, const std::string& user,
                              F&& read) const {
  const bool kept = slot && slot->user() == user;
  auto attempt = [&] {
    try {
      if (!slot || slot->user() != user) {
        slot.reset();  // one session at a time: the old one goes first
        slot = std::make_unique<StoreReader>(ImapLoginOf(server_), user);
      }
      return read(*slot);
    } catch (...) {
      slot.reset();  // the session may be in any state now
      throw;
    }
  };
  return FromServer([&] {
    try {
      return attempt();
    } catch (const TransportError&) {
      // The server ends idle sessions (after 30 minutes by default): a
      // session kept from before is opened once more.
      if (!kept) throw;
      return attempt();
    }
  });
}

// Dovecot serves each IMAP session in a process of its own: the two halves
// of a large set, read side by side, take about half as long on a server
// with more than one core.
template <class F>
std::vector<MessageInfo> DoveOrgReader::ReadSequences(const FolderNode& node,
                                                      std::vector<std::uint32_t> ascending,
                                                      F read) const {
  auto readSet = [&](std::unique_ptr<StoreReader>& slot, const std::vector<std::uint32_t>& set) {
    return FromStore(slot, node.user,
                     [&](StoreReader& store) { return read(store, node.name, SequenceSet(set)); });
  };
  if (ascending.size() < sideBySideFrom_) return readSet(store_, ascending);
  const std::vector<std::uint32_t> second(ascending.begin() + ascending.size() / 2,
                                          ascending.end());
  ascending.resize(ascending.size() / 2);
  auto side = std::async(std::launch::async, [&] { return readSet(sideStore_, second); });
  std::vector<MessageInfo> messages;
  try {
    messages = readSet(store_, ascending);
  } catch (...) {
    side.wait();
    throw;
  }
  std::vector<MessageInfo> rest = side.get();
  messages.insert(messages.end(), std::make_move_iterator(rest.begin()),
                  std::make_move_iterator(rest.end()));
  return messages;
}

std::optional<orgdb::Folder> DoveOrgReader::TopFolder(std::int64_t mailboxId) const {
  std::lock_guard lock(mutex_);
  if (auto top = folders_.TopOf(mailboxId)) return folders_.Find(*top)->folder;
  const User* u = UserById(mailboxId);
  if (!u) return std::nullopt;
  std::vector<FolderInfo> folders =
      FromStore(store_, u->name, [](StoreReader& store) { return store.Folders(); });
  const char separator = folders.empty() ? server_.settings.separator : folders[0].separator;
  return folders_.Find(folders_.Add(mailboxId, u->name, folders, separator))->folder;
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
  auto range = [](std::int64_t from, std::int64_t to) {  // positions [from, to) as sequence numbers
    std::vector<std::uint32_t> numbers(
        static_cast<std::size_t>(std::max<std::int64_t>(to - from, 0)));
    std::iota(numbers.begin(), numbers.end(), static_cast<std::uint32_t>(from + 1));
    return numbers;
  };
  const auto messages = [](StoreReader& store, const std::string& folder, const std::string& set) {
    return store.FetchMessages(folder, set);
  };
  if (!bySubmitTime) return Messages(node, ReadSequences(node, range(position, end), messages));
  // By sent date: the order is read once, then each batch fetched by its
  // sequence numbers, which come back in mailbox order.
  if (!node.bySentDate) {
    std::vector<MessageInfo> dates =
        ReadSequences(node, range(0, node.folder.contentCount),
                      [](StoreReader& store, const std::string& folder, const std::string& set) {
                        return store.FetchSentDates(folder, set);
                      });
    std::stable_sort(dates.begin(), dates.end(), [](const MessageInfo& a, const MessageInfo& b) {
      return a.sentDate < b.sentDate;
    });
    std::vector<std::uint32_t> order;
    order.reserve(dates.size());
    for (const MessageInfo& m : dates) order.push_back(m.sequence);
    node.bySentDate = std::move(order);
  }
  const auto& order = *node.bySentDate;
  if (position >= static_cast<std::int64_t>(order.size())) return {};
  std::vector<std::uint32_t> wanted(order.begin() + position,
                                    order.begin() + std::min<std::int64_t>(end, order.size()));
  std::vector<std::uint32_t> ascending = wanted;
  std::sort(ascending.begin(), ascending.end());
  std::vector<MessageInfo> fetched = ReadSequences(node, ascending, messages);
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
