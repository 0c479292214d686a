#include "events/PlaybackWatcher.h"

#include <algorithm>

#include "frame/HostObject.h"
#include "frame/RuntimeError.h"
#include "frame/Text.h"

namespace orvalis::events {

namespace {

constexpr int32_t kInvalidPropertyValue = 380;
constexpr size_t kReplyLength = 128;

}  // namespace

struct PlaybackWatcher::Watched {
  const void* identity;
  PlayerKind kind;
  ObjectRef player;
  PlayerState state = PlayerState::Closed;
  // The run of playback the watcher reads about: its device, what it still
  // asks, and what it learnt.
  std::u16string device;
  std::vector<Question> questions;
  std::u16string name;
  std::optional<int64_t> position;
  int64_t positionAt = 0;
  std::optional<int64_t> length;
};

PlaybackWatcher::PlaybackWatcher(MciService& mci, DeviceDirectory& devices, WatchTimer& timer,
                                 WatchClock& clock, WatcherEvents& events)
    : mci_(mci), devices_(devices), timer_(timer), clock_(clock), events_(events) {}

PlaybackWatcher::~PlaybackWatcher() {
  if (timerRunning_) timer_.stop();
}

void PlaybackWatcher::watch(const void* identity, std::optional<PlayerKind> kind, ObjectRef player) {
  if (!player) throw RuntimeError(vb_error::ObjectVariableNotSet, u"Watch takes a player, not Nothing");
  if (!kind)
    throw RuntimeError(vb_error::InvalidProcedureCall,
                       u"Watch takes a player of the Orvalis library: clsVxAudoMP3PlayerA, "
                       u"clsVxAudoMP3PlayerB, clsVxAudoCDPlayerA or clsVxAudoCDPlayerB");
  for (const auto& entry : watched_)
    if (entry->identity == identity) return;
  auto entry = std::make_shared<Watched>();
  entry->identity = identity;
  entry->kind = *kind;
  entry->player = std::move(player);
  watched_.push_back(std::move(entry));
  timerFollowsPlayers();
}

bool PlaybackWatcher::unwatch(const void* identity) {
  const auto found = std::find_if(watched_.begin(), watched_.end(),
                                  [&](const auto& entry) { return entry->identity == identity; });
  if (found == watched_.end()) return false;
  watched_.erase(found);
  timerFollowsPlayers();
  return true;
}

void PlaybackWatcher::unwatchAll() {
  watched_.clear();
  timerFollowsPlayers();
}

void PlaybackWatcher::setInterval(int32_t milliseconds) {
  if (milliseconds < kMinimumInterval || milliseconds > kMaximumInterval)
    throw RuntimeError(kInvalidPropertyValue,
                       u"Invalid property value: Interval takes 50 to 10000 milliseconds");
  interval_ = milliseconds;
  if (timerRunning_) timer_.start(interval_);
}

void PlaybackWatcher::timerFollowsPlayers() {
  if (!watched_.empty() && !timerRunning_) {
    timer_.start(interval_);
    timerRunning_ = true;
  } else if (watched_.empty() && timerRunning_) {
    timer_.stop();
    timerRunning_ = false;
  }
}

bool PlaybackWatcher::stillWatched(const Watched* entry) const {
  return std::any_of(watched_.begin(), watched_.end(), [&](const auto& e) { return e.get() == entry; });
}

void PlaybackWatcher::tick() {
  if (ticking_) return;
  ticking_ = true;
  // A sink may watch or unwatch players from inside an event: the tick goes
  // through the players watched when it began that are watched still.
  const auto players = watched_;
  for (const auto& entry : players) {
    if (!stillWatched(entry.get())) continue;
    try {
      lookAt(*entry);
    } catch (...) {
      // A player or a sink that fails costs this player its look, not the
      // other players theirs nor the host its loop.
    }
  }
  ticking_ = false;
}

std::u16string PlaybackWatcher::deviceName(Watched& entry) {
  switch (entry.kind) {
    case PlayerKind::MP3PlayerB:
      return entry.player->get(u"Filename").text();
    case PlayerKind::MP3PlayerA:
      return entry.player->get(u"TheFile").text();
    case PlayerKind::CDPlayerA:
    case PlayerKind::CDPlayerB:
      break;
  }
  return u"cd";
}

void PlaybackWatcher::beginRun(Watched& entry, const std::u16string& device) {
  entry.device = device;
  entry.position.reset();
  entry.length.reset();
  const bool cd = entry.kind == PlayerKind::CDPlayerA || entry.kind == PlayerKind::CDPlayerB;
  entry.name = cd ? std::u16string() : unquoted(device);
  entry.questions = {Question::Position, Question::Length};
  if (cd) entry.questions.push_back(Question::Track);
}

bool PlaybackWatcher::endReached(const Watched& entry, int64_t now) const {
  if (!entry.position || !entry.length) return true;
  const int64_t due = entry.positionAt + (*entry.length - *entry.position);
  return now + kEndTolerance >= due;
}

void PlaybackWatcher::lookAt(Watched& entry) {
  std::u16string device;
  try {
    device = deviceName(entry);
  } catch (const RuntimeError&) {
    device.clear();
  }
  FixedText reply(kReplyLength);
  const int64_t now = clock_.milliseconds();

  const bool open = !device.empty() && devices_.isOpen(unquoted(device));
  if (open && entry.state == PlayerState::Playing && device == entry.device && !entry.questions.empty()) {
    const Question question = entry.questions.front();
    entry.questions.erase(entry.questions.begin());
    const std::u16string_view what = question == Question::Position ? u" position"
                                     : question == Question::Length ? u" length"
                                                                    : u" current track";
    if (mci_.send({u"status ", device, what}, reply) != 0) {
      // The device no longer answers: the next tick asks its mode.
      entry.questions.clear();
      return;
    }
    const auto value = replyMilliseconds(reply.text());
    if (question == Question::Position) {
      entry.position = value;
      entry.positionAt = now;
    } else if (question == Question::Length) {
      entry.length = value;
    } else if (value) {
      entry.name = decimalText(*value);
    }
    return;
  }

  const PlayerState state =
      open ? stateOfMode(mci_.send({u"status ", device, u" mode"}, reply), reply.text()) : PlayerState::Closed;
  const bool newRun = state == PlayerState::Playing &&
                      (entry.state != PlayerState::Playing || device != entry.device);
  if (state == entry.state && !newRun) return;

  const bool ended = entry.state == PlayerState::Playing && state == PlayerState::Stopped &&
                     endReached(entry, now);
  const std::u16string name = entry.name;
  const bool changed = state != entry.state;
  entry.state = state;
  if (newRun) beginRun(entry, device);
  const ObjectRef player = entry.player;
  if (changed) events_.stateChanged(player, state);
  if (ended && stillWatched(&entry)) events_.ended(player, name);
}

}  // namespace orvalis::events
