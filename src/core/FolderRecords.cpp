#include "FolderRecords.h"

#include "MAPITags.h"
#include "MAPIVariantProp.h"

namespace core {

const ULONG kMessageColumns[kMessageColumnCount] = {PR_HASATTACH, PR_SUBJECT, PR_MESSAGE_SIZE,
                                                    PR_MESSAGE_DELIVERY_TIME};

TOneFolderMessages MessageFromRow(const SRow& row) {
  TOneFolderMessages message;
  if (auto attach = mapi::PropBoolean(mapi::RowProp(row, 0, PR_HASATTACH), PR_HASATTACH))
    message.hasAttachment = *attach;
  if (auto subject = mapi::PropString8(mapi::RowProp(row, 1, PR_SUBJECT), PR_SUBJECT))
    message.subject.assign(subject->data(), subject->size());
  if (auto size = mapi::PropLong(mapi::RowProp(row, 2, PR_MESSAGE_SIZE), PR_MESSAGE_SIZE))
    message.size = static_cast<std::uint32_t>(*size);
  if (auto delivery = mapi::PropSysTime(mapi::RowProp(row, 3, PR_MESSAGE_DELIVERY_TIME),
                                        PR_MESSAGE_DELIVERY_TIME)) {
    try {
      message.deliveryTime = mapi::FileTimeToLocal(*delivery, true);
    } catch (const mapi::DateConvertError&) {
      // No calendar date: shown and sorted as a message without a time.
    }
  }
  return message;
}

}  // namespace core
