#include "frame/Runtime.h"

#include <utility>

namespace orvalis {

std::string ansiName(Runtime& runtime, std::u16string_view name) {
  if (std::optional<std::string> ansi = runtime.toAnsiExactly(name)) return std::move(*ansi);
  throw RuntimeError(vb_error::BadFileNameOrNumber,
                     u"Bad file name or number: the name has characters that the ANSI code page lacks");
}

void showErrorBox(Runtime& runtime, std::u16string_view description) {
  runtime.messageBox(description, std::u16string_view(u" Error"), message_box::OkOnly);
}

}  // namespace orvalis
