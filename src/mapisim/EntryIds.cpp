#include "EntryIds.h"

#include <cstring>

#include "Allocator.h"

namespace mapisim {
namespace {

// The library's provider UID {5461C2B5-7A3E-4C5D-9B11-0E2D6F4A8C01}.
constexpr unsigned char kProviderUid[16] = {0xB5, 0xC2, 0x61, 0x54, 0x3E, 0x7A, 0x5D, 0x4C,
                                            0x9B, 0x11, 0x0E, 0x2D, 0x6F, 0x4A, 0x8C, 0x01};
constexpr std::size_t kHeader = 4 + 16 + 1;

void PutNumber(std::string& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void PutText(std::string& out, const std::string& text) {
  const auto n = static_cast<std::uint32_t>(text.size());
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
  out += text;
}

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  bool Number(std::int64_t* v) {
    if (bytes_.size() - pos_ < 8) return false;
    std::uint64_t x = 0;
    for (int i = 0; i < 8; ++i)
      x |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes_[pos_ + i])) << (8 * i);
    pos_ += 8;
    *v = static_cast<std::int64_t>(x);
    return true;
  }
  bool Text(std::string* text) {
    if (bytes_.size() - pos_ < 4) return false;
    std::uint32_t n = 0;
    for (int i = 0; i < 4; ++i)
      n |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[pos_ + i])) << (8 * i);
    pos_ += 4;
    if (bytes_.size() - pos_ < n) return false;
    text->assign(bytes_.substr(pos_, n));
    pos_ += n;
    return true;
  }
  bool AtEnd() const { return pos_ == bytes_.size(); }
  void Skip(std::size_t n) { pos_ += n; }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

}  // namespace

std::string EncodeEntryId(const EntryId& id) {
  std::string out(4, '\0');
  out.append(reinterpret_cast<const char*>(kProviderUid), sizeof kProviderUid);
  out.push_back(static_cast<char>(id.kind));
  switch (id.kind) {
    case EntryKind::AdminStore:
      PutNumber(out, id.flags);
      PutText(out, id.storeDn);
      PutText(out, id.mailboxDn);
      break;
    case EntryKind::Folder:
    case EntryKind::Message:
      PutNumber(out, static_cast<std::uint64_t>(id.a));
      PutNumber(out, static_cast<std::uint64_t>(id.b));
      break;
    default:
      PutNumber(out, static_cast<std::uint64_t>(id.a));
      break;
  }
  return out;
}

std::optional<EntryId> DecodeEntryId(std::string_view bytes) {
  if (bytes.size() < kHeader) return std::nullopt;
  for (int i = 0; i < 4; ++i)
    if (bytes[i] != 0) return std::nullopt;
  if (std::memcmp(bytes.data() + 4, kProviderUid, sizeof kProviderUid) != 0) return std::nullopt;
  EntryId id;
  const auto kind = static_cast<unsigned char>(bytes[20]);
  if (kind < 1 || kind > 8) return std::nullopt;
  id.kind = static_cast<EntryKind>(kind);
  Reader r(bytes);
  r.Skip(kHeader);
  bool ok;
  switch (id.kind) {
    case EntryKind::AdminStore: {
      std::int64_t flags = 0;
      ok = r.Number(&flags) && r.Text(&id.storeDn) && r.Text(&id.mailboxDn);
      id.flags = static_cast<std::uint32_t>(flags);
      break;
    }
    case EntryKind::Folder:
    case EntryKind::Message:
      ok = r.Number(&id.a) && r.Number(&id.b);
      break;
    default:
      ok = r.Number(&id.a);
      break;
  }
  if (!ok || !r.AtEnd()) return std::nullopt;
  return id;
}

std::optional<EntryId> DecodeEntryId(ULONG cb, const ENTRYID* entryId) {
  if (!entryId || cb == 0) return std::nullopt;
  return DecodeEntryId(std::string_view(reinterpret_cast<const char*>(entryId), cb));
}

SCODE HandOutEntryId(const std::string& bytes, ULONG* lpcb, LPENTRYID* lppEntryId) {
  void* p = nullptr;
  SCODE sc = AllocateBuffer(static_cast<ULONG>(bytes.size()), &p);
  if (FAILED(sc)) return sc;
  std::memcpy(p, bytes.data(), bytes.size());
  *lpcb = static_cast<ULONG>(bytes.size());
  *lppEntryId = static_cast<LPENTRYID>(p);
  return S_OK;
}

std::string FolderEntryId(std::int64_t mailboxId, std::int64_t folderId) {
  return EncodeEntryId(EntryId{EntryKind::Folder, mailboxId, folderId, 0, {}, {}});
}
std::string MailUserEntryId(std::int64_t galEntryId) {
  return EncodeEntryId(EntryId{EntryKind::MailUser, galEntryId, 0, 0, {}, {}});
}
std::string ContainerEntryId(AbContainerId container) {
  return EncodeEntryId(
      EntryId{EntryKind::AbContainer, static_cast<std::int64_t>(container), 0, 0, {}, {}});
}

}  // namespace mapisim
