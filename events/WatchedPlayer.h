// What the playback watcher knows about a player of the Orvalis library: its
// class, the state its device is in, and how the device's replies read. The
// watcher sees a player only from outside, as any host does: the player's
// public members (late-bound) and the MCI service's answers about the
// device the player opened.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvalis::events {

// The four players a watcher accepts.
enum class PlayerKind { MP3PlayerA, MP3PlayerB, CDPlayerA, CDPlayerB };

// The states raised with StateChanged; the numbers are those of the type
// library's enumeration, so that a host's Select Case can test them.
enum class PlayerState : int32_t { Closed = 0, Stopped = 1, Playing = 2, Paused = 3 };

// The kind of a player from its type library's name and its default
// interface's name (as the object's type information gives them), or
// nothing for any other object.
std::optional<PlayerKind> playerKindOf(std::u16string_view library, std::u16string_view interfaceName);

// The state that a reply to "status <device> mode" stands for. A command
// that failed (the device is not open) is Closed; "paused" is Paused,
// "playing" Playing; every other word the service gives (stopped, seeking,
// not ready, open) is Stopped.
PlayerState stateOfMode(uint32_t code, std::u16string_view reply);

// A reply to "status <device> position" or "... length" in milliseconds:
// a plain number is taken as milliseconds, "mm:ss:ff" (the MSF format,
// 75 frames a second) is converted. Nothing when the reply does not read
// that way: four fields (TMSF, a position within a track that no disc
// length compares with), no digits at all, or text after the number.
std::optional<int64_t> replyMilliseconds(std::u16string_view reply);

// A reply up to its terminating NUL, without surrounding blanks.
std::u16string_view replyText(std::u16string_view reply);

// The name of what an MP3 player played: its device name without the
// double quotes the player put around it.
std::u16string unquoted(std::u16string_view deviceName);

}  // namespace orvalis::events
