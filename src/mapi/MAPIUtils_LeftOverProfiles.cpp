#include "MAPIUtils_LeftOverProfiles.h"

#include <cstdint>

#include "ExtendedMAPI.h"
#include "MapiPtr.h"
#include "TextUtil.h"
#include "Win32.h"

namespace mapi {

namespace {

constexpr std::uint64_t kMakerStartSlack = 2 * 10'000'000ULL;  // two seconds in FILETIME ticks

std::uint64_t Ticks(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

std::optional<std::uint32_t> HexField(std::string_view& rest) {
  if (rest.size() < 9 || rest[0] != ' ') return std::nullopt;
  const auto value = platform::ParseHexNumber(rest.substr(1, 8), 8);
  rest.remove_prefix(9);
  return value;
}

}  // namespace

std::optional<TempProfileOrigin> ParseTempProfileName(std::string_view prefix,
                                                      std::string_view name) {
  if (name.size() != prefix.size() + 27 || name.substr(0, prefix.size()) != prefix)
    return std::nullopt;
  std::string_view rest = name.substr(prefix.size());
  const auto pid = HexField(rest);
  const auto high = HexField(rest);
  const auto low = HexField(rest);
  if (!pid || !high || !low) return std::nullopt;
  return TempProfileOrigin{*pid, FILETIME{*low, *high}};
}

bool IsLeftOver(const TempProfileOrigin& origin) {
  FILETIME started{};
  if (!GetProcessCreationTime(origin.processId, &started)) return true;
  return Ticks(started) > Ticks(origin.created) + kMakerStartSlack;
}

std::vector<std::string> DeleteLeftOverTempProfiles(IProfAdmin* admin, std::string_view prefix) {
  std::vector<std::string> deleted;
  ComPtr<IMAPITable> table;
  RowSetPtr rows;
  if (admin == nullptr) return deleted;
  // Out() hands the table over when its statement ends.
  const HRESULT hr = admin->GetProfileTable(0, Out(table));
  if (FAILED(hr) || !table) return deleted;
  std::vector<std::string> names;
  for (;;) {
    rows.reset();
    const HRESULT queried = table->QueryRows(50, 0, Out(rows));
    if (FAILED(queried) || !rows || rows->cRows == 0) break;
    for (ULONG r = 0; r < rows->cRows; ++r)
      for (ULONG c = 0; c < rows->aRow[r].cValues; ++c)
        if (rows->aRow[r].lpProps[c].ulPropTag == PR_DISPLAY_NAME)
          names.emplace_back(rows->aRow[r].lpProps[c].Value.lpszA);
  }
  for (std::string& name : names) {
    const auto origin = ParseTempProfileName(prefix, name);
    if (!origin || !IsLeftOver(*origin)) continue;
    if (SUCCEEDED(admin->DeleteProfile(name.data(), 0))) deleted.push_back(std::move(name));
  }
  return deleted;
}

}  // namespace mapi
