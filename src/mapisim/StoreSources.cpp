#include "StoreSources.h"

#include <algorithm>
#include <optional>

#include "EntryIds.h"

namespace mapisim {
namespace {

class MailboxSource final : public TableSource {
 public:
  MailboxSource(Db db, std::int64_t serverId) : db_(std::move(db)), serverId_(serverId) {}

  // Counted once: QueryRows asks for every batch, and counting 100,000 rows
  // each time would cost more than reading them.
  ULONG Count() override {
    if (!count_) count_ = static_cast<ULONG>(db_->CountMailboxes(serverId_));
    return *count_;
  }

  void Read(ULONG position, ULONG count, RowBatch& out) override {
    out.Reserve(count, count * 10);
    while (count > 0) {
      if (!window_ || position < windowStart_ || position >= windowStart_ + window_->rows.size()) {
        window_ = std::make_shared<const orgdb::MailboxWindow>(
            db_->MailboxTableWindow(serverId_, position, kWindow));
        windowStart_ = position;
        if (window_->rows.empty()) return;
      }
      out.HoldShared(window_);
      const std::size_t first = position - windowStart_;
      const std::size_t n = std::min<std::size_t>(count, window_->rows.size() - first);
      for (std::size_t i = first; i < first + n; ++i) Emit(*window_, window_->rows[i], out);
      position += static_cast<ULONG>(n);
      count -= static_cast<ULONG>(n);
    }
  }

  std::vector<ULONG> DefaultColumns() const override {
    return {PR_EMAIL_ADDRESS,         PR_DISPLAY_NAME,     PR_NT_USER_NAME,
            PR_MESSAGE_SIZE_EXTENDED, PR_CONTENT_COUNT,    PR_ASSOC_CONTENT_COUNT,
            PR_LAST_LOGON_TIME,       PR_LAST_LOGOFF_TIME, PR_STORAGE_LIMIT_INFORMATION};
  }

 private:
  // Rows are read from the database a window at a time: fewer, larger reads
  // cost less than one per QueryRows batch, and a window is still a small
  // part of a large table.
  static constexpr std::int64_t kWindow = 256;

  static void Emit(const orgdb::MailboxWindow& w, const orgdb::MailboxWindow::Row& m,
                   RowBatch& out) {
    out.StartRow();
    if (m.emailAddress) out.Add(TextCell(PR_EMAIL_ADDRESS, w[*m.emailAddress]));
    if (m.displayName) out.Add(TextCell(PR_DISPLAY_NAME, w[*m.displayName]));
    if (m.ntUserName) out.Add(TextCell(PR_NT_USER_NAME, w[*m.ntUserName]));
    if (m.messageSize) {
      out.Add(I8Cell(PR_MESSAGE_SIZE_EXTENDED, *m.messageSize));
      out.Add(LongCell(PR_MESSAGE_SIZE, static_cast<std::int32_t>(*m.messageSize & 0xFFFFFFFF)));
    }
    if (m.contentCount) out.Add(LongCell(PR_CONTENT_COUNT, *m.contentCount));
    if (m.assocContentCount) out.Add(LongCell(PR_ASSOC_CONTENT_COUNT, *m.assocContentCount));
    if (m.lastLogonTime) out.Add(TimeCell(PR_LAST_LOGON_TIME, *m.lastLogonTime));
    if (m.lastLogoffTime) out.Add(TimeCell(PR_LAST_LOGOFF_TIME, *m.lastLogoffTime));
    if (m.storageLimit)
      out.Add(LongCell(PR_STORAGE_LIMIT_INFORMATION, static_cast<std::int32_t>(*m.storageLimit)));
  }

  Db db_;
  std::int64_t serverId_;
  std::optional<ULONG> count_;
  std::shared_ptr<const orgdb::MailboxWindow> window_;
  std::size_t windowStart_ = 0;
};

class ContentsSource final : public TableSource {
 public:
  ContentsSource(Db db, std::int64_t folderId) : db_(std::move(db)), folderId_(folderId) {}

  ULONG Count() override {
    if (!count_) count_ = static_cast<ULONG>(db_->CountMessages(folderId_));
    return *count_;
  }

  void Read(ULONG position, ULONG count, RowBatch& out) override {
    if (order_ != Order::Descending) {
      Emit(out.Hold(db_->MessageBatch(folderId_, position, count, order_ == Order::Ascending)),
           out);
      return;
    }
    // Descending submit time is the ascending order read from the end.
    const std::int64_t total = Count();
    const std::int64_t end = total - static_cast<std::int64_t>(position);
    if (end <= 0) return;
    const std::int64_t start = std::max<std::int64_t>(0, end - static_cast<std::int64_t>(count));
    auto rows = db_->MessageBatch(folderId_, start, end - start, true);
    std::reverse(rows.begin(), rows.end());
    Emit(out.Hold(std::move(rows)), out);
  }

  std::vector<ULONG> DefaultColumns() const override { return ContentsColumns(); }

  bool SortNatively(std::span<const SortKey> keys) override {
    if (keys.empty()) {
      order_ = Order::Natural;
      return true;
    }
    if (keys.size() == 1 && keys[0].tag == PR_CLIENT_SUBMIT_TIME) {
      order_ = keys[0].descending ? Order::Descending : Order::Ascending;
      return true;
    }
    return false;
  }

 private:
  enum class Order { Natural, Ascending, Descending };

  void Emit(const std::vector<orgdb::Message>& rows, RowBatch& out) const {
    for (const auto& m : rows) {
      out.StartRow();
      out.Add(BinaryCell(PR_ENTRYID, out.Keep(EncodeEntryId(EntryId{
                                         EntryKind::Message, folderId_, m.id, 0, {}, {}}))));
      out.Add(BoolCell(PR_HASATTACH, m.hasAttachment));
      if (m.subject) out.Add(TextCell(PR_SUBJECT, *m.subject));
      out.Add(LongCell(PR_MESSAGE_SIZE, static_cast<std::int32_t>(m.size)));
      if (m.deliveryTime) out.Add(TimeCell(PR_MESSAGE_DELIVERY_TIME, *m.deliveryTime));
      if (m.submitTime) out.Add(TimeCell(PR_CLIENT_SUBMIT_TIME, *m.submitTime));
    }
  }

  Db db_;
  std::int64_t folderId_;
  Order order_ = Order::Natural;
  std::optional<ULONG> count_;
};

}  // namespace

std::unique_ptr<TableSource> MakeMailboxSource(Db db, std::int64_t serverId) {
  return std::make_unique<MailboxSource>(std::move(db), serverId);
}

std::unique_ptr<TableSource> MakeContentsSource(Db db, std::int64_t folderId) {
  return std::make_unique<ContentsSource>(std::move(db), folderId);
}

std::vector<ULONG> ContentsColumns() {
  return {PR_ENTRYID,           PR_HASATTACH, PR_SUBJECT, PR_MESSAGE_SIZE, PR_MESSAGE_DELIVERY_TIME,
          PR_CLIENT_SUBMIT_TIME};
}

}  // namespace mapisim
