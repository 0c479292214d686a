// File names beyond the ANSI code page, from a C++ host. A Greek and a
// Japanese MP3 play through both MP3 players, which report their position
// and duration; the names survive Filename and MP3File unchanged. The
// playlist file is ANSI: a name it can carry (accented Latin and the euro
// sign, in Wine's code page 1252) goes in and comes back, a Greek or
// Japanese one is refused: player B shows its error box (error 52) and
// keeps the previous playlist; player A leaves that entry out silently and
// saves the others. The WAV
// class writes a sound under a Japanese name and plays one under a name of
// the code page. (Wine's sound call opens files through its own ANSI file
// layer, so under Wine it cannot play the Japanese name that the library
// hands it through sndPlaySoundW: that result is only shown.)
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "client_checks.h"
#include "com_client.h"
#include "orvalis_h.h"

using e2e::check;
using e2e::hex;

namespace {

using e2e::HostObject;
using e2e::environment;
using e2e::create;

std::string utf8(const std::wstring& text) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string bytes(length, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr,
                      nullptr);
  return bytes;
}

std::string readFile(const std::wstring& path) { return e2e::readFileStart(path, "(missing)"); }

void writeFile(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string messageBoxLog() { return readFile(environment(L"ORVALIS_MSGBOX_LOG")); }

// A message box that appears after `before` was read, as the watcher logs
// it ("title<TAB>text"), or "" when none shows within two seconds.
std::string nextBox(const std::string& before) {
  for (int i = 0; i < 8; ++i) {
    const std::string log = messageBoxLog();
    if (log.size() > before.size()) {
      std::string line = log.substr(before.size());
      return line.substr(0, line.find_first_of("\r\n"));
    }
    Sleep(250);
  }
  return "";
}

// A host list control: ListCount, List(index) and AddItem over its entries.
class HostList final : public HostObject {
 public:
  HostList() : HostObject({L"ListCount", L"List", L"AddItem"}) {}

  std::vector<std::wstring> entries;

  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                      UINT*) override {
    VARIANT argument;
    VariantInit(&argument);
    switch (id) {
      case 1:
        V_VT(result) = VT_I2;
        V_I2(result) = static_cast<SHORT>(entries.size());
        return S_OK;
      case 2: {
        if (FAILED(VariantChangeType(&argument, &params->rgvarg[0], 0, VT_I4))) return DISP_E_TYPEMISMATCH;
        const LONG index = V_I4(&argument);
        if (index < 0 || index >= static_cast<LONG>(entries.size())) return DISP_E_BADINDEX;
        V_VT(result) = VT_BSTR;
        V_BSTR(result) = SysAllocString(entries[index].c_str());
        return S_OK;
      }
      case 3:
        if (FAILED(VariantChangeType(&argument, &params->rgvarg[0], 0, VT_BSTR))) return DISP_E_TYPEMISMATCH;
        entries.emplace_back(V_BSTR(&argument), SysStringLen(V_BSTR(&argument)));
        VariantClear(&argument);
        return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }
};

struct Song {
  std::string label;
  std::wstring path;
  LONG milliseconds;
};

// Waits (four looks a second, three seconds at most) for `position` to
// report more than 0.
template <class Position>
LONG firstPosition(Position position) {
  LONG value = 0;
  for (int i = 0; i < 12 && value <= 0; ++i) {
    Sleep(250);
    value = position();
  }
  return value;
}

// The song plays in `player`: its position moves on by a quarter of a second
// or more within half a second, and `durationMember` (read by `duration`)
// gives the song's length within 100 ms.
template <class Position, class Duration>
void checkPlaying(const std::string& player, const Song& song, Position position,
                  const std::string& durationMember, Duration duration) {
  const LONG first = firstPosition(position);
  Sleep(500);
  const LONG second = position();
  check(player + ": the " + song.label + " song's position moves (" + std::to_string(first) + " then " +
            std::to_string(second) + " ms)",
        first > 0 && second >= first + 250);
  const LONG length = duration();
  check(player + ": the " + song.label + " song's " + durationMember + " is its length (" +
            std::to_string(length) + " vs " + std::to_string(song.milliseconds) + ")",
        length >= song.milliseconds - 100 && length <= song.milliseconds + 100);
}

void playerB(const Song& song) {
  auto* player = create<_clsVxAudoMP3PlayerB>(L"Orvalis.clsVxAudoMP3PlayerB", IID__clsVxAudoMP3PlayerB);
  check("player B: created", player != nullptr);
  if (!player) return;
  BSTR name = SysAllocString(song.path.c_str());
  player->put_Filename(name);
  SysFreeString(name);
  check("player B plays the " + song.label + " name", SUCCEEDED(player->Play()));
  BSTR stored = nullptr;
  player->get_Filename(&stored);
  check("player B's Filename is the " + song.label + " name in quotes",
        stored && std::wstring(stored) == L"\"" + song.path + L"\"", stored ? utf8(stored) : "null");
  SysFreeString(stored);

  auto position = [&] {
    LONG value = 0;
    player->PositioninMS(&value);
    return value;
  };
  checkPlaying("player B", song, position, "DurationInMS", [&] {
    LONG duration = 0;
    player->DurationInMS(&duration);
    return duration;
  });
  BSTR clock = nullptr;
  player->FormatDuration(&clock);
  check("player B: FormatDuration of the " + song.label + " song", clock && std::wstring(clock) == L"0:03",
        clock ? utf8(clock) : "null");
  SysFreeString(clock);
  player->StopPlay();
  player->Release();
}

void playerA(const Song& song) {
  auto* player = create<_clsVxAudoMP3PlayerA>(L"Orvalis.clsVxAudoMP3PlayerA", IID__clsVxAudoMP3PlayerA);
  check("player A: created", player != nullptr);
  if (!player) return;
  BSTR name = SysAllocString(song.path.c_str());
  player->put_MP3File(name);
  SysFreeString(name);
  check("player A plays the " + song.label + " name", SUCCEEDED(player->MP3Play()));
  BSTR device = nullptr;
  player->get_TheFile(&device);
  check("player A's TheFile is the " + song.label + " name in quotes",
        device && std::wstring(device) == L"\"" + song.path + L"\"", device ? utf8(device) : "null");
  SysFreeString(device);

  auto milliseconds = [](HRESULT hr, VARIANT& value) {
    LONG number = -1;
    VARIANT converted;
    VariantInit(&converted);
    if (SUCCEEDED(hr) && SUCCEEDED(VariantChangeType(&converted, &value, 0, VT_I4))) number = V_I4(&converted);
    VariantClear(&value);
    return number;
  };
  auto position = [&] {
    VARIANT value;
    VariantInit(&value);
    return milliseconds(player->MP3PositionInMS(&value), value);
  };
  checkPlaying("player A", song, position, "MP3DurationInMs", [&] {
    VARIANT value;
    VariantInit(&value);
    return milliseconds(player->MP3DurationInMs(&value), value);
  });
  player->MP3Stop();
  player->Release();
}

// Saves `entries` over a playlist that holds "old.mp3" with each player,
// and reads back what the file then holds.
struct Saved {
  std::string fileB, fileA;
  std::string boxB, boxA;
};

Saved saveBoth(_clsVxAudoMP3PlayerB* b, _clsVxAudoMP3PlayerA* a, const std::wstring& playlist,
               const std::vector<std::wstring>& entries) {
  Saved saved;
  HostList list;
  list.entries = entries;
  BSTR path = SysAllocString(playlist.c_str());

  writeFile(playlist, "old.mp3\r\n");
  std::string before = messageBoxLog();
  IDispatch* listObject = &list;
  b->SavePlaylist(&path, &listObject);
  saved.boxB = nextBox(before);
  saved.fileB = readFile(playlist);

  writeFile(playlist, "old.mp3\r\n");
  before = messageBoxLog();
  VARIANT box, result;
  VariantInit(&result);
  V_VT(&box) = VT_DISPATCH;
  V_DISPATCH(&box) = &list;
  a->MP3SavePlayList(&path, &box, &result);
  saved.boxA = nextBox(before);
  saved.fileA = readFile(playlist);
  SysFreeString(path);
  return saved;
}

void playlists(const std::wstring& latin, const std::wstring& greek, const std::wstring& japanese) {
  auto* b = create<_clsVxAudoMP3PlayerB>(L"Orvalis.clsVxAudoMP3PlayerB", IID__clsVxAudoMP3PlayerB);
  auto* a = create<_clsVxAudoMP3PlayerA>(L"Orvalis.clsVxAudoMP3PlayerA", IID__clsVxAudoMP3PlayerA);
  if (!a || !b) {
    check("players for the playlists", false);
    return;
  }
  const std::wstring playlist = environment(L"ORVALIS_E2E_TMP") + L"\\\x5217\x8868.m3u";  // a Japanese name too
  std::printf("INFO the ANSI code page is %u\n", GetACP());

  // The name the code page carries: its ANSI bytes go in, and both players
  // read the entry back as it was.
  char ansi[1024];
  BOOL lacking = FALSE;
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, latin.c_str(), -1, ansi, sizeof ansi,
                                         nullptr, &lacking);
  const std::string expected = std::string(ansi, length > 0 ? length - 1 : 0) + "\r\n";
  check("the Latin name fits the ANSI code page", length > 0 && !lacking);
  Saved saved = saveBoth(b, a, playlist, {latin});
  check("player B saves the Latin name as its ANSI bytes", saved.fileB == expected && saved.boxB.empty(),
        saved.boxB);
  check("player A saves the Latin name as its ANSI bytes", saved.fileA == expected && saved.boxA.empty(),
        saved.boxA);

  HostList loadedB, loadedA;
  BSTR path = SysAllocString(playlist.c_str());
  IDispatch* listObject = &loadedB;
  b->OpenPlaylist(&path, &listObject);
  check("player B reads the Latin name back", loadedB.entries == std::vector<std::wstring>{latin},
        loadedB.entries.empty() ? "nothing" : utf8(loadedB.entries[0]));
  VARIANT box, result;
  VariantInit(&result);
  V_VT(&box) = VT_DISPATCH;
  V_DISPATCH(&box) = &loadedA;
  a->MP3OpenPlayList(&path, &box, &result);
  check("player A reads the Latin name back", loadedA.entries == std::vector<std::wstring>{latin},
        loadedA.entries.empty() ? "nothing" : utf8(loadedA.entries[0]));
  SysFreeString(path);

  // Names the code page lacks: player B shows error 52's text and keeps
  // the old playlist; player A skips that entry's step without a word and
  // saves the entries it could write.
  const std::string refusal = " Error\tBad file name or number: the name has characters that the ANSI code page lacks";
  for (const auto& [label, name] : {std::pair<std::string, std::wstring>{"Greek", greek}, {"Japanese", japanese}}) {
    saved = saveBoth(b, a, playlist, {latin, name});
    check("player B refuses the " + label + " name with error 52's box", saved.boxB == refusal, saved.boxB);
    check("player B keeps the previous playlist", saved.fileB == "old.mp3\r\n", saved.fileB);
    check("player A refuses the " + label + " name without a box", saved.boxA.empty(), saved.boxA);
    check("player A saves the other entries without the " + label + " one", saved.fileA == expected, saved.fileA);
  }
  a->Release();
  b->Release();
}

// A tenth of a second of 8-bit silence at 8000 Hz.
std::string silentWave() {
  const DWORD samples = 800;
  std::string image = "RIFF";
  auto add32 = [&image](DWORD value) { image.append(reinterpret_cast<const char*>(&value), 4); };
  auto add16 = [&image](WORD value) { image.append(reinterpret_cast<const char*>(&value), 2); };
  add32(36 + samples);
  image += "WAVEfmt ";
  add32(16);
  add16(1);
  add16(1);
  add32(8000);
  add32(8000);
  add16(1);
  add16(8);
  image += "data";
  add32(samples);
  image.append(samples, '\x80');
  return image;
}

// Writes the silent sound under `file` in the scratch folder and plays it.
// Returns PlaySound's result.
LONG writeAndPlay(_clsVxAudoWaveFileA* wave, const std::wstring& file, const std::string& label) {
  const std::wstring path = environment(L"ORVALIS_E2E_TMP") + L"\\" + file;
  DeleteFileW(path.c_str());
  const std::string image = silentWave();
  SAFEARRAY* bytes = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(image.size()));
  void* data = nullptr;
  SafeArrayAccessData(bytes, &data);
  memcpy(data, image.data(), image.size());
  SafeArrayUnaccessData(bytes);
  BSTR name = SysAllocString(path.c_str());
  wave->WriteWave(&name, &bytes);
  check("WriteWave writes under the " + label + " name", readFile(path) == image);
  wave->put_Filename(name);
  SoundSndAudoConstants sync = static_cast<SoundSndAudoConstants>(SND_SYNC);
  LONG played = 0;
  const HRESULT hr = wave->PlaySound(&sync, &played);
  check("PlaySound under the " + label + " name returns", SUCCEEDED(hr), hex(hr));
  SysFreeString(name);
  SafeArrayDestroy(bytes);
  return played;
}

void waveFile() {
  auto* wave = create<_clsVxAudoWaveFileA>(L"Orvalis.clsVxAudoWaveFileA", IID__clsVxAudoWaveFileA);
  check("the WAV class: created", wave != nullptr);
  if (!wave) return;
  const LONG latin = writeAndPlay(wave, L"Caf\x00e9 \x20ac.wav", "Latin");
  check("PlaySound plays the file with the Latin name", latin != 0, "result " + std::to_string(latin));
  const LONG japanese = writeAndPlay(wave, L"\x9759\x5bc2.wav", "Japanese");
  std::printf("INFO PlaySound of the Japanese name: %ld (Wine's sound call opens files by ANSI name)\n",
              static_cast<long>(japanese));
  wave->Release();
}

}  // namespace

int main() {
  CoInitialize(nullptr);
  const Song greek{"Greek", environment(L"ORVALIS_GREEK_MP3"),
                   _wtoi(environment(L"ORVALIS_GREEK_MP3_MS").c_str())};
  const Song japanese{"Japanese", environment(L"ORVALIS_JAPANESE_MP3"),
                      _wtoi(environment(L"ORVALIS_JAPANESE_MP3_MS").c_str())};
  check("the song files exist under their names",
        GetFileAttributesW(greek.path.c_str()) != INVALID_FILE_ATTRIBUTES &&
            GetFileAttributesW(japanese.path.c_str()) != INVALID_FILE_ATTRIBUTES,
        utf8(greek.path) + ", " + utf8(japanese.path));
  for (const Song* song : {&greek, &japanese}) {
    playerB(*song);
    playerA(*song);
  }
  // "Café Müller €": the euro sign is in code page 1252 but not in Latin-1.
  playlists(L"C:\\Music\\Caf\x00e9 M\x00fcller \x20ac.mp3", greek.path, japanese.path);
  waveFile();
  CoUninitialize();
  return e2e::verdict();
}
