// One IMAP connection to the server, logged in as one user through the
// master user: how a mailbox store is opened with administrator privilege.
// Every wait is bounded by the timeouts; the server's refusals throw
// ImapError with its own words, a connection that fails or that the server
// ends TransportError.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "TcpStream.h"

namespace mapidove {

class ImapError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ImapLogin {
  std::string host = "127.0.0.1";
  std::uint16_t port = 0;
  std::string masterUser;
  std::string masterPassword;
  Timeouts timeouts;
};

// Where one whole response ends in what has arrived: after its last line,
// literals ("{12}" and the 12 bytes after it) included; npos while more is
// needed. `from` is where the response starts.
std::size_t ResponseEnd(std::string_view received, std::size_t from);

class ImapSession {
 public:
  // Connects and logs in as `user` (SASL PLAIN with the master user as the
  // one who authenticates).
  ImapSession(const ImapLogin& login, std::string user);

  // Runs one command (without its tag); every untagged response before its
  // completion goes to `untagged`, without its "* " and final line end.
  // Throws ImapError when the server answers NO or BAD, TransportError when
  // it ends the session (BYE) or the connection fails.
  void Run(std::string_view command, const std::function<void(std::string_view)>& untagged);

  const std::string& user() const { return user_; }

 private:
  // The next whole response, valid until the next call.
  std::string_view Next();

  TcpStream stream_;
  std::string user_;
  std::string received_;
  std::size_t at_ = 0;  // start of the first unread response in received_
  unsigned tag_ = 0;
};

}  // namespace mapidove
