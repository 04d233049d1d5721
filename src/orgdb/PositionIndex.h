// Positions of items found by the hash of their key, for readers that keep a
// whole table in memory: an open-addressed table of 8-byte slots, a fraction
// of a node-based map's memory and one or two probes a lookup. The caller
// keeps the items and their keys; a lookup hands back every position added
// under the same hash, and a few others, for the caller to compare keys.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orgdb {

class PositionIndex {
 public:
  // Forgets every position and makes room for `count` of them.
  void Reset(std::size_t count) {
    std::size_t size = 16;
    while (size < count + count / 2) size *= 2;
    slots_.assign(size, Slot{});
    slots_.shrink_to_fit();
    mask_ = size - 1;
  }

  // Adds `position` under `hash`; at most as many as Reset made room for.
  void Add(std::uint64_t hash, std::uint32_t position) {
    std::size_t i = Start(hash);
    while (slots_[i].position != kEmpty) i = (i + 1) & mask_;
    slots_[i] = Slot{Tag(hash), position};
  }

  // Calls visit(position) for the positions that may have been added under
  // `hash`. Those added under the same hash come in the order they were
  // added: a later one always lies further along the same probe.
  template <class Visit>
  void Probe(std::uint64_t hash, Visit visit) const {
    if (slots_.empty()) return;
    for (std::size_t i = Start(hash); slots_[i].position != kEmpty; i = (i + 1) & mask_)
      if (slots_[i].tag == Tag(hash)) visit(slots_[i].position);
  }

 private:
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
  struct Slot {
    std::uint32_t tag = 0;  // the hash's high half, to pass over most others unread
    std::uint32_t position = kEmpty;
  };
  static std::uint32_t Tag(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32); }
  // The high half mixed in: the low bits of some hashes vary little.
  std::size_t Start(std::uint64_t hash) const {
    return static_cast<std::size_t>(hash ^ (hash >> 32)) & mask_;
  }

  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
};

// FNV-1a over bytes, each passed through `fold` first.
template <class Fold>
std::uint64_t HashBytes(const void* data, std::size_t size, Fold fold) {
  const auto* p = static_cast<const unsigned char*>(data);
  std::uint64_t h = 14695981039346656037ull;
  for (std::size_t i = 0; i < size; ++i) h = (h ^ fold(p[i])) * 1099511628211ull;
  return h;
}

}  // namespace orgdb
