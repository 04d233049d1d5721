#include "DoveadmClient.h"

namespace mapidove {

std::string_view ExitCodeName(int exitCode) {
  // doveadm's own names for the sysexits codes it uses.
  switch (exitCode) {
    case 64:
      return "USAGE";
    case 65:
      return "DATAERR";
    case 67:
      return "NOUSER";
    case 68:
      return "NOTFOUND";
    case 75:
      return "TEMPFAIL";
    case 76:
      return "PROTOCOL";
    case 77:
      return "NOPERM";
    default:
      return "FAILURE";
  }
}

nlohmann::json DoveadmClient::Call(std::string_view command,
                                   const nlohmann::json& parameters) const {
  const std::string tag = "tabrix";
  HttpRequest request;
  request.path = "/doveadm/v1";
  request.headers.emplace_back("Content-Type", "application/json");
  request.headers.emplace_back("Authorization",
                               endpoint_.apiKey.empty()
                                   ? "Basic " + Base64(endpoint_.user + ":" + endpoint_.password)
                                   : "X-Dovecot-API " + Base64(endpoint_.apiKey));
  request.body = nlohmann::json::array({nlohmann::json::array({command, parameters, tag})}).dump();

  const std::string where = "doveadm at " + endpoint_.host + ":" + std::to_string(endpoint_.port);
  HttpResponse response;
  try {
    response = Exchange(endpoint_.host, endpoint_.port, request, endpoint_.timeouts);
  } catch (const TransportError& e) {
    throw DoveadmError(e.what(), 0);
  }
  if (response.status != 200)
    throw DoveadmError(where + ": " + std::to_string(response.status) + " " + response.reason, 0);

  nlohmann::json answer = nlohmann::json::parse(response.body, nullptr, false);
  // [["doveadmResponse", payload, tag]] or [["error", {...}, tag]]
  if (!answer.is_array() || answer.empty() || !answer[0].is_array() || answer[0].size() < 2 ||
      !answer[0][0].is_string())
    throw DoveadmError(where + " gave an answer that is not a doveadm response", 0);
  const auto& reply = answer[0];
  if (reply[0] == "doveadmResponse") return reply[1];

  const auto& error = reply[1];
  std::string text = "doveadm " + std::string(command) + " failed";
  if (error.is_object() && error.value("type", "") == "exitCode") {
    int code = error.value("exitCode", 1);
    throw DoveadmError(
        text + ": exit code " + std::to_string(code) + " (" + std::string(ExitCodeName(code)) + ")",
        code);
  }
  throw DoveadmError(text + ": " + (error.is_object() ? error.value("type", "error") : "error"), 1);
}

}  // namespace mapidove
