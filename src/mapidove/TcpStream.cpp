#include "TcpStream.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace mapidove {
namespace {

// Waits for `events` on the socket; false when the time ran out.
bool Wait(int fd, short events, std::chrono::milliseconds timeout) {
  pollfd p{fd, events, 0};
  for (;;) {
    int n = poll(&p, 1, static_cast<int>(timeout.count()));
    if (n >= 0) return n > 0;
    if (errno != EINTR) return false;
  }
}

std::string Ms(std::chrono::milliseconds t) {
  return std::to_string(t.count()) + " ms";
}

}  // namespace

TcpStream::TcpStream(std::string_view service, std::string_view host, std::uint16_t port,
                     const Timeouts& timeouts)
    : service_(service),
      where_(std::string(host) + ":" + std::to_string(port)),
      timeouts_(timeouts) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string hostName(host);
  if (int rc = getaddrinfo(hostName.c_str(), std::to_string(port).c_str(), &hints, &found); rc != 0)
    throw TransportError("Cannot resolve " + hostName + ": " + gai_strerror(rc));
  std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(found, &freeaddrinfo);

  fd_ = ::socket(found->ai_family, found->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                 found->ai_protocol);
  if (fd_ < 0) throw TransportError(std::string("Cannot open a socket: ") + strerror(errno));
  try {
    if (connect(fd_, found->ai_addr, found->ai_addrlen) != 0) {
      if (errno != EINPROGRESS) Fail("Cannot connect to " + service_ + " at " + where_);
      if (!Wait(fd_, POLLOUT, timeouts_.connect))
        throw TransportError("Cannot connect to " + service_ + " at " + where_ +
                             ": no answer within " + Ms(timeouts_.connect));
      int error = 0;
      socklen_t size = sizeof error;
      getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size);
      if (error != 0) {
        errno = error;
        Fail("Cannot connect to " + service_ + " at " + where_);
      }
    }
  } catch (...) {
    close(fd_);
    throw;
  }
}

TcpStream::~TcpStream() {
  close(fd_);
}

void TcpStream::Fail(const std::string& what) const {
  throw TransportError(what + ": " + strerror(errno));
}

void TcpStream::SendAll(std::string_view bytes) {
  for (std::size_t sent = 0; sent < bytes.size();) {
    if (!Wait(fd_, POLLOUT, timeouts_.read))
      throw TransportError(service_ + " at " + where_ + " took no request within " +
                           Ms(timeouts_.read));
    ssize_t n = send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno != EAGAIN && errno != EINTR)
      Fail("Cannot send to " + service_ + " at " + where_);
    if (n > 0) sent += static_cast<std::size_t>(n);
  }
}

std::size_t TcpStream::Receive(std::string& into) {
  char buffer[65536];
  for (;;) {
    if (!Wait(fd_, POLLIN, timeouts_.read))
      throw TransportError(service_ + " at " + where_ + " did not answer within " +
                           Ms(timeouts_.read));
    ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) continue;
      Fail("Cannot read from " + service_ + " at " + where_);
    }
    into.append(buffer, static_cast<std::size_t>(n));
    return static_cast<std::size_t>(n);
  }
}

}  // namespace mapidove
