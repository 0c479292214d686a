#include "frame/Runtime.h"

namespace orvalis {

void showErrorBox(Runtime& runtime, std::u16string_view description) {
  runtime.messageBox(description, std::u16string_view(u" Error"), message_box::OkOnly);
}

}  // namespace orvalis
