#include "Table.h"

#include <algorithm>
#include <cstring>

#include "Allocator.h"

namespace mapisim {

namespace {
constexpr ULONG kMaterialiseChunk = 1000;
}  // namespace

IMAPITable* Table::Create(std::string kind, const char* component,
                          std::unique_ptr<TableSource> source) {
  return new Table(std::move(kind), component, std::move(source));
}

Table::Table(std::string kind, const char* component, std::unique_ptr<TableSource> source)
    : kind_(std::move(kind)), component_(component), source_(std::move(source)) {
  columns_ = source_->DefaultColumns();
}

HRESULT Table::GetLastError(HRESULT, ULONG ulFlags, LPMAPIERROR* lppMAPIError) {
  return HandOutLastError("IMAPITable::GetLastError", kind_, ulFlags, lppMAPIError);
}

HRESULT Table::SetColumns(LPSPropTagArray lpPropTagArray, ULONG ulFlags) {
  if (auto hr = Fault("IMAPITable::SetColumns", kind_, ulFlags)) return *hr;
  return Guarded(component_, [&]() -> HRESULT {
    if (!ValidTagArray(lpPropTagArray))
      return Fail(MAPI_E_INVALID_PARAMETER, "The column set is empty or malformed.", component_);
    columns_.assign(lpPropTagArray->aulPropTag,
                    lpPropTagArray->aulPropTag + lpPropTagArray->cValues);
    return S_OK;
  });
}

HRESULT Table::GetRowCount(ULONG ulFlags, ULONG* lpulCount) {
  if (lpulCount) *lpulCount = 0;
  if (auto hr = Fault("IMAPITable::GetRowCount", kind_, ulFlags)) return *hr;
  return Guarded(component_, [&]() -> HRESULT {
    if (!lpulCount) return MAPI_E_INVALID_PARAMETER;
    std::int64_t count = Count();
    for (const Alteration& a : CheckAlterations("IMAPITable::GetRowCount", kind_, ulFlags))
      if (a.action == "offset") count = std::max<std::int64_t>(count + a.number, 0);
    *lpulCount = static_cast<ULONG>(count);
    return S_OK;
  });
}

HRESULT Table::SeekRow(BOOKMARK bkOrigin, LONG lRowCount, LONG* lplRowsSought) {
  if (lplRowsSought) *lplRowsSought = 0;
  if (auto hr = Fault("IMAPITable::SeekRow", kind_, 0)) return *hr;
  return Guarded(component_, [&]() -> HRESULT {
    const std::int64_t count = Count();
    std::int64_t base;
    if (bkOrigin == BOOKMARK_BEGINNING)
      base = 0;
    else if (bkOrigin == BOOKMARK_CURRENT)
      base = std::min<std::int64_t>(cursor_, count);
    else if (bkOrigin == BOOKMARK_END)
      base = count;
    else
      return Fail(MAPI_E_INVALID_BOOKMARK, "The bookmark does not exist.", component_);
    const std::int64_t target = std::clamp<std::int64_t>(base + lRowCount, 0, count);
    cursor_ = static_cast<ULONG>(target);
    if (lplRowsSought) *lplRowsSought = static_cast<LONG>(target - base);
    return S_OK;
  });
}

HRESULT Table::Restrict(LPSRestriction lpRestriction, ULONG ulFlags) {
  if (auto hr = Fault("IMAPITable::Restrict", kind_, ulFlags)) return *hr;
  return Guarded(component_, [&]() -> HRESULT {
    if (!lpRestriction) {
      restriction_.reset();
    } else {
      CompiledRestriction compiled;
      HRESULT hr = CompileRestriction(lpRestriction, &compiled);
      if (FAILED(hr))
        return Fail(hr,
                    hr == MAPI_E_TOO_COMPLEX ? "The restriction is too complex for this table."
                                             : "The restriction is malformed.",
                    component_);
      restriction_ = std::move(compiled);
    }
    Rebuild();
    cursor_ = 0;
    return S_OK;
  });
}

HRESULT Table::SortTable(LPSSortOrderSet lpSortCriteria, ULONG ulFlags) {
  if (auto hr = Fault("IMAPITable::SortTable", kind_, ulFlags)) return *hr;
  return Guarded(component_, [&]() -> HRESULT {
    if (!lpSortCriteria || lpSortCriteria->cSorts > kMaxCallerCount)
      return Fail(MAPI_E_INVALID_PARAMETER, "The sort order is malformed.", component_);
    if (lpSortCriteria->cCategories > 0)
      return Fail(MAPI_E_TOO_COMPLEX, "This table cannot be categorised.", component_);
    std::vector<SortKey> keys;
    for (ULONG i = 0; i < lpSortCriteria->cSorts; ++i) {
      const SSortOrder& s = lpSortCriteria->aSort[i];
      if (PROP_TYPE(s.ulPropTag) & MV_FLAG)
        return Fail(MAPI_E_TOO_COMPLEX, "Multi-valued sort keys are not supported.", component_);
      keys.push_back(SortKey{s.ulPropTag, (s.ulOrder & TABLE_SORT_DESCEND) != 0});
    }
    sort_ = std::move(keys);
    Rebuild();
    cursor_ = 0;
    return S_OK;
  });
}

HRESULT Table::QueryRows(LONG lRowCount, ULONG ulFlags, LPSRowSet* lppRows) {
  if (lppRows) *lppRows = nullptr;
  if (auto hr = Fault("IMAPITable::QueryRows", kind_, ulFlags)) return *hr;
  return Guarded(component_, [&]() -> HRESULT {
    if (!lppRows || lRowCount == 0)
      return Fail(MAPI_E_INVALID_PARAMETER, "No rows were asked for.", component_);
    const ULONG count = Count();
    const ULONG here = std::min(cursor_, count);
    ULONG first, n;
    if (lRowCount > 0) {
      first = here;
      n = std::min<ULONG>(static_cast<ULONG>(lRowCount), count - here);
    } else {
      // Backwards: the rows before the cursor, returned in table order.
      const ULONG back =
          std::min<ULONG>(static_cast<ULONG>(-static_cast<std::int64_t>(lRowCount)), here);
      first = here - back;
      n = back;
    }
    scratch_.Clear();
    if (n > 0) ReadRows(first, n, scratch_);
    SCODE sc =
        MakeRowSet(scratch_, CheckAlterations("IMAPITable::QueryRows", kind_, ulFlags), lppRows);
    scratch_.Clear();
    if (FAILED(sc)) return Fail(sc, "Not enough memory for the rows.", component_);
    const ULONG got = (*lppRows)->cRows;
    if (!(ulFlags & TBL_NOADVANCE)) cursor_ = lRowCount > 0 ? first + got : first;
    return S_OK;
  });
}

ULONG Table::Count() {
  return direct_ ? source_->Count() : static_cast<ULONG>(view_.size());
}

void Table::ReadRows(ULONG position, ULONG count, RowBatch& out) {
  if (direct_) {
    source_->Read(position, count, out);
    return;
  }
  for (ULONG i = position; i < view_.size() && i - position < count; ++i) {
    out.StartRow();
    for (const PropCell& c : allCells_[view_[i]]) out.Add(c);
  }
}

void Table::Rebuild() {
  if (!restriction_ && source_->SortNatively(sort_)) {
    direct_ = true;
    all_.clear();
    all_.shrink_to_fit();
    allCells_.clear();
    allCells_.shrink_to_fit();
    view_.clear();
    loaded_ = false;
    return;
  }
  if (!loaded_) {
    source_->SortNatively({});
    all_.clear();
    const ULONG total = source_->Count();
    for (ULONG pos = 0; pos < total; pos += kMaterialiseChunk) {
      RowBatch batch;
      source_->Read(pos, kMaterialiseChunk, batch);
      if (batch.Rows() == 0) break;
      for (std::size_t r = 0; r < batch.Rows(); ++r) {
        OwnedRow row;
        for (const auto& c : batch.Row(r)) row.emplace_back(c);
        all_.push_back(std::move(row));
      }
    }
    // The rows no longer change, so the values that view them stay valid.
    allCells_.clear();
    allCells_.reserve(all_.size());
    for (const OwnedRow& row : all_) allCells_.push_back(Views(row));
    loaded_ = true;
  }
  view_.clear();
  for (std::uint32_t i = 0; i < all_.size(); ++i)
    if (!restriction_ || Evaluate(*restriction_, allCells_[i])) view_.push_back(i);
  if (!sort_.empty())
    std::stable_sort(view_.begin(), view_.end(), [&](std::uint32_t a, std::uint32_t b) {
      return CompareRows(allCells_[a], allCells_[b], sort_) < 0;
    });
  direct_ = false;
}

SCODE Table::MakeRowSet(const RowBatch& batch, const std::vector<Alteration>& alterations,
                        LPSRowSet* out) const {
  *out = nullptr;
  const auto rows = static_cast<ULONG>(batch.Rows());
  void* block = nullptr;
  SCODE sc = AllocateBuffer(CbNewSRowSet(rows), &block);
  if (FAILED(sc)) return sc;
  auto* set = static_cast<SRowSet*>(block);
  std::memset(set, 0, CbNewSRowSet(rows));
  std::vector<Answer> answers(columns_.size());
  std::vector<std::size_t> hints(columns_.size(), 0);
  for (ULONG r = 0; r < rows; ++r) {
    const auto row = batch.Row(r);
    for (std::size_t c = 0; c < columns_.size(); ++c)
      answers[c] = LookupWithHint(row, columns_[c], &hints[c]);
    if (!alterations.empty())
      for (Answer& a : answers) AlterAnswer(alterations, a);
    sc = WritePropArray(answers, &set->aRow[r].lpProps);
    if (FAILED(sc)) {
      FreeRowSet(set);  // the rows written so far: cRows counts them
      return sc;
    }
    set->aRow[r].cValues = static_cast<ULONG>(columns_.size());
    set->cRows = r + 1;
  }
  *out = set;
  return S_OK;
}

}  // namespace mapisim
