// The address book of a session: IAddrBook, its containers (the root, the
// Global Address List and two further containers, so that a caller's
// restriction on provider and container ID matters) and mail users.
#pragma once

#include <string>

#include "EntryIds.h"
#include "SessionContext.h"
#include "SimObject.h"

namespace mapisim {

// Opens an address-book entry: null is the root container; container and
// mail-user entry IDs. Used by IAddrBook, IABContainer and IMAPISession
// OpenEntry; the caller checks faults.
HRESULT OpenAbEntry(const SessionPtr& session, ULONG cbEntryID, LPENTRYID lpEntryID,
                    LPCIID lpInterface, ULONG ulFlags, ULONG* lpulObjType, LPUNKNOWN* lppUnk,
                    std::string* error);

// The fault kind of the object an entry ID names: "root", "gal",
// "container", "identity", "mailuser", "folder"; "" when it names nothing of
// ours.
std::string AbKindOf(const SessionPtr& session, ULONG cbEntryID, LPENTRYID lpEntryID);

class AddrBook final : public SimObject<IAddrBook> {
 public:
  explicit AddrBook(SessionPtr session) : session_(std::move(session)) {}

  HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) override;
  HRESULT GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                   LPSPropValue* lppPropArray) override;
  HRESULT OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags,
                    ULONG* lpulObjType, LPUNKNOWN* lppUnk) override;

 protected:
  bool Implements(REFIID riid) const override {
    return riid == IID_IAddrBook || riid == IID_IMAPIProp;
  }
  const char* QueryInterfaceCall() const override { return "IAddrBook::QueryInterface"; }
  std::string FaultMatch() const override { return "addrbook"; }

 private:
  ~AddrBook() override = default;
  SessionPtr session_;
};

class AbContainer final : public SimObject<IABContainer> {
 public:
  AbContainer(SessionPtr session, AbContainerId id);

  HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) override;
  HRESULT GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                   LPSPropValue* lppPropArray) override;
  HRESULT GetContentsTable(ULONG ulFlags, LPMAPITABLE* lppTable) override;
  HRESULT GetHierarchyTable(ULONG ulFlags, LPMAPITABLE* lppTable) override;
  HRESULT OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags,
                    ULONG* lpulObjType, LPUNKNOWN* lppUnk) override;
  HRESULT ResolveNames(LPSPropTagArray lpPropTagArray, ULONG ulFlags, LPADRLIST lpAdrList,
                       LPFlagList lpFlagList) override;

 protected:
  bool Implements(REFIID riid) const override {
    return riid == IID_IABContainer || riid == IID_IMAPIContainer || riid == IID_IMAPIProp;
  }
  const char* QueryInterfaceCall() const override { return "IABContainer::QueryInterface"; }
  std::string FaultMatch() const override { return kind_; }

 private:
  ~AbContainer() override = default;

  SessionPtr session_;
  AbContainerId id_;
  std::string kind_;  // "root", "gal", "container"
  std::string displayName_;
};

class MailUser final : public SimObject<IMailUser> {
 public:
  MailUser(MailUserData data, std::string kind) : data_(std::move(data)), kind_(std::move(kind)) {}

  HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) override;
  HRESULT GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                   LPSPropValue* lppPropArray) override;

 protected:
  bool Implements(REFIID riid) const override {
    return riid == IID_IMailUser || riid == IID_IMAPIProp;
  }
  const char* QueryInterfaceCall() const override { return "IMailUser::QueryInterface"; }
  std::string FaultMatch() const override { return kind_; }

 private:
  ~MailUser() override = default;
  MailUserData data_;
  std::string kind_;  // "mailuser" or "identity"
};

}  // namespace mapisim
