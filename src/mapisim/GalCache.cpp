#include "GalCache.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "PositionIndex.h"

namespace mapisim {
namespace {

// Texts in blocks that never move, so that entries can point into them: a
// whole list of full entries, or even one allocation per entry, would cost
// several times the memory of the rest of a large run.
class TextBlocks {
 public:
  // `text`'s bytes, where they stay until Clear.
  const char* Keep(std::string_view text) {
    if (text.size() > room_) {
      const std::size_t size = std::max(text.size(), kBlockSize);
      blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
      next_ = blocks_.back().get();
      room_ = size;
    }
    char* at = next_;
    if (!text.empty()) std::memcpy(at, text.data(), text.size());
    next_ += text.size();
    room_ -= text.size();
    return at;
  }
  void Clear() {
    blocks_.clear();
    next_ = nullptr;
    room_ = 0;
  }

 private:
  static constexpr std::size_t kBlockSize = std::size_t{1} << 20;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* next_ = nullptr;
  std::size_t room_ = 0;
};

struct Packed {
  std::int64_t id = 0;
  const char* text = nullptr;  // display name, alias, address, SID bytes, one after another
  std::uint32_t sidLen = 0;
  std::uint32_t nameLen = 0;
  std::uint32_t aliasLen = 0;
  std::uint32_t addressLen = 0;
  std::uint32_t homeMdb = 0;  // index into the interned texts
  std::uint32_t homeMta = 0;
  bool hasSid = false;
  bool richInfo = true;

  std::string_view Address() const {
    return std::string_view(text + nameLen + aliasLen, addressLen);
  }
};

struct Cache {
  std::mutex mutex;
  std::weak_ptr<const orgdb::OrgReader> db;
  std::uint32_t version = 0;
  bool loaded = false;
  TextBlocks texts;
  std::vector<Packed> entries;  // by id
  // Entry positions by the hash of the folded address: the addresses share
  // long prefixes, so a search that compares them costs more.
  orgdb::PositionIndex byAddress;
  std::vector<std::string> interned;  // home store and MTA texts, few and shared
};

// Created on first use and freed by ShutdownGalCache when the library goes.
std::atomic<Cache*> g_cache{nullptr};

Cache& TheCache() {
  Cache* c = g_cache.load();
  if (c) return *c;
  auto* fresh = new Cache;
  if (g_cache.compare_exchange_strong(c, fresh)) return *fresh;
  delete fresh;
  return *c;
}

unsigned char Fold(char c) {
  return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

// Addresses compare as the database's NOCASE collation has it: ASCII
// letters folded, other bytes as they are.
bool EqualFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

std::uint64_t HashFolded(std::string_view text) {
  return orgdb::HashBytes(text.data(), text.size(), [](unsigned char c) { return Fold(c); });
}

void Load(Cache& c, const Db& db) {
  c.loaded = false;
  c.entries.clear();
  c.texts.Clear();
  c.byAddress.Reset(0);
  c.interned.clear();
  std::unordered_map<std::string, std::uint32_t> index;
  auto intern = [&](const std::string& text) {
    auto [it, fresh] = index.emplace(text, static_cast<std::uint32_t>(c.interned.size()));
    if (fresh) c.interned.push_back(text);
    return it->second;
  };
  std::string text;  // one entry's texts before they are kept
  db->ForEachGalEntry([&](const orgdb::GalEntry& e) {
    Packed p;
    p.id = e.id;
    p.nameLen = static_cast<std::uint32_t>(e.displayName.size());
    p.aliasLen = static_cast<std::uint32_t>(e.alias.size());
    p.addressLen = static_cast<std::uint32_t>(e.address.size());
    text.assign(e.displayName).append(e.alias).append(e.address);
    if (e.ntAccountSid) {
      p.hasSid = true;
      p.sidLen = static_cast<std::uint32_t>(e.ntAccountSid->size());
      text.append(e.ntAccountSid->begin(), e.ntAccountSid->end());
    }
    p.text = c.texts.Keep(text);
    p.homeMdb = intern(e.homeMdb);
    p.homeMta = intern(e.homeMta);
    p.richInfo = e.richInfo;
    c.entries.push_back(std::move(p));
  });
  // The version the read saw, which may be newer than the one checked.
  c.version = db->DataVersion();
  c.entries.shrink_to_fit();
  c.byAddress.Reset(c.entries.size());
  for (std::uint32_t i = 0; i < c.entries.size(); ++i)
    c.byAddress.Add(HashFolded(c.entries[i].Address()), i);
  c.db = db;
  c.loaded = true;
}

// The cache current for `db`, read again when it belongs to another
// database or someone has committed since it was read.
Cache& Current(Cache& c, const Db& db) {
  const std::uint32_t version = db->CurrentDataVersion();
  if (!c.loaded || c.db.lock() != db || version != c.version) {
    try {
      Load(c, db);
    } catch (...) {
      c.loaded = false;
      throw;
    }
  }
  return c;
}

orgdb::GalEntry Unpack(const Cache& c, const Packed& p) {
  const std::size_t sidAt = std::size_t{p.nameLen} + p.aliasLen + p.addressLen;
  const std::string_view text(p.text, sidAt + p.sidLen);
  orgdb::GalEntry e;
  e.id = p.id;
  e.displayName = text.substr(0, p.nameLen);
  e.alias = text.substr(p.nameLen, p.aliasLen);
  e.address = p.Address();
  if (p.hasSid) e.ntAccountSid = orgdb::Bytes(text.begin() + sidAt, text.end());
  e.homeMdb = c.interned[p.homeMdb];
  e.homeMta = c.interned[p.homeMta];
  e.richInfo = p.richInfo;
  return e;
}

}  // namespace

std::vector<orgdb::GalEntry> CachedGalEntriesByAddress(const Db& db, std::string_view address) {
  Cache& c = TheCache();
  std::lock_guard lock(c.mutex);
  Current(c, db);
  std::vector<orgdb::GalEntry> out;
  // Positions of one hash come in the order they were added, which is by id.
  c.byAddress.Probe(HashFolded(address), [&](std::uint32_t at) {
    if (EqualFolded(c.entries[at].Address(), address)) out.push_back(Unpack(c, c.entries[at]));
  });
  return out;
}

std::optional<orgdb::GalEntry> CachedGalEntryById(const Db& db, std::int64_t id) {
  Cache& c = TheCache();
  std::lock_guard lock(c.mutex);
  Current(c, db);
  auto it = std::lower_bound(c.entries.begin(), c.entries.end(), id,
                             [](const Packed& p, std::int64_t v) { return p.id < v; });
  if (it == c.entries.end() || it->id != id) return std::nullopt;
  return Unpack(c, *it);
}

void ShutdownGalCache() {
  delete g_cache.exchange(nullptr);
}

}  // namespace mapisim
