// A private Dovecot, started and filled once for the whole test program by
// scripts/dovecot-server.sh, with the ground truth the script wrote.
#pragma once

#include <atomic>
#include <cstdint>
#include <set>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "MapiMachine.h"
#include "ProviderConfig.h"
#include "ServerConfig.h"

namespace mapidove {

class DovecotServer {
 public:
  // The running server, or nothing with the reason in `Unavailable()`:
  // missing binaries skip the tests, a failed start fails them.
  static const DovecotServer* Get();
  static const std::string& Unavailable();
  static bool Missing();  // true when the Dovecot binaries are not installed

  const ServerConfig& config() const { return config_; }
  const nlohmann::json& truth() const { return truth_; }
  const std::string& dir() const { return dir_; }

  // Logs `user` in over IMAP with the user's own password, or through the
  // master user as an administrator does; true on success.
  bool ImapLogin(const std::string& user, bool throughMaster) const;
  // Whether a test logged `user` in since the fill (its last login then
  // differs from the ground truth).
  bool LoggedInByTest(const std::string& user) const { return testLogins_.count(user) > 0; }

  static void Stop();

 private:
  std::string dir_;
  ServerConfig config_;
  nlohmann::json truth_;
  mutable std::set<std::string> testLogins_;
};

// Lays `machine` out with the Dovecot library, `config` (its endpoint file
// set to the server's) as the machine root's configuration and a default
// profile for the server's first user, and binds the library afresh.
bool StartWithDovecot(testsupport::MapiMachine& machine, const DovecotServer& server,
                      ProviderConfig& config);

// A TCP socket listening on a free port of 127.0.0.1, not inherited by the
// programs a test starts (a child holding it would keep the port open);
// *port gets the port.
int ListenOnLoopback(std::uint16_t* port);

// A socket that takes connections and never answers: a hung server.
class SilentServer {
 public:
  SilentServer() : fd_(ListenOnLoopback(&port_)) {}
  ~SilentServer();
  std::uint16_t port() const { return port_; }

 private:
  std::uint16_t port_ = 0;  // set by fd_'s initialiser, so declared first
  int fd_;
};

// A port on which nothing listens: a stopped server.
std::uint16_t ClosedPort();

// Passes the first `calls` requests on to the server, then goes away: it
// stops listening and cuts an open IMAP connection at its next command (at
// once when `calls` is 0). A request is a connection to the HTTP API or a
// command line over IMAP, counted together in the order they come.
class StoppingProxy {
 public:
  StoppingProxy(const ServerConfig& server, int calls);
  // A run that made fewer calls leaves the threads waiting: wake them.
  ~StoppingProxy();
  StoppingProxy(const StoppingProxy&) = delete;
  StoppingProxy& operator=(const StoppingProxy&) = delete;
  std::uint16_t httpPort() const { return httpPort_; }
  std::uint16_t imapPort() const { return imapPort_; }

 private:
  // Takes one request; false once none is left.
  bool Pass();
  void StopListening();
  void Serve(int listener, std::uint16_t target, bool imap);
  void Forward(int client, std::uint16_t target, bool imap);

  std::atomic<int> left_;
  std::atomic<bool> stopping_{false};
  std::uint16_t httpPort_ = 0;  // set by the listeners' initialisers, so declared first
  std::uint16_t imapPort_ = 0;
  int httpListener_;
  int imapListener_;
  std::thread http_;
  std::thread imap_;
};

}  // namespace mapidove

// Skips the test when Dovecot is not installed and fails it when the server
// could not be started; otherwise `server` is the running server.
#define TABRIX_NEED_DOVECOT(server)                                           \
  const ::mapidove::DovecotServer* server = ::mapidove::DovecotServer::Get(); \
  if (::mapidove::DovecotServer::Missing())                                   \
    GTEST_SKIP() << ::mapidove::DovecotServer::Unavailable();                 \
  ASSERT_NE(server, nullptr) << ::mapidove::DovecotServer::Unavailable()
