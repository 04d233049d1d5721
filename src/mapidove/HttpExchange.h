// One HTTP/1.1 request over a plain TCP socket, written for the doveadm HTTP
// API: the request is sent whole, the answer read until its length (or the
// last chunk) is in, and every wait is bounded so that a stopped or silent
// server fails within the given time instead of hanging the caller.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "TcpStream.h"

namespace mapidove {

struct HttpRequest {
  std::string method = "POST";
  std::string path;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
};

struct HttpResponse {
  int status = 0;
  std::string reason;  // the server's own words after the status code
  std::string body;    // de-chunked
};

// The request as it goes on the wire, with Host and Content-Length added.
std::string FormatRequest(const HttpRequest& request, std::string_view host, std::uint16_t port);

// Reads an answer from what has arrived so far. Returns the answer once it
// is complete, nothing while more is needed; `closed` says the server has
// closed the connection, which completes an answer without a length.
// Throws TransportError on a malformed answer.
std::optional<HttpResponse> ParseResponse(std::string_view received, bool closed);

// Sends one request and waits for its answer within the timeouts.
HttpResponse Exchange(std::string_view host, std::uint16_t port, const HttpRequest& request,
                      const Timeouts& timeouts);

// RFC 4648 base64 with padding, for the Authorization header.
std::string Base64(std::string_view bytes);

}  // namespace mapidove
