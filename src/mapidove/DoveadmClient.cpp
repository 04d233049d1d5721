#include "DoveadmClient.h"

#include <charconv>

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

namespace {

// The failure doveadm reports for one command.
DoveadmError CommandError(std::string_view command, const nlohmann::json& error) {
  std::string text = "doveadm " + std::string(command) + " failed";
  if (error.is_object() && error.value("type", "") == "exitCode") {
    int code = error.value("exitCode", 1);
    return DoveadmError(
        text + ": exit code " + std::to_string(code) + " (" + std::string(ExitCodeName(code)) + ")",
        code);
  }
  return DoveadmError(text + ": " + (error.is_object() ? error.value("type", "error") : "error"),
                      1);
}

}  // namespace

nlohmann::json DoveadmClient::Call(std::string_view command,
                                   const nlohmann::json& parameters) const {
  std::vector<DoveadmAnswer> answers = CallEach({{std::string(command), parameters}});
  if (answers[0].error) throw *answers[0].error;
  return std::move(answers[0].payload);
}

std::vector<DoveadmAnswer> DoveadmClient::CallEach(
    const std::vector<DoveadmCommand>& commands) const {
  HttpRequest request;
  request.path = "/doveadm/v1";
  request.headers.emplace_back("Content-Type", "application/json");
  request.headers.emplace_back("Authorization",
                               endpoint_.apiKey.empty()
                                   ? "Basic " + Base64(endpoint_.user + ":" + endpoint_.password)
                                   : "X-Dovecot-API " + Base64(endpoint_.apiKey));
  // Each command is tagged with its position, so that the answers can be
  // matched whatever order they come in.
  nlohmann::json body = nlohmann::json::array();
  for (std::size_t i = 0; i < commands.size(); ++i)
    body.push_back(
        nlohmann::json::array({commands[i].name, commands[i].parameters, std::to_string(i)}));
  request.body = body.dump();

  const std::string where = "doveadm at " + endpoint_.host + ":" + std::to_string(endpoint_.port);
  HttpResponse response;
  try {
    response = Exchange(endpoint_.host, endpoint_.port, request, endpoint_.timeouts);
  } catch (const TransportError& e) {
    throw DoveadmError(e.what(), 0);
  }
  if (response.status != 200)
    throw DoveadmError(where + ": " + std::to_string(response.status) + " " + response.reason, 0);

  // [["doveadmResponse", payload, tag], ["error", {...}, tag], ...]
  nlohmann::json answer = nlohmann::json::parse(response.body, nullptr, false);
  const DoveadmError unreadable(where + " gave an answer that is not a doveadm response", 0);
  if (!answer.is_array() || answer.size() != commands.size()) throw unreadable;
  std::vector<DoveadmAnswer> answers(commands.size());
  std::vector<bool> seen(commands.size(), false);
  for (const auto& reply : answer) {
    if (!reply.is_array() || reply.size() < 3 || !reply[0].is_string() || !reply[2].is_string())
      throw unreadable;
    const std::string& tag = reply[2].get_ref<const std::string&>();
    std::size_t at = 0;
    auto [end, ec] = std::from_chars(tag.data(), tag.data() + tag.size(), at);
    if (ec != std::errc() || end != tag.data() + tag.size() || at >= commands.size() || seen[at])
      throw unreadable;
    seen[at] = true;
    if (reply[0] == "doveadmResponse")
      answers[at].payload = reply[1];
    else
      answers[at].error = CommandError(commands[at].name, reply[1]);
  }
  return answers;
}

}  // namespace mapidove
