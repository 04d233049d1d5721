// Deterministic message derivation for generated folders.
#include "GeneratedMessages.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace orgdb {

namespace {

constexpr std::array<const char*, 24> kTopics = {
    "Budget",       "Quarterly report", "Project plan", "Meeting notes", "Travel request",
    "Invoice",      "Roadmap",          "Team lunch",   "Release",       "Server upgrade",
    "Holiday rota", "Contract",         "Minutes",      "Proposal",      "Forecast",
    "Training",     "Expenses",         "Agenda",       "Handover",      "Offsite",
    "Survey",       "Backup window",    "Licences",     "Newsletter"};
constexpr std::array<const char*, 12> kDetails = {
    "draft",      "final version", "for review", "questions", "update",  "changes",
    "next steps", "reminder",      "follow-up",  "figures",   "summary", "2nd try"};
constexpr std::array<const char*, 4> kPrefixes = {"", "", "RE: ", "FW: "};

std::uint64_t MessageHash(const GeneratedMessages& g, std::int32_t index, std::uint64_t salt) {
  return MixBits(g.seed ^
                 MixBits(static_cast<std::uint64_t>(index) * 0x9E3779B97F4A7C15ull + salt));
}

std::uint32_t DerivedSize(const GeneratedMessages& g, std::int32_t index, bool* hasAttachment) {
  // A near-normal deviate from four uniforms (Irwin-Hall), then log-normal.
  double sum = 0;
  for (std::uint64_t k = 0; k < 4; ++k) sum += UnitInterval(MessageHash(g, index, 11 + k));
  double z = (sum - 2.0) * 1.7320508075688772;
  double size = static_cast<double>(std::max<std::uint32_t>(g.medianSize, 1)) * std::exp(0.8 * z);
  *hasAttachment = MessageHash(g, index, 3) % 100 < 18;
  if (*hasAttachment) size += 60000.0 * std::exp(1.2 * z) + 2000.0;
  size = std::clamp(size, 300.0, 64.0 * 1024 * 1024);
  return static_cast<std::uint32_t>(size);
}

}  // namespace

std::uint64_t MixBits(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

double UnitInterval(std::uint64_t bits) {
  return static_cast<double>(bits >> 11) * (1.0 / 9007199254740992.0);
}

Message DeriveGeneratedMessage(std::int64_t folderId, const GeneratedMessages& g,
                               std::int32_t index) {
  Message m;
  m.id = -(folderId * (std::int64_t{1} << 24) + index + 1);
  m.folderId = folderId;
  m.size = DerivedSize(g, index, &m.hasAttachment);

  std::uint64_t h = MessageHash(g, index, 1);
  if (h % 211 != 0) {
    std::string subject = kPrefixes[(h >> 8) % kPrefixes.size()];
    subject += kTopics[(h >> 16) % kTopics.size()];
    subject += ": ";
    subject += kDetails[(h >> 24) % kDetails.size()];
    m.subject = std::move(subject);
  }

  // Strictly ascending: message i lies in the i-th slot of the span.
  std::uint64_t count = static_cast<std::uint64_t>(std::max(g.count, 1));
  std::uint64_t step = std::max<std::uint64_t>(g.span / count, 1);
  std::uint64_t submit = g.firstSubmitTime + static_cast<std::uint64_t>(index) * step +
                         MessageHash(g, index, 2) % step;
  m.submitTime = submit;
  std::uint64_t h2 = MessageHash(g, index, 4);
  if (h2 % 199 != 0) m.deliveryTime = submit + (h2 >> 8) % (1200ull * 10000000ull);
  return m;
}

std::uint64_t GeneratedTotalSize(const GeneratedMessages& g) {
  std::uint64_t total = 0;
  bool attachment = false;
  for (std::int32_t i = 0; i < g.count; ++i) total += DerivedSize(g, i, &attachment);
  return total;
}

}  // namespace orgdb
