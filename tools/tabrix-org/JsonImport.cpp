// Reading an organisation from its JSON form.
#include <limits>

#include "JsonForm.h"
#include "JsonText.h"

namespace tabrixorg {

using json::Path;

namespace {

std::int32_t Int32(std::int64_t v, const Path& path) {
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
    path.Fail("number out of 32-bit range");
  return static_cast<std::int32_t>(v);
}

std::optional<std::int32_t> OptInt32(const Json& j, const char* key, const Path& path) {
  auto v = json::OptInt(j, key, path);
  if (!v) return std::nullopt;
  return Int32(*v, path.Key(key));
}

std::optional<std::uint32_t> OptUInt32(const Json& j, const char* key, const Path& path) {
  auto v = json::OptUInt(j, key, path);
  if (!v) return std::nullopt;
  if (*v > 0xFFFFFFFFull) path.Key(key).Fail("number out of 32-bit range");
  return static_cast<std::uint32_t>(*v);
}

void RequireObject(const Json& j, const Path& path) {
  if (!j.is_object()) path.Fail("expected an object");
}

void ImportFolder(orgdb::OrgDb& db, const Json& j, std::int64_t mailbox,
                  std::optional<std::int64_t> parent, std::int64_t defaultPosition,
                  const Path& path) {
  RequireObject(j, path);
  orgdb::Folder f;
  f.mailboxId = mailbox;
  f.parentId = parent;
  f.position = json::OptInt(j, "position", path).value_or(defaultPosition);
  f.displayName = json::RequiredText(j, "displayName", path);
  f.urlName = json::OptText(j, "urlName", path).value_or("");
  const Json& messages = json::Array(j, "messages", path);
  const Json& children = json::Array(j, "folders", path);
  f.subfolders = json::Bool(j, "subfolders", !children.empty(), path);

  std::vector<orgdb::Message> parsed;
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i < messages.size(); ++i) {
    Path mp = path.Key("messages").Index(i);
    const Json& mj = messages[i];
    RequireObject(mj, mp);
    orgdb::Message m;
    m.subject = json::OptText(mj, "subject", mp);
    m.size = OptUInt32(mj, "size", mp).value_or(0);
    m.hasAttachment = json::Bool(mj, "hasAttachment", false, mp);
    m.deliveryTime = json::OptUInt(mj, "deliveryTime", mp);
    m.submitTime = json::OptUInt(mj, "submitTime", mp);
    sum += m.size;
    parsed.push_back(std::move(m));
  }
  // Totals left out of the document are those of the folder's messages.
  f.contentCount =
      OptInt32(j, "contentCount", path).value_or(static_cast<std::int32_t>(parsed.size()));
  f.messageSize = json::OptUInt(j, "messageSize", path).value_or(sum);
  std::int64_t id = db.AddFolder(f);

  if (const Json* gen = json::Find(j, "generated")) {
    Path gp = path.Key("generated");
    RequireObject(*gen, gp);
    if (!parsed.empty()) gp.Fail("a folder holds stored or generated messages, not both");
    orgdb::GeneratedMessages g;
    g.seed = json::OptUInt(*gen, "seed", gp).value_or(0);
    g.count = OptInt32(*gen, "count", gp).value_or(0);
    if (g.count < 0) gp.Key("count").Fail("expected a number that is not negative");
    g.medianSize = OptUInt32(*gen, "medianSize", gp).value_or(g.medianSize);
    g.firstSubmitTime = json::OptUInt(*gen, "firstSubmitTime", gp).value_or(0);
    g.span = json::OptUInt(*gen, "span", gp).value_or(g.span);
    db.SetGeneratedMessages(id, g);
  }
  for (auto& m : parsed) {
    m.folderId = id;
    db.AddMessage(m);
  }
  for (std::size_t i = 0; i < children.size(); ++i)
    ImportFolder(db, children[i], mailbox, id, static_cast<std::int64_t>(i),
                 path.Key("folders").Index(i));
}

void ImportMailbox(orgdb::OrgDb& db, const Json& j, std::int64_t server, std::int64_t index,
                   const Path& path) {
  RequireObject(j, path);
  orgdb::Mailbox m;
  m.serverId = server;
  m.tableOrder = json::OptInt(j, "tableOrder", path).value_or(index);
  m.alias = json::RequiredText(j, "alias", path);
  m.emailAddress = json::OptText(j, "emailAddress", path);
  m.displayName = json::OptText(j, "displayName", path);
  m.ntUserName = json::OptText(j, "ntUserName", path);
  m.messageSize = json::OptInt(j, "messageSize", path);
  m.contentCount = OptInt32(j, "contentCount", path);
  m.assocContentCount = OptInt32(j, "assocContentCount", path);
  m.lastLogonTime = json::OptUInt(j, "lastLogonTime", path);
  m.lastLogoffTime = json::OptUInt(j, "lastLogoffTime", path);
  m.storageLimit = OptUInt32(j, "storageLimit", path);
  std::int64_t id = db.AddMailbox(m);
  if (const Json* top = json::Find(j, "folders"))
    ImportFolder(db, *top, id, std::nullopt, 0, path.Key("folders"));
}

}  // namespace

void ImportOrganisation(const Json& doc, orgdb::OrgDb& db) {
  Path root;
  RequireObject(doc, root);
  if (const Json* version = json::Find(doc, "version")) {
    if (json::Int(*version, root.Key("version")) != orgdb::kSchemaVersion)
      root.Key("version").Fail("this program reads version " +
                               std::to_string(orgdb::kSchemaVersion));
  }
  db.Begin();
  if (const Json* org = json::Find(doc, "organisation")) {
    Path op = root.Key("organisation");
    RequireObject(*org, op);
    db.SetOrganisation({json::OptText(*org, "name", op).value_or(""),
                        json::OptText(*org, "configurationNamingContext", op).value_or("")});
  }
  const Json& sites = json::Array(doc, "sites", root);
  for (std::size_t si = 0; si < sites.size(); ++si) {
    Path sp = root.Key("sites").Index(si);
    RequireObject(sites[si], sp);
    std::int64_t site = db.AddSite({0, json::RequiredText(sites[si], "name", sp)});
    const Json& servers = json::Array(sites[si], "servers", sp);
    for (std::size_t vi = 0; vi < servers.size(); ++vi) {
      Path vp = sp.Key("servers").Index(vi);
      const Json& sj = servers[vi];
      RequireObject(sj, vp);
      orgdb::Server s;
      s.siteId = site;
      s.name = json::RequiredText(sj, "name", vp);
      s.legacyDn = json::OptText(sj, "legacyDn", vp).value_or("");
      if (const Json* v = json::Find(sj, "version"))
        s.version = json::VersionFromJson(*v, vp.Key("version"));
      s.reachable = json::Bool(sj, "reachable", true, vp);
      s.acceptsOnline = json::Bool(sj, "acceptsOnline", true, vp);
      std::int64_t server = db.AddServer(s);
      const Json& mailboxes = json::Array(sj, "mailboxes", vp);
      for (std::size_t mi = 0; mi < mailboxes.size(); ++mi)
        ImportMailbox(db, mailboxes[mi], server, static_cast<std::int64_t>(mi),
                      vp.Key("mailboxes").Index(mi));
    }
  }
  const Json& gal = json::Array(doc, "gal", root);
  for (std::size_t i = 0; i < gal.size(); ++i) {
    Path p = root.Key("gal").Index(i);
    RequireObject(gal[i], p);
    orgdb::GalEntry e;
    e.displayName = json::RequiredText(gal[i], "displayName", p);
    e.alias = json::OptText(gal[i], "alias", p).value_or("");
    e.address = json::RequiredText(gal[i], "address", p);
    e.homeMdb = json::OptText(gal[i], "homeMdb", p).value_or("");
    e.homeMta = json::OptText(gal[i], "homeMta", p).value_or("");
    if (const Json* sid = json::Find(gal[i], "ntAccountSid"))
      e.ntAccountSid = json::SidFromJson(*sid, p.Key("ntAccountSid"));
    e.richInfo = json::Bool(gal[i], "richInfo", true, p);
    db.AddGalEntry(e);
  }
  const Json& accounts = json::Array(doc, "ntAccounts", root);
  for (std::size_t i = 0; i < accounts.size(); ++i) {
    Path p = root.Key("ntAccounts").Index(i);
    RequireObject(accounts[i], p);
    const Json* sid = json::Find(accounts[i], "sid");
    if (!sid) p.Key("sid").Fail("missing");
    db.AddNtAccount({json::SidFromJson(*sid, p.Key("sid")),
                     json::RequiredText(accounts[i], "domain", p),
                     json::RequiredText(accounts[i], "name", p)});
  }
  const Json& objects = json::Array(doc, "directoryObjects", root);
  for (std::size_t i = 0; i < objects.size(); ++i) {
    Path p = root.Key("directoryObjects").Index(i);
    RequireObject(objects[i], p);
    db.AddDirectoryObject(
        {json::RequiredText(objects[i], "container", p),
         json::OptText(objects[i], "objectClass", p).value_or("msExchExchangeServer"),
         json::RequiredText(objects[i], "name", p),
         json::OptText(objects[i], "legacyExchangeDN", p).value_or("")});
  }
  const Json& faults = json::Array(doc, "faults", root);
  for (std::size_t i = 0; i < faults.size(); ++i) {
    Path p = root.Key("faults").Index(i);
    RequireObject(faults[i], p);
    orgdb::Fault f;
    f.call = json::RequiredText(faults[i], "call", p);
    const Json* hr = json::Find(faults[i], "hr");
    if (!hr) p.Key("hr").Fail("missing");
    f.hr = static_cast<std::int32_t>(json::Hex32(*hr, p.Key("hr")));
    f.match = json::OptText(faults[i], "match", p);
    f.nth = OptInt32(faults[i], "nth", p);
    if (const Json* flags = json::Find(faults[i], "flags"))
      f.flags = json::Hex32(*flags, p.Key("flags"));
    f.message = json::OptText(faults[i], "message", p);
    f.component = json::OptText(faults[i], "component", p);
    db.AddFault(f);
  }
  db.Commit();
}

}  // namespace tabrixorg
