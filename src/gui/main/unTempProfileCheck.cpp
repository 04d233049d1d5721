// Checking the typed names against Exchange: a throwaway profile, a logon
// with it, and the identity's display name and home server read back.
#include <QLineEdit>
#include <cstring>

#include "AnsiText.h"
#include "LogonTexts.h"
#include "MAPIUtils.h"
#include "MAPIUtils_Profile.h"
#include "MapiErrorText.h"
#include "WordWrap.h"
#include "unTempProfile.h"

namespace gui {

namespace {

constexpr ULONG kCheckLogonFlags =
    MAPI_NO_MAIL | MAPI_EXTENDED | MAPI_EXPLICIT_PROFILE | MAPI_ALLOW_OTHERS | MAPI_NEW_SESSION;

constexpr const char* kResolutionMessage =
    "The name could not be resolved. Check to make sure you are connected to the network and are "
    "using the proper server and mailbox name. Network problems are preventing connection to the "
    "Microsoft Exchange Server computer. Contact your system administrator if this condition "
    "persists.\r\n\r\n";

std::string ErrorText(const mapi::ErrorSource& object, HRESULT hr) {
  return mapi::MapiErrorText(mapi::Flavour::Gui, object, hr);
}

// The text of an 8-bit string property, or the failure.
HRESULT ReadText(IMAPIProp* object, ULONG tag, std::string* text) {
  mapi::MapiBuffer<BYTE> value;
  ULONG size = 0;
  const HRESULT hr = mapi::GetOnePropText(object, tag, &value, &size);
  if (FAILED(hr)) return hr;
  text->clear();
  if (value && size > 0)
    text->assign(reinterpret_cast<const char*>(value.get()),
                 ::strnlen(reinterpret_cast<const char*>(value.get()), size));
  return S_OK;
}

}  // namespace

HRESULT TfrmTempProfile::WriteIdentity(IMAPIProp* identity) {
  std::string displayName;
  HRESULT hr = ReadText(identity, PR_DISPLAY_NAME, &displayName);
  if (FAILED(hr)) return hr;
  if (!displayName.empty()) {
    btUserName->setText(FromAnsi(displayName));
    SetUnderline(btUserName, true);
  }
  std::string homeMta;
  hr = ReadText(identity, PR_EMS_AB_HOME_MTA, &homeMta);
  if (FAILED(hr)) return hr;
  if (!homeMta.empty()) {
    ebExchangeServer->setText(FromAnsi(mapi::ServerNameFromMtaDn(homeMta)));
    QFont font = btUserName->font();
    font.setUnderline(true);
    ebExchangeServer->setFont(font);
  }
  return S_OK;
}

bool TfrmTempProfile::CheckNames(const std::string& mailbox, const std::string& server) {
  checkRunning_ = true;
  mapi::HourglassCursor cursor(&dialogs_);
  std::string detail;
  bool resolutionHint = true;
  HRESULT last = S_OK;
  bool initialized = false;
  char profileName[mapi::kProfileNameBufferSize] = {};
  bool nameMade = false;

  mapi::ComPtr<IProfAdmin> profAdmin;
  mapi::ComPtr<IMsgServiceAdmin> serviceAdmin;
  mapi::ComPtr<IMAPITable> serviceTable;
  mapi::RowSetPtr rows;
  mapi::MapiBuffer<SPropValue> values;
  mapi::ComPtr<IMAPISession> session;
  mapi::ComPtr<IMAPIProp> identity;

  // A failing step from the profile name on: its result, the cursor back,
  // and its detail text.
  const auto fail = [&](HRESULT hr, std::string text) {
    last = hr;
    cursor.Restore();
    detail += text;
  };

  do {
    HRESULT hr = mapi::MAPIInitialize(nullptr);
    if (FAILED(hr)) {
      // Counts as the check's result too, so that the check fails and the
      // resolution message follows like for every failure before the logon.
      last = hr;
      cursor.Restore();
      dialogs_.SystemBox(KnownInitializeErrorText(hr).value_or("I cannot initialize MAPI Session!"),
                         "MAPI SubSystem", mapi::BoxIcon::Error);
      break;
    }
    initialized = true;

    hr = mapi::MakeProfileName(mapi::kCheckProfilePrefix, profileName,
                               mapi::kProfileNameBufferSize - 1);
    if (FAILED(hr)) {
      fail(hr, "Create \"Profile Name\" Failed.\r\n" + Hex8(hr));
      break;
    }
    nameMade = true;

    hr = mapi::MAPIAdminProfiles(0, mapi::Out(profAdmin));
    if (FAILED(hr) || !profAdmin) {
      if (SUCCEEDED(hr)) hr = E_FAIL;
      fail(hr, "Get MAPI Admin Profiles Failed" + Hex8(hr));
      break;
    }

    profAdmin->DeleteProfile(profileName, 0);
    hr = profAdmin->CreateProfile(profileName, nullptr, 0, 0);
    if (FAILED(hr)) {
      fail(hr, "CreateProfile Failed.\r\n" + ErrorText(profAdmin.get(), hr));
      break;
    }
    hr = profAdmin->AdminServices(profileName, nullptr, 0, 0, mapi::Out(serviceAdmin));
    if (FAILED(hr) || !serviceAdmin) {
      if (SUCCEEDED(hr)) hr = E_FAIL;
      fail(hr, "AdminServices Failed.\r\n" + ErrorText(profAdmin.get(), hr));
      break;
    }
    char service[] = "MSEMS";
    hr = serviceAdmin->CreateMsgService(service, nullptr, 0, 0);
    if (FAILED(hr)) {
      fail(hr, "Create MsgService Failed.\r\n" + ErrorText(serviceAdmin.get(), hr));
      break;
    }
    hr = serviceAdmin->GetMsgServiceTable(0, mapi::Out(serviceTable));
    if (FAILED(hr) || !serviceTable) {
      if (SUCCEEDED(hr)) hr = E_FAIL;
      fail(hr, "GetMsgServiceTable Failed.\r\n" + ErrorText(serviceAdmin.get(), hr));
      break;
    }
    hr = serviceTable->QueryRows(1, 0, mapi::Out(rows));
    if (FAILED(hr)) {
      fail(hr, "QueryRows Failed.\r\n" + ErrorText(serviceTable.get(), hr));
      break;
    }
    const SPropValue* uid = nullptr;
    if (rows && rows->cRows > 0) {
      const SRow& row = rows->aRow[0];
      for (ULONG i = 0; i < row.cValues && row.lpProps; ++i)
        if (row.lpProps[i].ulPropTag == PR_SERVICE_UID) uid = &row.lpProps[i];
    }
    if (!uid || uid->Value.bin.cb < sizeof(MAPIUID) || !uid->Value.bin.lpb) {
      fail(E_FAIL, "Failed Get Service - StoreUID.");
      break;
    }

    void* block = nullptr;
    hr = mapi::MAPIAllocateBuffer(mapi::CbPropValues(2), &block);
    values.reset(static_cast<SPropValue*>(block));
    if (FAILED(hr) || !values) {
      if (SUCCEEDED(hr)) hr = MAPI_E_NOT_ENOUGH_MEMORY;
      fail(hr, "MAPI AllocateBuffer Failed.\r\n" + ErrorText(nullptr, hr));
      break;
    }
    const std::string* names[2] = {&mailbox, &server};
    const ULONG tags[2] = {PR_PROFILE_UNRESOLVED_NAME, PR_PROFILE_UNRESOLVED_SERVER};
    bool filled = true;
    for (int i = 0; i < 2; ++i) {
      void* text = nullptr;
      hr = mapi::MAPIAllocateMore(static_cast<ULONG>(names[i]->size() + 1), values.get(), &text);
      if (FAILED(hr) || !text) {
        if (SUCCEEDED(hr)) hr = MAPI_E_NOT_ENOUGH_MEMORY;
        fail(hr, "MAPI Allocate More Failed.\r\n" + ErrorText(nullptr, hr));
        filled = false;
        break;
      }
      std::memcpy(text, names[i]->c_str(), names[i]->size() + 1);
      values.get()[i].ulPropTag = tags[i];
      values.get()[i].Value.lpszA = static_cast<char*>(text);
    }
    if (!filled) break;

    MAPIUID serviceUid;
    std::memcpy(&serviceUid, uid->Value.bin.lpb, sizeof serviceUid);
    hr = serviceAdmin->ConfigureMsgService(&serviceUid, 0, 0, 2, values.get());
    if (FAILED(hr)) {
      fail(hr, hr == MAPI_E_USER_CANCEL
                   ? std::string()
                   : "Configure MsgService Failed.\r\n" + ErrorText(serviceAdmin.get(), hr));
      break;
    }

    hr = mapi::MAPILogonEx(0, profileName, nullptr, kCheckLogonFlags, mapi::Out(session));
    if (FAILED(hr) || !session) {
      if (SUCCEEDED(hr)) hr = E_FAIL;
      last = hr;
      cursor.Restore();
      if (hr != MAPI_E_USER_CANCEL) {
        const std::string text = KnownLogonErrorText(hr).value_or("The logon did not succeed.\r\n" +
                                                                  ErrorText(nullptr, hr));
        dialogs_.ErrorBox(mapi::WrapLogonText(text));
      }
      break;
    }

    resolutionHint = false;
    mapi::ProfileReporter reporter;
    reporter.flavour = mapi::Flavour::Gui;
    mapi::DeleteTempProfile(reporter, profileName);

    hr = mapi::OpenIdentity(session.get(), &identity);
    if (FAILED(hr) || !identity) {
      last = FAILED(hr) ? hr : E_FAIL;
      cursor.Restore();
      break;
    }
    hr = WriteIdentity(identity.get());
    if (FAILED(hr)) {
      last = hr;
      cursor.Restore();
      break;
    }
  } while (false);

  // Clean-up, on every path.
  cursor.Restore();
  rows.reset();
  values.reset();
  if (nameMade) {
    if (profAdmin) profAdmin->DeleteProfile(profileName, 0);
    std::memset(profileName, 0, sizeof profileName);
  }
  identity.reset();
  serviceTable.reset();
  serviceAdmin.reset();
  profAdmin.reset();
  if (session) {
    session->Logoff(0, 0, 0);
    session.reset();
  }
  if (FAILED(last) && resolutionHint)
    dialogs_.PlainBox(mapi::WrapResolutionText(std::string(kResolutionMessage) + detail));
  const bool checked = last == S_OK;
  if (initialized) mapi::MAPIUninitialize();
  checkRunning_ = false;
  return checked;
}

}  // namespace gui
