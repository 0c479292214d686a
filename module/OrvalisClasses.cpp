// The class table of orvalis.dll and its type-library identity, from the
// class list; each class's creation function is defined by its binding.
#include "frame/com/ClassRegistry.h"

#include "frame/com/Classes.h"

namespace orvalis::com {

#define ORVALIS_CLASS(name) IUnknown* create_##name();
#include "module/ClassList.h"
#undef ORVALIS_CLASS

const GUID kLibraryId = LIBID_Orvalis;
const WORD kLibraryMajor = 1;
const WORD kLibraryMinor = 0;
const wchar_t* const kLibraryName = L"Orvalis";

namespace {

#define ORVALIS_CLASS(name) {L## #name, CLSID_##name, IID__##name, &create_##name},

const ClassEntry kClasses[] = {
#include "module/ClassList.h"
};

#undef ORVALIS_CLASS

}  // namespace

std::span<const ClassEntry> classRegistry() { return kClasses; }

}  // namespace orvalis::com
