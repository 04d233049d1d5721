// The details window, offscreen and answered through the dialog seam, over
// the private Dovecot through the Dovecot library: its tree and message
// lists against what doveadm and the written mail say, the all-mailboxes
// report read back from its PDF, and the server going away at each step of
// a walk. Expected texts come from tools outside the provider: doveadm for
// folder names, Python's email package for subjects, pdftotext for the PDF.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>
#include <map>
#include <set>

#include "ConfigOrgReader.h"
#include "DovecotFixture.h"
#include "GuiMachine.h"
#include "MapiPtr.h"
#include "NumberText.h"
#include "PreviewWindow.h"
#include "RadioGroup.h"
#include "RecordingDialogs.h"
#include "SaveFormats.h"
#include "uMBDetails.h"
#include "unMain.h"
#include "unPrintRepDial.h"

namespace mapidove {
namespace {

using nlohmann::json;

// Standard output of a tool run to its end.
QString RunTool(const QString& program, const QStringList& args) {
  QProcess process;
  process.start(program, args);
  process.waitForFinished(60000);
  return QString::fromUtf8(process.readAllStandardOutput());
}

// Every folder of `user` as doveadm lists it, full paths in UTF-8.
std::set<QString> DoveadmFolders(const DovecotServer& server, const std::string& user) {
  const QString out = RunTool(QStringLiteral("doveadm"),
                              {"-c", QString::fromStdString(server.dir() + "/dovecot.conf"),
                               "mailbox", "list", "-u", QString::fromStdString(user)});
  std::set<QString> folders;
  for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) folders.insert(line.trimmed());
  return folders;
}

// The INBOX subjects of every user, decoded by Python's email package.
json DecodedInboxSubjects(const DovecotServer& server) {
  const char* script =
      "import json, sys, email.header as h\n"
      "t = json.load(open(sys.argv[1]))\n"
      "print(json.dumps({u['name']: [str(h.make_header(h.decode_header(m['subject'])))\n"
      "  for f in u['folders'] if f['name'] == 'INBOX' for m in f['list']]\n"
      "  for u in t['users']}))\n";
  return json::parse(RunTool(QStringLiteral("python3"),
                             {"-c", script, QString::fromStdString(server.dir() + "/truth.json")})
                         .toStdString());
}

// The folder paths below a mailbox node, levels joined by "/".
void CollectPaths(const QTreeWidgetItem* node, const QString& prefix, std::set<QString>& paths) {
  for (int i = 0; i < node->childCount(); ++i) {
    const QString path = prefix + node->child(i)->text(0);
    paths.insert(path);
    CollectPaths(node->child(i), path + '/', paths);
  }
}

class DoveDetails : public ::testing::Test {
 protected:
  // A machine root with the Dovecot library, the server reached through
  // `proxy` when one is given, and a session logged on for the first user.
  void LogOn(const DovecotServer& server, const StoppingProxy* proxy = nullptr) {
    if (proxy) {
      config.httpPort = proxy->httpPort();
      config.imapPort = proxy->imapPort();
    }
    ASSERT_TRUE(StartWithDovecot(machine, server, config));
    ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
    ASSERT_EQ(mapi::MAPILogonEx(0, nullptr, nullptr, 0x8062, mapi::Out(session)), S_OK);
    for (const auto& u : server.truth()["users"]) {
      const std::string name = u["name"];
      mailboxes.push_back({name, ConfigOrgReader(config).MailboxDn(name)});
    }
  }
  void TearDown() override {
    if (session) session->Logoff(0, 0, 0);
    session.reset();
    if (mapi::LoadedMapiModule()) {
      mapi::MAPIUninitialize();
      machine.ExpectBalanced();
    }
  }
  bool Open(gui::TfmMailboxDetails& w) {
    return w.OpenMailboxes(session.get(), ConfigOrgReader(config).serverDn(), mailboxes);
  }
  static void Click(gui::TfmMailboxDetails& w, QTreeWidgetItem* node) {
    w.TreeViewMailboxes->setCurrentItem(node);
    w.TreeViewMailboxesClick();
  }
  static QTreeWidgetItem* Child(QTreeWidgetItem* node, const QString& text) {
    for (int i = 0; i < node->childCount(); ++i)
      if (node->child(i)->text(0) == text) return node->child(i);
    return nullptr;
  }

  guitest::GuiMachine machine;
  testsupport::RecordingDialogs dialogs;
  ProviderConfig config;
  mapi::ComPtr<IMAPISession> session;
  std::vector<gui::TMailboxPair> mailboxes;
};

// The main window over the same library: logging on lists every user of the
// server with the sizes and counts of the ground truth.
TEST_F(DoveDetails, MainWindowListsEveryUserWithTheTruthsFigures) {
  TABRIX_NEED_DOVECOT(server);
  ASSERT_TRUE(StartWithDovecot(machine, *server, config));
  {
    gui::TfrmMainExecute window(dialogs);
    window.sbLogOn->click();
    EXPECT_TRUE(dialogs.shown.empty());
    std::map<std::string, std::pair<std::int64_t, std::int64_t>> shown, expected;
    for (const auto& r : window.Mailboxes())
      shown[r->emailAddress] = {r->messageSize, r->contentCount};
    for (const auto& u : server->truth()["users"])
      expected[ConfigOrgReader(config).MailboxDn(u["name"])] = {u["vsize"], u["messages"]};
    EXPECT_EQ(shown, expected);
    window.sbLogOnClick();
  }
  machine.ExpectBalanced();
}

TEST_F(DoveDetails, TreeAndInboxListEqualTheServers) {
  TABRIX_NEED_DOVECOT(server);
  LogOn(*server);
  const json subjects = DecodedInboxSubjects(*server);
  gui::TfmMailboxDetails w(dialogs, nullptr);
  ASSERT_TRUE(Open(w));
  const json& users = server->truth()["users"];
  ASSERT_EQ(w.TreeViewMailboxes->topLevelItemCount(), static_cast<int>(users.size()));
  for (int i = 0; i < w.TreeViewMailboxes->topLevelItemCount(); ++i) {
    const json& u = users[i];
    const std::string name = u["name"];
    SCOPED_TRACE(name);
    QTreeWidgetItem* mailbox = w.TreeViewMailboxes->topLevelItem(i);
    Click(w, mailbox);
    std::set<QString> tree;
    CollectPaths(mailbox, QString(), tree);
    EXPECT_EQ(tree, DoveadmFolders(*server, name));

    QTreeWidgetItem* inbox = Child(mailbox, QStringLiteral("INBOX"));
    ASSERT_NE(inbox, nullptr);
    Click(w, inbox);
    const json& list = std::find_if(u["folders"].begin(), u["folders"].end(), [](const json& f) {
                         return f["name"] == "INBOX";
                       }).value()["list"];
    const QAbstractItemModel* model = w.lvMailbox->model();
    ASSERT_EQ(model->rowCount(), static_cast<int>(list.size()));
    for (int r = 0; r < model->rowCount(); ++r) {
      const json& m = list[r];
      EXPECT_EQ(model->index(r, 0).data(Qt::DecorationRole).isNull(), !m["hasAttachment"]) << r;
      EXPECT_EQ(model->index(r, 1).data().toString().toStdString(),
                subjects[name][r].get<std::string>())
          << r;
      EXPECT_EQ(model->index(r, 2).data().toString().toStdString(),
                core::KilobytesText(m["size"].get<double>()) + "K")
          << r;
    }
  }
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(DoveDetails, AllMailboxesReportShowsEachUsersTotals) {
  TABRIX_NEED_DOVECOT(server);
  LogOn(*server);
  QTemporaryDir dir;
  const QString pdf = dir.filePath(QStringLiteral("all.pdf"));
  const auto formats = reportengine::SaveFormats();
  const auto pdfFormat =
      std::find_if(formats.begin(), formats.end(),
                   [](const auto& f) { return f.format == reportengine::SaveFormat::Pdf; }) -
      formats.begin();
  dialogs.saveAnswers.push_back(gui::SaveFileChoice{pdf, static_cast<int>(pdfFormat)});
  dialogs.modal.push_back([](QDialog& d) {
    auto& choice = dynamic_cast<gui::TfrmPrintReport&>(d);
    choice.rbAM->setChecked(true);      // "All Maiboxes"
    choice.rgToWhere->SetItemIndex(0);  // "Print/Preview"
    return int(QDialog::Accepted);
  });
  dialogs.preview = [](QWidget& preview) {
    dynamic_cast<reportengine::PreviewWindow&>(preview)
        .Action(QStringLiteral("Save Report"))
        ->trigger();
  };
  {
    gui::TfmMailboxDetails w(dialogs, nullptr);
    ASSERT_TRUE(Open(w));
    w.sbPrintClick();
  }
  ASSERT_EQ(dialogs.previewTitles.size(), 1u);
  const QString text = RunTool(QStringLiteral("pdftotext"), {"-layout", pdf, "-"});
  std::vector<std::string> totals;  // in the report's order
  const QRegularExpression total(
      QStringLiteral("Total Items:\\s+\\d+|Total Message Size \\(K\\):\\s+[0-9.]+"));
  for (auto it = total.globalMatch(text); it.hasNext();)
    totals.push_back(it.next().captured(0).simplified().toStdString());
  std::vector<std::string> expected;
  for (const auto& u : server->truth()["users"]) {
    EXPECT_TRUE(text.contains(QString::fromStdString(u["name"]))) << u["name"];
    expected.push_back("Total Items: " + std::to_string(u["messages"].get<qint64>()));
    expected.push_back(QStringLiteral("Total Message Size (K): %1")
                           .arg(u["vsize"].get<double>() / 1024.0, 0, 'f', 1)
                           .toStdString());
  }
  EXPECT_EQ(totals, expected);
}

// The server goes away after the first `calls` requests (the logon takes
// two to the admin API, then each IMAP command counts) of a walk that opens
// the window, builds the second mailbox's tree and lists its INBOX: the
// window shows its own words, or none where it never names the failure (a
// store whose top is not found leaves its tree empty), ends idle, and
// leaves nothing in the library.
struct WalkStop {
  const char* step;
  int calls;
  bool tree;                       // the mailbox's folders are shown
  std::vector<std::string> shown;  // the boxes, in order
};

// clang-format off
const WalkStop kWalkStops[] = {
    {"store open: the master user's login", 2, false, {}},
    {"store open: the folders with counts and sizes", 3, false, {}},
    {"contents: opening the folder", 4, true, {"OLE error 80040115"}},
    {"contents: the sent dates to sort by", 5, true, {"OLE error 80040115"}},
    {"contents: the first batch of messages", 6, true, {"OLE error 80040115"}},
    {"none: the walk ends with the server", 7, true, {}},
};
// clang-format on

class DoveDetailsStop : public DoveDetails, public ::testing::WithParamInterface<WalkStop> {};

TEST_P(DoveDetailsStop, ShowsTheWindowsWordsAndLeaksNothing) {
  const WalkStop& c = GetParam();
  TABRIX_NEED_DOVECOT(server);
  StoppingProxy proxy(server->config(), c.calls);
  LogOn(*server, &proxy);
  {
    gui::TfmMailboxDetails w(dialogs, nullptr);
    ASSERT_TRUE(Open(w));
    QTreeWidgetItem* mailbox = w.TreeViewMailboxes->topLevelItem(1);
    Click(w, mailbox);
    QTreeWidgetItem* inbox = Child(mailbox, QStringLiteral("INBOX"));
    EXPECT_EQ(inbox != nullptr, c.tree);
    if (inbox) Click(w, inbox);
    EXPECT_FALSE(w.Busy());
  }
  EXPECT_EQ(dialogs.Texts(), c.shown);
}

void PrintTo(const WalkStop& c, std::ostream* os) {
  *os << c.step;
}

INSTANTIATE_TEST_SUITE_P(Step, DoveDetailsStop, ::testing::ValuesIn(kWalkStops));

}  // namespace
}  // namespace mapidove
