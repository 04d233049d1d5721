// Writing an organisation in its JSON form.
#include "JsonForm.h"
#include "JsonText.h"

namespace tabrixorg {

using json::Hex32ToJson;

namespace {

template <class T>
void PutOpt(Json& j, const char* key, const std::optional<T>& v) {
  if (v) j[key] = *v;
}

void PutOptText(Json& j, const char* key, const std::optional<std::string>& v) {
  if (v) j[key] = TextToJson(*v);
}

Json FolderToJson(const orgdb::OrgDb& db, const orgdb::Folder& f) {
  Json j;
  j["displayName"] = TextToJson(f.displayName);
  j["urlName"] = TextToJson(f.urlName);
  j["position"] = f.position;
  j["subfolders"] = f.subfolders;
  j["contentCount"] = f.contentCount;
  j["messageSize"] = f.messageSize;
  if (auto g = db.GeneratedMessagesOf(f.id)) {
    Json gen;
    gen["seed"] = g->seed;
    gen["count"] = g->count;
    gen["medianSize"] = g->medianSize;
    gen["firstSubmitTime"] = g->firstSubmitTime;
    gen["span"] = g->span;
    j["generated"] = gen;
  } else {
    Json messages = Json::array();
    for (std::int64_t pos = 0;; pos += 500) {
      auto batch = db.MessageBatch(f.id, pos, 500, false);
      if (batch.empty()) break;
      for (const auto& m : batch) {
        Json mj;
        PutOptText(mj, "subject", m.subject);
        mj["size"] = m.size;
        mj["hasAttachment"] = m.hasAttachment;
        PutOpt(mj, "deliveryTime", m.deliveryTime);
        PutOpt(mj, "submitTime", m.submitTime);
        messages.push_back(std::move(mj));
      }
    }
    if (!messages.empty()) j["messages"] = std::move(messages);
  }
  Json children = Json::array();
  for (const auto& child : db.ChildFolders(f.id)) children.push_back(FolderToJson(db, child));
  if (!children.empty()) j["folders"] = std::move(children);
  return j;
}

Json MailboxToJson(const orgdb::OrgDb& db, const orgdb::Mailbox& m) {
  Json j;
  j["alias"] = TextToJson(m.alias);
  j["tableOrder"] = m.tableOrder;
  PutOptText(j, "emailAddress", m.emailAddress);
  PutOptText(j, "displayName", m.displayName);
  PutOptText(j, "ntUserName", m.ntUserName);
  PutOpt(j, "messageSize", m.messageSize);
  PutOpt(j, "contentCount", m.contentCount);
  PutOpt(j, "assocContentCount", m.assocContentCount);
  PutOpt(j, "lastLogonTime", m.lastLogonTime);
  PutOpt(j, "lastLogoffTime", m.lastLogoffTime);
  PutOpt(j, "storageLimit", m.storageLimit);
  if (auto top = db.TopFolder(m.id)) j["folders"] = FolderToJson(db, *top);
  return j;
}

}  // namespace

Json ExportOrganisation(const orgdb::OrgDb& db) {
  Json doc;
  doc["format"] = "tabrix-org organisation";
  doc["version"] = orgdb::kSchemaVersion;
  auto info = db.Organisation();
  doc["organisation"]["name"] = TextToJson(info.name);
  doc["organisation"]["configurationNamingContext"] = TextToJson(info.configurationNamingContext);

  auto servers = db.Servers();
  Json sites = Json::array();
  for (const auto& site : db.Sites()) {
    Json sj;
    sj["name"] = TextToJson(site.name);
    sj["servers"] = Json::array();
    for (const auto& s : servers) {
      if (s.siteId != site.id) continue;
      Json server;
      server["name"] = TextToJson(s.name);
      server["legacyDn"] = TextToJson(s.legacyDn);
      server["version"] = json::VersionToJson(s.version);
      server["reachable"] = s.reachable;
      server["acceptsOnline"] = s.acceptsOnline;
      Json mailboxes = Json::array();
      for (const auto& m : db.Mailboxes(s.id)) mailboxes.push_back(MailboxToJson(db, m));
      server["mailboxes"] = std::move(mailboxes);
      sj["servers"].push_back(std::move(server));
    }
    sites.push_back(std::move(sj));
  }
  doc["sites"] = std::move(sites);

  Json gal = Json::array();
  for (const auto& e : db.GalEntries()) {
    Json j;
    j["displayName"] = TextToJson(e.displayName);
    j["alias"] = TextToJson(e.alias);
    j["address"] = TextToJson(e.address);
    j["homeMdb"] = TextToJson(e.homeMdb);
    j["homeMta"] = TextToJson(e.homeMta);
    if (e.ntAccountSid) j["ntAccountSid"] = json::SidToJson(*e.ntAccountSid);
    j["richInfo"] = e.richInfo;
    gal.push_back(std::move(j));
  }
  doc["gal"] = std::move(gal);

  Json accounts = Json::array();
  for (const auto& a : db.NtAccounts()) {
    Json j;
    j["sid"] = json::SidToJson(a.sid);
    j["domain"] = TextToJson(a.domain);
    j["name"] = TextToJson(a.name);
    accounts.push_back(std::move(j));
  }
  doc["ntAccounts"] = std::move(accounts);

  Json objects = Json::array();
  for (const auto& o : db.AllDirectoryObjects()) {
    Json j;
    j["container"] = TextToJson(o.container);
    j["objectClass"] = TextToJson(o.objectClass);
    j["name"] = TextToJson(o.name);
    j["legacyExchangeDN"] = TextToJson(o.legacyExchangeDN);
    objects.push_back(std::move(j));
  }
  doc["directoryObjects"] = std::move(objects);

  Json faults = Json::array();
  for (const auto& f : db.Faults()) {
    Json j;
    j["call"] = TextToJson(f.call);
    j["hr"] = Hex32ToJson(static_cast<std::uint32_t>(f.hr));
    PutOptText(j, "match", f.match);
    PutOpt(j, "nth", f.nth);
    if (f.flags) j["flags"] = Hex32ToJson(*f.flags);
    PutOptText(j, "message", f.message);
    PutOptText(j, "component", f.component);
    faults.push_back(std::move(j));
  }
  doc["faults"] = std::move(faults);
  return doc;
}

}  // namespace tabrixorg
