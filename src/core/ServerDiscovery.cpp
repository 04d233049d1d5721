#include "ServerDiscovery.h"

#include <exception>
#include <stdexcept>

#include "Directory.h"
#include "MAPIUtils.h"
#include "MAPIVariantProp.h"
#include "MapiErrorText.h"
#include "MapiPtr.h"
#include "PrivateStore.h"
#include "TextUtil.h"

namespace core {

namespace {

using mapi::BoxIcon;
using mapi::Flavour;

// Characters from the 1-based position `from` on; empty past the end.
std::string From(const std::string& text, std::size_t from) {
  return from - 1 < text.size() ? text.substr(from - 1) : std::string();
}

// The store's root folder, asking first without the cache and once more
// plainly when the provider refuses the flags.
HRESULT OpenRootFolder(IMsgStore* store, mapi::ComPtr<IMAPIFolder>* folder) {
  ULONG type = 0;
  HRESULT hr = mapi::OpenEntryBestAccess(store, 0, nullptr, nullptr, &type, *folder);
  if (SUCCEEDED(hr) && !*folder) hr = E_FAIL;
  return hr;
}

}  // namespace

ServerVersion VersionFromReplica(std::uint64_t value) {
  ServerVersion v;
  v.major = static_cast<std::uint16_t>(value >> 48);
  v.minor = static_cast<std::uint16_t>(value >> 32);
  v.build = static_cast<std::uint16_t>(value >> 16);
  v.revision = static_cast<std::uint16_t>(value);
  return v;
}

HomeServerNames SplitHomeMdbDn(std::string_view homeMdbDn) {
  HomeServerNames names;
  const std::string prefix = mapi::OrgSitePrefix(homeMdbDn);
  const std::string org = mapi::OrgPart(homeMdbDn);
  names.serverDn = mapi::ServerDnFromMdbDn(homeMdbDn);
  names.homeServerName = mapi::ServerNameFromMdbDn(homeMdbDn);
  names.organizationName = From(org, 4);
  names.siteName = From(prefix, org.size() + 5);
  return names;
}

ServerVersion ReadServerVersion(IMAPISession* session) {
  ServerVersion version;
  mapi::ComPtr<IMsgStore> store;
  if (FAILED(OpenPrivateStoreGui(session, &store)) || !store) return version;
  {
    mapi::ComPtr<IMAPIFolder> root;
    mapi::MapiBuffer<SPropValue> value;
    if (SUCCEEDED(OpenRootFolder(store.get(), &root))) {
      const HRESULT hr = mapi::HrGetOneProp(root.get(), PR_REPLICA_VERSION, mapi::Out(value));
      const auto replica = mapi::PropI8(value.get(), PR_REPLICA_VERSION);
      if (SUCCEEDED(hr) && replica)
        version = VersionFromReplica(static_cast<std::uint64_t>(*replica));
    }
    value.reset();
    root.reset();
  }
  // The store is only borrowed for the version: log it off whatever
  // happened, and never let its failure reach the caller.
  try {
    ULONG flags = LOGOFF_NO_WAIT;
    store->StoreLogoff(&flags);
  } catch (...) {
  }
  store.reset();
  return version;
}

std::string ExchangeServersQuery(const std::string& homeServerName, const std::string& siteName,
                                 const std::string& organizationName,
                                 const std::string& configurationNamingContext) {
  return "SELECT name, legacyExchangeDN FROM 'LDAP://" + homeServerName +
         "/CN=Servers,CN=" + siteName + ",CN=Administrative Groups,CN=" + organizationName +
         ",CN=Microsoft Exchange,CN=Services," + configurationNamingContext +
         "' WHERE objectClass='msExchExchangeServer'";
}

void QueryExchangeServers(const std::string& homeServerName, const std::string& siteName,
                          const std::string& organizationName, ServerBox& box) {
  box.Clear();
  try {
    mapi::ComPtr<IADs> root;
    const std::string path = "LDAP://" + homeServerName + "/RootDSE";
    const HRESULT opened =
        ADsOpenObject(path.c_str(), nullptr, nullptr, 0, IID_IADs, mapi::Out(root));
    if (opened != 0 || !root) return;
    std::string context;
    const HRESULT hr = root->GetString("configurationNamingContext", &context);
    if (FAILED(hr)) throw std::runtime_error("configurationNamingContext cannot be read");

    platform::AdoQuery query;
    query.SetConnectionString(kAdsiConnectionString);
    query.SetSQL(ExchangeServersQuery(homeServerName, siteName, organizationName, context));
    query.Open();
    while (!query.Eof()) {
      std::string dn = query.FieldAsString("legacyExchangeDN");
      std::string name = query.FieldAsString("name");
      box.Add(ServerEntry{std::move(name), std::move(dn)});
      query.Next();
    }
    query.Close();

    box.SetEnabled(box.Count() > 0);
    if (box.Count() > 0) {
      box.Select(0);
      for (int i = 0; i < box.Count(); ++i) {
        if (platform::EqualsNoCase(box.Entry(i).name, homeServerName)) {
          box.Select(i);
          break;
        }
      }
    }
  } catch (const std::exception&) {
    box.Add(ServerEntry{homeServerName, std::nullopt});
    box.Select(0);
  }
}

std::optional<std::string> FindHomeServer(IMAPISession* session, mapi::UserDialogs& dialogs,
                                          ServerBox& box, DiscoveryFields& fields) {
  mapi::HourglassCursor cursor(&dialogs);
  fields.homeServerName.clear();

  mapi::ComPtr<IMAPIProp> identity;
  mapi::MapiBuffer<SPropValue> values;
  ULONG count = 0;
  fields.lastResult = mapi::OpenIdentity(session, &identity);
  if (fields.lastResult == S_OK && !identity) fields.lastResult = E_FAIL;
  if (fields.lastResult != S_OK) {
    cursor.Restore();
    if (fields.lastResult == MAPI_W_NO_SERVICE)
      dialogs.ErrorBox("NO SERVICE AVALIABLE.");
    else
      dialogs.SystemBox(mapi::MapiErrorText(Flavour::Gui, session, fields.lastResult),
                        "MAPI SubSystem", BoxIcon::Error);
  } else {
    SizedSPropTagArray<1> tags{1, {PR_EMS_AB_HOME_MDB}};
    fields.lastResult = identity->GetProps(tags.get(), 0, &count, mapi::Out(values));
    const bool read =
        count == 1 && (fields.lastResult == S_OK || fields.lastResult == MAPI_W_ERRORS_RETURNED);
    if (!read) {
      cursor.Restore();
      dialogs.ErrorBox("MAPI Error on User Prop Get Properties!");
    }
  }

  fields.serverDn.clear();
  if (fields.lastResult == S_OK && values && count >= 1 &&
      values.get()[0].ulPropTag == PR_EMS_AB_HOME_MDB && values.get()[0].Value.lpszA) {
    HomeServerNames names = SplitHomeMdbDn(values.get()[0].Value.lpszA);
    fields.serverDn = std::move(names.serverDn);
    fields.homeServerName = std::move(names.homeServerName);
    fields.organizationName = std::move(names.organizationName);
    fields.siteName = std::move(names.siteName);
    if (ReadServerVersion(session).major <= 5) {
      box.Add(ServerEntry{fields.homeServerName, std::nullopt});
      box.Select(box.Count() - 1);
    } else {
      QueryExchangeServers(fields.homeServerName, fields.siteName, fields.organizationName, box);
    }
  }
  values.reset();
  identity.reset();
  if (fields.homeServerName.empty()) {
    cursor.Restore();
    dialogs.ErrorBox("Are you connected to Microsoft Exchange Server?");
  }
  cursor.Restore();
  if (fields.homeServerName.empty()) return std::nullopt;
  return fields.homeServerName;
}

}  // namespace core
