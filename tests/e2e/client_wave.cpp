// The wave file class and the recorder from a C++ host: WAV images built
// from safe arrays, files written and replaced, sounds played from a file
// and from the host's own resources, and one recording through Wine's real
// waveaudio device, stopped from the host's timer.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "client_checks.h"
#include "com_client.h"
#include "orvalis_h.h"

using e2e::check;
using e2e::hex;

namespace {

using e2e::environment;
using e2e::narrow;
using e2e::create;
using e2e::errorDescription;
using e2e::invokeByName;

using Bytes = std::vector<unsigned char>;

constexpr LONG SND_SYNC = 0, SND_ASYNC = 1, SND_MEMORY = 4;

// WaveData(c, f) for c and f within the given bounds, each element stored
// by its indices.
SAFEARRAY* samples(LONG lowChannel, LONG highChannel, LONG lowFrame, LONG highFrame,
                   const std::function<LONG(LONG, LONG)>& value) {
  SAFEARRAYBOUND bounds[2] = {{ULONG(highChannel - lowChannel + 1), lowChannel},
                              {ULONG(highFrame - lowFrame + 1), lowFrame}};
  SAFEARRAY* array = SafeArrayCreate(VT_I4, 2, bounds);
  for (LONG f = lowFrame; f <= highFrame; ++f)
    for (LONG c = lowChannel; c <= highChannel; ++c) {
      LONG indices[2] = {c, f};
      LONG element = value(c, f);
      SafeArrayPutElement(array, indices, &element);
    }
  return array;
}

Bytes bytesOf(SAFEARRAY* array) {
  Bytes bytes;
  if (!array) return bytes;
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  void* data = nullptr;
  SafeArrayAccessData(array, &data);
  bytes.assign(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + (upper - lower + 1));
  SafeArrayUnaccessData(array);
  return bytes;
}

SAFEARRAY* byteArray(const Bytes& bytes) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, ULONG(bytes.size()));
  void* data = nullptr;
  SafeArrayAccessData(array, &data);
  std::copy(bytes.begin(), bytes.end(), static_cast<unsigned char*>(data));
  SafeArrayUnaccessData(array);
  return array;
}

Bytes readFile(const std::wstring& path) {
  std::ifstream file(narrow(path), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string describe(const Bytes& bytes) {
  std::string text;
  char hexByte[4];
  for (unsigned char b : bytes) {
    std::snprintf(hexByte, sizeof hexByte, "%02X ", b);
    text += hexByte;
  }
  return text;
}

const Bytes kMonoImage = {'R', 'I', 'F', 'F', 0x28, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                          0x10, 0, 0, 0, 0x01, 0, 0x01, 0, 0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0,
                          0x01, 0, 0x08, 0, 'd', 'a', 't', 'a', 0x04, 0, 0, 0, 0x80, 0x81, 0x82, 0x83};
const Bytes kStereoImage = {'R', 'I', 'F', 'F', 0x28, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                            0x10, 0, 0, 0, 0x01, 0, 0x02, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 0x02, 0,
                            0x04, 0, 0x10, 0, 'd', 'a', 't', 'a', 0x04, 0, 0, 0, 0xE8, 0x03, 0x18, 0xFC};

// CreateWaveArray called early-bound; `hr` receives its result.
Bytes createImage(_clsVxAudoWaveFileA* wave, SAFEARRAY* data, LONG rate, LONG bits, HRESULT& hr,
                  bool& resultLeftEmpty) {
  SAFEARRAY* image = nullptr;
  hr = wave->CreateWaveArray(&data, &rate, &bits, &image);
  resultLeftEmpty = image == nullptr;
  Bytes bytes = bytesOf(image);
  static bool shapeChecked = false;
  if (image && !shapeChecked) {
    VARTYPE type = VT_EMPTY;
    SafeArrayGetVartype(image, &type);
    LONG lower = -1;
    SafeArrayGetLBound(image, 1, &lower);
    check("the image is a one-dimensional Byte array from 0",
          SafeArrayGetDim(image) == 1 && type == VT_UI1 && lower == 0);
    shapeChecked = true;
  }
  SafeArrayDestroy(image);
  SafeArrayDestroy(data);
  return bytes;
}

void images(_clsVxAudoWaveFileA* wave) {
  HRESULT hr;
  bool empty;
  Bytes mono = createImage(wave, samples(0, 0, 0, 3, [](LONG, LONG f) { return 128 + f; }), 8000, 8, hr, empty);
  check("CreateWaveArray mono 8-bit", SUCCEEDED(hr), hex(hr));
  check("the mono 8-bit image byte for byte", mono == kMonoImage, describe(mono));

  Bytes stereo = createImage(wave, samples(0, 1, 0, 0, [](LONG c, LONG) { return c == 0 ? 1000 : -1000; }),
                             44100, 16, hr, empty);
  check("CreateWaveArray stereo 16-bit", SUCCEEDED(hr), hex(hr));
  check("the stereo 16-bit image byte for byte", stereo == kStereoImage, describe(stereo));

  createImage(wave, samples(1, 1, 0, 3, [](LONG, LONG) { return 0; }), 8000, 8, hr, empty);
  check("indices from 1 fail with 0x800A0009", hr == static_cast<HRESULT>(0x800A0009), hex(hr));
  check("the error info says Subscript out of range", errorDescription() == L"Subscript out of range");
  check("no image after an error", empty);

  SAFEARRAY* single = SafeArrayCreateVector(VT_I4, 0, 4);
  createImage(wave, single, 8000, 8, hr, empty);
  check("a one-dimensional array fails with 0x800A0009", hr == static_cast<HRESULT>(0x800A0009) && empty,
        hex(hr));

  // A megabyte and more takes the vector copy: every sample in place.
  const LONG frames = 262147;
  SAFEARRAYBOUND bounds[2] = {{2, 0}, {ULONG(frames), 0}};
  SAFEARRAY* large = SafeArrayCreate(VT_I4, 2, bounds);
  LONG* elements = nullptr;
  SafeArrayAccessData(large, reinterpret_cast<void**>(&elements));
  // Wrapping arithmetic: i * 7919 leaves the range of LONG, where signed
  // overflow would be undefined (and an optimised build exploits it).
  auto sampleAt = [](LONG i) { return static_cast<LONG>(static_cast<ULONG>(i) * 7919u - 1000000u); };
  for (LONG i = 0; i < 2 * frames; ++i) elements[i] = sampleAt(i);
  SafeArrayUnaccessData(large);
  const DWORD start = GetTickCount();
  const Bytes image = createImage(wave, large, 44100, 16, hr, empty);
  const DWORD took = GetTickCount() - start;
  size_t wrong = image.size() == 44 + 4 * size_t(frames) ? 0 : 1;
  for (LONG i = 0; wrong == 0 && i < 2 * frames; ++i) {
    const auto low = static_cast<unsigned short>(sampleAt(i));
    wrong += image[44 + 2 * i] != (low & 0xFF) || image[45 + 2 * i] != (low >> 8);
  }
  check("a megabyte image holds every sample in place", SUCCEEDED(hr) && wrong == 0, hex(hr));
  std::printf("INFO CreateWaveArray of %zu bytes: %lu ms\n", image.size(), static_cast<unsigned long>(took));

  createImage(wave, samples(0, 0, 0, 0, [](LONG, LONG) { return 0; }), 8000, 12, hr, empty);
  check("12 bits per sample fail with 0x800A0005", hr == static_cast<HRESULT>(0x800A0005) && empty, hex(hr));
  check("the error info says Invalid procedure call or argument",
        errorDescription() == L"Invalid procedure call or argument");
}

void files(_clsVxAudoWaveFileA* wave, const std::wstring& folder) {
  const std::wstring path = folder + L"\\mono.wav";
  BSTR name = SysAllocString(path.c_str());
  SAFEARRAY* image = byteArray(kMonoImage);
  check("WriteWave", SUCCEEDED(wave->WriteWave(&name, &image)));
  check("the file holds exactly the image", readFile(path) == kMonoImage, describe(readFile(path)));

  // Over a longer file: the file becomes exactly the new bytes.
  {
    std::ofstream longer(narrow(path), std::ios::binary | std::ios::trunc);
    longer << std::string(1000, 'x');
  }
  check("WriteWave over a longer file", SUCCEEDED(wave->WriteWave(&name, &image)));
  check("the longer file now holds exactly the new bytes", readFile(path) == kMonoImage,
        std::to_string(readFile(path).size()) + " bytes");

  const std::wstring missing = folder + L"\\no such folder\\a.wav";
  BSTR missingName = SysAllocString(missing.c_str());
  HRESULT hr = wave->WriteWave(&missingName, &image);
  check("WriteWave into a missing folder fails with 0x800A004C (path not found)",
        hr == static_cast<HRESULT>(0x800A004C), hex(hr));
  check("and creates nothing", !exists(missing) && !exists(folder + L"\\no such folder"));

  // A read-only file is not written, and the caller hears of it.
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
  hr = wave->WriteWave(&name, &image);
  check("WriteWave over a read-only file fails with 0x800A004B", hr == static_cast<HRESULT>(0x800A004B), hex(hr));
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);

  // A replaced file takes over the old one's attributes where the
  // platform's ReplaceFileW carries them (Windows does; Wine, so far, does
  // not): reported, not checked.
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
  hr = wave->WriteWave(&name, &image);
  const DWORD attributes = GetFileAttributesW(path.c_str());
  check("WriteWave over a hidden file", hr == S_OK && readFile(path) == kMonoImage, hex(hr));
  std::printf("INFO the replaced file is %s\n",
              attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) ? "still hidden"
                                                                                              : "no longer hidden");
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);

  // Nothing beside the target is left over from the replacements.
  WIN32_FIND_DATAW found;
  int entries = 0;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (found.cFileName[0] != L'.') ++entries;
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  check("only the written file is left in the folder", entries == 1, std::to_string(entries) + " entries");
  SysFreeString(missingName);
  SysFreeString(name);
  SafeArrayDestroy(image);
}

// A second of silence at 8000 Hz, for timing the sound calls.
std::wstring writeSecond(_clsVxAudoWaveFileA* wave, const std::wstring& folder) {
  HRESULT hr;
  bool empty;
  const Bytes image = createImage(wave, samples(0, 0, 0, 7999, [](LONG, LONG) { return 128; }), 8000, 8, hr, empty);
  const std::wstring path = folder + L"\\second.wav";
  BSTR name = SysAllocString(path.c_str());
  SAFEARRAY* bytes = byteArray(image);
  wave->WriteWave(&name, &bytes);
  SafeArrayDestroy(bytes);
  SysFreeString(name);
  return path;
}

void playback(_clsVxAudoWaveFileA* wave, const std::wstring& folder) {
  const std::wstring path = writeSecond(wave, folder);
  BSTR name = SysAllocString(path.c_str());
  check("put_Filename", SUCCEEDED(wave->put_Filename(name)));
  BSTR readBack = nullptr;
  wave->get_Filename(&readBack);
  check("get_Filename returns the path", readBack && path == readBack);
  SysFreeString(readBack);
  SysFreeString(name);

  SoundSndAudoConstants sync = static_cast<SoundSndAudoConstants>(SND_SYNC);
  LONG result = 0;
  DWORD start = GetTickCount();
  HRESULT hr = wave->PlaySound(&sync, &result);
  const DWORD syncTook = GetTickCount() - start;
  check("PlaySound(SND_SYNC) plays the file", SUCCEEDED(hr) && result != 0, hex(hr) + " result " + std::to_string(result));
  check("and returns when the second has played", syncTook >= 800, std::to_string(syncTook) + " ms");

  // Through Invoke without the argument: the flags default to SND_ASYNC.
  VARIANT value;
  VariantInit(&value);
  start = GetTickCount();
  hr = invokeByName(wave, L"PlaySound", DISPATCH_METHOD, nullptr, 0, &value);
  const DWORD took = GetTickCount() - start;
  check("Invoke PlaySound without flags plays", SUCCEEDED(hr) && V_VT(&value) == VT_I4 && V_I4(&value) != 0,
        hex(hr));
  check("asynchronously", took < 800, std::to_string(took) + " ms");
  std::printf("INFO PlaySound: sync call %lu ms, call without flags %lu ms\n", static_cast<unsigned long>(syncTook),
              static_cast<unsigned long>(took));

  // A flags value of 10 is the caller's own even though 10 is VT_ERROR's
  // number and the words after it read like the left-out marker: here
  // SND_NODEFAULT | SND_LOOP plays the second synchronously (a loop needs
  // SND_ASYNC), where a left-out argument would play asynchronously.
  struct {
    SoundSndAudoConstants flags;
    LONG reserved;
    LONG code;
  } ten = {static_cast<SoundSndAudoConstants>(10), 0, static_cast<LONG>(DISP_E_PARAMNOTFOUND)};
  start = GetTickCount();
  hr = wave->PlaySound(&ten.flags, &result);
  DWORD tenTook = GetTickCount() - start;
  check("an early-bound flags value of 10 is used as given", SUCCEEDED(hr) && result != 0 && tenTook >= 800,
        hex(hr) + " result " + std::to_string(result) + ", " + std::to_string(tenTook) + " ms");
  start = GetTickCount();
  hr = wave->PlaySound(nullptr, &result);
  tenTook = GetTickCount() - start;
  check("a null flags pointer is left out: SND_ASYNC", SUCCEEDED(hr) && result != 0 && tenTook < 800,
        hex(hr) + ", " + std::to_string(tenTook) + " ms");
  VARIANT marker;
  V_VT(&marker) = VT_ERROR;
  V_ERROR(&marker) = DISP_E_PARAMNOTFOUND;
  start = GetTickCount();
  hr = invokeByName(wave, L"PlaySound", DISPATCH_METHOD, &marker, 1, &value);
  tenTook = GetTickCount() - start;
  check("Invoke with the missing marker leaves the flags out", SUCCEEDED(hr) && tenTook < 800,
        hex(hr) + ", " + std::to_string(tenTook) + " ms");
  // A name that matches no parameter sends the call on to the type
  // library's Invoke (Wine's passes over such a name): the left-out flags
  // get their stand-in there too, as a named argument.
  DISPID playSound = 0;
  LPOLESTR playSoundName[] = {const_cast<LPOLESTR>(L"PlaySound")};
  wave->GetIDsOfNames(IID_NULL, playSoundName, 1, LOCALE_USER_DEFAULT, &playSound);
  DISPID strayName = 7;
  VARIANT stray;
  V_VT(&stray) = VT_I4;
  V_I4(&stray) = 1;
  DISPPARAMS named{&stray, &strayName, 1, 1};
  start = GetTickCount();
  hr = wave->Invoke(playSound, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &named, &value, nullptr, nullptr);
  tenTook = GetTickCount() - start;
  check("the type library's Invoke gets the stand-in for the left-out flags", hr == S_OK && tenTook < 800,
        hex(hr) + ", " + std::to_string(tenTook) + " ms");

  hr = wave->StopSound(&result);
  check("StopSound returns", SUCCEEDED(hr), hex(hr));
  std::printf("INFO StopSound returned %ld\n", static_cast<long>(result));
}

void resources(_clsVxAudoWaveFileA* wave) {
  // The host's own WAVE resource 101, played from memory.
  VARIANT id, type;
  VariantInit(&id);
  VariantInit(&type);
  V_VT(&id) = VT_I4;
  V_I4(&id) = 101;
  V_VT(&type) = VT_BSTR;
  V_BSTR(&type) = SysAllocString(L"WAVE");
  SoundSndAudoConstants memorySync = static_cast<SoundSndAudoConstants>(SND_MEMORY | SND_SYNC);
  HRESULT hr = wave->PlaySoundFromResourceFile(&id, &type, &memorySync);
  check("PlaySoundFromResourceFile plays the host's WAVE 101 from memory", hr == S_OK, hex(hr));

  // Asynchronously, then the object goes away while the sound plays.
  _clsVxAudoWaveFileA* brief = create<_clsVxAudoWaveFileA>(L"Orvalis.clsVxAudoWaveFileA", IID__clsVxAudoWaveFileA);
  SoundSndAudoConstants memoryAsync = static_cast<SoundSndAudoConstants>(SND_MEMORY | SND_ASYNC);
  hr = brief ? brief->PlaySoundFromResourceFile(&id, &type, &memoryAsync) : E_FAIL;
  if (brief) brief->Release();
  Sleep(200);
  check("an asynchronous memory sound outlives its object", hr == S_OK, hex(hr));

  // Late-bound with the type and the flags left out: WAVE, SND_SYNC.
  VARIANT args[1];
  VariantInit(&args[0]);
  V_VT(&args[0]) = VT_I4;
  V_I4(&args[0]) = 101;
  hr = invokeByName(wave, L"PlaySoundFromResourceFile", DISPATCH_METHOD, args, 1, nullptr);
  check("Invoke PlaySoundFromResourceFile with only the id", hr == S_OK, hex(hr));
  hr = wave->PlaySoundFromResourceFile(&id, nullptr, nullptr);
  check("early-bound with null pointers for the optional arguments", hr == S_OK, hex(hr));

  // By name, in any order: the flags (SND_MEMORY, synchronous) and the id;
  // the type left out. An id that the host lacks, given by name, is the
  // one the error names.
  DISPID playFromResource = 0;
  LPOLESTR memberName[] = {const_cast<LPOLESTR>(L"PlaySoundFromResourceFile")};
  wave->GetIDsOfNames(IID_NULL, memberName, 1, LOCALE_USER_DEFAULT, &playFromResource);
  VARIANT byName[2];
  V_VT(&byName[0]) = VT_I4;
  V_I4(&byName[0]) = SND_MEMORY;
  V_VT(&byName[1]) = VT_I4;
  V_I4(&byName[1]) = 101;
  DISPID names[2] = {2, 0};
  DISPPARAMS named{byName, names, 2, 2};
  hr = wave->Invoke(playFromResource, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &named, nullptr, nullptr,
                    nullptr);
  check("named arguments reach their parameters", hr == S_OK, hex(hr));
  V_I4(&byName[1]) = 998;
  EXCEPINFO missing{};
  hr = wave->Invoke(playFromResource, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &named, nullptr, &missing,
                    nullptr);
  check("a named id the host lacks is the one reported",
        hr == DISP_E_EXCEPTION && missing.bstrDescription &&
            std::wstring(missing.bstrDescription) == L"Resource with identifier '998' not found",
        hex(hr));
  SysFreeString(missing.bstrDescription);
  SysFreeString(missing.bstrSource);
  SysFreeString(missing.bstrHelpFile);

  V_I4(&id) = 999;
  EXCEPINFO exception{};
  VARIANT late[2];
  late[1] = id;   // arguments go in reverse order
  late[0] = type;
  hr = invokeByName(wave, L"PlaySoundFromResourceFile", DISPATCH_METHOD, late, 2, nullptr, &exception);
  check("a resource the host lacks fails", hr == DISP_E_EXCEPTION && exception.scode == static_cast<SCODE>(0x800A0146),
        hex(hr) + " " + hex(exception.scode));
  check("with the runtime's resource error text",
        exception.bstrDescription && std::wstring(exception.bstrDescription) == L"Resource with identifier '999' not found",
        exception.bstrDescription ? narrow(exception.bstrDescription) : "none");
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrSource);
  VariantClear(&type);
}

// The message boxes the watcher has recorded: "title<TAB>text" lines.
std::vector<std::string> messageBoxes() {
  std::ifstream log(narrow(environment(L"ORVALIS_MSGBOX_LOG")), std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(log, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

_clsVxAudoMCISoundRecA* gRecorder = nullptr;
int gTicks = 0;

void CALLBACK stopRecording(HWND, UINT, UINT_PTR, DWORD) {
  ++gTicks;
  if (gRecorder) gRecorder->StopRecording();
}

void recorder(const std::wstring& folder) {
  gRecorder = create<_clsVxAudoMCISoundRecA>(L"Orvalis.clsVxAudoMCISoundRecA", IID__clsVxAudoMCISoundRecA);
  check("creates the recorder", gRecorder != nullptr);
  if (!gRecorder) return;

  // A bits value that is no number fails before recsound is opened.
  const std::wstring file = folder + L"\\take.wav";
  BSTR name = SysAllocString(file.c_str());
  BSTR badBits = SysAllocString(L"sixteen");
  BSTR bits = SysAllocString(L"16");
  BSTR rate = SysAllocString(L"11025");
  SHORT result = -1;
  VARIANT noDuration;
  VariantInit(&noDuration);
  V_VT(&noDuration) = VT_ERROR;
  V_ERROR(&noDuration) = DISP_E_PARAMNOTFOUND;
  HRESULT hr = gRecorder->RecordSound(&name, &badBits, &rate, &noDuration, &result);
  check("bits that are no number fail with 0x800A000D", hr == static_cast<HRESULT>(0x800A000D), hex(hr));
  check("and show no message box", messageBoxes().empty());

  // One recording (Wine's mciwave does not survive a second one in a
  // process), stopped from the host's own timer while RecordSound waits.
  const UINT_PTR timer = SetTimer(nullptr, 0, 500, stopRecording);
  const DWORD start = GetTickCount();
  hr = gRecorder->RecordSound(&name, &bits, &rate, &noDuration, &result);
  const DWORD took = GetTickCount() - start;
  KillTimer(nullptr, timer);
  check("RecordSound returns 0", hr == S_OK && result == 0, hex(hr) + " result " + std::to_string(result));
  check("StopRecording from the host's timer ended the wait", gTicks >= 1 && took >= 400,
        std::to_string(gTicks) + " ticks, " + std::to_string(took) + " ms");
  std::printf("INFO RecordSound: %lu ms, %d timer ticks\n", static_cast<unsigned long>(took), gTicks);

  const std::vector<std::string> boxes = messageBoxes();
  for (const std::string& box : boxes) std::printf("INFO message box: %s\n", box.c_str());
  // Wine's MCI parser reads the empty word between the two blanks of
  // "record  recsound" as a device to open, and fails the command (281).
  // Nothing was recorded, so "save" fails too, with a code (5) that has no
  // MCI error text: its box shows what the call's error buffer last held.
  const std::string noDevice = "Error\tCannot determine the device type from the given filename extension.";
  check("the failed record and save commands each show a box titled Error with the MCI text",
        boxes == std::vector<std::string>{noDevice, noDevice}, std::to_string(boxes.size()) + " boxes");
  check("the failed save wrote no file", !exists(file));

  SysFreeString(name);
  SysFreeString(badBits);
  SysFreeString(bits);
  SysFreeString(rate);
  gRecorder->Release();
  gRecorder = nullptr;
}

}  // namespace

int main() {
  CoInitialize(nullptr);
  const std::wstring folder = environment(L"ORVALIS_E2E_TMP") + L"\\wave";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring files_ = folder + L"\\files";
  CreateDirectoryW(files_.c_str(), nullptr);
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((files_ + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      DeleteFileW((files_ + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }

  _clsVxAudoWaveFileA* wave = create<_clsVxAudoWaveFileA>(L"Orvalis.clsVxAudoWaveFileA", IID__clsVxAudoWaveFileA);
  check("creates the wave file object", wave != nullptr);
  if (wave) {
    images(wave);
    files(wave, files_);
    playback(wave, folder);
    resources(wave);
    wave->Release();
  }
  recorder(folder);
  CoUninitialize();
  return e2e::verdict();
}
