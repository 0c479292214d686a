// Doubles of the sound call and the sound resource store: every call is
// recorded with the bytes the platform would have read, and the results
// are scripted.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "frame/Sound.h"

namespace orvalis::testing {

struct SoundCall {
  std::optional<std::string> name;  // nullopt: the null pointer (or a wide call)
  uint32_t flags;
  const std::string* bytes;  // what the platform was told to read
  std::optional<std::u16string> wideName;  // the name of a sndPlaySoundW call
};

class FakeSound : public SoundService {
 public:
  std::vector<SoundCall> calls;
  // Results in call order; 1 (success) once they run out.
  std::deque<int32_t> results;

 protected:
  int32_t playSound(const std::string* name, uint32_t flags) override {
    calls.push_back({name ? std::optional<std::string>(*name) : std::nullopt, flags, name, std::nullopt});
    return nextResult();
  }
  int32_t playSoundWide(const std::u16string& name, uint32_t flags) override {
    calls.push_back({std::nullopt, flags, nullptr, name});
    return nextResult();
  }

 private:
  int32_t nextResult() {
    if (results.empty()) return 1;
    const int32_t result = results.front();
    results.pop_front();
    return result;
  }
};

class FakeSoundResources : public SoundResources {
 public:
  // Resources by (name, type).
  std::map<std::pair<ResourceId, ResourceId>, std::string> resources;
  std::vector<std::pair<ResourceId, ResourceId>> loads;

  std::optional<std::string> load(const ResourceId& name, const ResourceId& type) override {
    loads.emplace_back(name, type);
    auto found = resources.find({name, type});
    if (found == resources.end()) return std::nullopt;
    return found->second;
  }
};

}  // namespace orvalis::testing
