// The two large tables, streamed from the organisation database: a
// server's mailbox table and a folder's contents table.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "SimState.h"
#include "TableSource.h"

namespace mapisim {

// Rows of IExchangeManageStore::GetMailboxTable in table order:
// PR_EMAIL_ADDRESS, PR_DISPLAY_NAME, PR_NT_USER_NAME,
// PR_MESSAGE_SIZE_EXTENDED (and PR_MESSAGE_SIZE, its low 32 bits),
// PR_CONTENT_COUNT, PR_ASSOC_CONTENT_COUNT, PR_LAST_LOGON_TIME,
// PR_LAST_LOGOFF_TIME, PR_STORAGE_LIMIT_INFORMATION; a column the mailbox
// lacks is left out of the row (and so served as MAPI_E_NOT_FOUND).
std::unique_ptr<TableSource> MakeMailboxSource(Db db, std::int64_t serverId);

// Rows of a folder's contents table: PR_ENTRYID, PR_HASATTACH, PR_SUBJECT,
// PR_MESSAGE_SIZE, PR_MESSAGE_DELIVERY_TIME, PR_CLIENT_SUBMIT_TIME, in the
// folder's natural order. Sorting by PR_CLIENT_SUBMIT_TIME alone, either
// way, is done by the database.
std::unique_ptr<TableSource> MakeContentsSource(Db db, std::int64_t folderId);

// The columns of a contents table before SetColumns.
std::vector<ULONG> ContentsColumns();

}  // namespace mapisim
