// MP3 player A from a C++ host: MP3ChangePositionTo writes the product back
// into the caller's Variant early-bound and through Invoke, into typed
// references in their own type, never into a value passed by value; an
// error of GetLastBackSlash reaches the caller with IErrorInfo. No device
// is opened: the file name stays empty.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "client_checks.h"
#include "com_client.h"
#include "fake_host.h"
#include "orvalis_h.h"

using e2e::check;
using e2e::hex;

namespace {

_clsVxAudoMP3PlayerA* createPlayer() { return e2e::create<_clsVxAudoMP3PlayerA>(L"Orvalis.clsVxAudoMP3PlayerA", IID__clsVxAudoMP3PlayerA); }

// Invokes MP3ChangePositionTo with one argument as given.
HRESULT changePosition(IDispatch* player, VARIANT& argument) {
  DISPPARAMS params{&argument, nullptr, 1, 0};
  VARIANT result;
  VariantInit(&result);
  UINT badArgument = 0;
  const HRESULT hr = player->Invoke(0x60030007, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                    &params, &result, nullptr, &badArgument);
  VariantClear(&result);
  return hr;
}

void earlyBound(_clsVxAudoMP3PlayerA* player) {
  VARIANT second, result;
  VariantInit(&second);
  V_VT(&second) = VT_I2;
  V_I2(&second) = 3;
  const HRESULT hr = player->MP3ChangePositionTo(&second, &result);
  check("MP3ChangePositionTo succeeds", SUCCEEDED(hr), hex(hr));
  check("its result is Empty", V_VT(&result) == VT_EMPTY);
  check("an Integer 3 becomes the Integer 3000", V_VT(&second) == VT_I2 && V_I2(&second) == 3000);
  player->MP3ChangePositionTo(&second, &result);
  check("again it widens to the Long 3000000", V_VT(&second) == VT_I4 && V_I4(&second) == 3000000);

  VariantClear(&second);
  V_VT(&second) = VT_BSTR;
  V_BSTR(&second) = SysAllocString(L"abc");
  player->MP3ChangePositionTo(&second, &result);
  check("text that is no number stays", V_VT(&second) == VT_BSTR && std::wstring(V_BSTR(&second)) == L"abc");
  VariantClear(&second);

  player->MP3PositionInSec(&result);
  check("MP3PositionInSec without a device is the text 0",
        V_VT(&result) == VT_BSTR && std::wstring(V_BSTR(&result)) == L"0");
  VariantClear(&result);
}

void lateBound(_clsVxAudoMP3PlayerA* player) {
  VARIANT argument;
  SHORT integer = 3;
  V_VT(&argument) = VT_BYREF | VT_I2;
  V_I2REF(&argument) = &integer;
  HRESULT hr = changePosition(player, argument);
  check("Invoke with a reference to an Integer succeeds", SUCCEEDED(hr), hex(hr));
  check("the Integer gets 3000", integer == 3000, std::to_string(integer));
  integer = 33;
  changePosition(player, argument);
  check("an Integer cannot hold 33000 and keeps 33", integer == 33, std::to_string(integer));

  BSTR text = SysAllocString(L"2");
  V_VT(&argument) = VT_BYREF | VT_BSTR;
  V_BSTRREF(&argument) = &text;
  changePosition(player, argument);
  check("a String variable gets the product's text", std::wstring(text) == L"2000");
  SysFreeString(text);

  VARIANT variable;
  V_VT(&variable) = VT_I4;
  V_I4(&variable) = 2;
  V_VT(&argument) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&argument) = &variable;
  changePosition(player, argument);
  check("a Variant variable gets the product's subtype", V_VT(&variable) == VT_I4 && V_I4(&variable) == 2000);

  V_VT(&argument) = VT_I2;
  V_I2(&argument) = 3;
  changePosition(player, argument);
  check("a value passed by value is left alone", V_VT(&argument) == VT_I2 && V_I2(&argument) == 3);
}

void errorToCaller(_clsVxAudoMP3PlayerA* player) {
  BSTR path = SysAllocString((std::wstring(40000, L'x') + L"\\a.mp3").c_str());
  BSTR name = nullptr;
  const HRESULT hr = player->GetLastBackSlash(&path, &name);
  check("GetLastBackSlash past position 32767 fails with overflow", hr == static_cast<HRESULT>(0x800A0006),
        hex(hr));
  IErrorInfo* info = nullptr;
  BSTR description = nullptr;
  if (GetErrorInfo(0, &info) == S_OK && info) {
    info->GetDescription(&description);
    info->Release();
  }
  check("with the description Overflow", description && std::wstring(description) == L"Overflow");
  SysFreeString(description);
  SysFreeString(name);
  SysFreeString(path);
}

// Values a Variant parameter takes though the member cannot use them: an
// array, an object without IDispatch, a record. MP3ChangePositionTo skips
// the multiplication (and the commands that would carry the product) and
// returns Empty, leaving the caller's variable as it was; the playlist
// members find no list object and return Empty.
void valuesItCannotOpen(_clsVxAudoMP3PlayerA* player) {
  const GUID mixerControl = {0x51A5326D, 0xB741, 0x4F3C, {0xB0, 0x86, 0xE9, 0x36, 0x30, 0x98, 0x47, 0x0B}};
  IRecordInfo* record = nullptr;
  GetRecordInfoFromGuids(LIBID_Orvalis, 1, 0, 0x409, mixerControl, &record);
  static BYTE recordBytes[148];
  std::vector<std::pair<std::string, VARIANT>> values(3);
  for (auto& [name, v] : values) VariantInit(&v);
  values[0].first = "an array";
  SAFEARRAYBOUND bound{3, 0};
  V_VT(&values[0].second) = VT_ARRAY | VT_I4;
  V_ARRAY(&values[0].second) = SafeArrayCreate(VT_I4, 1, &bound);
  values[1].first = "an object without IDispatch";
  V_VT(&values[1].second) = VT_UNKNOWN;
  V_UNKNOWN(&values[1].second) = e2e::PlainObject::create();
  values[2].first = "a record";
  V_VT(&values[2].second) = VT_RECORD;
  V_RECORD(&values[2].second) = recordBytes;
  V_RECORDINFO(&values[2].second) = record;

  for (auto& [name, value] : values) {
    if (V_VT(&value) == VT_RECORD && !record) continue;
    const VARIANT before = value;
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = player->MP3ChangePositionTo(&value, &result);
    check("MP3ChangePositionTo takes " + name + " and returns Empty", hr == S_OK && V_VT(&result) == VT_EMPTY,
          hex(hr));
    check("and leaves the caller's " + name + " as it was", std::memcmp(&value, &before, sizeof value) == 0);
    VariantClear(&result);

    changePosition(player, value);
    check("late-bound too, " + name + " stays as it was", std::memcmp(&value, &before, sizeof value) == 0);

    BSTR path = SysAllocString(L"never-written.m3u");
    hr = player->MP3SavePlayList(&path, &value, &result);
    check("MP3SavePlayList with " + name + " for the list returns Empty", hr == S_OK && V_VT(&result) == VT_EMPTY,
          hex(hr));
    hr = player->MP3OpenPlayList(&path, &value, &result);
    check("MP3OpenPlayList with " + name + " for the list returns Empty", hr == S_OK && V_VT(&result) == VT_EMPTY,
          hex(hr));
    SysFreeString(path);
    if (V_VT(&value) != VT_RECORD) VariantClear(&value);
  }
  if (record) record->Release();
}

// The bytes of a file read through its plain name, or "(unreadable)".
std::string fileBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "(unreadable)";
  char buffer[256];
  DWORD read = 0;
  ReadFile(file, buffer, sizeof buffer, &read, nullptr);
  CloseHandle(file);
  return std::string(buffer, read);
}

// A playlist saved into a folder whose path is longer than MAX_PATH less
// 14, where the platform's temporary-name call gives up, but short enough
// that the playlist itself opens by its plain name.
void saveInALongFolder(_clsVxAudoMP3PlayerA* player) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"orvalis-long";
  const std::wstring top = folder;
  CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr);
  while (folder.size() < 250) {
    folder += L"\\" + std::wstring(std::min<size_t>(100, 250 - folder.size() - 1), L'd');
    CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr);
  }
  const std::wstring target = folder + L"\\m.m3u";
  HANDLE probe = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  check("a direct open works in the " + std::to_string(folder.size()) + "-character folder",
        probe != INVALID_HANDLE_VALUE);
  if (probe != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(probe, "old\r\n", 5, &written, nullptr);
    CloseHandle(probe);
  }

  e2e::FakeHost* host = e2e::FakeHost::create();  // a.mp3, b.mp3
  BSTR path = SysAllocString(target.c_str());
  VARIANT list, result;
  V_VT(&list) = VT_DISPATCH;
  V_DISPATCH(&list) = host;
  const HRESULT hr = player->MP3SavePlayList(&path, &list, &result);
  check("MP3SavePlayList into the long folder returns normally", SUCCEEDED(hr), hex(hr));
  check("and replaces the old playlist with both entries", fileBytes(target) == "a.mp3\r\nb.mp3\r\n",
        fileBytes(target));
  SysFreeString(path);
  host->Release();

  // Only the playlist is left in the folder: no temporary file beside it.
  WIN32_FIND_DATAW found;
  int files = 0;
  HANDLE search = FindFirstFileW((L"\\\\?\\" + folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do files += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
    while (FindNextFileW(search, &found));
    FindClose(search);
  }
  check("no temporary file is left beside it (" + std::to_string(files) + " files)", files == 1);

  DeleteFileW((L"\\\\?\\" + target).c_str());
  for (std::wstring level = folder; level.size() >= top.size(); level.resize(level.find_last_of(L'\\')))
    RemoveDirectoryW((L"\\\\?\\" + level).c_str());
}

// A host's list whose List and AddItem bind only references of their own
// types gets the save's Integer indexes and ListNoChar's String titles; a
// script host's list, which binds only references to Variants, gets them
// too (the call goes again with Variant references).
void typedReferencesToHostLists(_clsVxAudoMP3PlayerA* player) {
  using e2e::FakeHost;
  FakeHost* typed = FakeHost::create();
  typed->bindReferences(FakeHost::References::Typed);
  const std::wstring path = e2e::environment(L"ORVALIS_E2E_TMP") + L"\\typed-host.m3u";
  DeleteFileW(path.c_str());
  BSTR file = SysAllocString(path.c_str());
  VARIANT box;
  V_VT(&box) = VT_DISPATCH;
  V_DISPATCH(&box) = typed;
  VARIANT result;
  VariantInit(&result);
  HRESULT hr = player->MP3SavePlayList(&file, &box, &result);
  std::string saved;
  if (HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      handle != INVALID_HANDLE_VALUE) {
    char bytes[64];
    DWORD read = 0;
    ReadFile(handle, bytes, sizeof bytes, &read, nullptr);
    saved.assign(bytes, read);
    CloseHandle(handle);
  }
  check("MP3SavePlayList reads a typed host's entries with Integer references",
        hr == S_OK && saved == "a.mp3\r\nb.mp3\r\n" && typed->refused() == 0,
        hex(hr) + " [" + saved + "] " + std::to_string(typed->refused()) + " refused");
  DeleteFileW(path.c_str());
  SysFreeString(file);

  // ListNoChar's own index is a Variant loop counter: the source list binds
  // any reference, the target only typed ones.
  FakeHost* paths = FakeHost::create();
  IDispatch* titles = typed;
  IDispatch* source = paths;
  hr = player->ListNoChar(&titles, &source);
  check("ListNoChar adds the titles to a typed host with String references",
        hr == S_OK && typed->refused() == 0, hex(hr) + " " + std::to_string(typed->refused()) + " refused");

  FakeHost* script = FakeHost::create();
  script->bindReferences(FakeHost::References::Variants);
  titles = script;
  hr = player->ListNoChar(&titles, &source);
  check("a script host's list refuses each String reference and takes the Variant one",
        hr == S_OK && script->refused() == 2 && script->calls() == 4,
        hex(hr) + " " + std::to_string(script->refused()) + " refused, " + std::to_string(script->calls()) + " calls");
  // What a host leaves in the Variant loop counter is not read back.
  paths->writeArraysBack();
  hr = player->ListNoChar(&titles, &source);
  check("ListNoChar goes on when the host leaves an array in its counter", hr == S_OK, hex(hr));
  script->Release();
  paths->Release();
  typed->Release();
}

}  // namespace

int main() {
  CoInitialize(nullptr);
  _clsVxAudoMP3PlayerA* player = createPlayer();
  check("CoCreateInstance by ProgID", player != nullptr);
  if (player) {
    earlyBound(player);
    lateBound(player);
    errorToCaller(player);
    saveInALongFolder(player);
    valuesItCannotOpen(player);
    typedReferencesToHostLists(player);
    player->Release();
  }
  CoUninitialize();
  return e2e::verdict();
}
