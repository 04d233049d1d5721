// The records a report walks when it is bound to a table instead of being
// fed through its need-data callback.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "Value.h"

namespace reportengine {

class RecordSource {
 public:
  virtual ~RecordSource() = default;
  virtual QStringList FieldNames() const = 0;
  virtual int RowCount() const = 0;
  // `row` in [0, RowCount()), `field` an index into FieldNames().
  virtual Value At(int row, int field) const = 0;
};

// An ordered in-memory table; rows keep the order they were added in.
class MemoryTable final : public RecordSource {
 public:
  explicit MemoryTable(QStringList fields) : fields_(std::move(fields)) {}

  // `row` must have one value per field.
  void AddRow(std::vector<Value> row);

  QStringList FieldNames() const override { return fields_; }
  int RowCount() const override { return static_cast<int>(rows_.size()); }
  Value At(int row, int field) const override { return rows_[row][field]; }

 private:
  QStringList fields_;
  std::vector<std::vector<Value>> rows_;
};

}  // namespace reportengine
