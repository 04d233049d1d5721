// The pure parts of the Dovecot admin client, one row per case.
#include <gtest/gtest.h>

#include <stdexcept>

#include "BodyStructure.h"
#include "DoveadmClient.h"
#include "HttpExchange.h"
#include "ImapParse.h"
#include "ImapSession.h"
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
      {"file name sent as a literal",
       "\"application\" \"pdf\" NIL NIL NIL \"base64\" 4 NIL (\"attachment\" (\"filename\" "
       "{5}\r\n\xE4.pdf)) NIL NIL",
       true},
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

TEST(Imap, ResponsesEndAfterTheirLiterals) {
  const struct {
    const char* received;
    std::size_t end;  // npos: more is needed
  } rows[] = {
      {"* OK ready\r\n", 12},
      {"* OK rea", std::string::npos},
      {"* 1 FETCH (BODY[] {3}\r\nab", std::string::npos},
      {"* 1 FETCH (BODY[] {3}\r\nabc)\r\n* 2", 29},
      {"* 1 FETCH (BODY[] {2}\r\n}\r\n)\r\n", 29},  // a literal that looks like a line end
      {"* LIST () \"/\" {x}\r\n", 19},              // no literal without digits
  };
  for (const auto& row : rows) EXPECT_EQ(ResponseEnd(row.received, 0), row.end) << row.received;
}

TEST(Imap, FetchAnswersGiveTheMessage) {
  const std::string header =
      "Subject: =?utf-8?q?Gr=C3=BC=C3=9Fe?=\r\n =?utf-8?q?_und_mehr?=\r\n"
      "Date: Tue, 1 Jul 2003 10:52:37 +0200\r\n\r\n";
  const std::string answer =
      "12 FETCH (UID 7 RFC822.SIZE 1234 FLAGS (\\Seen) INTERNALDATE \"17-Jul-1996 02:44:25 "
      "-0700\" BODY[HEADER.FIELDS (DATE SUBJECT)] {" +
      std::to_string(header.size()) + "}\r\n" + header +
      " BODYSTRUCTURE ((\"text\" \"plain\" NIL NIL NIL \"7bit\" 5 1 NIL NIL NIL "
      "NIL)(\"application\" "
      "\"pdf\" (\"name\" \"a.pdf\") NIL NIL \"base64\" 4 NIL NIL NIL NIL) \"mixed\" NIL NIL NIL "
      "NIL))";
  const auto m = ParseFetch(answer);
  ASSERT_TRUE(m.has_value());
  EXPECT_EQ(m->sequence, 12u);
  EXPECT_EQ(m->uid, 7u);
  EXPECT_EQ(m->size, 1234);
  EXPECT_EQ(m->internalDate, 837596665);
  EXPECT_EQ(m->sentDate, 1057049557);
  EXPECT_EQ(m->subject, "=?utf-8?q?Gr=C3=BC=C3=9Fe?= =?utf-8?q?_und_mehr?=");
  EXPECT_TRUE(m->hasAttachment);
  // Flag changes the server reports unasked are no message.
  EXPECT_FALSE(ParseFetch("3 FETCH (FLAGS (\\Deleted))").has_value());
  EXPECT_THROW(ParseFetch("3 FETCH (UID"), std::invalid_argument);
}

TEST(Imap, ListAndStatusAnswers) {
  const FolderInfo level = ParseList(R"((\Noselect \HasChildren) "." "Entw&APw-rfe")");
  EXPECT_EQ(level.name, "Entw&APw-rfe");
  EXPECT_EQ(level.separator, '.');
  EXPECT_FALSE(level.selectable);
  const FolderInfo literal = ParseList("(\\HasNoChildren) NIL {7}\r\nA \"b\" c");
  EXPECT_EQ(literal.name, "A \"b\" c");
  EXPECT_TRUE(literal.selectable);
  const auto [name, totals] = ParseStatus(R"("Sent Items" (MESSAGES 3 SIZE 1200))");
  EXPECT_EQ(name, "Sent Items");
  EXPECT_EQ(totals.messages, 3);
  EXPECT_EQ(totals.size, 1200);
}

TEST(Imap, SequenceSetsStayWithinTheFolder) {
  const struct {
    const char* set;
    std::uint32_t exists;
    const char* within;
  } rows[] = {
      {"1:7", 5, "1:5"}, {"3,9,12", 10, "3,9"}, {"6:9", 5, ""},
      {"1:*", 4, "1:4"}, {"4:2", 9, "2:4"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(ClampSequenceSet(row.set, row.exists), row.within) << row.set;
}

TEST(Imap, ModifiedUtf7Names) {
  const struct {
    const char* name;
    const char* utf8;
  } rows[] = {
      {"Entw&APw-rfe", "Entwürfe"},
      {"Tom &- Jerry", "Tom & Jerry"},
      {"&2DTdHg-", "\xF0\x9D\x84\x9E"},  // a character beyond 16 bits, as a surrogate pair
      {"&ZeVnLIqe-", "日本語"},
      {"broken &APw", "broken &APw"},  // unterminated: kept as it is
      {"&2DQ-", "&2DQ-"},              // a lone surrogate: kept as it is
  };
  for (const auto& row : rows) EXPECT_EQ(DecodeModifiedUtf7(row.name), row.utf8) << row.name;
}

TEST(Imap, DateHeaders) {
  const struct {
    const char* text;
    std::optional<std::int64_t> seconds;
  } rows[] = {
      {"Tue, 1 Jul 2003 10:52:37 +0200", 1057049557},
      {"1 Jul 2003 08:52:37 GMT", 1057049557},
      {"Tue, 01 Jul 2003 04:52 (comment) EDT", 1057049520},
      {"Tue,  1 Jul 03 08:52:37 +0000", 1057049557},  // two-digit year
      {"Thu, 13 Feb 1969 23:32:54 -0330", -27723426},
      {"not a date", std::nullopt},
      {"Tue, 1 Foo 2003 10:52:37 +0200", std::nullopt},
      {"Tue, 1 Jul 2003 25:52:37 +0200", std::nullopt},
  };
  for (const auto& row : rows) EXPECT_EQ(ParseDateHeader(row.text), row.seconds) << row.text;
  EXPECT_EQ(ParseInternalDate(" 7-Jul-1996 02:44:25 -0700"), 836732665);
  EXPECT_EQ(ParseInternalDate("7-Jul-1996"), std::nullopt);
}

TEST(Imap, HeaderFields) {
  const char* header = "subject: first\r\nX-Subject: no\r\nDate:\r\n\tMon, 2 Jan 2006\r\n\r\n";
  EXPECT_EQ(HeaderField(header, "Subject"), "first");
  EXPECT_EQ(HeaderField(header, "Date"), "Mon, 2 Jan 2006");
  EXPECT_EQ(HeaderField(header, "Received"), std::nullopt);
}

}  // namespace
}  // namespace mapidove
