#include "ImapSession.h"

#include <charconv>

#include "HttpExchange.h"

namespace mapidove {

std::size_t ResponseEnd(std::string_view received, std::size_t from) {
  for (std::size_t at = from;;) {
    const std::size_t eol = received.find("\r\n", at);
    if (eol == std::string_view::npos) return std::string_view::npos;
    // A line ending in "{n}" or "{n+}" announces n bytes that belong to it.
    std::string_view line = received.substr(at, eol - at);
    if (line.empty() || line.back() != '}') return eol + 2;
    const std::size_t open = line.rfind('{');
    if (open == std::string_view::npos) return eol + 2;
    std::string_view digits = line.substr(open + 1, line.size() - open - 2);
    if (!digits.empty() && digits.back() == '+') digits.remove_suffix(1);
    std::size_t size = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) return eol + 2;
    if (received.size() - (eol + 2) < size) return std::string_view::npos;
    at = eol + 2 + size;
  }
}

ImapSession::ImapSession(const ImapLogin& login, std::string user)
    : stream_("IMAP", login.host, login.port, login.timeouts), user_(std::move(user)) {
  const std::string_view greeting = Next();
  if (!greeting.starts_with("* OK")) throw ImapError("IMAP: " + std::string(greeting));
  std::string credentials = user_;
  credentials += '\0';
  credentials += login.masterUser;
  credentials += '\0';
  credentials += login.masterPassword;
  Run("AUTHENTICATE PLAIN " + Base64(credentials), [](std::string_view) {});
}

std::string_view ImapSession::Next() {
  for (;;) {
    if (const std::size_t end = ResponseEnd(received_, at_); end != std::string_view::npos) {
      const std::string_view response(received_.data() + at_, end - at_ - 2);
      at_ = end;
      return response;
    }
    // Keep the buffer from growing with everything read so far.
    if (at_ > received_.size() / 2) {
      received_.erase(0, at_);
      at_ = 0;
    }
    if (stream_.Receive(received_) == 0)
      throw TransportError("IMAP: the server closed the connection");
  }
}

void ImapSession::Run(std::string_view command,
                      const std::function<void(std::string_view)>& untagged) {
  const std::string tag = "t" + std::to_string(++tag_);
  stream_.SendAll(tag + " " + std::string(command) + "\r\n");
  for (;;) {
    std::string_view response = Next();
    if (response.starts_with("* ")) {
      // The server ends the session ("Disconnected for inactivity."): the
      // connection is going away, whatever the command.
      if (response.starts_with("* BYE"))
        throw TransportError("IMAP: " + std::string(response.substr(6)));
      untagged(response.substr(2));
      continue;
    }
    if (response.starts_with("+"))  // no command here sends more than its first line
      throw ImapError("IMAP: the server asked for more: " + std::string(response));
    if (!response.starts_with(tag + " ")) continue;
    response.remove_prefix(tag.size() + 1);
    if (response.starts_with("OK")) return;
    // "NO [AUTHENTICATIONFAILED] Authentication failed."
    const std::size_t space = response.find(' ');
    throw ImapError("IMAP: " + std::string(space == std::string_view::npos
                                               ? response
                                               : response.substr(space + 1)));
  }
}

}  // namespace mapidove
