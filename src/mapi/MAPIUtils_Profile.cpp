// Temporary profiles. The two programs and the GUI's name check run the
// same steps; what differs (the name prefix, who initialises MAPI, the
// message of each failed step and where it goes) is data.
#include "MAPIUtils_Profile.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "ConsoleOutput.h"
#include "EDKDEBUG.h"
#include "MAPIUtils_LeftOverProfiles.h"
#include "MAPIVariantProp.h"
#include "MapiErrorText.h"
#include "MapiPtr.h"
#include "TextForms.h"
#include "Win32.h"

namespace mapi {
namespace {

enum Step {
  kInitialize,
  kName,
  kAdminProfiles,
  kCreateProfile,
  kAdminServices,
  kCreateMsgService,
  kGetMsgServiceTable,
  kQueryRows,
  kServiceUid,
  kAllocateBuffer,
  kAllocateMoreName,
  kAllocateMoreServer,
  kConfigure,
  kStepCount
};

enum class CodeForm { None, Hex8, SignedDecimal };

struct StepMessage {
  const char* head;  // null: the step reports nothing
  CodeForm code;     // appended to the head
  bool errorText;    // followed by the MAPI error text of the step's object
  bool separated;    // console: between two lines of 50 "="
};

// GUI: one plain message box holding the head, the code and the error text.
constexpr StepMessage kGuiMessages[kStepCount] = {
    {nullptr, CodeForm::None, false, false},  // the GUI's caller initialises MAPI
    {"Create \"Profile Name\" Failed.\r\n", CodeForm::Hex8, false, false},
    {"MAPI Admin Profiles Failed", CodeForm::Hex8, false, false},
    {"Profile Admin - CreateProfile Failed.\r\n", CodeForm::None, true, false},
    {"Profile Admin - AdminServices Failed.\r\n", CodeForm::None, true, false},
    {"Service Admin - Create MsgService Failed.\r\n", CodeForm::None, true, false},
    {"Service Admin - GetMsgServiceTable Failed.\r\n", CodeForm::None, true, false},
    {"MAPI Table - QueryRows Failed.\r\n", CodeForm::None, true, false},
    {"Failed Get Service.", CodeForm::None, false, false},
    {"MAPIAllocateBuffer Failed.\r\n", CodeForm::None, true, false},
    {"MAPIAllocateMore Failed.\r\n", CodeForm::None, true, false},
    {"MAPIAllocateMore Failed.\r\n", CodeForm::None, true, false},
    {"Service Admin - Configure MsgService Failed.\r\n", CodeForm::None, true, false},
};

// The GUI's name check: the texts collected behind its resolution message.
constexpr StepMessage kCheckMessages[kStepCount] = {
    {nullptr, CodeForm::None, false, false},  // the check initialises MAPI itself
    {"Create \"Profile Name\" Failed.\r\n", CodeForm::Hex8, false, false},
    {"Get MAPI Admin Profiles Failed", CodeForm::Hex8, false, false},
    {"CreateProfile Failed.\r\n", CodeForm::None, true, false},
    {"AdminServices Failed.\r\n", CodeForm::None, true, false},
    {"Create MsgService Failed.\r\n", CodeForm::None, true, false},
    {"GetMsgServiceTable Failed.\r\n", CodeForm::None, true, false},
    {"QueryRows Failed.\r\n", CodeForm::None, true, false},
    {"Failed Get Service - StoreUID.", CodeForm::None, false, false},
    {"MAPI AllocateBuffer Failed.\r\n", CodeForm::None, true, false},
    {"MAPI Allocate More Failed.\r\n", CodeForm::None, true, false},
    {"MAPI Allocate More Failed.\r\n", CodeForm::None, true, false},
    {"Configure MsgService Failed.\r\n", CodeForm::None, true, false},
};

// Console: the head and code on one line, the error text on the next.
constexpr StepMessage kConsoleMessages[kStepCount] = {
    {"MAPI Initialize FAIL!", CodeForm::None, false, false},
    {"Error! MAPI Create Profile Name!", CodeForm::None, false, false},
    {"Error! MAPI Admin Profiles!", CodeForm::None, false, true},
    {"Error! MAPI Admin Profiles Create Profile!", CodeForm::None, true, true},
    {"Error! MAPI Admin Profiles Create Profile!", CodeForm::None, true, true},
    {"Error! MAPI Admin Profiles Create Msg Service!", CodeForm::None, true, true},
    {"Error! MAPI Admin Profiles Get Msg Service Table FAIL!", CodeForm::None, true, true},
    {"Error! QueryRows: ", CodeForm::SignedDecimal, true, true},
    {"Failed Get Service.", CodeForm::None, false, true},
    {"MAPIAllocateBuffer Failed: ", CodeForm::Hex8, true, true},
    {"MAPIAllocateBuffer Failed: ", CodeForm::Hex8, true, true},
    {"MAPIAllocateMore Failed: ", CodeForm::Hex8, true, true},
    {"Configure MsgService Error", CodeForm::None, true, true},
};

struct FlavourRules {
  const char* prefix;
  const StepMessage* messages;
  bool initializesMapi;        // step 1 and the final MAPIUninitialize
  bool emptyRowSetFailsQuery;  // no row is reported as a failed QueryRows
  bool announcesCreation;      // "Temporary MAPI profile ... is created!"
  bool reportsDeleteFailures;  // on the output stream
  bool quietConfigureCancel;   // a configuration the user cancelled says nothing
};

constexpr FlavourRules kGuiRules = {
    kLogonProfilePrefix, kGuiMessages, false, false, false, false, false};
constexpr FlavourRules kCheckRules = {
    kCheckProfilePrefix, kCheckMessages, false, false, false, false, true};
constexpr FlavourRules kConsoleRules = {
    kConsoleProfilePrefix, kConsoleMessages, true, true, true, true, false};

const FlavourRules& RulesFor(Flavour flavour) {
  return flavour == Flavour::Gui ? kGuiRules : kConsoleRules;
}

std::string CodeText(CodeForm form, HRESULT hr) {
  if (form == CodeForm::Hex8) return Hex8(hr);
  if (form == CodeForm::SignedDecimal) return std::to_string(static_cast<int>(hr));
  return std::string();
}

// One creation attempt: where it reports, and the hourglass to restore
// before a message box. With `collected` the texts are appended there
// instead of being shown or written.
class Creation {
 public:
  Creation(const FlavourRules& rules, const ProfileReporter& reporter, HourglassCursor& cursor,
           std::string* collected = nullptr)
      : reporter_(reporter), rules_(rules), cursor_(cursor), collected_(collected) {}

  const FlavourRules& rules() const { return rules_; }

  // Reports a failed step and hands its code back.
  HRESULT Fail(Step step, HRESULT hr, const ErrorSource& object = nullptr) {
    const StepMessage& m = rules_.messages[step];
    if (!m.head) return hr;
    if (step == kConfigure && hr == MAPI_E_USER_CANCEL && rules_.quietConfigureCancel) {
      cursor_.Restore();
      return hr;
    }
    const std::string first = m.head + CodeText(m.code, hr);
    const std::string detail = m.errorText ? MapiErrorText(reporter_.flavour, object, hr) : "";
    if (collected_) {
      cursor_.Restore();
      *collected_ += first + detail;
    } else if (reporter_.flavour == Flavour::Gui) {
      cursor_.Restore();
      if (reporter_.dialogs) reporter_.dialogs->PlainBox(first + detail);
    } else if (reporter_.out) {
      std::vector<std::string> lines{first};
      if (m.errorText) lines.push_back(detail);
      if (m.separated)
        WriteSeparated(*reporter_.out, lines);
      else
        for (const std::string& line : lines) WriteLine(*reporter_.out, line);
    }
    return hr;
  }

  // A copy of `text` chained to `parent`.
  HRESULT CopyString(const std::string& text, LPVOID parent, LPSTR* copy) {
    *copy = nullptr;
    if (text.size() >= 0xFFFFFFFFu) return MAPI_E_NOT_ENOUGH_MEMORY;
    LPVOID raw = nullptr;
    HRESULT hr = MAPIAllocateMore(static_cast<ULONG>(text.size() + 1), parent, &raw);
    if (FAILED(hr)) return hr;
    if (!raw) return MAPI_E_NOT_ENOUGH_MEMORY;
    std::memcpy(raw, text.c_str(), text.size() + 1);
    *copy = static_cast<LPSTR>(raw);
    return hr;
  }

  // Steps 2 to 11; every object but the profile administration, which
  // goes to `profAdmin`, is released before it returns.
  HRESULT Run(const std::string& mailbox, const std::string& server,
              std::optional<std::string>* profileName, ComPtr<IProfAdmin>& profAdmin) {
    std::vector<char> name(kProfileNameBufferSize, '\0');
    ProfileNameMaker makeName = reporter_.makeName ? reporter_.makeName : &MakeProfileName;
    HRESULT hr = makeName(rules_.prefix, name.data(), name.size());
    // The name is handed on as soon as its buffer exists, also when a later
    // step fails (empty when it could not be made).
    if (profileName)
      *profileName =
          FAILED(hr) ? std::string() : std::string(name.data(), strnlen(name.data(), name.size()));
    if (FAILED(hr)) return Fail(kName, hr);

    hr = MAPIAdminProfiles(0, Out(profAdmin));
    if (FAILED(hr) || !profAdmin) return Fail(kAdminProfiles, FAILED(hr) ? hr : E_FAIL);

    if (reporter_.leftOverDeleted)
      for (const std::string& leftOver : DeleteLeftOverTempProfiles(profAdmin.get(), rules_.prefix))
        reporter_.leftOverDeleted(leftOver);
    profAdmin->DeleteProfile(name.data(), 0);  // a leftover of the same name
    hr = profAdmin->CreateProfile(name.data(), nullptr, 0, 0);
    if (FAILED(hr)) return Fail(kCreateProfile, hr, profAdmin.get());

    ComPtr<IMsgServiceAdmin> serviceAdmin;
    hr = profAdmin->AdminServices(name.data(), nullptr, 0, 0, Out(serviceAdmin));
    if (FAILED(hr) || !serviceAdmin)
      return Fail(kAdminServices, FAILED(hr) ? hr : E_FAIL, profAdmin.get());

    char service[] = "MSEMS";
    hr = serviceAdmin->CreateMsgService(service, nullptr, 0, 0);
    if (FAILED(hr)) return Fail(kCreateMsgService, hr, serviceAdmin.get());

    ComPtr<IMAPITable> table;
    hr = serviceAdmin->GetMsgServiceTable(0, Out(table));
    if (FAILED(hr) || !table)
      return Fail(kGetMsgServiceTable, FAILED(hr) ? hr : E_FAIL, serviceAdmin.get());

    RowSetPtr rows;
    hr = table->QueryRows(1, 0, Out(rows));
    const bool haveRow = rows && rows->cRows > 0;
    if (FAILED(hr)) return Fail(kQueryRows, hr, table.get());
    if (!haveRow && rules_.emptyRowSetFailsQuery) {
      Fail(kQueryRows, hr, table.get());
      return E_FAIL;
    }

    const SPropValue* uid = haveRow ? FindProp(rows->aRow[0], PR_SERVICE_UID) : nullptr;
    if (!uid || !uid->Value.bin.lpb || uid->Value.bin.cb < sizeof(MAPIUID))
      return Fail(kServiceUid, E_FAIL);
    const auto serviceUid = reinterpret_cast<LPMAPIUID>(uid->Value.bin.lpb);

    MapiBuffer<SPropValue> props;
    hr = MAPIAllocateBuffer(CbPropValues(2), Out(props));
    if (FAILED(hr) || !props)
      return Fail(kAllocateBuffer, FAILED(hr) ? hr : MAPI_E_NOT_ENOUGH_MEMORY);
    std::memset(props.get(), 0, CbPropValues(2));

    LPSTR mailboxCopy = nullptr;
    hr = CopyString(mailbox, props.get(), &mailboxCopy);
    if (FAILED(hr)) return Fail(kAllocateMoreName, hr);
    LPSTR serverCopy = nullptr;
    hr = CopyString(server, props.get(), &serverCopy);
    if (FAILED(hr)) return Fail(kAllocateMoreServer, hr);
    props.get()[0].ulPropTag = PR_PROFILE_UNRESOLVED_NAME;
    props.get()[0].Value.lpszA = mailboxCopy;
    props.get()[1].ulPropTag = PR_PROFILE_UNRESOLVED_SERVER;
    props.get()[1].Value.lpszA = serverCopy;

    const ULONG_PTR window = reporter_.flavour == Flavour::Gui ? reporter_.mainWindow : 0;
    hr = serviceAdmin->ConfigureMsgService(serviceUid, window, 0, 2, props.get());
    if (FAILED(hr)) return Fail(kConfigure, hr, serviceAdmin.get());
    return S_OK;
  }

 private:
  const ProfileReporter& reporter_;
  const FlavourRules& rules_;
  HourglassCursor& cursor_;
  std::string* collected_;
};

}  // namespace

HRESULT MakeProfileName(const char* prefix, char* buffer, std::size_t size) {
  if (!buffer || size == 0) return EdkLogError(E_INVALIDARG);
  std::memset(buffer, 0, size);

  SYSTEMTIME now{};
  GetSystemTime(&now);
  FILETIME time{};
  if (!SystemTimeToFileTime(&now, &time)) {
    const DWORD error = GetLastError();
    return EdkLogError(error ? HRESULT_FROM_WIN32(static_cast<LONG>(error)) : E_FAIL);
  }

  // At most 260 characters and the terminator, however long the prefix.
  const std::size_t limit = size < kProfileNameBufferSize ? size : kProfileNameBufferSize;
  const int written = std::snprintf(buffer, limit, "%s %08X %08X %08X", prefix ? prefix : "",
                                    static_cast<unsigned>(GetCurrentProcessId()),
                                    static_cast<unsigned>(time.dwHighDateTime),
                                    static_cast<unsigned>(time.dwLowDateTime));
  if (written < 0) {
    std::memset(buffer, 0, size);
    return EdkLogError(E_FAIL);
  }
  return S_OK;
}

HRESULT CreateTempProfile(const ProfileReporter& reporter, const std::string& mailbox,
                          const std::string& server, std::optional<std::string>* profileName) {
  if (profileName) profileName->reset();
  HourglassCursor cursor(reporter.flavour == Flavour::Gui ? reporter.dialogs : nullptr);
  Creation creation(RulesFor(reporter.flavour), reporter, cursor);

  if (creation.rules().initializesMapi) {
    HRESULT hr = MAPIInitialize(nullptr);
    if (FAILED(hr)) return creation.Fail(kInitialize, hr);
  }

  std::optional<std::string> name;
  ComPtr<IProfAdmin> profAdmin;
  HRESULT hr = creation.Run(mailbox, server, &name, profAdmin);
  profAdmin.reset();
  if (profileName) *profileName = name;

  cursor.Restore();
  if (creation.rules().announcesCreation && SUCCEEDED(hr) && reporter.out && name) {
    WriteLine(*reporter.out, "");
    WriteLine(*reporter.out, "Temporary MAPI profile \"" + *name + "\" is created!");
    WriteLine(*reporter.out, "");
  }
  if (creation.rules().initializesMapi) MAPIUninitialize();
  return hr;
}

HRESULT CreateCheckProfile(HourglassCursor& cursor, const std::string& mailbox,
                           const std::string& server, std::optional<std::string>* profileName,
                           ComPtr<IProfAdmin>* profAdmin, std::string* failures) {
  ProfileReporter reporter;
  reporter.flavour = Flavour::Gui;  // its error texts; no window, nothing shown
  Creation creation(kCheckRules, reporter, cursor, failures);
  return creation.Run(mailbox, server, profileName, *profAdmin);
}

HRESULT DeleteTempProfile(const ProfileReporter& reporter, const std::string& profileName) {
  const FlavourRules& rules = RulesFor(reporter.flavour);
  std::ostream* out = rules.reportsDeleteFailures ? reporter.out : nullptr;
  HRESULT hr = S_OK;
  {
    ComPtr<IProfAdmin> profAdmin;
    hr = MAPIAdminProfiles(0, Out(profAdmin));
    if (FAILED(hr) || !profAdmin) {
      if (!FAILED(hr)) hr = E_FAIL;
      if (out)
        WriteSeparated(*out, {"Error! Exception found: Can not get Profile Admin Interface"});
    } else {
      std::string name = profileName;
      hr = profAdmin->DeleteProfile(name.data(), 0);
      if (FAILED(hr) && out) WriteSeparated(*out, {"Error! Delete profile: " + profileName});
    }
  }
  if (reporter.flushRegistryOnDelete) {
    RegFlushKey(HKEY_LOCAL_MACHINE);
    RegFlushKey(HKEY_CURRENT_USER);
  }
  return hr;
}

}  // namespace mapi
