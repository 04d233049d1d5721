// IMsgServiceAdmin of one profile: the Exchange service "MSEMS" and its
// configuration, resolved against the organisation as Exchange does without
// a dialog.
#pragma once

#include <string>

#include "SimObject.h"

namespace mapisim {

class ServiceAdmin final : public SimObject<IMsgServiceAdmin> {
 public:
  explicit ServiceAdmin(std::string profile) : profile_(std::move(profile)) {}

  HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) override;
  HRESULT GetMsgServiceTable(ULONG ulFlags, LPMAPITABLE* lppTable) override;
  HRESULT CreateMsgService(LPSTR lpszService, LPSTR lpszDisplayName, ULONG_PTR ulUIParam,
                           ULONG ulFlags) override;
  HRESULT ConfigureMsgService(LPMAPIUID lpUID, ULONG_PTR ulUIParam, ULONG ulFlags, ULONG cValues,
                              LPSPropValue lpProps) override;

 protected:
  bool Implements(REFIID riid) const override { return riid == IID_IMsgServiceAdmin; }
  const char* QueryInterfaceCall() const override { return "IMsgServiceAdmin::QueryInterface"; }
  std::string FaultMatch() const override { return profile_; }

 private:
  ~ServiceAdmin() override = default;
  HRESULT ProfileGone();

  std::string profile_;
};

}  // namespace mapisim
