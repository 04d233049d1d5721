// Extended MAPI types, constants and interfaces, shaped after the published
// MAPI headers. These declarations are shared by the system's MAPI layer and
// by the stand-in library libmapi32.so, so both sides agree on every layout
// and every virtual table. Declarations only; no code depends on them being
// linked to anything.
#pragma once

#include "ComBase.h"         // IUnknown
#include "MAPIInterfaces.h"  // interface identifiers, interfaces, exported functions
#include "MAPITags.h"        // property types and tags
#include "MAPITypes.h"       // result codes, flags, structures
#include "WinTypes.h"        // Windows base types
