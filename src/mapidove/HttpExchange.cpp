#include "HttpExchange.h"

#include <charconv>
#include <cstdlib>

namespace mapidove {
namespace {

std::string Where(std::string_view host, std::uint16_t port) {
  return std::string(host) + ":" + std::to_string(port);
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// Decodes a chunked body; nothing while the last chunk has not arrived.
std::optional<std::string> Dechunk(std::string_view data) {
  std::string body;
  std::size_t at = 0;
  for (;;) {
    std::size_t eol = data.find("\r\n", at);
    if (eol == std::string_view::npos) return std::nullopt;
    std::size_t size = 0;
    std::string_view digits = data.substr(at, eol - at);
    digits = digits.substr(0, digits.find(';'));
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), size, 16);
    if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty())
      throw TransportError("malformed chunk size in the HTTP answer");
    at = eol + 2;
    if (size == 0) {
      // Trailers end with an empty line.
      if (data.find("\r\n", at) == std::string_view::npos) return std::nullopt;
      return body;
    }
    if (data.size() < at + size + 2) return std::nullopt;
    body.append(data.substr(at, size));
    at += size + 2;
  }
}

// Whether parsing what arrived could find the answer whole: parsing after
// every read would cost time quadratic in the answer's length. A chunked
// answer (Dovecot's) ends with an empty line; one with a length ends once
// that many bytes follow the head; anything else ends when the server closes.
bool MayBeComplete(std::string_view received, bool closed) {
  if (closed) return true;
  const std::size_t headEnd = received.find("\r\n\r\n");
  if (headEnd == std::string_view::npos) return false;
  const std::string head = Lower(received.substr(0, headEnd));
  if (head.find("\r\ntransfer-encoding:") != std::string::npos)
    return received.size() > headEnd + 4 && received.ends_with("\r\n\r\n");
  const std::size_t at = head.find("\r\ncontent-length:");
  if (at == std::string::npos) return false;
  const std::size_t length = std::strtoull(head.c_str() + at + 17, nullptr, 10);
  return received.size() - headEnd - 4 >= length;
}

}  // namespace

std::string FormatRequest(const HttpRequest& request, std::string_view host, std::uint16_t port) {
  std::string out = request.method + " " + request.path + " HTTP/1.1\r\n";
  out += "Host: " + Where(host, port) + "\r\n";
  for (const auto& [name, value] : request.headers) out += name + ": " + value + "\r\n";
  // No "Connection: close": Dovecot then never sends its 401 answer. The
  // answer's own length tells where it ends, and the socket is closed after.
  out += "Content-Length: " + std::to_string(request.body.size()) + "\r\n\r\n";
  out += request.body;
  return out;
}

std::optional<HttpResponse> ParseResponse(std::string_view received, bool closed) {
  std::size_t headEnd = received.find("\r\n\r\n");
  if (headEnd == std::string_view::npos) {
    if (closed) throw TransportError("the server closed the connection without an HTTP answer");
    return std::nullopt;
  }
  std::string_view head = received.substr(0, headEnd);
  std::size_t lineEnd = head.find("\r\n");
  std::string_view statusLine = head.substr(0, lineEnd);
  // "HTTP/1.1 200 OK"
  if (statusLine.substr(0, 5) != "HTTP/" || statusLine.find(' ') == std::string_view::npos)
    throw TransportError("not an HTTP answer: " + std::string(statusLine.substr(0, 80)));
  std::string_view rest = statusLine.substr(statusLine.find(' ') + 1);
  HttpResponse response;
  auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), response.status);
  if (ec != std::errc() || response.status < 100 || response.status > 999)
    throw TransportError("not an HTTP status line: " + std::string(statusLine.substr(0, 80)));
  std::string_view reason(end, rest.data() + rest.size() - end);
  if (!reason.empty() && reason.front() == ' ') reason.remove_prefix(1);
  response.reason = reason;

  std::optional<std::size_t> length;
  bool chunked = false;
  std::size_t at = lineEnd == std::string_view::npos ? head.size() : lineEnd + 2;
  while (at < head.size()) {
    std::size_t next = head.find("\r\n", at);
    if (next == std::string_view::npos) next = head.size();
    std::string_view line = head.substr(at, next - at);
    at = next + 2;
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    std::string name = Lower(line.substr(0, colon));
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    if (name == "content-length") {
      std::size_t n = 0;
      auto [e, err] = std::from_chars(value.data(), value.data() + value.size(), n);
      if (err != std::errc()) throw TransportError("malformed Content-Length in the HTTP answer");
      length = n;
    } else if (name == "transfer-encoding" && Lower(value).find("chunked") != std::string::npos) {
      chunked = true;
    }
  }
  std::string_view data = received.substr(headEnd + 4);
  if (chunked) {
    auto body = Dechunk(data);
    if (!body) {
      if (closed)
        throw TransportError("the server closed the connection in the middle of its answer");
      return std::nullopt;
    }
    response.body = std::move(*body);
    return response;
  }
  if (length) {
    if (data.size() < *length) {
      if (closed)
        throw TransportError("the server closed the connection in the middle of its answer");
      return std::nullopt;
    }
    response.body = data.substr(0, *length);
    return response;
  }
  if (!closed) return std::nullopt;
  response.body = data;
  return response;
}

HttpResponse Exchange(std::string_view host, std::uint16_t port, const HttpRequest& request,
                      const Timeouts& timeouts) {
  TcpStream stream("doveadm", host, port, timeouts);
  stream.SendAll(FormatRequest(request, host, port));
  std::string received;
  for (;;) {
    const bool closed = stream.Receive(received) == 0;
    if (!MayBeComplete(received, closed)) continue;
    if (auto response = ParseResponse(received, closed)) return std::move(*response);
  }
}

std::string Base64(std::string_view bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16 |
                 static_cast<unsigned char>(bytes[i + 1]) << 8 |
                 static_cast<unsigned char>(bytes[i + 2]);
    out += {kAlphabet[v >> 18], kAlphabet[(v >> 12) & 63], kAlphabet[(v >> 6) & 63],
            kAlphabet[v & 63]};
  }
  if (std::size_t left = bytes.size() - i; left > 0) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    if (left == 2) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += left == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

}  // namespace mapidove
