// Checking the typed names against Exchange: a throwaway profile, a logon
// with it, and the identity's display name and home server read back.
#include <QLineEdit>
#include <cstring>

#include "AnsiText.h"
#include "LogonTexts.h"
#include "MAPILogonTexts.h"
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
  std::optional<std::string> profileName;

  mapi::ComPtr<IProfAdmin> profAdmin;
  mapi::ComPtr<IMAPISession> session;
  mapi::ComPtr<IMAPIProp> identity;

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

    // A failed step restores the cursor and leaves its text in `detail`.
    hr = mapi::CreateCheckProfile(cursor, mailbox, server, &profileName, &profAdmin, &detail);
    if (FAILED(hr)) {
      last = hr;
      break;
    }

    hr = mapi::MAPILogonEx(0, profileName->data(), nullptr, kCheckLogonFlags, mapi::Out(session));
    if (FAILED(hr) || !session) {
      if (SUCCEEDED(hr)) hr = E_FAIL;
      last = hr;
      cursor.Restore();
      if (hr != MAPI_E_USER_CANCEL) {
        const std::string text = mapi::KnownLogonErrorText(hr).value_or(
            "The logon did not succeed.\r\n" + ErrorText(nullptr, hr));
        dialogs_.ErrorBox(mapi::WrapLogonText(text));
      }
      break;
    }

    resolutionHint = false;
    mapi::ProfileReporter reporter;
    reporter.flavour = mapi::Flavour::Gui;
    reporter.flushRegistryOnDelete = true;
    mapi::DeleteTempProfile(reporter, *profileName);

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
  if (profAdmin) profAdmin->DeleteProfile(profileName->data(), 0);
  profileName.reset();
  identity.reset();
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
