#include "MailboxColumns.h"

#include "DateTimeText.h"
#include "NumberText.h"

namespace core {

std::string MailboxCellText(const core::acTableContent& record, int column) {
  if (column < 0 || column >= kMailboxListColumns) return {};
  const MailboxColumn& c = kMailboxColumnsShown[column];
  switch (c.kind) {
    case ColumnKind::Text:
      return record.*c.text;
    case ColumnKind::Kilobytes:
      return core::KilobytesText(static_cast<double>(record.*c.number));
    case ColumnKind::Count:
      return core::GroupedCountText(static_cast<double>(record.*c.number));
    case ColumnKind::Time:
      return core::DateTimeText(record.*c.time);
  }
  return {};
}

}  // namespace core
