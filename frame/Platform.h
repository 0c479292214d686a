// The platform as the class logic reaches it: one narrow interface per
// service. The DLL wires in the Windows implementations; tests wire in
// recording doubles.
#pragma once

namespace orvalis {

class Runtime;
class MciService;
class Files;
class Registry;
class WindowManager;
class MixerService;
class Drives;
class SoundService;
class SoundResources;
class LibraryGlobal;

struct Platform {
  Runtime& runtime;
  MciService& mci;
  Files& files;
  Registry& registry;
  WindowManager& windows;
  MixerService& mixer;
  Drives& drives;
  SoundService& sound;
  SoundResources& soundResources;
  LibraryGlobal& global;
};

}  // namespace orvalis
