// Binding of the MAPI library at run time. Neither program links against
// MAPI: the library is found and loaded on the first call of any wrapper,
// and each entry point is looked up by its decorated name on its own first
// use. A missing library or entry point makes a wrapper return E_FAIL (or do
// nothing, for the three without a result) instead of failing to start.
#pragma once

#include <string>

#include "MAPIDefs.h"

namespace mapi {

// Which program is running; the units that differ between the two programs
// read it as a parameter.
enum class Flavour { Gui, Console };

// Which library search runs on the first wrapper call: the GUI asks the
// Office component registry, the console follows the Windows Messaging
// switch. Set once at program start, before any wrapper is called.
void SetLibrarySearch(Flavour flavour);

HRESULT MAPIInitialize(LPVOID lpMapiInit);
void MAPIUninitialize();
HRESULT MAPILogonEx(ULONG_PTR ulUIParam, LPSTR lpszProfileName, LPSTR lpszPassword, ULONG ulFlags,
                    LPMAPISESSION* lppSession);
HRESULT MAPIAdminProfiles(ULONG ulFlags, LPPROFADMIN* lppProfAdmin);
SCODE MAPIAllocateBuffer(ULONG cbSize, LPVOID* lppBuffer);
SCODE MAPIAllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer);
ULONG MAPIFreeBuffer(LPVOID lpBuffer);
HRESULT HrQueryAllRows(LPMAPITABLE lpTable, LPSPropTagArray lpPropTags,
                       LPSRestriction lpRestriction, LPSSortOrderSet lpSortOrderSet, LONG crowsMax,
                       LPSRowSet* lppRows);
void FreeProws(LPSRowSet lpRows);
HRESULT HrGetOneProp(LPMAPIPROP lpMapiProp, ULONG ulPropTag, LPSPropValue* lppProp);
void FreePadrlist(LPADRLIST lpAdrList);
SCODE ScDupPropset(int cValues, LPSPropValue lpPropArray, LPALLOCATEBUFFER lpAllocateBuffer,
                   LPSPropValue* lppPropArray);

// Bytes for n property values, and for an address list of n entries, as
// handed to MAPIAllocateBuffer.
ULONG CbPropValues(ULONG n);
ULONG CbAdrList(ULONG n);

// The "FileVersion" text of the loaded MAPI library, or an empty text.
std::string MapiLibraryVersion();

// The loaded library's module handle, or null (for the stand-in's own
// extension functions, looked up through the same loader).
void* LoadedMapiModule();

// Test seam: unloads the library and forgets the search and every cached
// entry point, so that the next wrapper call searches again (for tests that
// change the machine's registry between cases). Never called by the programs,
// which keep the library for the process's lifetime.
void ResetLibraryBindingForTesting();

}  // namespace mapi
