#include "DovecotFixture.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

namespace mapidove {
namespace {

std::unique_ptr<DovecotServer> gServer;
std::string gUnavailable;
bool gMissing = false;
bool gTried = false;

bool Installed(const char* name) {
  for (const char* dir : {"/usr/sbin/", "/usr/bin/", "/usr/local/sbin/", "/usr/local/bin/"})
    if (access((std::string(dir) + name).c_str(), X_OK) == 0) return true;
  return false;
}

int Run(const std::string& command) {
  return std::system(command.c_str());
}

// Stops the server when the program ends, whatever the tests did.
class StopAtExit : public ::testing::Environment {
 public:
  void TearDown() override { DovecotServer::Stop(); }
};

}  // namespace

const DovecotServer* DovecotServer::Get() {
  if (gTried) return gServer.get();
  gTried = true;
  ::testing::AddGlobalTestEnvironment(new StopAtExit);
  if (!Installed("dovecot") || !Installed("doveadm")) {
    gMissing = true;
    gUnavailable = "Dovecot is not installed (dovecot-core, dovecot-imapd): skipped";
    return nullptr;
  }
  char pattern[] = "/tmp/tabrix-dovecot-XXXXXX";
  if (!mkdtemp(pattern)) {
    gUnavailable = "cannot make a temporary folder";
    return nullptr;
  }
  auto server = std::make_unique<DovecotServer>();
  server->dir_ = pattern;
  const std::string script = std::string("bash ") + TABRIX_DOVECOT_SCRIPT;
  const std::string log = server->dir_ + "/script.log";
  if (Run(script + " start " + server->dir_ + " >" + log + " 2>&1") != 0) {
    gUnavailable = "dovecot-server.sh start failed; see " + log;
    return nullptr;
  }
  gServer = std::move(server);  // from here on Stop() cleans up
  if (Run(std::string("TABRIX_ORG=") + TABRIX_ORG_TOOL + " " + script + " fill " + gServer->dir_ +
          " --seed 11 --users 4 >>" + log + " 2>&1") != 0) {
    gUnavailable = "dovecot-server.sh fill failed; see " + log;
    Stop();
    return nullptr;
  }
  gServer->config_ = LoadServerConfig(gServer->dir_ + "/endpoint.json");
  std::ifstream truth(gServer->dir_ + "/truth.json");
  gServer->truth_ = nlohmann::json::parse(truth);
  return gServer.get();
}

const std::string& DovecotServer::Unavailable() {
  return gUnavailable;
}
bool DovecotServer::Missing() {
  return gMissing;
}

bool DovecotServer::ImapLogin(const std::string& user, bool throughMaster) const {
  std::string login = user, password;
  if (throughMaster) {
    login += config_.masterSeparator + config_.masterUser;
    password = config_.masterPassword;
  } else {
    for (const auto& u : truth_["users"])
      if (u["name"] == user) password = u["password"];
    testLogins_.insert(user);
  }
  const std::string command = "python3 -c \"import imaplib; m = imaplib.IMAP4('" +
                              config_.endpoint.host + "', " + std::to_string(config_.imapPort) +
                              ", timeout=10); m.login('" + login + "', '" + password +
                              "'); m.logout()\"";
  return Run(command) == 0;
}

void DovecotServer::Stop() {
  if (!gServer) return;
  Run(std::string("bash ") + TABRIX_DOVECOT_SCRIPT + " stop " + gServer->dir_ + " >/dev/null");
  std::error_code ignored;
  std::filesystem::remove_all(gServer->dir_, ignored);
  gServer.reset();
}

bool StartWithDovecot(testsupport::MapiMachine& machine, const DovecotServer& server,
                      ProviderConfig& config) {
  config.endpointFile = server.dir() + "/endpoint.json";
  WriteProviderConfig(ProviderConfigPath(machine.root()), config);
  orgdb::MachineSetupOptions options;
  options.mapiLibrary = TABRIX_DOVE_LIBRARY;
  options.linkMapiLibrary = true;
  options.defaultProfileMailbox = server.truth()["users"][0]["name"].get<std::string>();
  options.defaultProfileServer = config.server;
  return machine.Start("", options);
}

int ListenOnLoopback(std::uint16_t* port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof a;
  bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  listen(fd, 4);
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
  *port = ntohs(a.sin_port);
  return fd;
}

SilentServer::~SilentServer() {
  close(fd_);
}

std::uint16_t ClosedPort() {
  SilentServer s;
  return s.port();
}

StoppingProxy::StoppingProxy(const ServerConfig& server, int calls)
    : left_(calls),
      httpListener_(ListenOnLoopback(&httpPort_)),
      imapListener_(ListenOnLoopback(&imapPort_)) {
  if (calls == 0) StopListening();
  http_ = std::thread([this, &server] { Serve(httpListener_, server.endpoint.port, false); });
  imap_ = std::thread([this, &server] { Serve(imapListener_, server.imapPort, true); });
}

StoppingProxy::~StoppingProxy() {
  stopping_ = true;
  StopListening();
  http_.join();
  imap_.join();
  close(httpListener_);
  close(imapListener_);
}

bool StoppingProxy::Pass() {
  const int left = left_--;
  // Stops listening before the last request is answered, so that no later
  // connection waits in the backlog.
  if (left <= 1) StopListening();
  return left > 0;
}

void StoppingProxy::StopListening() {
  shutdown(httpListener_, SHUT_RDWR);
  shutdown(imapListener_, SHUT_RDWR);
}

void StoppingProxy::Serve(int listener, std::uint16_t target, bool imap) {
  for (;;) {
    const int client = accept(listener, nullptr, nullptr);
    if (client < 0) return;
    if (imap || Pass()) Forward(client, target, imap);
    close(client);
  }
}

void StoppingProxy::Forward(int client, std::uint16_t target, bool imap) {
  const int server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(target);
  if (connect(server, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
    pollfd fds[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
    char buffer[65536];
    bool open = true;
    while (open && !stopping_) {
      if (poll(fds, 2, 100) <= 0) continue;
      for (int k = 0; k < 2 && open; ++k) {
        if (!fds[k].revents) continue;
        const ssize_t n = read(fds[k].fd, buffer, sizeof buffer);
        // Each line the IMAP client sends is a command (no literals here).
        if (imap && k == 0 && n > 0)
          for (const char* c = buffer; c < buffer + n && open; ++c)
            if (*c == '\n') open = Pass();
        open = open && n > 0 && write(fds[1 - k].fd, buffer, static_cast<std::size_t>(n)) == n;
      }
    }
  }
  close(server);
}

}  // namespace mapidove
