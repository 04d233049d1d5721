// The readable JSON form of a whole organisation (described in README.md).
#pragma once

#include <nlohmann/json.hpp>

#include "OrgDb.h"

namespace tabrixorg {

using Json = nlohmann::ordered_json;

// The whole organisation; absent columns are absent keys.
Json ExportOrganisation(const orgdb::OrgDb& db);

// Fills an empty database. Throws std::runtime_error naming the place in the
// document ("sites[0].servers[1].mailboxes[2].contentCount: ...") of the
// first value it cannot take.
void ImportOrganisation(const Json& document, orgdb::OrgDb& db);

// Byte strings: valid UTF-8 as a JSON string, anything else as
// {"hex": "<two hex digits per byte>"}.
Json TextToJson(const std::string& bytes);
bool IsValidUtf8(const std::string& bytes);

}  // namespace tabrixorg
