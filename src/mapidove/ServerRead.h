// Internal to the Dovecot reader: how a failed read of the server reaches
// the MAPI stand-in.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "DoveadmClient.h"
#include "ImapSession.h"
#include "OrgReader.h"

namespace mapidove {

// Runs a read of the server; its failures reach the MAPI layer as the
// organisation's data failing, which it reports as a server gone away.
template <class F>
inline auto FromServer(F&& read) -> decltype(read()) {
  try {
    return read();
  } catch (const orgdb::OrgDbError&) {
    throw;
  } catch (const DoveadmError& e) {
    throw orgdb::OrgDbError(e.what());
  } catch (const TransportError& e) {
    throw orgdb::OrgDbError(e.what());
  } catch (const ImapError& e) {
    throw orgdb::OrgDbError(e.what());
  } catch (const std::invalid_argument& e) {  // an IMAP answer that cannot be read
    throw orgdb::OrgDbError(e.what());
  } catch (const nlohmann::json::exception& e) {
    throw orgdb::OrgDbError(std::string("doveadm gave an answer that cannot be read: ") + e.what());
  }
}

}  // namespace mapidove
