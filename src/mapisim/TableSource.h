// Where a table's rows come from. The table engine (Table.h) does columns,
// cursor, restriction and sort for every table the same way; a source only
// counts and reads rows in its own order. Large sources stream: they read
// from the organisation database a window at a time and never hold the
// whole table.
#pragma once

#include <deque>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "PropValues.h"
#include "Restriction.h"

namespace mapisim {

// Rows as property values, back to back; the texts they view belong to the
// batch (Keep, Hold) or to the source's storage.
class RowBatch {
 public:
  // Empties the batch but keeps its storage for the next one.
  void Clear() {
    cells_.clear();
    starts_.clear();
    kept_.clear();
    held_.clear();
  }
  void Reserve(std::size_t rows, std::size_t cells) {
    starts_.reserve(starts_.size() + rows);
    cells_.reserve(cells_.size() + cells);
  }
  void StartRow() { starts_.push_back(cells_.size()); }
  void Add(const PropCell& cell) { cells_.push_back(cell); }
  std::size_t Rows() const { return starts_.size(); }
  std::span<const PropCell> Row(std::size_t i) const {
    const std::size_t end = i + 1 < starts_.size() ? starts_[i + 1] : cells_.size();
    return std::span<const PropCell>(cells_.data() + starts_[i], end - starts_[i]);
  }
  // Bytes that live as long as the batch.
  std::string_view Keep(std::string bytes) {
    kept_.push_back(std::move(bytes));
    return kept_.back();
  }
  // Storage (read from the database) that the batch's rows view.
  template <class T>
  const T& Hold(T value) {
    auto p = std::make_shared<T>(std::move(value));
    held_.push_back(p);
    return *p;
  }
  // The same for storage already shared, which is kept without a copy.
  void HoldShared(std::shared_ptr<const void> shared) { held_.push_back(std::move(shared)); }

 private:
  std::vector<PropCell> cells_;
  std::vector<std::size_t> starts_;
  std::deque<std::string> kept_;
  std::vector<std::shared_ptr<const void>> held_;
};

class TableSource {
 public:
  virtual ~TableSource() = default;
  virtual ULONG Count() = 0;
  // Appends rows [position, position + count) in the source's current
  // order; fewer at the end.
  virtual void Read(ULONG position, ULONG count, RowBatch& out) = 0;
  // The columns a table shows before SetColumns.
  virtual std::vector<ULONG> DefaultColumns() const = 0;
  // Asks the source to deliver this order itself (empty: its natural
  // order). False when it cannot; the engine then sorts.
  virtual bool SortNatively(std::span<const SortKey> keys) { return keys.empty(); }
};

// A source over rows held in memory (the small tables: stores, folders of
// one level, profiles, services, address-book containers).
class FixedSource final : public TableSource {
 public:
  FixedSource(std::vector<OwnedRow> rows, std::vector<ULONG> defaultColumns)
      : rows_(std::move(rows)), defaultColumns_(std::move(defaultColumns)) {}
  ULONG Count() override { return static_cast<ULONG>(rows_.size()); }
  void Read(ULONG position, ULONG count, RowBatch& out) override {
    for (ULONG i = position; i < rows_.size() && i - position < count; ++i) {
      out.StartRow();
      for (const auto& p : rows_[i]) out.Add(p.View());
    }
  }
  std::vector<ULONG> DefaultColumns() const override { return defaultColumns_; }

 private:
  std::vector<OwnedRow> rows_;
  std::vector<ULONG> defaultColumns_;
};

}  // namespace mapisim
