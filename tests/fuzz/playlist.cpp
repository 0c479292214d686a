// The playlist reader: the line splitting of a playlist file (bytes and
// text), writing the lines back, and both players loading the file into a
// host list and saving it again.
//
// The input is the file's bytes. Properties: the lines are those of a reader
// written here character by character (a CR ends a line, an LF right after
// it belongs to that line end, an LF on its own stays, an empty file has no
// lines), and the text reading gives the same lines; entries without CR
// written with appendPlaylistLine read back as the same entries; player B's
// OpenPlaylist and player A's MP3OpenPlayList add exactly those lines,
// trailing blanks removed, raise nothing and show no message box; player
// B's SavePlaylist writes the list so that loading it gives the list again.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "doubles/FakePlatform.h"
#include "frame/Text.h"
#include "fuzz/FuzzSupport.h"
#include "mp3/Playlist.h"
#include "mp3/clsVxAudoMP3PlayerA.h"
#include "mp3/clsVxAudoMP3PlayerB.h"

namespace orvalis::fuzz {
namespace {

std::vector<std::string> expectedLines(std::string_view file) {
  std::vector<std::string> lines;
  std::string line;
  bool open = false;  // a line has begun and not yet ended
  bool afterCr = false;
  for (char c : file) {
    if (c == '\n' && afterCr) {
      afterCr = false;
      continue;
    }
    afterCr = c == '\r';
    if (c == '\r') {
      lines.push_back(line);
      line.clear();
      open = false;
    } else {
      line += c;
      open = true;
    }
  }
  if (open) lines.push_back(line);
  return lines;
}

std::u16string widened(std::string_view bytes) {
  std::u16string text;
  for (char b : bytes) text += static_cast<char16_t>(static_cast<unsigned char>(b));
  return text;
}

template <class Lines>
std::vector<std::u16string> asTexts(const Lines& lines) {
  std::vector<std::u16string> texts;
  for (const auto& line : lines) texts.push_back(widened(line));
  return texts;
}

template <>
std::vector<std::u16string> asTexts(const std::vector<std::u16string_view>& lines) {
  return {lines.begin(), lines.end()};
}

void checkLines(std::string_view file) {
  const std::vector<std::string> expected = expectedLines(file);
  const auto lines = playlistLines(file);
  FUZZ_CHECK(lines.size() == expected.size());
  for (std::size_t i = 0; i < lines.size(); ++i) FUZZ_CHECK(lines[i] == expected[i]);

  const std::u16string text = widened(file);
  FUZZ_CHECK(asTexts(playlistLines(std::u16string_view(text))) == asTexts(expected));

  // Lines never hold a CR, so written back they read back unchanged.
  std::string written;
  for (std::string_view line : lines) appendPlaylistLine(written, line);
  FUZZ_CHECK(asTexts(playlistLines(std::string_view(written))) == asTexts(expected));
}

std::shared_ptr<testing::FakeList> emptyList() {
  auto list = std::make_shared<testing::FakeList>();
  list->recordCalls = false;
  return list;
}

std::vector<std::u16string> trimmedLines(std::string_view file) {
  std::vector<std::u16string> entries;
  for (const std::string& line : expectedLines(file)) entries.push_back(trimTrailingBlanks(widened(line)));
  return entries;
}

void checkPlayers(std::string_view file) {
  testing::FakePlatform fakes;
  fakes.files.contents[u"in.m3u"] = std::string(file);
  const std::vector<std::u16string> entries = trimmedLines(file);

  clsVxAudoMP3PlayerB playerB(fakes.platform);
  auto listB = emptyList();
  playerB.OpenPlaylist(u"in.m3u", listB);
  FUZZ_CHECK(listB->texts() == entries);

  clsVxAudoMP3PlayerA playerA(fakes.platform);
  auto listA = emptyList();
  playerA.MP3OpenPlayList(u"in.m3u", Variant(ObjectRef(listA)));
  FUZZ_CHECK(listA->texts() == entries);

  playerB.SavePlaylist(u"out.m3u", listB);
  auto reloaded = emptyList();
  playerB.OpenPlaylist(u"out.m3u", reloaded);
  FUZZ_CHECK(reloaded->texts() == entries);
  FUZZ_CHECK(fakes.runtime.messageBoxes.empty());
}

}  // namespace
}  // namespace orvalis::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view file = orvalis::fuzz::bytesOf(data, size);
  orvalis::fuzz::checkLines(file);
  orvalis::fuzz::checkPlayers(file);
  return 0;
}
