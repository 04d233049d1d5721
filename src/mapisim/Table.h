// IMAPITable over any TableSource: the one table engine of the library.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Restriction.h"
#include "SimObject.h"
#include "TableSource.h"

namespace mapisim {

class Table final : public SimObject<IMAPITable> {
 public:
  // `kind` names the table for faults ("mailbox", "contents", ...);
  // `component` is the provider named in its error records.
  static IMAPITable* Create(std::string kind, const char* component,
                            std::unique_ptr<TableSource> source);

  const std::string& Kind() const { return kind_; }

  HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) override;
  HRESULT SetColumns(LPSPropTagArray lpPropTagArray, ULONG ulFlags) override;
  HRESULT GetRowCount(ULONG ulFlags, ULONG* lpulCount) override;
  HRESULT SeekRow(BOOKMARK bkOrigin, LONG lRowCount, LONG* lplRowsSought) override;
  HRESULT Restrict(LPSRestriction lpRestriction, ULONG ulFlags) override;
  HRESULT SortTable(LPSSortOrderSet lpSortCriteria, ULONG ulFlags) override;
  HRESULT QueryRows(LONG lRowCount, ULONG ulFlags, LPSRowSet* lppRows) override;

 protected:
  bool Implements(REFIID riid) const override { return riid == IID_IMAPITable; }
  const char* QueryInterfaceCall() const override { return "IMAPITable::QueryInterface"; }
  std::string FaultMatch() const override { return kind_; }

 private:
  Table(std::string kind, const char* component, std::unique_ptr<TableSource> source);
  ~Table() override = default;

  ULONG Count();
  void ReadRows(ULONG position, ULONG count, RowBatch& out);
  // Chooses between reading the source directly and a materialised,
  // filtered and sorted view, after the restriction or the sort changed.
  void Rebuild();
  SCODE MakeRowSet(const RowBatch& batch, const std::vector<Alteration>& alterations,
                   LPSRowSet* out) const;

  std::string kind_;
  const char* component_;
  std::unique_ptr<TableSource> source_;
  std::vector<ULONG> columns_;
  std::optional<CompiledRestriction> restriction_;
  std::vector<SortKey> sort_;
  ULONG cursor_ = 0;
  RowBatch scratch_;  // reused by QueryRows: its rows are copied out before it is refilled

  bool direct_ = true;
  bool loaded_ = false;
  std::vector<OwnedRow> all_;                    // every row in natural order, once materialised
  std::vector<std::vector<PropCell>> allCells_;  // all_'s rows as values, made once with all_
  std::vector<std::uint32_t> view_;              // indexes into all_ after restriction and sort
};

}  // namespace mapisim
