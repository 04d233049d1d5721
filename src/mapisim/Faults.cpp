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

}  // namespace mapisim
