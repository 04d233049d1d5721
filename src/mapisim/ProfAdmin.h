// IProfAdmin over the profile store.
#pragma once

#include <string>

#include "SimObject.h"

namespace mapisim {

class ProfAdmin final : public SimObject<IProfAdmin> {
 public:
  ProfAdmin() = default;

  HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) override;
  HRESULT GetProfileTable(ULONG ulFlags, LPMAPITABLE* lppTable) override;
  HRESULT CreateProfile(LPSTR lpszProfileName, LPSTR lpszPassword, ULONG_PTR ulUIParam,
                        ULONG ulFlags) override;
  HRESULT DeleteProfile(LPSTR lpszProfileName, ULONG ulFlags) override;
  HRESULT AdminServices(LPSTR lpszProfileName, LPSTR lpszPassword, ULONG_PTR ulUIParam,
                        ULONG ulFlags, LPSERVICEADMIN* lppServiceAdmin) override;
  HRESULT SetDefaultProfile(LPSTR lpszProfileName, ULONG ulFlags) override;

 protected:
  bool Implements(REFIID riid) const override { return riid == IID_IProfAdmin; }
  const char* QueryInterfaceCall() const override { return "IProfAdmin::QueryInterface"; }
  std::string FaultMatch() const override { return ""; }

 private:
  ~ProfAdmin() override = default;
  HRESULT Unknown(const char* name);
};

}  // namespace mapisim
