// A plain TCP connection whose every wait is bounded, so that a stopped or
// silent server fails within the given time instead of hanging the caller.
// Failures throw TransportError naming the service ("doveadm", "IMAP"), its
// address and the system's words.
#pragma once

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace mapidove {

// A failure to reach or to understand the server; the text says which.
class TransportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Timeouts {
  std::chrono::milliseconds connect{3000};  // until the TCP connection stands
  std::chrono::milliseconds read{15000};    // the longest silence while waiting for the answer
};

class TcpStream {
 public:
  TcpStream(std::string_view service, std::string_view host, std::uint16_t port,
            const Timeouts& timeouts);
  ~TcpStream();
  TcpStream(const TcpStream&) = delete;
  TcpStream& operator=(const TcpStream&) = delete;

  void SendAll(std::string_view bytes);
  // Appends what arrives next to `into`; returns how many bytes, 0 once the
  // server has closed the connection.
  std::size_t Receive(std::string& into);

 private:
  [[noreturn]] void Fail(const std::string& what) const;

  std::string service_;
  std::string where_;  // host:port
  Timeouts timeouts_;
  int fd_ = -1;
};

}  // namespace mapidove
