// The deterministic organisation generator. Every random choice comes from a
// counter-based stream seeded by (seed, what is being made), never from the
// standard library's distributions, whose results differ between library
// versions; so a seed always gives the same database.
#include "Generator.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "GeneratedMessages.h"
#include "Names.h"
#include "TextUtil.h"

namespace tabrixorg {

namespace {

using orgdb::MixBits;
using orgdb::UnitInterval;
using platform::AsciiLowered;
using platform::AsciiUppered;

constexpr std::uint64_t kDay = 864000000000ull;  // 100-ns units
constexpr std::uint64_t kMinute = 600000000ull;

class Stream {
 public:
  Stream(std::uint64_t seed, std::uint64_t purpose, std::uint64_t index)
      : state_(MixBits(seed ^ MixBits(purpose * 0x632BE59BD9B4E019ull + index))) {}
  std::uint64_t Next() { return MixBits(state_++); }
  double Unit() { return UnitInterval(Next()); }
  // True with the given probability in percent.
  bool Percent(double p) { return Unit() * 100.0 < p; }
  std::uint64_t Below(std::uint64_t n) { return n ? Next() % n : 0; }
  // Log-normal around `median` (Box-Muller for the normal deviate).
  double LogNormal(double median, double sigma) {
    double u1 = std::max(Unit(), 1e-12);
    double u2 = Unit();
    double z = std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    return median * std::exp(sigma * z);
  }

 private:
  std::uint64_t state_;
};

enum Purpose : std::uint64_t { kPerson = 1, kMailbox, kFolders, kGal, kDomain, kMessages, kTrees };

struct Context {
  orgdb::OrgDb& db;
  const GeneratorOptions& options;
  std::string org;
  std::string domain;
  std::string domainSid;  // S-1-5-21-a-b-c
  std::unordered_map<std::string, int> aliases;
  std::int64_t mailboxIndex = 0;  // across the organisation
};

struct FolderPlan {
  std::string name;
  int weight;                 // share of the mailbox's messages
  std::uint32_t medianScale;  // percent of the mailbox's median message size
};

// The default folders below the top of the information store, in order.
const FolderPlan kDefaultFolders[] = {
    {"Inbox", 40, 100},  {"Outbox", 0, 100},  {"Sent Items", 20, 100}, {"Deleted Items", 10, 100},
    {"Calendar", 6, 40}, {"Contacts", 4, 25}, {"Drafts", 1, 100},      {"Journal", 0, 100},
    {"Notes", 1, 20},    {"Tasks", 1, 30},
};

class MailboxBuilder {
 public:
  MailboxBuilder(Context& ctx, std::int64_t mailboxId, std::uint64_t index)
      : ctx_(ctx), mailbox_(mailboxId), index_(index), rng_(ctx.options.seed, kFolders, index) {}

  // Lays out the tree and its messages; the folders' totals come from the
  // generated messages.
  void Build(std::int32_t totalMessages, std::uint32_t medianSize, std::int32_t largeFolder) {
    median_ = medianSize;
    std::int64_t top = Add(std::nullopt, 0, "Top of Information Store", "/", true);
    std::vector<Planned> planned;
    std::int64_t position = 0;
    std::int64_t inbox = 0;
    for (const auto& plan : kDefaultFolders) {
      bool isInbox = plan.name == "Inbox";
      int userFolders = isInbox ? static_cast<int>(rng_.Below(5)) : 0;
      bool children = userFolders > 0 || (isInbox && largeFolder > 0);
      std::int64_t id = Add(top, position++, plan.name, "/" + plan.name, children);
      if (isInbox) inbox = id;
      planned.push_back({id, plan.weight, plan.medianScale});
      for (int k = 0; k < userFolders; ++k) AddUserFolders(id, "/" + plan.name, k, 1, &planned);
    }
    // A few folders of the user's own at the top level too.
    for (int k = 0, n = static_cast<int>(rng_.Below(3)); k < n; ++k)
      AddUserFolders(top, "", position++, 1, &planned);

    int weights = 0;
    for (const auto& p : planned) weights += p.weight;
    std::int32_t assigned = 0;
    std::vector<std::int32_t> counts(planned.size());
    for (std::size_t i = 0; i < planned.size(); ++i) {
      counts[i] = weights ? static_cast<std::int32_t>(static_cast<std::int64_t>(totalMessages) *
                                                      planned[i].weight / weights)
                          : 0;
      assigned += counts[i];
    }
    counts[0] += totalMessages - assigned;  // the remainder goes to the Inbox
    for (std::size_t i = 0; i < planned.size(); ++i) {
      std::uint32_t median = std::max<std::uint32_t>(median_ * planned[i].scale / 100, 300);
      Generate(planned[i].id, counts[i], median);
    }
    if (largeFolder > 0) {
      std::int64_t archive = Add(inbox, 99, "Archive", "/Inbox/Archive", false);
      Generate(archive, largeFolder, median_);
    }
    AddTreeShapes(top, position);
  }

  // Only a top of information store: a mailbox that was never set up.
  void BuildEmptyTop() { Add(std::nullopt, 0, "Top of Information Store", "/", false); }

 private:
  struct Planned {
    std::int64_t id;
    int weight;           // share of the mailbox's messages
    std::uint32_t scale;  // percent of the median message size
  };

  std::int64_t Add(std::optional<std::int64_t> parent, std::int64_t position,
                   const std::string& name, const std::string& url, bool subfolders) {
    orgdb::Folder f;
    f.mailboxId = mailbox_;
    f.parentId = parent;
    f.position = position;
    f.displayName = name;
    f.urlName = url;
    f.subfolders = subfolders;
    return ctx_.db.AddFolder(f);
  }

  // A user folder and its own subfolders, three levels deep at most.
  void AddUserFolders(std::int64_t parent, const std::string& parentUrl, std::int64_t position,
                      int depth, std::vector<Planned>* planned) {
    std::string name = UserFolderName(rng_.Next(), depth);
    int children = 0;
    if (depth < 3 && rng_.Percent(depth == 1 ? 30 : 20))
      children = 1 + static_cast<int>(rng_.Below(2));
    std::string url = parentUrl + "/" + name;
    std::int64_t id = Add(parent, position, name, url, children > 0);
    planned->push_back({id, 4, 100});
    for (int k = 0; k < children; ++k) AddUserFolders(id, url, k, depth + 1, planned);
  }

  // Shapes the details window must cope with, drawn from a stream of their
  // own so that the rest of a seed's organisation stays as it was: some
  // mailboxes keep projects ten levels deep; the second mailbox has a folder
  // whose PR_SUBFOLDERS is false although it holds one; the third gets the
  // many folders asked for. All of them hold no messages.
  void AddTreeShapes(std::int64_t top, std::int64_t position) {
    Stream trees(ctx_.options.seed, kTrees, index_);
    if (trees.Percent(25)) {
      std::int64_t parent = Add(top, position++, "Projects", "/Projects", true);
      std::string url = "/Projects";
      for (int level = 2; level <= 10; ++level) {
        const std::string name = "Stage " + std::to_string(level);
        url += "/" + name;
        parent = Add(parent, 0, name, url, level < 10);
      }
    }
    if (index_ == 1) {
      std::int64_t archive = Add(top, position++, "Archive 2005", "/Archive 2005", false);
      Add(archive, 0, "Q1", "/Archive 2005/Q1", false);
    }
    if (index_ == 2 && ctx_.options.manyFolders > 0) {
      // Clients of five folders each: the client and four below it.
      std::int64_t clients = Add(top, position++, "Clients", "/Clients", true);
      static const char* const kParts[] = {"Correspondence", "Invoices", "Contracts", "Notes"};
      for (int c = 0, n = (ctx_.options.manyFolders + 4) / 5; c < n; ++c) {
        const std::string name = "Client " + std::to_string(c + 1);
        const std::string url = "/Clients/" + name;
        std::int64_t client = Add(clients, c, name, url, true);
        for (int k = 0; k < 4; ++k) Add(client, k, kParts[k], url + "/" + kParts[k], false);
      }
    }
  }

  void Generate(std::int64_t folder, std::int32_t count, std::uint32_t median) {
    if (count <= 0) return;
    orgdb::GeneratedMessages g;
    g.seed = MixBits(ctx_.options.seed ^
                     MixBits(static_cast<std::uint64_t>(folder) + (kMessages << 40)));
    g.count = count;
    g.medianSize = median;
    g.span = 365 * kDay;
    g.firstSubmitTime = ctx_.options.now - g.span;
    ctx_.db.SetGeneratedMessages(folder, g);
  }

  Context& ctx_;
  std::int64_t mailbox_;
  std::uint64_t index_;
  Stream rng_;
  std::uint32_t median_ = 0;
};

void AddMailbox(Context& ctx, const orgdb::Server& server, const std::string& site,
                std::int64_t tableOrder, std::int32_t largeFolder, bool emptyTop) {
  const auto& o = ctx.options;
  std::uint64_t index = static_cast<std::uint64_t>(ctx.mailboxIndex++);
  Stream rng(o.seed, kMailbox, index);
  bool admin = o.adminMailbox && index == 0;
  PersonName person = PickPerson(Stream(o.seed, kPerson, index).Next());
  std::string display = admin ? "Administrator" : DisplayName(person, rng.Next());
  std::string alias = admin ? "admin" : MakeAlias(person, &ctx.aliases);
  if (admin) ++ctx.aliases[alias];

  orgdb::Mailbox m;
  m.serverId = server.id;
  m.tableOrder = tableOrder;
  m.alias = alias;
  m.displayName = display;
  m.emailAddress = "/o=" + ctx.org + "/ou=" + site + "/cn=Recipients/cn=" + alias;
  m.assocContentCount = static_cast<std::int32_t>(3 + rng.Below(40));
  m.messageSize = 0;  // summed from the folders at the end
  m.contentCount = 0;
  // Mostly below the limit; a few warned, stopped, unchecked or disabled.
  std::uint64_t limit = rng.Below(100);
  m.storageLimit = limit < 90 ? 1 : limit < 94 ? 2 : limit < 96 ? 4 : limit < 99 ? 8 : 16;
  // Some mailboxes were never logged on to: no logon, logoff or account.
  if (admin || rng.Percent(93)) {
    m.ntUserName = ctx.domain + "\\" + alias;
    std::uint64_t logon = o.now - 1 - rng.Below(365 * kDay);
    m.lastLogonTime = logon;
    if (rng.Percent(97)) m.lastLogoffTime = logon + 5 * kMinute + rng.Below(600 * kMinute);
  }
  std::int64_t id = ctx.db.AddMailbox(m);

  bool empty = !admin && rng.Percent(2);
  double count = empty ? 0 : std::min(rng.LogNormal(150, 1.1), 30000.0);
  double median = std::clamp(rng.LogNormal(9000, 0.5), 1500.0, 200000.0);
  if (emptyTop)
    MailboxBuilder(ctx, id, index).BuildEmptyTop();
  else
    MailboxBuilder(ctx, id, index)
        .Build(static_cast<std::int32_t>(count), static_cast<std::uint32_t>(median), largeFolder);

  orgdb::GalEntry e;
  Stream gal(o.seed, kGal, index);
  e.displayName = display;
  e.alias = alias;
  e.address = *m.emailAddress;
  e.homeMdb = server.legacyDn + "/cn=Microsoft Private MDB";
  e.homeMta = server.legacyDn + "/cn=Microsoft MTA";
  e.richInfo = admin || !gal.Percent(2);
  if (admin || gal.Percent(95)) {
    std::uint64_t rid = admin ? 500 : 1100 + index;
    e.ntAccountSid = orgdb::SidFromString(ctx.domainSid + "-" + std::to_string(rid));
    // A few accounts were deleted since: the SID no longer translates.
    if (admin || !gal.Percent(1)) ctx.db.AddNtAccount({*e.ntAccountSid, ctx.domain, alias});
  }
  ctx.db.AddGalEntry(e);
}

}  // namespace

std::uint64_t MakeVersion(unsigned major, unsigned minor, unsigned build, unsigned revision) {
  return static_cast<std::uint64_t>(major & 0xFFFF) << 48 |
         static_cast<std::uint64_t>(minor & 0xFFFF) << 32 |
         static_cast<std::uint64_t>(build & 0xFFFF) << 16 | (revision & 0xFFFF);
}

std::vector<SiteSpec> DefaultLayout(int servers, int mailboxesPerServer) {
  std::vector<SiteSpec> sites;
  for (int i = 0; i < servers; ++i) {
    if (i % 2 == 0)
      sites.push_back(
          {i == 0 ? "First Administrative Group" : "Site " + std::to_string(i / 2 + 1), {}});
    char name[16];
    std::snprintf(name, sizeof name, "SRV%02d", i + 1);
    std::uint64_t version = i % 3 == 2 ? MakeVersion(5, 5, 2653, 0) : MakeVersion(6, 5, 7638, 1);
    sites.back().servers.push_back({name, version, mailboxesPerServer});
  }
  return sites;
}

GeneratorOptions DemoOptions(std::uint64_t seed) {
  GeneratorOptions o;
  o.seed = seed;
  o.organisation = "Tabrix";
  o.configurationNamingContext = "CN=Configuration,DC=tabrix,DC=example";
  o.sites = {
      {"First Administrative Group",
       {{"SRV01", MakeVersion(6, 5, 7638, 1), 120}, {"SRV02", MakeVersion(6, 5, 7638, 1), 90}}},
      {"Branch", {{"SRV55", MakeVersion(5, 5, 2653, 0), 60}}}};
  o.adminMailbox = true;
  o.largeFolderMessages = 0;
  return o;
}

void Generate(orgdb::OrgDb& db, const GeneratorOptions& options) {
  GeneratorOptions o = options;
  if (o.now == 0) o.now = kDefaultNow;
  Context ctx{db, o, o.organisation, o.domain.empty() ? AsciiUppered(o.organisation) : o.domain, {},
              {}, 0};
  Stream domain(o.seed, kDomain, 0);
  ctx.domainSid = "S-1-5-21-" + std::to_string(domain.Below(4000000000u)) + "-" +
                  std::to_string(domain.Below(4000000000u)) + "-" +
                  std::to_string(domain.Below(4000000000u));
  std::string configNc = o.configurationNamingContext.empty()
                             ? "CN=Configuration,DC=" + AsciiLowered(o.organisation) + ",DC=example"
                             : o.configurationNamingContext;

  db.Begin();
  db.SetOrganisation({o.organisation, configNc});
  bool firstServer = true;
  for (const auto& siteSpec : o.sites) {
    std::int64_t site = db.AddSite({0, siteSpec.name});
    for (const auto& plan : siteSpec.servers) {
      orgdb::Server server;
      server.siteId = site;
      server.name = plan.name;
      server.legacyDn = "/o=" + o.organisation + "/ou=" + siteSpec.name +
                        "/cn=Configuration/cn=Servers/cn=" + plan.name;
      server.version = plan.version;
      server.id = db.AddServer(server);
      db.AddDirectoryObject({"CN=Servers,CN=" + siteSpec.name + ",CN=Administrative Groups,CN=" +
                                 o.organisation + ",CN=Microsoft Exchange,CN=Services," + configNc,
                             "msExchExchangeServer", plan.name, server.legacyDn});
      for (int i = 0; i < plan.mailboxes; ++i) {
        // The large folder goes to a mailbox other than the administrator's.
        int largeAt = plan.mailboxes > 1 ? 1 : 0;
        std::int32_t large = firstServer && i == largeAt ? o.largeFolderMessages : 0;
        const bool emptyTop = firstServer && o.emptyTopMailbox && i == plan.mailboxes - 1 && i > 0;
        AddMailbox(ctx, server, siteSpec.name, i, large, emptyTop);
      }
      firstServer = false;
    }
  }
  db.RecomputeTotals();
  db.Commit();
}

}  // namespace tabrixorg
