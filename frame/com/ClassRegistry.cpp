#include "frame/com/ClassRegistry.h"

#include "frame/com/Classes.h"

namespace orvalis::com {

const GUID kLibraryId = LIBID_Orvalis;
const WORD kLibraryMajor = 1;
const WORD kLibraryMinor = 0;
const wchar_t* const kLibraryName = L"Orvalis";

namespace {

#define ORVALIS_CLASS(name) {L## #name, CLSID_##name, IID__##name, &create_##name}

// In the order of the type library.
const ClassEntry kClasses[] = {
    ORVALIS_CLASS(clsVxOrvalisA),
    ORVALIS_CLASS(clsVxAudoWMixerA),
    ORVALIS_CLASS(clsVxAudoGeneralA),
    ORVALIS_CLASS(clsVxAudoAdvancedA),
    ORVALIS_CLASS(clsVxAudoMP3PlayerA),
    ORVALIS_CLASS(clsVxAudoMP3PlayerB),
    ORVALIS_CLASS(clsVxAudoMCISoundRecA),
    ORVALIS_CLASS(clsVxAudoWaveFileA),
    ORVALIS_CLASS(clsVxAudoWMixerB),
    ORVALIS_CLASS(clsVxAudoCDRomA),
    ORVALIS_CLASS(clsVxAudoCDPlayerA),
    ORVALIS_CLASS(clsVxAudoCDPlayerB),
};

#undef ORVALIS_CLASS

}  // namespace

std::span<const ClassEntry> classRegistry() { return kClasses; }

}  // namespace orvalis::com
