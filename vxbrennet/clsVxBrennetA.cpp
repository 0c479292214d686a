#include "vxbrennet/clsVxBrennetA.h"

#include "frame/Conversion.h"
#include "frame/Runtime.h"
#include "frame/RuntimeError.h"
#include "vxbrennet/Boxes.h"

namespace orvalis::vxbrennet {

clsVxBrennetA::clsVxBrennetA(Platform& platform) : platform_(platform) {}

void clsVxBrennetA::AppAboutVxel(const ObjectRef& oApp) {
  if (!oApp) throw RuntimeError(vb_error::ObjectVariableNotSet);
  HostObject& app = *oApp;
  const std::u16string title = toText(app.get(u"Title"));
  std::u16string text = title + kNewLine + u"Version " + toText(app.get(u"Major")) + u"." +
                        toText(app.get(u"Minor")) + u"." + toText(app.get(u"Revision"));
  const std::u16string description = toText(app.get(u"FileDescription"));
  if (!description.empty()) text += kNewLine + description;
  platform_.runtime.messageBox(text, u"About " + title, kInformationBox);
}

}  // namespace orvalis::vxbrennet
