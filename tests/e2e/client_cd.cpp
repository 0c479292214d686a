// The CD classes from a C++ host where drive D: is a CD-ROM drive backed by
// an empty folder (its CD audio device opens but is not ready): startCD's
// by-reference drive text early-bound and through Invoke, the refused
// second open's error code, the CD-ROM collection early-bound (IEnumVARIANT
// included) and late-bound, the count written into Variants of several
// kinds, and player A's outputs left alone by a failed reading.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <string>

#include "client_checks.h"
#include "com_client.h"
#include "orvalis_h.h"

using e2e::check;
using e2e::hex;

// From winmm; <mmsystem.h> stays out, as its records share names with the
// library's.
extern "C" BOOL WINAPI mciGetErrorStringA(DWORD code, LPSTR text, UINT length);
constexpr UINT kMciErrorBase = 256;

namespace {

using e2e::environment;
using e2e::narrow;
using e2e::create;

std::wstring text(BSTR value) { return value ? std::wstring(value, SysStringLen(value)) : std::wstring(); }
std::wstring beforeNul(const std::wstring& value) { return value.substr(0, value.find(L'\0')); }

HRESULT invoke(IDispatch* object, DISPID id, WORD flags, VARIANT* args, UINT count, VARIANT* result) {
  DISPPARAMS params{args, nullptr, count, 0};
  EXCEPINFO exception{};
  UINT badArgument = 0;
  const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &exception,
                                    &badArgument);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrHelpFile);
  return hr;
}

// What checkError must give for a code: the service's text written into
// 255 blanks (Wine has no text for 0 and leaves the blanks).
std::wstring serviceText(UINT code) {
  std::string buffer(255, ' ');
  mciGetErrorStringA(code, buffer.data(), 255);
  return std::wstring(buffer.begin(), buffer.end());
}

std::wstring checkError(_clsVxAudoCDPlayerB* player) {
  BSTR error = nullptr;
  player->checkError(&error);
  const std::wstring value = text(error);
  SysFreeString(error);
  return value;
}

void startCD(_clsVxAudoCDPlayerB* player, const std::wstring& cdrom) {
  check("checkError of a fresh object is the service's text for 0 in 255 characters",
        checkError(player) == serviceText(0));

  VARIANT result;
  BSTR drive = SysAllocString(cdrom.c_str());
  HRESULT hr = player->startCD(&drive, &result);
  check("startCD on the CD-ROM drive returns S_OK", hr == S_OK, hex(hr));
  check("startCD writes the quoted drive back into the caller's variable",
        text(drive) == L"\"" + cdrom + L"\"", narrow(text(drive)));
  check("the open succeeds: checkError gives the text for 0", checkError(player) == serviceText(0));

  // A second open while the alias is in use is refused; only lastMciError,
  // and with it checkError, shows it.
  SysFreeString(drive);
  drive = SysAllocString(cdrom.c_str());
  hr = player->startCD(&drive, &result);
  check("a second startCD returns S_OK", hr == S_OK, hex(hr));
  check("... quotes the caller's variable as well", text(drive) == L"\"" + cdrom + L"\"");
  check("... and its refusal is MCIERR_DUPLICATE_ALIAS in checkError: " +
            narrow(beforeNul(serviceText(kMciErrorBase + 33))),
        checkError(player) == serviceText(kMciErrorBase + 33));
  SysFreeString(drive);

  // Through Invoke a reference comes back quoted too.
  BSTR byReference = SysAllocString(cdrom.c_str());
  VARIANT argument;
  V_VT(&argument) = VT_BYREF | VT_BSTR;
  V_BSTRREF(&argument) = &byReference;
  VariantInit(&result);
  hr = invoke(player, 0x60030004, DISPATCH_METHOD, &argument, 1, &result);
  check("Invoke startCD with a reference", SUCCEEDED(hr), hex(hr));
  check("Invoke startCD quotes the referenced text", text(byReference) == L"\"" + cdrom + L"\"",
        narrow(text(byReference)));
  SysFreeString(byReference);
  player->closeAll(&result);
}

void collectionEarlyBound(_clsVxAudoCDRomA* roms, const std::wstring& cdrom) {
  VARIANT count;
  VariantInit(&count);
  _Collection* drives = nullptr;
  HRESULT hr = roms->CDRomsCollection(&count, &drives);
  check("CDRomsCollection", SUCCEEDED(hr) && drives, hex(hr));
  check("the count comes back as VT_I2 1", V_VT(&count) == VT_I2 && V_I2(&count) == 1);
  if (!drives) return;

  LONG items = 0;
  drives->Count(&items);
  check("Count is 1", items == 1, std::to_string(items));
  VARIANT index, item;
  V_VT(&index) = VT_I4;
  V_I4(&index) = 1;
  hr = drives->Item(&index, &item);
  check("Item(1) is the drive's root", SUCCEEDED(hr) && V_VT(&item) == VT_BSTR && text(V_BSTR(&item)) == cdrom);
  VariantClear(&item);
  V_I4(&index) = 2;
  hr = drives->Item(&index, &item);
  check("Item(2) fails with 0x800A0009", hr == static_cast<HRESULT>(0x800A0009), hex(hr));

  IUnknown* unknown = nullptr;
  IEnumVARIANT* items2 = nullptr;
  drives->_NewEnum(&unknown);
  if (unknown) unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&items2));
  check("_NewEnum gives an IEnumVARIANT", items2 != nullptr);
  if (items2) {
    VARIANT fetched[2];
    ULONG got = 0;
    hr = items2->Next(2, fetched, &got);
    check("Next(2) gives the one item and S_FALSE", hr == S_FALSE && got == 1 &&
                                                        text(V_BSTR(&fetched[0])) == cdrom);
    VariantClear(&fetched[0]);
    items2->Reset();
    IEnumVARIANT* clone = nullptr;
    items2->Clone(&clone);
    check("Clone after Reset starts again", clone && clone->Next(1, fetched, nullptr) == S_OK);
    if (clone) {
      VariantClear(&fetched[0]);
      clone->Release();
    }
    items2->Release();
  }
  if (unknown) unknown->Release();

  // Late-bound on the same object: the default member and Count by name.
  V_VT(&index) = VT_I2;
  V_I2(&index) = 1;
  VariantInit(&item);
  hr = invoke(drives, DISPID_VALUE, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &index, 1, &item);
  check("Invoke of the default member gives the item", SUCCEEDED(hr) && text(V_BSTR(&item)) == cdrom, hex(hr));
  VariantClear(&item);
  DISPID countId = 0;
  LPOLESTR name = const_cast<LPOLESTR>(L"count");
  hr = drives->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &countId);
  check("GetIDsOfNames finds Count", SUCCEEDED(hr) && countId == 2, hex(hr));
  drives->Release();

  // The count goes into a referenced variable of the caller's own type.
  LONG longCount = -5;
  V_VT(&count) = VT_BYREF | VT_I4;
  V_I4REF(&count) = &longCount;
  hr = roms->CDRomsCollection(&count, &drives);
  check("CDRomsCollection with a referenced Long", SUCCEEDED(hr) && longCount == 1, std::to_string(longCount));
  if (SUCCEEDED(hr)) drives->Release();
}

void collectionLateBound(IDispatch* roms) {
  VARIANT count, argument, result;
  VariantInit(&count);
  V_VT(&count) = VT_BSTR;
  V_BSTR(&count) = SysAllocString(L"not read");
  V_VT(&argument) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&argument) = &count;
  VariantInit(&result);
  HRESULT hr = invoke(roms, 0x60030002, DISPATCH_METHOD, &argument, 1, &result);
  check("Invoke CDRomsCollection", SUCCEEDED(hr) && V_VT(&result) == VT_DISPATCH, hex(hr));
  check("the referenced Variant becomes VT_I2 1", V_VT(&count) == VT_I2 && V_I2(&count) == 1);
  VariantClear(&count);
  VariantClear(&result);
}

// GetCDPosition of an empty reply fails before its first output.
void playerAOutputs() {
  auto* player = create<_clsVxAudoCDPlayerA>(L"Orvalis.clsVxAudoCDPlayerA", IID__clsVxAudoCDPlayerA);
  check("creates clsVxAudoCDPlayerA", player != nullptr);
  if (!player) return;
  SHORT track = 7, minutes = 8, seconds = 9;
  const HRESULT hr = player->GetCDPosition(&track, &minutes, &seconds);
  check("GetCDPosition with no device fails with 0x800A000D", hr == static_cast<HRESULT>(0x800A000D), hex(hr));
  check("... and leaves the three outputs", track == 7 && minutes == 8 && seconds == 9);
  player->Release();
}

void moduleStaysWhileACollectionLives(_clsVxAudoCDRomA* roms) {
  auto canUnload = e2e::canUnloadNowOf(GetModuleHandleW(L"orvalis.dll"));
  VARIANT count;
  VariantInit(&count);
  _Collection* drives = nullptr;
  roms->CDRomsCollection(&count, &drives);
  IUnknown* enumerator = nullptr;
  if (drives) drives->_NewEnum(&enumerator);
  roms->Release();
  check("DllCanUnloadNow says no while a collection lives", canUnload && canUnload() == S_FALSE);
  if (drives) drives->Release();
  check("... and while an enumerator lives", canUnload && canUnload() == S_FALSE);
  if (enumerator) enumerator->Release();
  check("DllCanUnloadNow says yes once both are released", canUnload && canUnload() == S_OK);
}

}  // namespace

int main() {
  CoInitialize(nullptr);
  const std::wstring cdrom = environment(L"ORVALIS_CDROM_DRIVE");
  check("ORVALIS_CDROM_DRIVE names a drive", cdrom.size() == 3, narrow(cdrom));
  check("Wine reports it as a CD-ROM drive", GetDriveTypeW(cdrom.c_str()) == DRIVE_CDROM);

  if (auto* player = create<_clsVxAudoCDPlayerB>(L"Orvalis.clsVxAudoCDPlayerB", IID__clsVxAudoCDPlayerB)) {
    startCD(player, cdrom);
    player->Release();
  } else {
    check("creates clsVxAudoCDPlayerB", false);
  }
  if (auto* roms = create<_clsVxAudoCDRomA>(L"Orvalis.clsVxAudoCDRomA", IID__clsVxAudoCDRomA)) {
    collectionEarlyBound(roms, cdrom);
    collectionLateBound(roms);
    moduleStaysWhileACollectionLives(roms);
  } else {
    check("creates clsVxAudoCDRomA", false);
  }
  playerAOutputs();
  CoUninitialize();
  return e2e::verdict();
}
