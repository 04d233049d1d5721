#include "FolderIndex.h"

#include "ImapParse.h"

#include <algorithm>

#include "AnsiText.h"

namespace mapidove {
namespace {

// PR_URL_NAME levels are joined by "/"; a "/" inside a level is escaped.
std::string UrlLevel(const std::string& level) {
  std::string out;
  for (char c : level) {
    if (c == '/')
      out += "%2F";
    else
      out.push_back(c);
  }
  return out;
}

}  // namespace

std::int64_t FolderIndex::AddNode(FolderNode node, std::optional<std::int64_t> parent) {
  const auto id = static_cast<std::int64_t>(nodes_.size()) + 1;
  node.folder.id = id;
  node.folder.parentId = parent;
  if (parent) {
    FolderNode& p = nodes_[static_cast<std::size_t>(*parent - 1)];
    node.folder.position = static_cast<std::int64_t>(p.children.size());
    p.children.push_back(id);
    p.folder.subfolders = true;
  }
  nodes_.push_back(std::move(node));
  return id;
}

std::int64_t FolderIndex::Add(std::int64_t mailboxId, const std::string& user,
                              const std::vector<FolderInfo>& folders, char separator) {
  FolderNode top;
  top.user = user;
  top.folder.mailboxId = mailboxId;
  top.folder.displayName = "Top of Information Store";
  const std::int64_t topId = AddNode(std::move(top), std::nullopt);
  tops_[mailboxId] = topId;

  std::map<std::string, std::int64_t> byName;  // Dovecot name -> id
  // The id of a folder by its full name, adding it and its missing parents.
  auto ensure = [&](const std::string& name, auto& self) -> std::int64_t {
    if (auto it = byName.find(name); it != byName.end()) return it->second;
    const auto cut = name.rfind(separator);
    const std::int64_t parent = cut == std::string::npos ? topId : self(name.substr(0, cut), self);
    const FolderNode& p = nodes_[static_cast<std::size_t>(parent - 1)];
    FolderNode node;
    node.user = user;
    node.name = name;
    node.folder.mailboxId = mailboxId;
    const std::string leaf =
        Utf8ToAnsi(DecodeModifiedUtf7(cut == std::string::npos ? name : name.substr(cut + 1)));
    node.folder.displayName = leaf;
    node.folder.urlName = p.folder.urlName + "/" + UrlLevel(leaf);
    const std::int64_t id = AddNode(std::move(node), parent);
    byName[name] = id;
    return id;
  };
  for (const FolderInfo& f : folders) {
    if (f.name.empty()) continue;
    FolderNode& node = nodes_[static_cast<std::size_t>(ensure(f.name, ensure) - 1)];
    node.selectable = f.selectable;
    node.folder.contentCount = static_cast<std::int32_t>(f.messages);
    node.folder.messageSize = static_cast<std::uint64_t>(f.size);
  }
  return topId;
}

FolderNode* FolderIndex::Find(std::int64_t id) {
  if (id < 1 || id > static_cast<std::int64_t>(nodes_.size())) return nullptr;
  return &nodes_[static_cast<std::size_t>(id - 1)];
}

std::optional<std::int64_t> FolderIndex::TopOf(std::int64_t mailboxId) const {
  auto it = tops_.find(mailboxId);
  if (it == tops_.end()) return std::nullopt;
  return it->second;
}

std::string SequenceSet(std::vector<std::uint32_t> numbers) {
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  std::string set;
  for (std::size_t i = 0; i < numbers.size();) {
    std::size_t j = i;
    while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1) ++j;
    if (!set.empty()) set += ',';
    set += std::to_string(numbers[i]);
    if (j > i) set += ':' + std::to_string(numbers[j]);
    i = j + 1;
  }
  return set;
}

}  // namespace mapidove
