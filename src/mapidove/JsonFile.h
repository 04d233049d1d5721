// The small JSON files of the Dovecot provider, read whole.
#pragma once

#include <fstream>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

namespace mapidove {

// The file's object; throws std::runtime_error naming the file when it
// cannot be read or holds no JSON object.
inline nlohmann::json ReadJsonObject(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("Cannot read " + path);
  nlohmann::json j = nlohmann::json::parse(in, nullptr, false);
  if (!j.is_object()) throw std::runtime_error(path + ": not a JSON object");
  return j;
}

}  // namespace mapidove
