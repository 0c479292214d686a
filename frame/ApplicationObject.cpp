#include "frame/ApplicationObject.h"

namespace orvalis {

namespace {

std::u16string folderOf(const std::u16string& path) {
  const size_t slash = path.find_last_of(u"\\/");
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

// The root name of the file: the part after the folder, before the last dot.
std::u16string rootNameOf(const std::u16string& path) {
  const size_t slash = path.find_last_of(u"\\/");
  std::u16string name = slash == std::u16string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of(u'.');
  if (dot != std::u16string::npos) name.erase(dot);
  return name;
}

Variant integer(uint16_t value) { return Variant(static_cast<int16_t>(value)); }

// A handle as wide as the platform's pointers: a 64-bit module handle does
// not fit a Long.
Variant handle(intptr_t value) {
  if constexpr (sizeof value == 8) return Variant::longLong(value);
  else return Variant(static_cast<int32_t>(value));
}

}  // namespace

std::shared_ptr<PropertyObject> makeApplicationObject(const ModuleFacts& facts) {
  return std::make_shared<PropertyObject>(std::vector<PropertyObject::Property>{
      {u"Title", facts.title},
      {u"EXEName", rootNameOf(facts.path)},
      {u"Path", folderOf(facts.path)},
      {u"Major", integer(facts.major)},
      {u"Minor", integer(facts.minor)},
      {u"Revision", integer(facts.revision)},
      {u"CompanyName", facts.companyName},
      {u"ProductName", facts.productName},
      {u"FileDescription", facts.fileDescription},
      {u"LegalCopyright", facts.legalCopyright},
      {u"LegalTrademarks", facts.legalTrademarks},
      {u"Comments", facts.comments},
      {u"hInstance", handle(facts.instance)},
      {u"ThreadID", Variant(facts.threadId)},
  });
}

}  // namespace orvalis
