// The playback watcher: the logic behind clsVxAudoWatcherA. It watches any
// number of the library's players from outside and raises StateChanged when
// a player's device changes state and Ended when playback reached the end
// by itself.
//
// On each tick of its timer the watcher sends at most one status query per
// watched player, to the device the player opened (named by the player's
// public members: Filename of player B, TheFile of player A, the alias "cd"
// of the CD players), and only while that device is open. The service
// opens a file named in a command on its own for that command, so a query
// to a closed MP3 device would find it "stopped" (and build the device
// anew each time): the watcher first asks the service's directory of open
// devices, which opens nothing, and a device not open is Closed without a
// query. Usually the status query is
// "status <device> mode". When a
// run of playback begins (the device is first seen playing), the next ticks
// ask instead, one each, for what the run needs: the position, then the
// length (and, for a CD, the current track). No command of the watcher
// changes the device: no time format, no position, no file name.
//
// Ended against a host's stop. A host that stops a player through its
// members closes the device ("close"): the watcher sees Closed, and never
// raises Ended for that. A host that pauses an MP3 player sends "stop",
// and a CD player's stopCD sends "stop" too; a song that ends by itself
// also leaves the device stopped (and Wine's service rewinds it to 0 in
// both cases), so the mode alone cannot tell them apart. The watcher tells
// them apart by time: from the position and length it read at the start of
// the run it knows when the end is due; a device that stops from playing no
// earlier than kEndTolerance before that moment has ended, one that stops
// earlier was stopped by its host. When the run's position or length could
// not be read (the run stopped within its first ticks, or the device
// answers in a time format that does not read as milliseconds or MSF),
// every stop from playing counts as the end.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "events/WatchedPlayer.h"
#include "frame/Variant.h"
#include "mci/MciChannel.h"

namespace orvalis::events {

// The watcher's timer: ticks on the watcher's own thread, from its message
// loop, until stopped. start() on a running timer changes its interval.
class WatchTimer {
 public:
  virtual ~WatchTimer() = default;
  virtual void start(int32_t milliseconds) = 0;
  virtual void stop() = 0;
};

// The devices open in the process, by name (an alias, or a file's path
// without quotes), without regard to case. Asking opens nothing.
class DeviceDirectory {
 public:
  virtual ~DeviceDirectory() = default;
  virtual bool isOpen(std::u16string_view name) = 0;
};

// A monotonic clock in milliseconds.
class WatchClock {
 public:
  virtual ~WatchClock() = default;
  virtual int64_t milliseconds() = 0;
};

// Where the watcher's events go (the connected sinks). Each call returns
// when every sink has been called; a sink may call back into the watcher.
class WatcherEvents {
 public:
  virtual ~WatcherEvents() = default;
  virtual void stateChanged(const ObjectRef& player, PlayerState state) = 0;
  virtual void ended(const ObjectRef& player, const std::u16string& name) = 0;
};

class PlaybackWatcher {
 public:
  static constexpr int32_t kDefaultInterval = 250;
  static constexpr int32_t kMinimumInterval = 50;
  static constexpr int32_t kMaximumInterval = 10'000;
  // How much earlier than its due end a run may stop and still count as
  // ended: the service's own slack in reporting the end and in answering.
  static constexpr int64_t kEndTolerance = 300;

  PlaybackWatcher(MciService& mci, DeviceDirectory& devices, WatchTimer& timer, WatchClock& clock,
                  WatcherEvents& events);
  ~PlaybackWatcher();
  PlaybackWatcher(const PlaybackWatcher&) = delete;
  PlaybackWatcher& operator=(const PlaybackWatcher&) = delete;

  // `identity` tells players apart (the object's identity); watching a
  // player that is watched already changes nothing. The first tick reports
  // the player's state unless it is Closed. Nothing raises error 91, and an
  // object that is none of the library's players (no `kind`) error 5.
  void watch(const void* identity, std::optional<PlayerKind> kind, ObjectRef player);
  // Whether the player was watched; an unknown one is ignored.
  bool unwatch(const void* identity);
  void unwatchAll();
  size_t watchedCount() const { return watched_.size(); }

  int32_t interval() const { return interval_; }
  // Raises error 380 (Invalid property value) for a value outside
  // kMinimumInterval..kMaximumInterval and keeps the old one.
  void setInterval(int32_t milliseconds);

  // One look at every watched player, raising the events it finds. A tick
  // that starts while another runs (a sink that waits with the thread's
  // messages flowing) does nothing.
  void tick();

 private:
  enum class Question { Position, Length, Track };
  struct Watched;

  void lookAt(Watched& entry);
  void beginRun(Watched& entry, const std::u16string& device);
  bool endReached(const Watched& entry, int64_t now) const;
  std::u16string deviceName(Watched& entry);
  bool stillWatched(const Watched* entry) const;
  void timerFollowsPlayers();

  MciChannel mci_;
  DeviceDirectory& devices_;
  WatchTimer& timer_;
  WatchClock& clock_;
  WatcherEvents& events_;
  int32_t interval_ = kDefaultInterval;
  bool timerRunning_ = false;
  bool ticking_ = false;
  std::vector<std::shared_ptr<Watched>> watched_;
};

}  // namespace orvalis::events
