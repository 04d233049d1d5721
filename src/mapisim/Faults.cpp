#include "Faults.h"

#include <atomic>
#include <mutex>
#include <sstream>

namespace mapisim {
namespace {

struct ActiveFault {
  orgdb::Fault fault;
  std::int64_t seen = 0;  // matching calls so far
};

struct Registry {
  std::mutex mutex;
  std::vector<ActiveFault> faults;
  std::string signature;
  std::atomic<bool> any{false};
};

// Created on first use and freed by ShutdownFaults when the library goes.
std::atomic<Registry*> g_registry{nullptr};

Registry& TheRegistry() {
  Registry* r = g_registry.load();
  if (r) return *r;
  auto* fresh = new Registry;
  if (g_registry.compare_exchange_strong(r, fresh)) return *fresh;
  delete fresh;
  return *r;
}

std::string Signature(const std::string& source, const std::vector<orgdb::Fault>& faults) {
  std::ostringstream s;
  s << source << '\n';
  for (const auto& f : faults) {
    s << f.id << '|' << f.call << '|' << f.hr << '|' << (f.match ? "1" + *f.match : "0") << '|'
      << (f.nth ? std::to_string(*f.nth) : "-") << '|' << (f.flags ? std::to_string(*f.flags) : "-")
      << '|' << (f.message ? "1" + *f.message : "0") << '|'
      << (f.component ? "1" + *f.component : "0") << '\n';
  }
  return s.str();
}

}  // namespace

void ShutdownFaults() {
  delete g_registry.exchange(nullptr);
}

void InstallFaults(const std::string& source, std::vector<orgdb::Fault> faults) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  std::string signature = Signature(source, faults);
  if (signature == r.signature) return;  // same set: keep counting
  r.signature = std::move(signature);
  r.faults.clear();
  for (auto& f : faults) r.faults.push_back(ActiveFault{std::move(f), 0});
  r.any.store(!r.faults.empty());
}

std::optional<FaultHit> CheckFault(std::string_view call, const MatchText* match, ULONG flags) {
  Registry& r = TheRegistry();
  if (!r.any.load(std::memory_order_relaxed)) return std::nullopt;
  std::lock_guard lock(r.mutex);
  std::optional<FaultHit> hit;
  std::optional<std::string> matchText;  // made at most once per call
  const orgdb::FaultMatchText text = [&]() -> std::string_view {
    if (!matchText) matchText = (*match)();
    return *matchText;
  };
  for (auto& a : r.faults)
    if (orgdb::FaultFits(a.fault, call, match ? &text : nullptr, flags, a.seen) && !hit)
      hit = FaultHit{a.fault.hr, a.fault.message, a.fault.component};
  return hit;
}

std::vector<Alteration> CheckAlterations(std::string_view call, std::string_view match,
                                         ULONG flags) {
  std::vector<Alteration> found;
  Registry& r = TheRegistry();
  if (!r.any.load(std::memory_order_relaxed)) return found;
  std::lock_guard lock(r.mutex);
  const orgdb::FaultMatchText text = [match] { return match; };
  for (auto& a : r.faults) {
    const std::string& name = a.fault.call;
    if (name.size() <= call.size() + 1 || name.compare(0, call.size(), call) != 0 ||
        name[call.size()] != '/')
      continue;
    if (orgdb::FaultFits(a.fault, name, &text, flags, a.seen))
      found.push_back(Alteration{name.substr(call.size() + 1), a.fault.hr, a.fault.message});
  }
  return found;
}

void AlterAnswer(const std::vector<Alteration>& alterations, Answer& answer) {
  PropCell& cell = answer.cell;
  // Bytes for resized binaries; their content is of no interest.
  static const std::string kFiller(65536, '\x5A');
  for (const Alteration& a : alterations) {
    const ULONG tag = static_cast<ULONG>(a.number);
    if (PROP_ID(tag) != PROP_ID(cell.tag)) continue;
    if (a.action == "drop") {
      cell = ErrorCell(tag, MAPI_E_NOT_FOUND);
      answer.widen = false;
    } else if (a.action == "retype") {
      cell = PropCell{tag, 0, {}};
      answer.widen = false;
    } else if (a.action == "resize" && cell.Type() == PT_BINARY) {
      std::size_t n = 0;
      try {
        n = a.text ? std::stoul(*a.text) : 0;
      } catch (const std::exception&) {
        n = 0;
      }
      cell.bytes = std::string_view(kFiller).substr(0, n);
    }
  }
}

}  // namespace mapisim
