// The library's application object: what describes the running library
// module to hosts and to the framework component, under the member names of
// the automation runtime's application object (App.Major, App.Path, ...).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "frame/PropertyObject.h"

namespace orvalis {

// What the platform reads about the module: its full path, its title, and
// the version resource's numbers (file version Major.Minor.0.Revision) and
// texts.
struct ModuleFacts {
  std::u16string path;
  std::u16string title;
  uint16_t major = 0;
  uint16_t minor = 0;
  uint16_t revision = 0;
  std::u16string companyName;
  std::u16string productName;
  std::u16string fileDescription;
  std::u16string legalCopyright;
  std::u16string legalTrademarks;
  std::u16string comments;
  intptr_t instance = 0;  // the module handle, as wide as a pointer
  int32_t threadId = 0;  // the thread the object belongs to
};

// The members, in this order: Title, EXEName (the file name without its
// extension), Path (the folder, without a closing backslash), Major, Minor,
// Revision (Integer), CompanyName, ProductName, FileDescription,
// LegalCopyright, LegalTrademarks, Comments (String), hInstance (Long in
// 32-bit code, LongLong in 64-bit code: VBA7's LongPtr), ThreadID (Long).
std::shared_ptr<PropertyObject> makeApplicationObject(const ModuleFacts& facts);

}  // namespace orvalis
