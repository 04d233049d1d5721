// The pure parts of the Dovecot admin client, one row per case.
#include <gtest/gtest.h>

#include <stdexcept>

#include "BodyStructure.h"
#include "DoveadmClient.h"
#include "HttpExchange.h"
#include "QuotaState.h"

namespace mapidove {
namespace {

struct ResponseRow {
  const char* why;
  const char* received;
  bool closed;
  bool complete;
  int status;
  const char* reason;
  const char* body;
};

TEST(HttpExchange, ParsesAnswersAsTheyArrive) {
  const ResponseRow rows[] = {
      {"length given, all in", "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n[[]]", false, true, 200,
       "OK", "[[]]"},
      {"length given, part missing", "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\n[[]]", false,
       false, 0, "", ""},
      {"header names in any case", "HTTP/1.1 200 OK\r\ncontent-LENGTH: 2\r\n\r\n[]extra", false,
       true, 200, "OK", "[]"},
      {"chunked, two chunks and the last",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\n[[\r\n9;ext\r\n\"x\",1,\"t\"\r\n"
       "2\r\n]]\r\n0\r\n\r\n",
       false, true, 200, "OK", "[[\"x\",1,\"t\"]]"},
      {"chunked, last chunk not yet in",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\n[[\r\n", false, false, 0, "", ""},
      {"no length: the close ends it", "HTTP/1.1 200 OK\r\n\r\nabc", true, true, 200, "OK", "abc"},
      {"no length, still open", "HTTP/1.1 200 OK\r\n\r\nabc", false, false, 0, "", ""},
      {"Dovecot's refusal keeps its own words",
       "HTTP/1.1 401 Authentication required\r\nContent-Length: 0\r\n\r\n", false, true, 401,
       "Authentication required", ""},
      {"head not complete", "HTTP/1.1 200 OK\r\nContent-Le", false, false, 0, "", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.why);
    auto response = ParseResponse(row.received, row.closed);
    ASSERT_EQ(response.has_value(), row.complete);
    if (!response) continue;
    EXPECT_EQ(response->status, row.status);
    EXPECT_EQ(response->reason, row.reason);
    EXPECT_EQ(response->body, row.body);
  }
}

TEST(HttpExchange, RefusesWhatIsNoHttpAnswer) {
  const struct {
    const char* why;
    const char* received;
    bool closed;
  } rows[] = {
      {"not HTTP at all", "* OK [CAPABILITY IMAP4rev1] Dovecot ready.\r\n\r\n", false},
      {"status not a number", "HTTP/1.1 OK fine\r\n\r\n", false},
      {"bad chunk size", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n", false},
      {"closed before the head ended", "HTTP/1.1 200 OK\r\n", true},
      {"closed before the length was in", "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\n[", true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_THROW(ParseResponse(row.received, row.closed), TransportError);
  }
}

TEST(HttpExchange, FormatsTheRequestWithHostAndLength) {
  HttpRequest request{"POST", "/doveadm/v1", {{"Authorization", "Basic eDp5"}}, "[]"};
  EXPECT_EQ(FormatRequest(request, "127.0.0.1", 8080),
            "POST /doveadm/v1 HTTP/1.1\r\nHost: 127.0.0.1:8080\r\nAuthorization: Basic eDp5\r\n"
            "Content-Length: 2\r\n\r\n[]");
}

TEST(HttpExchange, Base64PadsEachRemainder) {
  const struct {
    const char* in;
    const char* out;
  } rows[] = {{"", ""},
              {"f", "Zg=="},
              {"fo", "Zm8="},
              {"foo", "Zm9v"},
              {"doveadm:secret", "ZG92ZWFkbTpzZWNyZXQ="},
              {"\xff\xfe", "//4="}};
  for (const auto& row : rows) EXPECT_EQ(Base64(row.in), row.out) << row.in;
}

TEST(DoveadmClient, NamesExitCodesAsDoveadmDoes) {
  const struct {
    int code;
    const char* name;
  } rows[] = {{67, "NOUSER"}, {68, "NOTFOUND"}, {75, "TEMPFAIL"}, {77, "NOPERM"}, {1, "FAILURE"}};
  for (const auto& row : rows) EXPECT_EQ(ExitCodeName(row.code), row.name) << row.code;
}

TEST(BodyStructure, FindsAttachments) {
  const struct {
    const char* why;
    const char* structure;
    bool attached;
  } rows[] = {
      {"plain text", R"("text" "plain" ("charset" "us-ascii") NIL NIL "7bit" 5 1 NIL NIL NIL NIL)",
       false},
      {"mixed with an attachment disposition",
       R"(("text" "plain" ("charset" "us-ascii") NIL NIL "7bit" 5 0 NIL NIL NIL NIL))"
       R"(("application" "pdf" ("name" "a.pdf") NIL NIL "base64" 4 NIL ("attachment" ("filename" "a.pdf")) NIL NIL))"
       R"( "mixed" ("boundary" "XX") NIL NIL NIL)",
       true},
      {"alternative text and html: no attachment",
       R"(("text" "plain" NIL NIL NIL "7bit" 5 1 NIL NIL NIL NIL)("text" "html" NIL NIL NIL "7bit" 9 1 NIL NIL NIL NIL) "alternative" ("boundary" "b") NIL NIL NIL)",
       false},
      {"inline image with a file name",
       R"(("text" "html" NIL NIL NIL "7bit" 9 1 NIL NIL NIL NIL)("image" "png" NIL NIL NIL "base64" 40 NIL ("inline" ("filename" "x.png")) NIL NIL) "related" NIL NIL NIL NIL)",
       true},
      {"single part named by its type parameter",
       R"("application" "octet-stream" ("NAME" "x.bin") NIL NIL "base64" 40 NIL NIL NIL NIL)",
       true},
      {"attachment disposition in upper case, no extension after it",
       R"("application" "zip" NIL NIL NIL "base64" 40 NIL ("ATTACHMENT" NIL))", true},
      {"forwarded message inside",
       R"(("text" "plain" NIL NIL NIL "7bit" 5 1)("message" "rfc822" NIL NIL NIL "7bit" 300 (NIL "s" NIL NIL NIL NIL NIL NIL NIL NIL) ("text" "plain" NIL NIL NIL "7bit" 5 1) 9) "mixed" NIL NIL NIL NIL)",
       true},
      {"quoted parenthesis and escaped quote in a string",
       R"("text" "plain" ("charset" "a)\"b") NIL NIL "7bit" 5 1 NIL NIL NIL NIL)", false},
      {"no extension data at all", R"("text" "plain" NIL NIL NIL "7bit" 5 1)", false},
  };
  for (const auto& row : rows) EXPECT_EQ(HasAttachment(row.structure), row.attached) << row.why;
}

TEST(BodyStructure, RefusesBrokenText) {
  for (const char* broken : {"", "(\"text\" \"plain\"", "\"text", ")"})
    EXPECT_THROW(HasAttachment(broken), std::invalid_argument) << broken;
}

TEST(QuotaState, WorstResourceDecides) {
  using R = QuotaResource;
  const struct {
    const char* why;
    std::vector<QuotaResource> resources;
    QuotaState state;
  } rows[] = {
      {"no resources", {}, QuotaState::NoQuota},
      {"no limits", {R{"q", "STORAGE", 900, {}}, R{"q", "MESSAGE", 40, {}}}, QuotaState::NoQuota},
      {"79% of 100", {R{"q", "STORAGE", 79, 100}}, QuotaState::BelowLimit},
      {"exactly the warning rule", {R{"q", "STORAGE", 80, 100}}, QuotaState::Warning},
      {"one below the limit", {R{"q", "STORAGE", 99, 100}}, QuotaState::Warning},
      {"at the limit", {R{"q", "STORAGE", 100, 100}}, QuotaState::AtLimit},
      {"beyond the limit", {R{"q", "STORAGE", 514, 513}}, QuotaState::AtLimit},
      {"storage fine, messages full",
       {R{"q", "STORAGE", 1, 1000}, R{"q", "MESSAGE", 50, 50}},
       QuotaState::AtLimit},
      {"unlimited storage, messages near",
       {R{"q", "STORAGE", 5000, {}}, R{"q", "MESSAGE", 45, 50}},
       QuotaState::Warning},
      {"a limit of 0 is full", {R{"q", "STORAGE", 0, 0}}, QuotaState::AtLimit},
  };
  for (const auto& row : rows) EXPECT_EQ(StateOf(row.resources, 80), row.state) << row.why;
}

}  // namespace
}  // namespace mapidove
