// Derivation of a generated folder's messages (see GeneratedMessages in
// OrgDb.h): message i depends on the parameters and i alone, so any batch
// can be computed without reading the ones before it.
#pragma once

#include <cstdint>

#include "OrgDb.h"

namespace orgdb {

// Message `index` (0-based, below generated.count) of the folder.
Message DeriveGeneratedMessage(std::int64_t folderId, const GeneratedMessages& generated,
                               std::int32_t index);

// The sum of the sizes of all generated messages.
std::uint64_t GeneratedTotalSize(const GeneratedMessages& generated);

// A well-mixed 64-bit hash, also used by the generator for its own choices.
std::uint64_t MixBits(std::uint64_t x);
// Uniform in [0, 1) from the top 53 bits of `bits`; the generator's too.
double UnitInterval(std::uint64_t bits);

}  // namespace orgdb
