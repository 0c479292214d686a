#include "wave/win/WinmmSound.h"

#include <windows.h>
#include <mmsystem.h>

#include "frame/com/Module.h"

namespace orvalis::win {

namespace {

// A resource name or type as FindResourceW takes it: MAKEINTRESOURCE for a
// number, a NUL-terminated text otherwise (which may itself be "#123").
class ResourceName {
 public:
  explicit ResourceName(const ResourceId& id) {
    if (const auto* number = std::get_if<uint16_t>(&id)) {
      pointer_ = MAKEINTRESOURCEW(*number);
    } else {
      const auto& text = std::get<std::u16string>(id);
      text_.assign(text.begin(), text.end());
      pointer_ = text_.c_str();
    }
  }
  LPCWSTR get() const { return pointer_; }

 private:
  std::wstring text_;
  LPCWSTR pointer_ = nullptr;
};

std::optional<std::string> loadFrom(HMODULE module, LPCWSTR name, LPCWSTR type) {
  HRSRC found = FindResourceW(module, name, type);
  if (!found) return std::nullopt;
  HGLOBAL loaded = LoadResource(module, found);
  const auto* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (!bytes) return std::nullopt;
  return std::string(bytes, SizeofResource(module, found));
}

}  // namespace

int32_t WinmmSound::playSound(const std::string* name, uint32_t flags) {
  return sndPlaySoundA(name ? name->c_str() : nullptr, flags);
}

int32_t WinmmSound::playSoundWide(const std::u16string& name, uint32_t flags) {
  return sndPlaySoundW(reinterpret_cast<LPCWSTR>(name.c_str()), flags);
}

std::optional<std::string> ModuleSoundResources::load(const ResourceId& name, const ResourceId& type) {
  const ResourceName resource(name), kind(type);
  if (auto bytes = loadFrom(com::moduleHandle(), resource.get(), kind.get())) return bytes;
  return loadFrom(GetModuleHandleW(nullptr), resource.get(), kind.get());
}

}  // namespace orvalis::win
