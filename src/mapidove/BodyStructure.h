// Whether a message carries an attachment, read from its IMAP BODYSTRUCTURE
// (as doveadm fetches it, without the outer parentheses) so that the body
// itself never has to be fetched.
#pragma once

#include <string_view>

namespace mapidove {

// True when some part is an attachment: its disposition is "attachment", it
// carries a file name (a "filename" disposition or "name" type parameter),
// or it is a message embedded in the message. Throws std::invalid_argument
// on text that is no body structure.
bool HasAttachment(std::string_view bodyStructure);

}  // namespace mapidove
