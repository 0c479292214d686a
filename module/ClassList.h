// The creatable classes of orvalis.dll, in the order of the type library:
// one ORVALIS_CLASS(name) line each, for the includer to define.
//
// Two readers share this list: the class table (OrvalisClasses.cpp), from
// which the factory and the registration work, and the build's generator
// (frame/sxsmanifest), which reads these lines as text and takes each
// class's CLSID and interface IID from the type library to write the
// side-by-side manifest and the module's _IID_ resource records. A class
// added here is registered, listed in the manifest and given its record
// alike.
ORVALIS_CLASS(clsVxOrvalisA)
ORVALIS_CLASS(clsVxAudoWMixerA)
ORVALIS_CLASS(clsVxAudoGeneralA)
ORVALIS_CLASS(clsVxAudoAdvancedA)
ORVALIS_CLASS(clsVxAudoMP3PlayerA)
ORVALIS_CLASS(clsVxAudoMP3PlayerB)
ORVALIS_CLASS(clsVxAudoMCISoundRecA)
ORVALIS_CLASS(clsVxAudoWaveFileA)
ORVALIS_CLASS(clsVxAudoWMixerB)
ORVALIS_CLASS(clsVxAudoCDRomA)
ORVALIS_CLASS(clsVxAudoCDPlayerA)
ORVALIS_CLASS(clsVxAudoCDPlayerB)
