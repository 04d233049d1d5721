// The deterministic organisation generator of `tabrix-org generate`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "OrgDb.h"

namespace tabrixorg {

struct ServerSpec {
  std::string name;       // SRV01
  std::uint64_t version;  // PR_REPLICA_VERSION form
  int mailboxes = 0;
};

struct SiteSpec {
  std::string name;  // administrative group
  std::vector<ServerSpec> servers;
};

struct GeneratorOptions {
  std::uint64_t seed = 1;
  std::string organisation = "Org";
  // Empty: CN=Configuration,DC=<organisation in lower case>,DC=example.
  std::string configurationNamingContext;
  // Empty: the NT domain is the organisation's name in upper case.
  std::string domain;
  std::vector<SiteSpec> sites;
  // The first server's first mailbox is "admin" / "Administrator".
  bool adminMailbox = true;
  // One mailbox (the first server's second, or its first) gets a folder
  // /Inbox/Archive holding this many generated messages.
  std::int32_t largeFolderMessages = 0;
  // The organisation's third mailbox gets at least this many folders in
  // all (0: none added).
  std::int32_t manyFolders = 0;
  // The first server's last mailbox (when it is not the only one) has a top
  // of information store and nothing below it.
  bool emptyTopMailbox = false;
  // "Now" for logon times (FILETIME); the year before it holds them.
  std::uint64_t now = 0;
};

// The layout for --servers K --mailboxes M: K servers SRV01.. with M
// mailboxes each, two servers per site ("First Administrative Group",
// "Site 2", ...), every third server running Exchange 5.5.
std::vector<SiteSpec> DefaultLayout(int servers, int mailboxesPerServer);

// The demo organisation (fixed facts relied on by the demo and the tests).
GeneratorOptions DemoOptions(std::uint64_t seed);

// The default "now": 2006-07-01 00:00 UTC, fixed so that a seed always gives
// the same file.
constexpr std::uint64_t kDefaultNow = 127961280000000000ull;

std::uint64_t MakeVersion(unsigned major, unsigned minor, unsigned build, unsigned revision);

// Fills an empty database. Mailbox sizes and counts are the sums of their
// folders, which are the sums of their (generated) messages.
void Generate(orgdb::OrgDb& db, const GeneratorOptions& options);

}  // namespace tabrixorg
