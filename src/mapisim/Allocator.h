// MAPI memory: root blocks from AllocateBuffer, child blocks from
// AllocateMore that live and die with their root. Every block is 16-byte
// aligned. A root may reserve a tail ("arena") from which AllocateMore
// carves its children without another heap allocation; the library uses that
// for row and property arrays whose string sizes it knows in advance.
#pragma once

#include <cstddef>
#include <cstdint>

#include "MAPIDefs.h"

namespace mapisim {

// A root block of cbSize bytes, with room for `arenaBytes` more bytes of
// children (each child costs RoundedChildSize of its size). Counts as one
// outstanding buffer until freed.
SCODE AllocateBuffer(ULONG cbSize, LPVOID* lppBuffer, std::size_t arenaBytes = 0);
// A child of the root block lpObject (a root or any of its children).
SCODE AllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer);
// Frees a root block with all its children. Null is harmless; a child
// block, or a pointer this allocator did not hand out as a root, is refused
// with MAPI_E_INVALID_PARAMETER and nothing is freed.
ULONG FreeBuffer(LPVOID lpBuffer);
// Frees the property array of each of the set's cRows rows, then the set.
// Null is harmless.
void FreeRowSet(LPSRowSet rows);

// Arena bytes that one child of cb bytes takes.
std::size_t RoundedChildSize(std::size_t cb);

// Root blocks handed out and not yet freed, in this process.
std::uint32_t OutstandingBuffers();

}  // namespace mapisim
