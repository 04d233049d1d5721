#include "StoreReader.h"

#include <algorithm>
#include <map>

#include "ImapParse.h"

namespace mapidove {
namespace {

// A mailbox name as an IMAP quoted string.
std::string Quoted(const std::string& name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + '"';
}

bool Starts(std::string_view response, std::string_view word) {
  return response.size() > word.size() && response.substr(0, word.size()) == word;
}

}  // namespace

std::vector<FolderInfo> StoreReader::Folders() {
  std::vector<FolderInfo> folders;
  std::map<std::string, MailboxTotals> counted;
  session_.Run(R"(LIST "" "*" RETURN (STATUS (MESSAGES SIZE)))", [&](std::string_view r) {
    if (Starts(r, "LIST ")) folders.push_back(ParseList(r.substr(5)));
    if (Starts(r, "STATUS ")) counted.insert(ParseStatus(r.substr(7)));
  });
  for (FolderInfo& folder : folders)
    if (auto it = counted.find(folder.name); it != counted.end()) {
      folder.messages = it->second.messages;
      folder.size = it->second.size;
    }
  return folders;
}

void StoreReader::Examine(const std::string& folder) {
  if (isExamined_ && examined_ == folder) return;
  isExamined_ = false;
  session_.Run("EXAMINE " + Quoted(folder), [this](std::string_view r) { Untagged(r); });
  examined_ = folder;
  isExamined_ = true;
}

void StoreReader::Untagged(std::string_view r) {
  // "12 EXISTS", "3 EXPUNGE"
  const std::size_t space = r.find(' ');
  if (space == std::string_view::npos) return;
  const std::string_view what = r.substr(space + 1);
  if (what == "EXISTS")
    exists_ = static_cast<std::uint32_t>(std::stoul(std::string(r.substr(0, space))));
  if (what == "EXPUNGE" && exists_ > 0) --exists_;
}

std::vector<MessageInfo> StoreReader::Fetch(const std::string& folder,
                                            const std::string& sequenceSet,
                                            std::string_view items) {
  Examine(folder);
  std::vector<MessageInfo> messages;
  const std::string within = ClampSequenceSet(sequenceSet, exists_);
  if (within.empty()) return messages;
  session_.Run("FETCH " + within + " " + std::string(items), [&](std::string_view r) {
    if (r.find(" FETCH ") == std::string_view::npos) return Untagged(r);
    if (auto m = ParseFetch(r)) messages.push_back(std::move(*m));
  });
  // Servers answer in ascending order; a set given out of order does not change that.
  auto bySequence = [](const MessageInfo& a, const MessageInfo& b) {
    return a.sequence < b.sequence;
  };
  if (!std::is_sorted(messages.begin(), messages.end(), bySequence))
    std::sort(messages.begin(), messages.end(), bySequence);
  return messages;
}

std::vector<MessageInfo> StoreReader::FetchMessages(const std::string& folder,
                                                    const std::string& sequenceSet) {
  return Fetch(folder, sequenceSet,
               "(UID RFC822.SIZE INTERNALDATE BODY.PEEK[HEADER.FIELDS (DATE SUBJECT)] "
               "BODYSTRUCTURE)");
}

std::vector<MessageInfo> StoreReader::FetchSentDates(const std::string& folder,
                                                     const std::string& sequenceSet) {
  return Fetch(folder, sequenceSet, "(RFC822.SIZE BODY.PEEK[HEADER.FIELDS (DATE)])");
}

}  // namespace mapidove
