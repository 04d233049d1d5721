// A client of Dovecot's admin interface, the doveadm HTTP API: one command
// per request, JSON in and out, authenticated with the API key or with the
// doveadm password. Failures throw DoveadmError with Dovecot's own words
// (the HTTP reason, or the command's exit code and its name).
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "HttpExchange.h"

namespace mapidove {

class DoveadmError : public std::runtime_error {
 public:
  // `exitCode` is doveadm's exit code for a command that ran and failed, 0
  // for a failure to reach the server or to be let in.
  DoveadmError(const std::string& text, int exitCode)
      : std::runtime_error(text), exitCode_(exitCode) {}
  int exitCode() const { return exitCode_; }

 private:
  int exitCode_;
};

// doveadm's exit codes for a command that found nothing or no such user.
inline constexpr int kDoveadmNotFound = 68;
inline constexpr int kDoveadmNoUser = 67;

struct Endpoint {
  std::string host = "127.0.0.1";
  std::uint16_t port = 0;  // the doveadm service's HTTP listener
  std::string apiKey;      // doveadm_api_key; used when set
  std::string user = "doveadm";
  std::string password;  // doveadm_password; used without an API key
  Timeouts timeouts;
};

// The name doveadm gives an exit code ("NOTFOUND" for 68), or "FAILURE".
std::string_view ExitCodeName(int exitCode);

// One command of a request: its name ("mailboxStatus") and its named
// parameters.
struct DoveadmCommand {
  std::string name;
  nlohmann::json parameters;
};

// One command's answer: its payload, or its failure.
struct DoveadmAnswer {
  nlohmann::json payload;
  std::optional<DoveadmError> error;
};

class DoveadmClient {
 public:
  explicit DoveadmClient(Endpoint endpoint) : endpoint_(std::move(endpoint)) {}

  // Runs one command ("mailboxStatus") with its named parameters and returns
  // the payload of its answer (an array or an object).
  nlohmann::json Call(std::string_view command, const nlohmann::json& parameters) const;

  // Runs several commands in one request and gives their answers in the
  // same order; a command that fails leaves its error in its answer. Only a
  // failure of the request itself (not reached, not let in, no doveadm
  // answer) throws.
  std::vector<DoveadmAnswer> CallEach(const std::vector<DoveadmCommand>& commands) const;

  const Endpoint& endpoint() const { return endpoint_; }

 private:
  Endpoint endpoint_;
};

}  // namespace mapidove
