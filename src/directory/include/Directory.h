// The directory stand-in: ADSI's ADsOpenObject on "LDAP://server/RootDSE" and
// the ADSI OLE DB query for Exchange server objects, answered from the
// directory objects of the organisation database in the machine root.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ComBase.h"
#include "WinTypes.h"

inline constexpr IID IID_IADs = {
    0xFD8256D0, 0xFD15, 0x11CE, {0xAB, 0xC4, 0x02, 0x60, 0x8C, 0x9E, 0x75, 0x53}};

// A directory object; only reading one attribute as text is offered.
struct IADs : IUnknown {
  // Fails with E_ADS_PROPERTY_NOT_FOUND when the object has no such attribute.
  virtual HRESULT GetString(LPCSTR lpszName, std::string* value) = 0;

 protected:
  ~IADs() = default;
};

constexpr HRESULT E_ADS_BAD_PATHNAME = MakeHr(0x80005000);
constexpr HRESULT E_ADS_PROPERTY_NOT_FOUND = MakeHr(0x8000500D);
// The server is not operational (HRESULT_FROM_WIN32(ERROR_DS_SERVER_DOWN)).
constexpr HRESULT E_ADS_SERVER_DOWN = MakeHr(0x8007203A);

// Opens "LDAP://<server>/RootDSE"; fails for an unknown or unreachable
// server, or when the organisation database cannot be read.
HRESULT ADsOpenObject(LPCSTR lpszPathName, LPCSTR lpszUserName, LPCSTR lpszPassword,
                      DWORD dwReserved, REFIID riid, void** ppObject);

namespace platform {

// The query component: a read-only record set over one SELECT statement of
// the form SELECT a, b FROM 'LDAP://server/<container DN>' WHERE
// objectClass='<class>'. Every failure throws std::runtime_error with a
// message text.
class AdoQuery {
 public:
  AdoQuery();
  ~AdoQuery();
  AdoQuery(const AdoQuery&) = delete;
  AdoQuery& operator=(const AdoQuery&) = delete;

  void SetConnectionString(std::string text);
  void SetSQL(std::string statement);
  void Open();
  bool Eof() const;
  std::string FieldAsString(std::string_view name) const;
  void Next();
  void Close();

 private:
  std::string connection_;
  std::string sql_;
  std::vector<std::string> columns_;
  std::vector<std::vector<std::string>> rows_;
  std::size_t position_ = 0;
  bool open_ = false;
};

}  // namespace platform
