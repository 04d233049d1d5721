// `ComboBoxServers`: a drop-down list without typing whose entries carry
// each server's legacy DN. Selecting from code never counts as the user's
// change; only `activated` (a pick by the user) does.
#pragma once

#include <QComboBox>
#include <vector>

#include "ServerDiscovery.h"

namespace gui {

class TServerComboBox : public QComboBox, public core::ServerBox {
 public:
  explicit TServerComboBox(QWidget* parent);

  void Clear() override;
  void Add(core::ServerEntry entry) override;
  int Count() const override;
  const core::ServerEntry& Entry(int index) const override;
  void Select(int index) override;
  void SetEnabled(bool enabled) override;
  bool IsEnabled() const override;

  // The entry shown now, or null.
  const core::ServerEntry* Selected() const;

 private:
  std::vector<core::ServerEntry> entries_;  // parallel to the items
};

}  // namespace gui
