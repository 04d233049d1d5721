#include "AccountTable.h"

#include <cstring>

namespace directory {
namespace {

std::uint64_t HashSid(const void* data, std::size_t size) {
  return orgdb::HashBytes(data, size, [](unsigned char c) { return c; });
}

}  // namespace

void AccountTable::Load(const orgdb::OrgReader& db) {
  text_.clear();
  items_.clear();
  bySid_.Reset(0);
  std::string text;
  std::vector<Item> items;
  db.ForEachNtAccount([&](const orgdb::NtAccount& a) {
    items.push_back(Item{text.size(), static_cast<std::uint32_t>(a.sid.size()),
                         static_cast<std::uint32_t>(a.domain.size()),
                         static_cast<std::uint32_t>(a.name.size())});
    text.append(a.sid.begin(), a.sid.end()).append(a.domain).append(a.name);
  });
  text.shrink_to_fit();
  items.shrink_to_fit();
  bySid_.Reset(items.size());
  for (std::uint32_t i = 0; i < items.size(); ++i)
    bySid_.Add(HashSid(text.data() + items[i].at, items[i].sidLen), i);
  text_ = std::move(text);
  items_ = std::move(items);
}

std::optional<AccountView> AccountTable::Find(const orgdb::Bytes& sid) const {
  std::optional<AccountView> found;
  bySid_.Probe(HashSid(sid.data(), sid.size()), [&](std::uint32_t i) {
    const Item& item = items_[i];
    const char* at = text_.data() + item.at;
    if (found || item.sidLen != sid.size() ||
        (!sid.empty() && std::memcmp(at, sid.data(), sid.size()) != 0))
      return;
    at += item.sidLen;
    found = AccountView{std::string_view(at, item.domainLen),
                        std::string_view(at + item.domainLen, item.nameLen)};
  });
  return found;
}

}  // namespace directory
