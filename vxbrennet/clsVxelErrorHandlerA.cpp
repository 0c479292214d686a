#include "vxbrennet/clsVxelErrorHandlerA.h"

#include "frame/Conversion.h"
#include "frame/Runtime.h"
#include "frame/RuntimeError.h"
#include "vxbrennet/Boxes.h"

namespace orvalis::vxbrennet {

clsVxelErrorHandlerA::clsVxelErrorHandlerA(Platform& platform) : platform_(platform) {}

void clsVxelErrorHandlerA::ErrorHandlerMessageVx(const ObjectRef& oApp, const ObjectRef& oErr,
                                                 const std::u16string&, const std::u16string& sLocation,
                                                 int32_t, const std::u16string&, int32_t, const Variant&) {
  if (!oErr) throw RuntimeError(vb_error::ObjectVariableNotSet);
  const std::u16string text = u"Error " + toText(oErr->get(u"Number")) + u": " +
                              toText(oErr->get(u"Description")) + kNewLine + u"Location: " + sLocation;
  const std::u16string title = oApp ? toText(oApp->get(u"Title")) : std::u16string(u"Error");
  platform_.runtime.messageBox(text, title, message_box::OkOnly | message_box::Critical);
}

}  // namespace orvalis::vxbrennet
