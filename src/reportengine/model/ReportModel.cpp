#include "ReportModel.h"

#include <stdexcept>

namespace reportengine {

QString ValueText(const Value& value) {
  if (const auto* i = std::get_if<std::int64_t>(&value)) return QString::number(*i);
  if (const auto* d = std::get_if<double>(&value)) return QString::number(*d, 'g', 15);
  if (const auto* s = std::get_if<QString>(&value)) return *s;
  return QString();
}

void MemoryTable::AddRow(std::vector<Value> row) {
  if (row.size() != static_cast<std::size_t>(fields_.size()))
    throw std::invalid_argument("MemoryTable::AddRow: one value per field expected");
  rows_.push_back(std::move(row));
}

namespace {

Item* FindIn(Band& band, const QString& name) {
  for (Item& item : band.items)
    if (item.name == name) return &item;
  for (Band& child : band.children)
    if (Item* item = FindIn(child, name)) return item;
  return nullptr;
}

}  // namespace

Item* Report::FindItem(const QString& name) {
  std::vector<Band*> bands;
  for (auto* band : {titleBand ? &*titleBand : nullptr, columnHeader ? &*columnHeader : nullptr})
    if (band) bands.push_back(band);
  for (Group& group : groups) {
    bands.push_back(&group.header);
    if (group.footer) bands.push_back(&*group.footer);
  }
  bands.push_back(&detail);
  for (auto* band : {summary ? &*summary : nullptr, pageFooter ? &*pageFooter : nullptr})
    if (band) bands.push_back(band);
  for (Band* band : bands)
    if (Item* item = FindIn(*band, name)) return item;
  return nullptr;
}

}  // namespace reportengine
