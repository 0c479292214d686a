// typelib_check: verifies the type library and the resources that
// orvalis.dll carries, against the published tables of the library's
// classes, members, records and enumerations written out below.
//
//   typelib_check PATH\orvalis.dll
//
// The tables are written by hand from the library's documentation, not
// generated from orvalis.idl, so a wrong dispatch id, slot, parameter or
// record offset in the IDL shows up here.  Built for 64-bit Windows, the
// checker checks the 64-bit library: its pointer-sized values are LongLong
// and its records have their 64-bit layouts; the records that are byte
// images of the platform's mixer structures are also compared with the
// platform's own <mmsystem.h>.  Every fact that does not hold
// is printed on its own line; the last line is
//   typelib_check: N passed, M failed
// and the exit code is 0 only when nothing failed.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <mmsystem.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstddef>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Expected contents
// ---------------------------------------------------------------------------

// Parameter directions as the type library marks them.
constexpr USHORT In = PARAMFLAG_FIN;                                  // by value
constexpr USHORT InOut = PARAMFLAG_FIN | PARAMFLAG_FOUT;              // by reference
constexpr USHORT InOutOpt = PARAMFLAG_FIN | PARAMFLAG_FOUT | PARAMFLAG_FOPT;
constexpr USHORT InOpt = PARAMFLAG_FIN | PARAMFLAG_FOPT;

constexpr INVOKEKIND Method = INVOKE_FUNC;
constexpr INVOKEKIND Get = INVOKE_PROPERTYGET;
constexpr INVOKEKIND Let = INVOKE_PROPERTYPUT;
constexpr INVOKEKIND Set = INVOKE_PROPERTYPUTREF;

// Handles and addresses: a Long in the 32-bit library, a LongLong (VBA7's
// LongPtr) in the 64-bit one.
#ifdef _WIN64
constexpr const char* LongPtr = "long long";
#else
constexpr const char* LongPtr = "long";
#endif
// Bytes of a vtable slot; IDispatch's seven slots come first.
constexpr long long kSlot = sizeof(void*);

// Types are written in C notation: "long*" is a Long by reference,
// "SAFEARRAY(long)*" an array of Long by reference, "IDispatch*" an Object,
// "MIXERCONTROL*" a record by reference; "unsigned char[1..16]" is a fixed
// array with its bounds.
struct ExpectedParam {
    const char* name;  // nullptr: the value of a property put, which has no name
    const char* type;
    USHORT flags;
};

struct ExpectedMember {
    const char* name;
    MEMBERID id;
    INVOKEKIND kind;
    std::vector<ExpectedParam> params;
    const char* result;  // type of the [out, retval] value; nullptr: none
    WORD funcFlags = 0;
};

struct ExpectedInterface {
    const char* name;
    const char* iid;
    WORD flags;  // type flags of the vtable view
    std::vector<ExpectedMember> members;
    bool version = true;  // carries version 1.0
};

struct ExpectedClass {
    const char* name;
    const char* clsid;
    ExpectedInterface iface;
};

constexpr WORD kClassInterfaceFlags = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE |
                                      TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;

const std::vector<ExpectedClass> kClasses = {
    {"clsVxOrvalisA", "{21E84DD4-0AA1-45E7-B6B1-EE6857B2E92D}",
     {"_clsVxOrvalisA", "{BE08B89F-41BD-4E99-8173-7ED7DD3B4420}", kClassInterfaceFlags,
      {
          {"GetProStdProperties", 0x68030004, Get, {}, "IDispatch*"},
          {"GetProResStrings", 0x68030003, Get, {{"lResId", "long*", InOut}}, "BSTR"},
          {"GetProResPicture", 0x68030002, Get,
           {{"lResId", "long*", InOut}, {"lRestype", "LoadResConstants*", InOut}}, "IPictureDisp*"},
          {"GetProResData", 0x68030001, Get,
           {{"lResId", "long*", InOut}, {"vRestype", "VARIANT*", InOut}}, "VARIANT"},
          {"About", 0x60030006, Method, {}, "long"},
          {"BuddyObjectGlobal", 0x68030000, Get, {}, "IDispatch*"},
          {"BuddyObjectGlobal", 0x68030000, Set, {{nullptr, "IDispatch*", In}}, nullptr},
      }}},
    {"clsVxAudoWMixerA", "{4805D826-30A4-4A3E-84EB-BB0AD872EE1E}",
     {"_clsVxAudoWMixerA", "{CD125F07-7337-46D8-9184-7BE43C71B6E8}", kClassInterfaceFlags,
      {
          {"NumSamples", 0x40030006, Get, {}, "long"},
          {"NumSamples", 0x40030006, Let, {{nullptr, "long", In}}, nullptr},
          {"drawFrom", 0x40030007, Get, {}, "long"},
          {"drawFrom", 0x40030007, Let, {{nullptr, "long", In}}, nullptr},
          {"drawTo", 0x40030008, Get, {}, "long"},
          {"drawTo", 0x40030008, Let, {{nullptr, "long", In}}, nullptr},
          {"fFileLoaded", 0x40030009, Get, {}, "VARIANT_BOOL"},
          {"fFileLoaded", 0x40030009, Let, {{nullptr, "VARIANT_BOOL", In}}, nullptr},
          {"GetMixerControl", 0x60030001, Method,
           {{"hMixer", LongPtr, In}, {"componentType", "long", In}, {"ctrlType", "long", In},
            {"mxc", "MIXERCONTROL*", InOut}},
           "VARIANT_BOOL"},
          {"SetVolumeControl", 0x60030002, Method,
           {{"hMixer", LongPtr, In}, {"mxc", "MIXERCONTROL*", InOut}, {"volume", "long", In}},
           "VARIANT_BOOL"},
          {"SetPANControl", 0x60030003, Method,
           {{"hMixer", LongPtr, In}, {"mxc", "MIXERCONTROL*", InOut}, {"volL", "long", In},
            {"volR", "long", In}},
           "VARIANT_BOOL"},
          {"unSetMuteControl", 0x60030004, Method,
           {{"hMixer", LongPtr, In}, {"mxc", "MIXERCONTROL*", InOut}, {"unmute", "long", In}},
           "VARIANT_BOOL"},
          {"SetMuteControl", 0x60030005, Method,
           {{"hMixer", LongPtr, In}, {"mxc", "MIXERCONTROL*", InOut}, {"mute", "VARIANT_BOOL*", InOut}},
           "VARIANT_BOOL"},
          {"GetVolumeControlValue", 0x60030006, Method,
           {{"hMixer", LongPtr, In}, {"mxc", "MIXERCONTROL*", InOut}}, "long"},
      }}},
    {"clsVxAudoGeneralA", "{D946EDE3-82F7-4EFC-95F8-5F63C6AAF555}",
     {"_clsVxAudoGeneralA", "{9CD1884C-387F-43A6-9EE3-F9CF73857039}", kClassInterfaceFlags, {}}},
    {"clsVxAudoAdvancedA", "{209EFB6B-FAAE-4954-A3F3-A3E195D1B2C0}",
     {"_clsVxAudoAdvancedA", "{AC66CD2F-E11F-4A7F-A3A8-06AE56D5AAA8}", kClassInterfaceFlags, {}}},
    {"clsVxAudoMP3PlayerA", "{14441B1A-4670-439A-AE16-930029885D2E}",
     {"_clsVxAudoMP3PlayerA", "{C2A94E9E-15B0-471A-A8F1-6F513DF91EE8}", kClassInterfaceFlags,
      {
          {"MP3File", 0x40030000, Get, {}, "BSTR"},
          {"MP3File", 0x40030000, Let, {{nullptr, "BSTR", In}}, nullptr},
          {"TheFile", 0x40030001, Get, {}, "BSTR"},
          {"TheFile", 0x40030001, Let, {{nullptr, "BSTR", In}}, nullptr},
          {"GetLastBackSlash", 0x60030001, Method, {{"text", "BSTR*", InOut}}, "BSTR"},
          {"ListNoChar", 0x60030002, Method,
           {{"List1", "IDispatch**", InOut}, {"List2", "IDispatch**", InOut}}, nullptr},
          {"MP3Playing", 0x60030006, Method, {}, "VARIANT_BOOL"},
          {"MP3ChangePositionTo", 0x60030007, Method, {{"Second", "VARIANT*", InOut}}, "VARIANT"},
          {"MP3PositionInSec", 0x60030008, Method, {}, "VARIANT"},
          {"MP3PositionInMS", 0x60030009, Method, {}, "VARIANT"},
          {"MP3Duration", 0x6003000A, Method, {}, "VARIANT"},
          {"MP3DurationInSec", 0x6003000B, Method, {}, "VARIANT"},
          {"MP3DurationInMs", 0x6003000C, Method, {}, "VARIANT"},
          {"MP3Position", 0x6003000E, Method, {}, "VARIANT"},
          {"MP3OpenPlayList", 0x6003000F, Method,
           {{"TheFile", "BSTR*", InOut}, {"TheListBox", "VARIANT*", InOut}}, "VARIANT"},
          {"MP3SavePlayList", 0x60030010, Method,
           {{"TheFile", "BSTR*", InOut}, {"TheListBox", "VARIANT*", InOut}}, "VARIANT"},
          {"MP3Play", 0x60030011, Method, {}, nullptr},
          {"MP3Stop", 0x60030012, Method, {}, nullptr},
          {"MP3Resume", 0x60030013, Method, {}, nullptr},
          {"MP3Pause", 0x60030014, Method, {}, nullptr},
      }}},
    {"clsVxAudoMP3PlayerB", "{FCDD2BE1-D383-4E39-A2C1-5C8D1BF7908A}",
     {"_clsVxAudoMP3PlayerB", "{C06B91E0-8955-4EC6-B251-D9D7E6DEE59F}", kClassInterfaceFlags,
      {
          {"Filename", 0x40030000, Get, {}, "BSTR"},
          {"Filename", 0x40030000, Let, {{nullptr, "BSTR", In}}, nullptr},
          {"TimeOut", 0x60030001, Method, {{"duration", "VARIANT*", InOut}}, nullptr},
          {"Play", 0x60030002, Method, {}, nullptr},
          {"MyAppDefault", 0x60030003, Method,
           {{"sAppName", "BSTR", In}, {"sEXE", "BSTR", In}, {"sExt", "BSTR", In}}, nullptr},
          {"EndOfSong", 0x60030004, Method, {}, "VARIANT_BOOL"},
          {"FormMove", 0x60030005, Method, {{"Frm", "IDispatch**", InOut}}, nullptr},
          {"OpenPlaylist", 0x60030006, Method,
           {{"TheList", "BSTR*", InOut}, {"Listbox", "IDispatch**", InOut}}, nullptr},
          {"TimeRemaininginMS", 0x60030007, Method, {}, "long"},
          {"TimeRemaininginSec", 0x60030008, Method, {}, "long"},
          {"FormatTimeRemaining", 0x60030009, Method, {}, "BSTR"},
          {"ListNoChar", 0x6003000C, Method,
           {{"List1", "IDispatch**", InOut}, {"List2", "IDispatch**", InOut}}, nullptr},
          {"ListSingleNoChar", 0x6003000D, Method,
           {{"List1", "VARIANT*", InOut}, {"List2", "VARIANT*", InOut}}, nullptr},
          {"SavePlaylist", 0x6003000F, Method,
           {{"TheList", "BSTR*", InOut}, {"Listbox", "IDispatch**", InOut}}, nullptr},
          {"PositioninMS", 0x60030010, Method, {}, "long"},
          {"PositioninSec", 0x60030011, Method, {}, "long"},
          {"FormatPosition", 0x60030012, Method, {}, "BSTR"},
          {"ChangePosition", 0x60030013, Method, {{"TheSecond", "long*", InOut}}, nullptr},
          {"StopPlay", 0x60030014, Method, {}, nullptr},
          {"Pause", 0x60030015, Method, {}, nullptr},
          {"DurationInMS", 0x60030016, Method, {}, "long"},
          {"FormatDuration", 0x60030017, Method, {}, "BSTR"},
          {"DurationInSec", 0x6003001A, Method, {}, "long"},
          {"ResumePlay", 0x6003001B, Method, {}, nullptr},
          {"isPlaying", 0x6003001C, Method, {}, "VARIANT_BOOL"},
      }}},
    {"clsVxAudoMCISoundRecA", "{A97C1DB5-AE4C-4D2B-B5E2-59198BFBA4B9}",
     {"_clsVxAudoMCISoundRecA", "{EE751B01-C7CB-4488-A14C-A0F78412332F}", kClassInterfaceFlags,
      {
          {"RecordSound", 0x60030001, Method,
           {{"sFileName", "BSTR*", InOut}, {"sBitsPerSample", "BSTR*", InOut},
            {"sSamplesPerSec", "BSTR*", InOut}, {"vDuration", "VARIANT*", InOutOpt}},
           "short"},
          {"StopRecording", 0x60030002, Method, {}, nullptr},
      }}},
    {"clsVxAudoWaveFileA", "{890E87F5-E9D9-44A6-97E8-4426ED6DF527}",
     {"_clsVxAudoWaveFileA", "{68B95D0C-311E-418D-B637-B8CC7842C09E}", kClassInterfaceFlags,
      {
          {"Filename", 0x68030000, Get, {}, "BSTR"},
          {"Filename", 0x68030000, Let, {{nullptr, "BSTR", In}}, nullptr},
          {"CreateWaveArray", 0x60030002, Method,
           {{"WaveData", "SAFEARRAY(long)*", InOut}, {"SampleRate", "long*", InOut},
            {"BitsPerSample", "long*", InOut}},
           "SAFEARRAY(unsigned char)"},
          {"WriteWave", 0x60030003, Method,
           {{"Path", "BSTR*", InOut}, {"WaveArray", "SAFEARRAY(unsigned char)*", InOut}}, nullptr},
          {"PlaySound", 0x60030004, Method,
           {{"lSndConstValue", "SoundSndAudoConstants*", InOutOpt}}, "long"},
          {"PlaySoundFromResourceFile", 0x60030005, Method,
           {{"ResNameID", "VARIANT*", InOut}, {"ResType", "VARIANT*", InOutOpt},
            {"lSndConstValue", "SoundSndAudoConstants*", InOutOpt}},
           nullptr},
          {"StopSound", 0x60030006, Method, {}, "long"},
      }}},
    {"clsVxAudoWMixerB", "{D8191B62-8836-4DAC-93F0-982B21CFBD14}",
     {"_clsVxAudoWMixerB", "{7005E932-A1DF-4349-BC87-E485A0532C02}", kClassInterfaceFlags,
      {
          {"OpenMixer", 0x60030001, Method, {{"MixerNumber", "long", In}}, "long"},
          {"CloseMixer", 0x60030002, Method, {}, "long"},
          {"SetVolume", 0x60030003, Method,
           {{"Control", "VOL_CONTROL*", InOut}, {"NewVolume", "long", In}}, "long"},
          {"GetVolume", 0x60030004, Method, {{"Control", "VOL_CONTROL*", InOut}}, "long"},
          {"SetMute", 0x60030005, Method,
           {{"Control", "MUTE_CONTROL*", InOut}, {"MuteState", "VARIANT_BOOL", In}}, "VARIANT_BOOL"},
          {"GetMute", 0x60030006, Method, {{"Control", "MUTE_CONTROL*", InOut}}, "VARIANT_BOOL"},
      }}},
    {"clsVxAudoCDRomA", "{3BA9AF47-3989-4A40-BA89-688A99A645F1}",
     {"_clsVxAudoCDRomA", "{5453B216-E61A-48C3-92BB-FD0C7CFAD4A5}", kClassInterfaceFlags,
      {
          {"CDRomsCollection", 0x60030002, Method, {{"vCDRomDetect", "VARIANT*", InOut}}, "_Collection*"},
          {"Eject", 0x60030003, Method, {}, "long"},
          {"Load", 0x60030004, Method, {}, "long"},
      }}},
    {"clsVxAudoCDPlayerA", "{1C89E160-60A1-4DE0-B9EE-D3B2C3E952EE}",
     {"_clsVxAudoCDPlayerA", "{F8D3F356-0588-4B83-8C7C-75ABE593589B}", kClassInterfaceFlags,
      {
          {"StartPlay", 0x60030001, Method, {}, "VARIANT"},
          {"setTrack", 0x60030002, Method, {{"track", "short*", InOut}}, "VARIANT"},
          {"StopPlay", 0x60030003, Method, {}, "VARIANT"},
          {"PausePlay", 0x60030004, Method, {}, "VARIANT"},
          {"EjectCD", 0x60030005, Method, {}, "VARIANT"},
          {"CloseCD", 0x60030006, Method, {}, "VARIANT"},
          {"UnloadAll", 0x60030007, Method, {}, "VARIANT"},
          {"SetCDPlayerReady", 0x60030008, Method, {}, "VARIANT"},
          {"SetFormat_tmsf", 0x60030009, Method, {}, "VARIANT"},
          {"SetFormat_milliseconds", 0x6003000A, Method, {}, "VARIANT"},
          {"CheckCD", 0x6003000B, Method, {}, "short"},
          {"GetNumTracks", 0x6003000C, Method, {}, "short"},
          {"GetCDLength", 0x6003000D, Method, {}, "BSTR"},
          {"GetTrackLength", 0x6003000E, Method, {{"TrackNum", "short*", InOut}}, "BSTR"},
          {"GetCDPosition", 0x6003000F, Method,
           {{"track", "short*", InOut}, {"Min", "short*", InOut}, {"Sec", "short*", InOut}}, nullptr},
          {"CheckIfPlaying", 0x60030010, Method, {}, "short"},
          {"SeekCDtoX", 0x60030011, Method, {{"track", "short*", InOut}}, "VARIANT"},
          {"ReadyDevice", 0x60030012, Method, {}, "VARIANT"},
          {"fastForward", 0x60030013, Method, {{"Spd", "short*", InOut}}, "VARIANT"},
          {"ReWind", 0x60030014, Method, {{"Spd", "short*", InOut}}, "VARIANT"},
      }}},
    {"clsVxAudoCDPlayerB", "{9400B410-A32F-4E3F-9EC4-128F19548857}",
     {"_clsVxAudoCDPlayerB", "{BA1602CE-31B4-44A1-8E4C-34754DA153AC}", kClassInterfaceFlags,
      {
          {"checkError", 0x60030001, Method, {}, "BSTR"},
          {"checkForCD", 0x60030002, Method, {}, "VARIANT_BOOL"},
          {"checkCDDrive", 0x60030003, Method, {{"drive", "BSTR*", InOut}}, "VARIANT_BOOL"},
          {"startCD", 0x60030004, Method, {{"cdDrive", "BSTR*", InOut}}, "VARIANT"},
          {"playCD", 0x60030005, Method, {}, "VARIANT"},
          {"seekToBeginning", 0x60030006, Method, {}, "VARIANT"},
          {"seekToEnd", 0x60030007, Method, {}, "VARIANT"},
          {"stopCD", 0x60030008, Method, {}, "VARIANT"},
          {"closeAll", 0x60030009, Method, {}, "VARIANT"},
          {"getCurrentTrack", 0x6003000A, Method, {}, "long"},
          {"getPositionSeconds", 0x6003000B, Method, {}, "long"},
          {"getPositionFrames", 0x6003000C, Method, {}, "long"},
          {"getPositionMSF", 0x6003000D, Method, {}, "BSTR"},
          {"getPositionMS", 0x6003000E, Method, {}, "long"},
          {"getPositionTMSF", 0x6003000F, Method, {}, "BSTR"},
          {"getTimeFormat", 0x60030010, Method, {}, "BSTR"},
          {"setDoorOpen", 0x60030011, Method, {}, "VARIANT"},
          {"setDoorClosed", 0x60030012, Method, {}, "VARIANT"},
          {"getNumberTracks", 0x60030013, Method, {}, "long"},
          {"setTrack", 0x60030014, Method, {{"track", "long*", InOut}}, "VARIANT"},
          {"pauseCD", 0x60030015, Method, {}, "VARIANT"},
          {"resumeCD", 0x60030016, Method, {}, "VARIANT"},
          {"fastForward", 0x60030017, Method, {{"seconds", "long*", InOut}}, "VARIANT"},
          {"fastRewind", 0x60030018, Method, {{"seconds", "long*", InOut}}, "VARIANT"},
          {"isPlaying", 0x60030019, Method, {}, "VARIANT_BOOL"},
          {"trackLengthMS", 0x6003001A, Method, {{"track", "long*", InOut}}, "long"},
          {"cdLengthMS", 0x6003001B, Method, {}, "long"},
          {"cdLengthMSF", 0x6003001C, Method, {}, "BSTR"},
          {"cdLengthSeconds", 0x6003001D, Method, {}, "long"},
          {"trackLengthMSF", 0x6003001E, Method, {{"track", "long*", InOut}}, "BSTR"},
          {"trackLengthSeconds", 0x6003001F, Method, {{"track", "long*", InOut}}, "long"},
          {"setAudioOff", 0x60030020, Method, {}, "VARIANT"},
          {"setAudioOn", 0x60030021, Method, {}, "VARIANT"},
          {"nextTrack", 0x60030022, Method, {}, "VARIANT"},
          {"prevTrack", 0x60030023, Method, {}, "VARIANT"},
      }}},
};

struct ExpectedField {
    const char* name;
    const char* type;
    ULONG offset;
};

struct ExpectedRecord {
    const char* name;
    const char* guid;
    ULONG size;
    std::vector<ExpectedField> fields;
    USHORT alignment = 4;
};

// Records laid out alike in the 32- and the 64-bit library.
const ExpectedRecord kMixerControl = {"MIXERCONTROL", "{51A5326D-B741-4F3C-B086-E9363098470B}", 148,
    {{"cbStruct", "long", 0}, {"dwControlID", "long", 4}, {"dwControlType", "long", 8},
     {"fdwControl", "long", 12}, {"cMultipleItems", "long", 16},
     {"szShortName", "unsigned char[1..16]", 20}, {"szName", "unsigned char[1..64]", 36},
     {"Bounds", "long[1..6]", 100}, {"Metrics", "long[1..6]", 124}}};
const ExpectedRecord kBooleanDetails = {"MIXERCONTROLDETAILS_BOOLEAN", "{6CA7E0CB-A4A1-4875-9776-62CCB50A4478}", 4,
                                        {{"fValue", "long", 0}}};
const ExpectedRecord kSignedDetails = {"MIXERCONTROLDETAILS_SIGNED", "{2A7E0AA0-7236-4C9E-A32F-C376F1EBD23D}", 4,
                                       {{"lValue", "long", 0}}};
const ExpectedRecord kUnsignedDetails = {"MIXERCONTROLDETAILS_UNSIGNED", "{1017C9E2-2AD1-4ADB-B183-9B71BB44942F}", 4,
                                         {{"dwValue", "long", 0}}};
const ExpectedRecord kWaveFormat = {"waveFormat", "{31D19710-87D6-419C-A67F-4D6F57990C0A}", 20,
    {{"wFormatTag", "short", 0}, {"nChannels", "short", 2}, {"nSamplesPerSec", "long", 4},
     {"nAvgBytesPerSec", "long", 8}, {"nBlockAlign", "short", 12}, {"wBitsPerSample", "short", 14},
     {"cbSize", "short", 16}}};
const ExpectedRecord kChunkInfo = {"MMCKINFO", "{C22294CE-6637-4B22-9BF1-D2ECBD953B4D}", 20,
    {{"ckid", "long", 0}, {"ckSize", "long", 4}, {"fccType", "long", 8}, {"dwDataOffset", "long", 12},
     {"dwFlags", "long", 16}}};

#ifndef _WIN64
const std::vector<ExpectedRecord> kRecords = {
    {"MIXERCAPS", "{93B32DEC-8C5D-401A-9B1B-460AB38803D8}", 20,
     {{"wMid", "short", 0}, {"wPid", "short", 2}, {"vDriverVersion", "long", 4}, {"szPname", "BSTR", 8},
      {"fdwSupport", "long", 12}, {"cDestinations", "long", 16}}},
    {"Target", "{88BFB644-791D-45E0-AF71-214D5FAADADE}", 20,
     {{"dwType", "long", 0}, {"dwDeviceID", "long", 4}, {"wMid", "short", 8}, {"wPid", "short", 10},
      {"vDriverVersion", "long", 12}, {"szPname", "BSTR", 16}}},
    {"MIXERLINE", "{8A028785-18BE-4C96-919D-EB295F76DB35}", 68,
     {{"cbStruct", "long", 0}, {"dwDestination", "long", 4}, {"dwSource", "long", 8},
      {"dwLineID", "long", 12}, {"fdwLine", "long", 16}, {"dwUser", "long", 20},
      {"dwComponentType", "long", 24}, {"cChannels", "long", 28}, {"cConnections", "long", 32},
      {"cControls", "long", 36}, {"szShortName", "BSTR", 40}, {"szName", "BSTR", 44},
      {"lpTarget", "Target", 48}}},
    {"MIXERLINECONTROLS", "{6B25911E-C231-4575-A8BA-4B1AB0F35EB0}", 24,
     {{"cbStruct", "long", 0}, {"dwLineID", "long", 4}, {"dwControl", "long", 8},
      {"cControls", "long", 12}, {"cbmxctrl", "long", 16}, {"pamxctrl", "long", 20}}},
    kMixerControl,
    {"MIXERCONTROLDETAILS", "{D9E2CA3E-4520-4FB8-B20E-B71DCDFD4CF2}", 24,
     {{"cbStruct", "long", 0}, {"dwControlID", "long", 4}, {"cChannels", "long", 8}, {"item", "long", 12},
      {"cbDetails", "long", 16}, {"paDetails", "long", 20}}},
    kBooleanDetails,
    {"MIXERCONTROLDETAILS_LISTTEXT", "{6D48A567-81CB-4637-A4CF-F92064B522E9}", 12,
     {{"dwParam1", "long", 0}, {"dwParam2", "long", 4}, {"szName", "BSTR", 8}}},
    kSignedDetails,
    kUnsignedDetails,
    kWaveFormat,
    {"mmioinfo", "{AA537005-3854-447A-BBBB-F1C66B7B6A9F}", 80,
     {{"dwFlags", "long", 0}, {"fccIOProc", "long", 4}, {"pIOProc", "long", 8}, {"wErrorRet", "long", 12},
      {"htask", "long", 16}, {"cchBuffer", "long", 20}, {"pchBuffer", "BSTR", 24}, {"pchNext", "BSTR", 28},
      {"pchEndRead", "BSTR", 32}, {"pchEndWrite", "BSTR", 36}, {"lBufOffset", "long", 40},
      {"lDiskOffset", "long", 44}, {"adwInfo", "long[0..4]", 48}, {"dwReserved1", "long", 68},
      {"dwReserved2", "long", 72}, {"hmmio", "long", 76}}},
    kChunkInfo,
};
#else
// The 64-bit library: a String takes 8 bytes and a LongLong is aligned to 8,
// as the 64-bit runtime lays records out; MIXERLINECONTROLS and
// MIXERCONTROLDETAILS are packed like the platform's structures.
const std::vector<ExpectedRecord> kRecords = {
    {"MIXERCAPS", "{93B32DEC-8C5D-401A-9B1B-460AB38803D8}", 24,
     {{"wMid", "short", 0}, {"wPid", "short", 2}, {"vDriverVersion", "long", 4}, {"szPname", "BSTR", 8},
      {"fdwSupport", "long", 16}, {"cDestinations", "long", 20}}, 8},
    {"Target", "{88BFB644-791D-45E0-AF71-214D5FAADADE}", 24,
     {{"dwType", "long", 0}, {"dwDeviceID", "long", 4}, {"wMid", "short", 8}, {"wPid", "short", 10},
      {"vDriverVersion", "long", 12}, {"szPname", "BSTR", 16}}, 8},
    {"MIXERLINE", "{8A028785-18BE-4C96-919D-EB295F76DB35}", 88,
     {{"cbStruct", "long", 0}, {"dwDestination", "long", 4}, {"dwSource", "long", 8},
      {"dwLineID", "long", 12}, {"fdwLine", "long", 16}, {"dwUser", "long long", 24},
      {"dwComponentType", "long", 32}, {"cChannels", "long", 36}, {"cConnections", "long", 40},
      {"cControls", "long", 44}, {"szShortName", "BSTR", 48}, {"szName", "BSTR", 56},
      {"lpTarget", "Target", 64}}, 8},
    {"MIXERLINECONTROLS", "{6B25911E-C231-4575-A8BA-4B1AB0F35EB0}", 28,
     {{"cbStruct", "long", 0}, {"dwLineID", "long", 4}, {"dwControl", "long", 8},
      {"cControls", "long", 12}, {"cbmxctrl", "long", 16}, {"pamxctrl", "long long", 20}}, 1},
    kMixerControl,
    {"MIXERCONTROLDETAILS", "{D9E2CA3E-4520-4FB8-B20E-B71DCDFD4CF2}", 32,
     {{"cbStruct", "long", 0}, {"dwControlID", "long", 4}, {"cChannels", "long", 8},
      {"item", "long long", 12}, {"cbDetails", "long", 20}, {"paDetails", "long long", 24}}, 1},
    kBooleanDetails,
    {"MIXERCONTROLDETAILS_LISTTEXT", "{6D48A567-81CB-4637-A4CF-F92064B522E9}", 16,
     {{"dwParam1", "long", 0}, {"dwParam2", "long", 4}, {"szName", "BSTR", 8}}, 8},
    kSignedDetails,
    kUnsignedDetails,
    kWaveFormat,
    {"mmioinfo", "{AA537005-3854-447A-BBBB-F1C66B7B6A9F}", 120,
     {{"dwFlags", "long", 0}, {"fccIOProc", "long", 4}, {"pIOProc", "long long", 8}, {"wErrorRet", "long", 16},
      {"htask", "long long", 24}, {"cchBuffer", "long", 32}, {"pchBuffer", "BSTR", 40}, {"pchNext", "BSTR", 48},
      {"pchEndRead", "BSTR", 56}, {"pchEndWrite", "BSTR", 64}, {"lBufOffset", "long", 72},
      {"lDiskOffset", "long", 76}, {"adwInfo", "long[0..4]", 80}, {"dwReserved1", "long", 100},
      {"dwReserved2", "long", 104}, {"hmmio", "long long", 112}}, 8},
    kChunkInfo,
};
#endif

// The records that hosts hand to the platform's mixer calls as they are:
// each field where <mmsystem.h> puts it, in this very build's word size.
struct PlatformField {
    const char* name;
    size_t offset;
};
struct PlatformRecord {
    const char* name;
    size_t size;
    std::vector<PlatformField> fields;
};
const std::vector<PlatformRecord> kPlatformRecords = {
    {"MIXERLINECONTROLS", sizeof(MIXERLINECONTROLSA),
     {{"cbStruct", offsetof(MIXERLINECONTROLSA, cbStruct)}, {"dwLineID", offsetof(MIXERLINECONTROLSA, dwLineID)},
      {"dwControl", offsetof(MIXERLINECONTROLSA, dwControlType)},
      {"cControls", offsetof(MIXERLINECONTROLSA, cControls)}, {"cbmxctrl", offsetof(MIXERLINECONTROLSA, cbmxctrl)},
      {"pamxctrl", offsetof(MIXERLINECONTROLSA, pamxctrl)}}},
    {"MIXERCONTROL", sizeof(MIXERCONTROLA),
     {{"cbStruct", offsetof(MIXERCONTROLA, cbStruct)}, {"dwControlID", offsetof(MIXERCONTROLA, dwControlID)},
      {"cMultipleItems", offsetof(MIXERCONTROLA, cMultipleItems)}, {"szName", offsetof(MIXERCONTROLA, szName)},
      {"Bounds", offsetof(MIXERCONTROLA, Bounds)}, {"Metrics", offsetof(MIXERCONTROLA, Metrics)}}},
    {"MIXERCONTROLDETAILS", sizeof(MIXERCONTROLDETAILS),
     {{"cbStruct", offsetof(MIXERCONTROLDETAILS, cbStruct)},
      {"dwControlID", offsetof(MIXERCONTROLDETAILS, dwControlID)},
      {"cChannels", offsetof(MIXERCONTROLDETAILS, cChannels)},
      {"item", offsetof(MIXERCONTROLDETAILS, cMultipleItems)},
      {"cbDetails", offsetof(MIXERCONTROLDETAILS, cbDetails)},
      {"paDetails", offsetof(MIXERCONTROLDETAILS, paDetails)}}},
};

struct ExpectedEnum {
    const char* name;
    const char* guid;
    std::vector<std::pair<const char*, LONG>> values;
};

const std::vector<ExpectedEnum> kEnums = {
    {"SoundSndAudoConstants", "{B721175F-A00A-4968-A4BE-B7A53CBA5CF6}",
     {{"SND_SYNC", 0}, {"SND_ASYNC", 1}, {"SND_NODEFAULT", 2}, {"SND_MEMORY", 4}, {"SND_LOOP", 8},
      {"SND_NOSTOP", 16}, {"SND_NOWAIT", 8192}, {"SND_FILENAME", 131072}, {"SND_RESOURCE", 262148}}},
    {"VOL_CONTROL", "{8774792C-A0F2-451D-9728-9451AB0CCC8C}",
     {{"SPEAKER", 0}, {"LINEIN", 1}, {"MICROPHONE", 2}, {"SYNTHESIZER", 3}, {"COMPACTDISC", 4},
      {"WAVEOUT", 5}, {"AUXILIARY", 6}}},
    {"MUTE_CONTROL", "{790AD016-D287-4FAC-A338-9EC49D7CCBF9}",
     {{"SPEAKER_MUTE", 7}, {"LINEIN_MUTE", 8}, {"MICROPHONE_MUTE", 9}, {"SYNTHESIZER_MUTE", 10},
      {"COMPACTDISC_MUTE", 11}, {"WAVEOUT_MUTE", 12}, {"AUXILIARY_MUTE", 13}}},
};

// Types of the automation runtime that the library declares itself because
// their own type library is not available; they follow the library's types.
// A type library stores each name once, matched without regard to case, in
// the spelling met first: the record field MIXERCONTROLDETAILS.item comes
// before the collection's Item, so the collection reads "item".
const ExpectedInterface kCollection = {
    "_Collection", "{A4C46780-499F-101B-BB78-00AA00383CBB}",
    TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE,
    {
        {"item", 0, Method, {{"Index", "VARIANT*", In}}, "VARIANT"},
        {"Add", 1, Method,
         {{"item", "VARIANT*", In}, {"Key", "VARIANT*", InOpt}, {"Before", "VARIANT*", InOpt},
          {"After", "VARIANT*", InOpt}},
         nullptr},
        {"Count", 2, Method, {}, "long"},
        {"Remove", 3, Method, {{"Index", "VARIANT*", In}}, nullptr},
        {"_NewEnum", DISPID_NEWENUM, Method, {}, "IUnknown*", FUNCFLAG_FRESTRICTED},
    },
    false};

const ExpectedEnum kLoadResConstants = {"LoadResConstants", "{AD4EF4EA-FAC9-11CF-8425-00A0C9110056}",
                                    {{"vbResBitmap", 0}, {"vbResIcon", 1}, {"vbResCursor", 2}}};

const char* const kLibId = "{6D60E839-A320-49DE-BD18-CF2A747AC83B}";

// ---------------------------------------------------------------------------
// Reporting
// ---------------------------------------------------------------------------

class Report {
public:
    bool check(bool ok, const std::string& fact) {
        if (ok) {
            ++passed_;
        } else {
            ++failed_;
            std::printf("FAIL: %s\n", fact.c_str());
        }
        return ok;
    }
    template <class T>
    bool equal(const T& actual, const T& expected, const std::string& what) {
        return check(actual == expected, what + ": expected " + show(expected) + ", got " + show(actual));
    }
    int finish() const {
        std::printf("typelib_check: %d passed, %d failed\n", passed_, failed_);
        return failed_ == 0 ? 0 : 1;
    }

private:
    static std::string show(const std::string& s) { return "\"" + s + "\""; }
    static std::string show(long long v) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%lld (0x%llX)", v, v);
        return buf;
    }
    template <class T>
    static std::string show(const T& v) {
        return show(static_cast<long long>(v));
    }

    int passed_ = 0;
    int failed_ = 0;
};

Report report;

// ---------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------

std::string narrow(const wchar_t* s, int len = -1) {
    if (!s) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, s, len, nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, s, len, out.data(), n, nullptr, nullptr);
    if (len < 0 && !out.empty()) out.pop_back();  // the terminating NUL
    return out;
}

std::wstring widen(const std::string& s) {
    int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, out.data(), n);
    out.pop_back();
    return out;
}

GUID parseGuid(const char* text) {
    GUID g{};
    IIDFromString(widen(text).c_str(), &g);
    return g;
}

std::string guidText(const GUID& g) {
    wchar_t buf[40];
    StringFromGUID2(g, buf, 40);
    return narrow(buf);
}

struct Bstr {
    BSTR s = nullptr;
    ~Bstr() { SysFreeString(s); }
    std::string str() const { return narrow(s, s ? int(SysStringLen(s)) : 0); }
};

template <class T>
struct Ptr {
    T* p = nullptr;
    Ptr() = default;
    Ptr(const Ptr&) = delete;
    Ptr& operator=(const Ptr&) = delete;
    ~Ptr() {
        if (p) p->Release();
    }
    T* operator->() const { return p; }
    T** out() { return &p; }
};

std::string typeInfoName(ITypeInfo* ti) {
    Bstr name;
    ti->GetDocumentation(MEMBERID_NIL, &name.s, nullptr, nullptr, nullptr);
    return name.str();
}

// Renders a type description in the notation of the tables above.
std::string typeText(ITypeInfo* context, const TYPEDESC& td) {
    switch (td.vt) {
        case VT_PTR: return typeText(context, *td.lptdesc) + "*";
        case VT_SAFEARRAY: return "SAFEARRAY(" + typeText(context, *td.lptdesc) + ")";
        case VT_CARRAY: {
            std::string text = typeText(context, td.lpadesc->tdescElem);
            for (USHORT d = 0; d < td.lpadesc->cDims; ++d) {
                const SAFEARRAYBOUND& b = td.lpadesc->rgbounds[d];
                text += '[';
                text += std::to_string(b.lLbound);
                text += "..";
                text += std::to_string(b.lLbound + LONG(b.cElements) - 1);
                text += ']';
            }
            return text;
        }
        case VT_USERDEFINED: {
            Ptr<ITypeInfo> ref;
            if (FAILED(context->GetRefTypeInfo(td.hreftype, ref.out()))) return "<unresolved>";
            return typeInfoName(ref.p);
        }
        case VT_I2: return "short";
        case VT_I4: return "long";
        case VT_I8: return "long long";
        case VT_INT: return "int";
        case VT_UI1: return "unsigned char";
        case VT_BOOL: return "VARIANT_BOOL";
        case VT_BSTR: return "BSTR";
        case VT_VARIANT: return "VARIANT";
        case VT_DISPATCH: return "IDispatch*";
        case VT_UNKNOWN: return "IUnknown*";
        case VT_HRESULT: return "HRESULT";
        case VT_VOID: return "void";
        default: return "vt" + std::to_string(td.vt);
    }
}

std::string memberLabel(const std::string& iface, const ExpectedMember& m) {
    static const std::map<INVOKEKIND, const char*> kinds = {
        {INVOKE_FUNC, ""}, {INVOKE_PROPERTYGET, " (get)"}, {INVOKE_PROPERTYPUT, " (let)"},
        {INVOKE_PROPERTYPUTREF, " (set)"}};
    return iface + "." + m.name + kinds.at(m.kind);
}

// ---------------------------------------------------------------------------
// Type description checks
// ---------------------------------------------------------------------------

// One member in the vtable view of a dual interface, at slot `index`.
void checkMember(ITypeInfo* ti, const std::string& iface, UINT index, const ExpectedMember& m) {
    std::string label = memberLabel(iface, m);
    FUNCDESC* fd = nullptr;
    if (!report.check(SUCCEEDED(ti->GetFuncDesc(index, &fd)), label + ": slot " + std::to_string(index) + " exists"))
        return;

    Bstr name;
    ti->GetDocumentation(fd->memid, &name.s, nullptr, nullptr, nullptr);
    report.equal(name.str(), std::string(m.name), label + ": name in slot " + std::to_string(index));
    report.equal<long long>(fd->memid, m.id, label + ": dispatch id");
    report.equal<long long>(fd->invkind, m.kind, label + ": invocation kind");
    report.equal<long long>(fd->oVft, kSlot * (7 + index), label + ": vtable offset");
    report.equal<long long>(fd->funckind, FUNC_PUREVIRTUAL, label + ": function kind");
    report.equal<long long>(fd->callconv, CC_STDCALL, label + ": calling convention");
    report.equal<long long>(fd->wFuncFlags, m.funcFlags, label + ": function flags");
    report.equal(typeText(ti, fd->elemdescFunc.tdesc), std::string("HRESULT"), label + ": returns HRESULT");

    std::vector<ExpectedParam> expected = m.params;
    std::string resultType = m.result ? std::string(m.result) + "*" : std::string();
    if (m.result) expected.push_back({nullptr, resultType.c_str(), PARAMFLAG_FOUT | PARAMFLAG_FRETVAL});
    report.equal<long long>(fd->cParams, expected.size(), label + ": parameter count");

    std::vector<BSTR> names(fd->cParams + 1);
    UINT got = 0;
    ti->GetNames(fd->memid, names.data(), UINT(names.size()), &got);
    // GetNames answers for the first member with this id; a put shares the
    // id with its get, and its value parameter has no name anyway.
    bool namesApply = m.kind == INVOKE_FUNC || m.kind == INVOKE_PROPERTYGET;

    for (size_t i = 0; i < expected.size() && i < size_t(fd->cParams); ++i) {
        const ELEMDESC& e = fd->lprgelemdescParam[i];
        std::string p = label + ": parameter " + std::to_string(i + 1);
        if (expected[i].name) {
            p += " (" + std::string(expected[i].name) + ")";
            if (namesApply)
                report.equal(i + 1 < got ? narrow(names[i + 1]) : std::string("<none>"),
                             std::string(expected[i].name), p + " name");
        }
        report.equal(typeText(ti, e.tdesc), std::string(expected[i].type), p + " type");
        report.equal<long long>(e.paramdesc.wParamFlags & ~PARAMFLAG_FHASDEFAULT, expected[i].flags,
                                p + " flags");
        report.check(!(e.paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT), p + " has no default value");
    }
    for (UINT i = 0; i < got; ++i) SysFreeString(names[i]);
    ti->ReleaseFuncDesc(fd);
}

bool checkDerivesFromIDispatch(ITypeInfo* ti, const std::string& label) {
    HREFTYPE href = 0;
    Ptr<ITypeInfo> base;
    TYPEATTR* ta = nullptr;
    bool ok = SUCCEEDED(ti->GetRefTypeOfImplType(0, &href)) && SUCCEEDED(ti->GetRefTypeInfo(href, base.out())) &&
              SUCCEEDED(base->GetTypeAttr(&ta));
    if (!report.check(ok, label + ": base interface resolves")) return false;
    report.equal(guidText(ta->guid), guidText(IID_IDispatch), label + ": derives from IDispatch");
    base->ReleaseTypeAttr(ta);
    return true;
}

void checkInterface(ITypeLib* lib, UINT index, const ExpectedInterface& want) {
    std::string label = want.name;
    Ptr<ITypeInfo> disp;
    if (!report.check(SUCCEEDED(lib->GetTypeInfo(index, disp.out())), label + ": type info loads")) return;
    TYPEATTR* ta = nullptr;
    disp->GetTypeAttr(&ta);
    report.equal(guidText(ta->guid), guidText(parseGuid(want.iid)), label + ": IID");
    report.equal<long long>(ta->typekind, TKIND_DISPATCH, label + ": kind is dispatch");
    // The automation-compatible flag belongs to the vtable half of a dual
    // interface; the dispatch half may or may not repeat it.
    report.equal<long long>(ta->wTypeFlags & ~TYPEFLAG_FOLEAUTOMATION, want.flags & ~TYPEFLAG_FOLEAUTOMATION,
                            label + ": type flags");
    report.equal<long long>(ta->wMajorVerNum, want.version ? 1 : 0, label + ": major version");
    report.equal<long long>(ta->wMinorVerNum, 0, label + ": minor version");
    report.equal<long long>(ta->cVars, 0, label + ": no properties as variables");
    report.equal<long long>(ta->cImplTypes, 1, label + ": one base interface");
    // The dispatch half lists the seven IDispatch members before its own.
    report.equal<long long>(ta->cFuncs, 7 + want.members.size(), label + ": dispatch member count");
    disp->ReleaseTypeAttr(ta);
    checkDerivesFromIDispatch(disp.p, label + " (dispatch view)");

    // Every member answers to its name through the dispatch view.
    for (const ExpectedMember& m : want.members) {
        std::wstring wname = widen(m.name);
        LPOLESTR names[] = {wname.data()};
        MEMBERID id = MEMBERID_NIL;
        disp->GetIDsOfNames(names, 1, &id);
        report.equal<long long>(id, m.id, memberLabel(label, m) + ": id found by name");
    }

    HREFTYPE vtableRef = 0;
    Ptr<ITypeInfo> vt;
    bool dual = SUCCEEDED(disp->GetRefTypeOfImplType(UINT(-1), &vtableRef)) &&
                SUCCEEDED(disp->GetRefTypeInfo(vtableRef, vt.out()));
    if (!report.check(dual, label + ": vtable interface reachable from the dispatch view")) return;

    vt->GetTypeAttr(&ta);
    report.equal<long long>(ta->typekind, TKIND_INTERFACE, label + " (vtable view): kind is interface");
    report.equal(guidText(ta->guid), guidText(parseGuid(want.iid)), label + " (vtable view): IID");
    report.equal<long long>(ta->wTypeFlags, want.flags, label + " (vtable view): type flags");
    report.equal<long long>(ta->cFuncs, want.members.size(), label + ": member count (no extra members)");
    report.equal<long long>(ta->cbSizeVft, kSlot * (7 + want.members.size()), label + ": vtable size");
    UINT funcs = ta->cFuncs;
    vt->ReleaseTypeAttr(ta);
    checkDerivesFromIDispatch(vt.p, label + " (vtable view)");

    for (UINT i = 0; i < want.members.size() && i < funcs; ++i) checkMember(vt.p, label, i, want.members[i]);
}

void checkCoclass(ITypeLib* lib, UINT index, const ExpectedClass& want) {
    std::string label = want.name;
    Ptr<ITypeInfo> ti;
    if (!report.check(SUCCEEDED(lib->GetTypeInfo(index, ti.out())), label + ": type info loads")) return;
    TYPEATTR* ta = nullptr;
    ti->GetTypeAttr(&ta);
    report.equal(guidText(ta->guid), guidText(parseGuid(want.clsid)), label + ": CLSID");
    report.equal<long long>(ta->typekind, TKIND_COCLASS, label + ": kind is coclass");
    report.equal<long long>(ta->wTypeFlags, TYPEFLAG_FCANCREATE, label + ": creatable, no other flags");
    report.equal<long long>(ta->wMajorVerNum, 1, label + ": major version");
    report.equal<long long>(ta->wMinorVerNum, 0, label + ": minor version");
    report.equal<long long>(ta->cImplTypes, 1, label + ": exactly one interface");
    UINT impl = ta->cImplTypes;
    ti->ReleaseTypeAttr(ta);
    if (impl < 1) return;

    INT implFlags = 0;
    ti->GetImplTypeFlags(0, &implFlags);
    report.equal<long long>(implFlags, IMPLTYPEFLAG_FDEFAULT, label + ": interface is the default, not a source");
    HREFTYPE href = 0;
    Ptr<ITypeInfo> iface;
    if (report.check(SUCCEEDED(ti->GetRefTypeOfImplType(0, &href)) &&
                         SUCCEEDED(ti->GetRefTypeInfo(href, iface.out())),
                     label + ": default interface resolves")) {
        report.equal(typeInfoName(iface.p), std::string(want.iface.name), label + ": default interface");
    }
}

void checkRecord(ITypeLib* lib, UINT index, const ExpectedRecord& want) {
    std::string label = want.name;
    Ptr<ITypeInfo> ti;
    if (!report.check(SUCCEEDED(lib->GetTypeInfo(index, ti.out())), label + ": type info loads")) return;
    TYPEATTR* ta = nullptr;
    ti->GetTypeAttr(&ta);
    report.equal(guidText(ta->guid), guidText(parseGuid(want.guid)), label + ": GUID");
    report.equal<long long>(ta->typekind, TKIND_RECORD, label + ": kind is record");
    report.equal<long long>(ta->cbSizeInstance, want.size, label + ": size");
    report.equal<long long>(ta->cbAlignment, want.alignment, label + ": alignment");
    report.equal<long long>(ta->cVars, want.fields.size(), label + ": field count");
    UINT vars = ta->cVars;
    ti->ReleaseTypeAttr(ta);

    for (UINT i = 0; i < vars && i < want.fields.size(); ++i) {
        const ExpectedField& f = want.fields[i];
        std::string fl = label + "." + f.name;
        VARDESC* vd = nullptr;
        if (!report.check(SUCCEEDED(ti->GetVarDesc(i, &vd)), fl + ": field loads")) continue;
        Bstr name;
        ti->GetDocumentation(vd->memid, &name.s, nullptr, nullptr, nullptr);
        report.equal(name.str(), std::string(f.name), label + ": name of field " + std::to_string(i + 1));
        report.equal<long long>(vd->varkind, VAR_PERINSTANCE, fl + ": per-instance field");
        report.equal<long long>(vd->oInst, f.offset, fl + ": offset");
        report.equal(typeText(ti.p, vd->elemdescVar.tdesc), std::string(f.type), fl + ": type");
        ti->ReleaseVarDesc(vd);
    }
}

// A record that hosts pass to the platform's mixer calls: its size and each
// field's offset are the platform structure's.
void checkPlatformRecord(ITypeLib* lib, const PlatformRecord& want) {
    std::string label = std::string(want.name) + " as <mmsystem.h> declares it";
    Ptr<ITypeInfo> ti;
    for (UINT i = 0; i < lib->GetTypeInfoCount() && !ti.p; ++i) {
        Bstr name;
        lib->GetDocumentation(INT(i), &name.s, nullptr, nullptr, nullptr);
        if (name.str() == want.name) lib->GetTypeInfo(i, ti.out());
    }
    if (!report.check(ti.p != nullptr, label + ": record present")) return;
    TYPEATTR* ta = nullptr;
    ti->GetTypeAttr(&ta);
    report.equal<long long>(ta->cbSizeInstance, want.size, label + ": size");
    UINT vars = ta->cVars;
    ti->ReleaseTypeAttr(ta);
    for (const PlatformField& f : want.fields) {
        bool found = false;
        for (UINT v = 0; v < vars && !found; ++v) {
            VARDESC* vd = nullptr;
            if (FAILED(ti->GetVarDesc(v, &vd))) continue;
            Bstr name;
            ti->GetDocumentation(vd->memid, &name.s, nullptr, nullptr, nullptr);
            if (name.str() == f.name) {
                found = true;
                report.equal<long long>(vd->oInst, f.offset, label + "." + f.name + ": offset");
            }
            ti->ReleaseVarDesc(vd);
        }
        report.check(found, label + "." + f.name + ": field present");
    }
}

void checkEnum(ITypeLib* lib, UINT index, const ExpectedEnum& want) {
    std::string label = want.name;
    Ptr<ITypeInfo> ti;
    if (!report.check(SUCCEEDED(lib->GetTypeInfo(index, ti.out())), label + ": type info loads")) return;
    TYPEATTR* ta = nullptr;
    ti->GetTypeAttr(&ta);
    report.equal(guidText(ta->guid), guidText(parseGuid(want.guid)), label + ": GUID");
    report.equal<long long>(ta->typekind, TKIND_ENUM, label + ": kind is enumeration");
    report.equal<long long>(ta->cbSizeInstance, 4, label + ": 32-bit values");
    report.equal<long long>(ta->cVars, want.values.size(), label + ": member count");
    UINT vars = ta->cVars;
    ti->ReleaseTypeAttr(ta);

    for (UINT i = 0; i < vars && i < want.values.size(); ++i) {
        const auto& [memberName, value] = want.values[i];
        std::string fl = label + "." + memberName;
        VARDESC* vd = nullptr;
        if (!report.check(SUCCEEDED(ti->GetVarDesc(i, &vd)), fl + ": member loads")) continue;
        Bstr name;
        ti->GetDocumentation(vd->memid, &name.s, nullptr, nullptr, nullptr);
        report.equal(name.str(), std::string(memberName), label + ": name of member " + std::to_string(i + 1));
        VARIANT v;
        VariantInit(&v);
        bool isConst = vd->varkind == VAR_CONST && vd->lpvarValue &&
                       SUCCEEDED(VariantChangeType(&v, vd->lpvarValue, 0, VT_I4));
        if (report.check(isConst, fl + ": constant with a 32-bit value"))
            report.equal<long long>(V_I4(&v), value, fl + ": value");
        ti->ReleaseVarDesc(vd);
    }
}

void checkLibrary(ITypeLib* lib) {
    TLIBATTR* la = nullptr;
    if (!report.check(SUCCEEDED(lib->GetLibAttr(&la)), "library attributes load")) return;
    report.equal(guidText(la->guid), guidText(parseGuid(kLibId)), "library: LIBID");
    report.equal<long long>(la->wMajorVerNum, 1, "library: major version");
    report.equal<long long>(la->wMinorVerNum, 0, "library: minor version");
    report.equal<long long>(la->lcid, 0x0409, "library: locale");
#ifdef _WIN64
    report.equal<long long>(la->syskind, SYS_WIN64, "library: 64-bit");
#else
    report.equal<long long>(la->syskind, SYS_WIN32, "library: 32-bit");
#endif
    // The loader adds "has a disk image"; the library itself sets no flags.
    report.equal<long long>(la->wLibFlags & ~LIBFLAG_FHASDISKIMAGE, 0, "library: no flags");
    lib->ReleaseTLibAttr(la);

    Bstr name, doc, helpFile;
    DWORD helpContext = 0;
    lib->GetDocumentation(MEMBERID_NIL, &name.s, &doc.s, &helpContext, &helpFile.s);
    report.equal(name.str(), std::string("Orvalis"), "library: name");
    std::string text = doc.str();
    report.check(!text.empty() && text.find_first_of("\r\n") == std::string::npos && text.back() == '.',
                 "library: help string is one line ending in a dot, got \"" + text + "\"");
    report.check(helpFile.str().empty(), "library: no help file");
    report.equal<long long>(helpContext, 0, "library: no help context");
}

// Order: each class's interface then its coclass; the records; the
// enumerations; then the two borrowed runtime types.
void checkTypeLibrary(const std::wstring& path) {
    Ptr<ITypeLib> lib;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib.out());
    if (!report.check(SUCCEEDED(hr), "type library loads from the module")) return;
    checkLibrary(lib.p);

    struct Entry {
        std::string name;
        TYPEKIND kind;
    };
    std::vector<Entry> order;
    for (const ExpectedClass& c : kClasses) {
        order.push_back({c.iface.name, TKIND_DISPATCH});
        order.push_back({c.name, TKIND_COCLASS});
    }
    for (const ExpectedRecord& r : kRecords) order.push_back({r.name, TKIND_RECORD});
    for (const ExpectedEnum& e : kEnums) order.push_back({e.name, TKIND_ENUM});
    order.push_back({kCollection.name, TKIND_DISPATCH});
    order.push_back({kLoadResConstants.name, TKIND_ENUM});

    UINT count = lib->GetTypeInfoCount();
    report.equal<long long>(count, order.size(), "type description count");
    bool inOrder = true;
    for (UINT i = 0; i < count && i < order.size(); ++i) {
        Bstr name;
        lib->GetDocumentation(INT(i), &name.s, nullptr, nullptr, nullptr);
        inOrder &= report.equal(name.str(), order[i].name, "type description " + std::to_string(i));
        TYPEKIND kind = TKIND_MAX;
        lib->GetTypeInfoType(i, &kind);
        report.equal<long long>(kind, order[i].kind, "type description " + std::to_string(i) + " kind");
    }
    if (!inOrder) return;  // the per-type checks below rely on the order

    UINT index = 0;
    for (const ExpectedClass& c : kClasses) {
        checkInterface(lib.p, index++, c.iface);
        checkCoclass(lib.p, index++, c);
    }
    for (const ExpectedRecord& r : kRecords) checkRecord(lib.p, index++, r);
    for (const PlatformRecord& r : kPlatformRecords) checkPlatformRecord(lib.p, r);
    for (const ExpectedEnum& e : kEnums) checkEnum(lib.p, index++, e);
    checkInterface(lib.p, index++, kCollection);
    checkEnum(lib.p, index++, kLoadResConstants);
}

// ---------------------------------------------------------------------------
// Module resources
// ---------------------------------------------------------------------------

std::string resourceName(LPCWSTR name) {
    if (IS_INTRESOURCE(name)) return std::string(1, '#').append(std::to_string(reinterpret_cast<ULONG_PTR>(name)));
    return narrow(name);
}

BOOL CALLBACK collectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR list) {
    reinterpret_cast<std::vector<std::string>*>(list)->push_back(resourceName(name));
    return TRUE;
}

BOOL CALLBACK collectType(HMODULE, LPWSTR type, LONG_PTR list) {
    reinterpret_cast<std::vector<std::string>*>(list)->push_back(resourceName(type));
    return TRUE;
}

std::string upper(std::string s) {
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

void checkResources(HMODULE module) {
    // The set of resource types, each holding exactly resource 1.
    std::set<std::string> expectedTypes = {"TYPELIB", "#16" /* RT_VERSION */};
    for (const ExpectedClass& c : kClasses) expectedTypes.insert("_IID_" + upper(c.name));
    std::vector<std::string> types;
    EnumResourceTypesW(module, collectType, reinterpret_cast<LONG_PTR>(&types));
    for (const std::string& t : types) report.check(expectedTypes.count(t) == 1, "unexpected resource type " + t);
    for (const std::string& t : expectedTypes) {
        bool present = std::find(types.begin(), types.end(), t) != types.end();
        if (!report.check(present, "resource type " + t + " present")) continue;
        std::vector<std::string> names;
        std::wstring wtype = widen(t);
        LPCWSTR typeId = t == "#16" ? MAKEINTRESOURCEW(16) : wtype.c_str();
        EnumResourceNamesW(module, typeId, collectName, reinterpret_cast<LONG_PTR>(&names));
        report.check(names == std::vector<std::string>{"#1"}, "resource type " + t + " holds only resource 1");
    }

    HRSRC tlb = FindResourceW(module, MAKEINTRESOURCEW(1), L"TYPELIB");
    if (report.check(tlb != nullptr, "TYPELIB 1 present")) {
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, tlb)));
        report.check(bytes && SizeofResource(module, tlb) > 4 && std::memcmp(bytes, "MSFT", 4) == 0,
                     "TYPELIB 1 holds a type library");
    }

    for (const ExpectedClass& c : kClasses) {
        std::string type = "_IID_" + upper(c.name);
        HRSRC r = FindResourceW(module, MAKEINTRESOURCEW(1), widen(type).c_str());
        if (!report.check(r != nullptr, type + " 1 present")) continue;
        DWORD size = SizeofResource(module, r);
        const unsigned char* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(module, r)));
        if (!report.equal<long long>(size, 20, type + ": size") || !bytes) continue;
        DWORD length;
        std::memcpy(&length, bytes, 4);
        report.equal<long long>(length, 16, type + ": length field");
        GUID iid;
        std::memcpy(&iid, bytes + 4, 16);
        report.equal(guidText(iid), guidText(parseGuid(c.iface.iid)), type + ": interface IID");
    }
}

void checkVersion(const std::wstring& path) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    if (!report.check(size > 0, "version resource readable")) return;
    std::vector<unsigned char> block(size);
    if (!report.check(GetFileVersionInfoW(path.c_str(), 0, size, block.data()), "version resource loads")) return;

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    if (report.check(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &len) && fixed,
                     "fixed version information present")) {
        report.equal<long long>(fixed->dwFileVersionMS, 0x00010000, "file version 1.0 (high part)");
        report.equal<long long>(fixed->dwFileVersionLS, 0x00000065, "file version 0.101 (low part)");
        report.equal<long long>(fixed->dwProductVersionMS, 0x00010000, "product version 1.0 (high part)");
        report.equal<long long>(fixed->dwProductVersionLS, 0x00000065, "product version 0.101 (low part)");
    }

    DWORD* translation = nullptr;
    if (report.check(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                                    reinterpret_cast<void**>(&translation), &len) && translation,
                     "translation table present")) {
        report.equal<long long>(len, 4, "one translation");
        report.equal<long long>(LOWORD(*translation), 0x0409, "translation language");
        report.equal<long long>(HIWORD(*translation), 1200, "translation code page");
    }

    auto value = [&](const char* key, std::string& out) {
        std::wstring query = L"\\StringFileInfo\\040904B0\\" + widen(key);
        wchar_t* text = nullptr;
        UINT chars = 0;
        if (!VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &chars)) return false;
        out = text ? narrow(text) : std::string();
        return true;
    };
    const std::pair<const char*, const char*> exact[] = {
        {"FileVersion", "1.00.0101"}, {"ProductVersion", "1.00.0101"},
        {"InternalName", "orvalis"},   {"OriginalFilename", "orvalis.dll"},
    };
    for (const auto& [key, expected] : exact) {
        std::string got;
        if (report.check(value(key, got), std::string("version string ") + key + " present"))
            report.equal(got, std::string(expected), std::string("version string ") + key);
    }
    std::string got;
    report.check(value("OLESelfRegister", got), "version string OLESelfRegister present");
    for (const char* key : {"Comments", "CompanyName", "ProductName", "FileDescription", "LegalCopyright"}) {
        bool ok = value(key, got);
        report.check(ok && !got.empty() && got.find_first_of("\r\n") == std::string::npos,
                     std::string("version string ") + key + " is one non-empty line");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: typelib_check PATH\\orvalis.dll\n");
        return 2;
    }
    // A full path, so that the loaders take this very file and do not search
    // the program's own folder first.
    std::wstring given = widen(argv[1]);
    wchar_t full[MAX_PATH];
    DWORD fullLength = GetFullPathNameW(given.c_str(), MAX_PATH, full, nullptr);
    std::wstring path = fullLength > 0 && fullLength < MAX_PATH ? std::wstring(full) : given;
    CoInitialize(nullptr);

    checkTypeLibrary(path);

    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (report.check(module != nullptr, "module loads as a data file")) {
        checkResources(module);
        FreeLibrary(module);
    }
    checkVersion(path);

    CoUninitialize();
    return report.finish();
}
