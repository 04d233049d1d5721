#include "ApplicationTitle.h"

#include <utility>

namespace mapi {
namespace {
std::string& Title() {
  static std::string title = kDefaultApplicationTitle;
  return title;
}
}  // namespace

void SetApplicationTitle(std::string title) {
  Title() = std::move(title);
}
std::string ApplicationTitle() {
  return Title();
}

}  // namespace mapi
