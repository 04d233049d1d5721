// The containers of the address book and what they hold.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "EntryIds.h"
#include "PropValues.h"
#include "SessionContext.h"

namespace mapisim {

struct ContainerInfo {
  AbContainerId id;
  const char* displayName;
  const char* kind;  // fault kind
};

const ContainerInfo& ContainerById(AbContainerId id);

// The container's own properties (GetProps; its hierarchy-table row adds
// PR_DEPTH).
OwnedRow ContainerProps(AbContainerId id);

// Rows of the root container's hierarchy table.
std::vector<OwnedRow> RootHierarchyRows();

// Rows of the Global Address List's contents table.
std::vector<OwnedRow> GalContentsRows(const Db& db);

// The mail user an entry ID names, if it exists.
std::optional<MailUserData> MailUserOf(const SessionPtr& session, const EntryId& id);

// "identity" for the session's own user, else "mailuser".
std::string MailUserKind(const SessionPtr& session, std::string_view entryId);

}  // namespace mapisim
