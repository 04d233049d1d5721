// The directory stand-in: ADsOpenObject on a server's RootDSE and the query
// component, answered from the organisation's directory objects.
//
// ADsOpenObject(path, user, password, reserved, riid, ppObject)
//   path      in   "LDAP://<server>/RootDSE" ("RootDSE" in any case); the
//                  server is compared with the organisation's servers
//                  without regard to case.
//   riid      in   IID_IADs or IID_IUnknown.
//   ppObject  out  the RootDSE object, one reference for the caller; null on
//                  failure.
//   Returns S_OK; E_POINTER (no ppObject); E_ADS_BAD_PATHNAME (another path
//   form, or an object other than RootDSE); E_NOINTERFACE; E_FAIL (the
//   organisation database cannot be opened); E_ADS_SERVER_DOWN (an unknown
//   or unreachable server). User name and password are not checked.
//   Fault injection: call "ADsOpenObject", match the server name, flags
//   the reserved argument.
// IADs::GetString(name, value): "configurationNamingContext" (the
//   organisation's), "defaultNamingContext" (the configuration context
//   without its leading "CN=Configuration,"), "dnsHostName" (the server's
//   name); names in any case; anything else, or an empty value,
//   E_ADS_PROPERTY_NOT_FOUND. Fault injection: call "IADs::GetString",
//   match the attribute name.
// platform::AdoQuery (Directory.h) runs the statement against the objects of
//   the container named in it, in stored order; Open throws for a connection
//   string without Provider=ADsDSOObject, an unparsable statement, an unknown
//   or unreachable server, or an unreadable organisation. Fault injection:
//   call "AdoQuery::Open", match the server name; the fault's message (or
//   "The server is not operational.") is the exception's text.
#include "Directory.h"

#include <atomic>
#include <stdexcept>

#include "DirectoryStatement.h"
#include "OrgSession.h"
#include "TextUtil.h"

namespace {

using platform::EqualsNoCase;
using platform::StartsWithNoCase;
using platform::TrimBlanks;

class RootDse final : public IADs {
 public:
  RootDse(std::string server, std::string configNc)
      : server_(std::move(server)), configNc_(std::move(configNc)) {}

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override {
    if (!ppvObject) return E_POINTER;
    *ppvObject = nullptr;
    if (!(riid == IID_IUnknown) && !(riid == IID_IADs)) return E_NOINTERFACE;
    AddRef();
    *ppvObject = static_cast<IADs*>(this);
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT GetString(LPCSTR lpszName, std::string* value) override {
    if (!lpszName || !value) return E_POINTER;
    {
      directory::OrgSession session;
      if (auto fault = session.FaultFor("IADs::GetString", lpszName, 0)) return fault->hr;
    }
    std::string_view name = lpszName;
    std::string result;
    if (EqualsNoCase(name, "configurationNamingContext")) {
      result = configNc_;
    } else if (EqualsNoCase(name, "defaultNamingContext")) {
      constexpr std::string_view prefix = "CN=Configuration,";
      if (configNc_.size() > prefix.size() && StartsWithNoCase(configNc_, prefix))
        result = configNc_.substr(prefix.size());
    } else if (EqualsNoCase(name, "dnsHostName")) {
      result = server_;
    }
    if (result.empty()) return E_ADS_PROPERTY_NOT_FOUND;
    *value = std::move(result);
    return S_OK;
  }

 private:
  ~RootDse() = default;
  std::atomic<ULONG> refs_{1};
  std::string server_;
  std::string configNc_;
};

}  // namespace

HRESULT ADsOpenObject(LPCSTR lpszPathName, LPCSTR /*lpszUserName*/, LPCSTR /*lpszPassword*/,
                      DWORD dwReserved, REFIID riid, void** ppObject) {
  if (!ppObject) return E_POINTER;
  *ppObject = nullptr;
  auto path = lpszPathName ? directory::ParseLdapPath(lpszPathName) : std::nullopt;
  if (!path || !EqualsNoCase(path->object, "RootDSE")) return E_ADS_BAD_PATHNAME;
  if (!(riid == IID_IUnknown) && !(riid == IID_IADs)) return E_NOINTERFACE;

  directory::OrgSession session;
  if (auto fault = session.FaultFor("ADsOpenObject", path->server, dwReserved)) return fault->hr;
  const orgdb::OrgReader* db = session.db();
  if (!db) return E_FAIL;
  try {
    auto server = db->FindServerByName(path->server);
    if (!server || !server->reachable) return E_ADS_SERVER_DOWN;
    *ppObject = static_cast<IADs*>(
        new RootDse(server->name, db->Organisation().configurationNamingContext));
    return S_OK;
  } catch (const orgdb::OrgDbError&) {
    return E_FAIL;
  }
}

namespace platform {

namespace {
// ADO's own texts for its usage errors.
constexpr const char* kClosed = "Operation is not allowed when the object is closed.";
constexpr const char* kOpen = "Operation is not allowed when the object is open.";
constexpr const char* kNoCurrent =
    "Either BOF or EOF is True, or the current record has been deleted. Requested operation "
    "requires a "
    "current record.";
constexpr const char* kNoField =
    "Item cannot be found in the collection corresponding to the requested name "
    "or ordinal.";

// The connection string must name the ADSI provider.
bool NamesDirectoryProvider(const std::string& connection) {
  std::size_t start = 0;
  while (start <= connection.size()) {
    std::size_t end = connection.find(';', start);
    const std::string_view part =
        std::string_view(connection)
            .substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::size_t eq = part.find('=');
    if (eq != std::string::npos) {
      if (EqualsNoCase(TrimBlanks(part.substr(0, eq)), "Provider"))
        return EqualsNoCase(TrimBlanks(part.substr(eq + 1)), "ADsDSOObject");
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return false;
}

// The value of one selected attribute of a directory object.
std::string Attribute(const orgdb::DirectoryObject& object, const std::string& column) {
  if (EqualsNoCase(column, "name") || EqualsNoCase(column, "cn")) return object.name;
  if (EqualsNoCase(column, "legacyExchangeDN")) return object.legacyExchangeDN;
  if (EqualsNoCase(column, "objectClass")) return object.objectClass;
  if (EqualsNoCase(column, "distinguishedName"))
    return "CN=" + object.name + "," + object.container;
  return {};  // an attribute the object lacks reads as an empty value
}
}  // namespace

AdoQuery::AdoQuery() = default;
AdoQuery::~AdoQuery() = default;

void AdoQuery::SetConnectionString(std::string text) {
  if (open_) throw std::runtime_error(kOpen);
  connection_ = std::move(text);
}

void AdoQuery::SetSQL(std::string statement) {
  if (open_) throw std::runtime_error(kOpen);
  sql_ = std::move(statement);
}

void AdoQuery::Open() {
  if (open_) throw std::runtime_error(kOpen);
  if (!NamesDirectoryProvider(connection_))
    throw std::runtime_error("Provider cannot be found. It may not be properly installed.");
  auto statement = directory::ParseDirectoryStatement(sql_);
  if (!statement)
    throw std::runtime_error("One or more errors occurred during processing of command.");

  directory::OrgSession session;
  if (auto fault = session.FaultFor("AdoQuery::Open", statement->server, 0))
    throw std::runtime_error(fault->message ? *fault->message : "The server is not operational.");
  const orgdb::OrgReader* db = session.db();
  if (!db) throw std::runtime_error(session.error());
  std::vector<orgdb::DirectoryObject> objects;
  try {
    auto server = db->FindServerByName(statement->server);
    if (!server || !server->reachable) throw std::runtime_error("The server is not operational.");
    objects = db->DirectoryObjects(statement->container, statement->objectClass);
  } catch (const orgdb::OrgDbError& e) {
    throw std::runtime_error(e.what());
  }
  columns_ = statement->columns;
  rows_.clear();
  for (const auto& object : objects) {
    std::vector<std::string> row;
    for (const auto& column : columns_) row.push_back(Attribute(object, column));
    rows_.push_back(std::move(row));
  }
  position_ = 0;
  open_ = true;
}

bool AdoQuery::Eof() const {
  if (!open_) throw std::runtime_error(kClosed);
  return position_ >= rows_.size();
}

std::string AdoQuery::FieldAsString(std::string_view name) const {
  if (!open_) throw std::runtime_error(kClosed);
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (!EqualsNoCase(columns_[i], name)) continue;
    if (position_ >= rows_.size()) throw std::runtime_error(kNoCurrent);
    return rows_[position_][i];
  }
  throw std::runtime_error(kNoField);
}

void AdoQuery::Next() {
  if (!open_) throw std::runtime_error(kClosed);
  if (position_ >= rows_.size()) throw std::runtime_error(kNoCurrent);
  ++position_;
}

void AdoQuery::Close() {
  // Closing twice is harmless, so clean-up paths may always close.
  open_ = false;
  columns_.clear();
  rows_.clear();
  position_ = 0;
}

}  // namespace platform
