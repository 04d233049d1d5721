// Internal to the directory stand-in: the one statement form the directory query
// answers,
//   SELECT a, b FROM 'LDAP://server/<container DN>' WHERE objectClass='<class>'
// with keywords and the attribute name objectClass in any case, blanks
// anywhere between the parts, and an optional closing ";".
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace directory {

struct DirectoryStatement {
  std::vector<std::string> columns;
  std::string server;
  std::string container;
  std::string objectClass;
};

std::optional<DirectoryStatement> ParseDirectoryStatement(const std::string& text);

// "LDAP://server/object": the server and the object part; nullopt when the
// text has another form (no "LDAP://" prefix, no server, no object).
struct LdapPath {
  std::string server;
  std::string object;
};
std::optional<LdapPath> ParseLdapPath(const std::string& path);

}  // namespace directory
