// The library information class from a C++ host: the module's own
// resources byte for byte, the runtime errors of the loaders, the
// application object late-bound, and the per-thread shared object slot
// across two objects, two apartment threads and the end of an apartment.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstring>
#include <string>
#include <vector>

#include "client_checks.h"
#include "com_client.h"
#include "orvalis_h.h"

using e2e::check;
using e2e::hex;

namespace {

using e2e::narrow;
using e2e::errorDescription;

_clsVxOrvalisA* createInfo() { return e2e::create<_clsVxOrvalisA>(L"Orvalis.clsVxOrvalisA", IID__clsVxOrvalisA); }

// An object that only counts its references, to see who holds it.
class Counted final : public IDispatch {
 public:
  LONG references() const { return references_; }
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (riid != IID_IUnknown && riid != IID_IDispatch) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = this;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&references_); }
  STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&references_); }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override { *count = 0; return S_OK; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  LONG references_ = 1;  // the test's own
};

// --- Resources ---------------------------------------------------------------------

struct ClassIid {
  const char* name;
  const IID& iid;
};
const ClassIid kClasses[] = {
    {"clsVxOrvalisA", IID__clsVxOrvalisA},           {"clsVxAudoWMixerA", IID__clsVxAudoWMixerA},
    {"clsVxAudoGeneralA", IID__clsVxAudoGeneralA},   {"clsVxAudoAdvancedA", IID__clsVxAudoAdvancedA},
    {"clsVxAudoMP3PlayerA", IID__clsVxAudoMP3PlayerA}, {"clsVxAudoMP3PlayerB", IID__clsVxAudoMP3PlayerB},
    {"clsVxAudoMCISoundRecA", IID__clsVxAudoMCISoundRecA}, {"clsVxAudoWaveFileA", IID__clsVxAudoWaveFileA},
    {"clsVxAudoWMixerB", IID__clsVxAudoWMixerB},     {"clsVxAudoCDRomA", IID__clsVxAudoCDRomA},
    {"clsVxAudoCDPlayerA", IID__clsVxAudoCDPlayerA}, {"clsVxAudoCDPlayerB", IID__clsVxAudoCDPlayerB},
};

// GetProResData's bytes, or an empty vector with `hr` set on failure.
std::vector<BYTE> resourceData(_clsVxOrvalisA* info, LONG id, VARIANT type, HRESULT& hr) {
  VARIANT result;
  VariantInit(&result);
  hr = info->get_GetProResData(&id, &type, &result);
  std::vector<BYTE> bytes;
  if (SUCCEEDED(hr) && V_VT(&result) == (VT_ARRAY | VT_UI1)) {
    void* data = nullptr;
    SafeArrayAccessData(V_ARRAY(&result), &data);
    bytes.assign(static_cast<BYTE*>(data), static_cast<BYTE*>(data) + V_ARRAY(&result)->rgsabound[0].cElements);
    SafeArrayUnaccessData(V_ARRAY(&result));
  }
  VariantClear(&result);
  return bytes;
}

VARIANT typeName(const wchar_t* name) {
  VARIANT type;
  V_VT(&type) = VT_BSTR;
  V_BSTR(&type) = SysAllocString(name);
  return type;
}

// The module's own copy of a resource, read from the loaded orvalis.dll.
std::vector<BYTE> moduleResource(LPCWSTR id, LPCWSTR type) {
  HMODULE module = GetModuleHandleW(L"orvalis.dll");
  HRSRC found = module ? FindResourceW(module, id, type) : nullptr;
  if (!found) return {};
  const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  return std::vector<BYTE>(bytes, bytes + SizeofResource(module, found));
}

void resources(_clsVxOrvalisA* info) {
  HRESULT hr;
  int matching = 0;
  for (const ClassIid& entry : kClasses) {
    std::string upper = entry.name;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    const std::wstring name = L"_IID_" + std::wstring(upper.begin(), upper.end());
    VARIANT type = typeName(name.c_str());
    const std::vector<BYTE> bytes = resourceData(info, 1, type, hr);
    VariantClear(&type);
    DWORD length = 0;
    if (bytes.size() == 20) std::memcpy(&length, bytes.data(), 4);
    if (SUCCEEDED(hr) && bytes.size() == 20 && length == 16 && std::memcmp(&bytes[4], &entry.iid, 16) == 0)
      ++matching;
    else
      check(std::string("per-class resource of ") + entry.name, false, hex(hr) + ", " + std::to_string(bytes.size()) + " bytes");
  }
  check("the 12 per-class resources are 20 bytes: length 16, then the class's IID", matching == 12);

  VARIANT type = typeName(L"TYPELIB");
  std::vector<BYTE> bytes = resourceData(info, 1, type, hr);
  check("the type library's bytes are the module's TYPELIB 1, starting MSFT",
        bytes.size() > 4 && bytes == moduleResource(MAKEINTRESOURCEW(1), L"TYPELIB") &&
            std::memcmp(bytes.data(), "MSFT", 4) == 0,
        std::to_string(bytes.size()) + " bytes");
  VARIANT version;
  V_VT(&version) = VT_I2;
  V_I2(&version) = 16;
  bytes = resourceData(info, 1, version, hr);
  check("the version resource's bytes (type 16) are the module's",
        !bytes.empty() && bytes == moduleResource(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16)));

  bytes = resourceData(info, 2, type, hr);
  check("GetProResData(2, \"TYPELIB\") fails with error 326", hr == static_cast<HRESULT>(0x800A0146), hex(hr));
  const std::wstring description = errorDescription();
  check("with the runtime's description", description == L"Resource with identifier '2' not found",
        narrow(description));
  VariantClear(&type);

  // The by-reference id and kind are read, never written back.
  LONG id = 101;
  LoadResConstants kind = static_cast<LoadResConstants>(40000);
  IPictureDisp* picture = nullptr;
  hr = info->get_GetProResPicture(&id, &kind, &picture);
  check("a picture kind of 40000 overflows", hr == static_cast<HRESULT>(0x800A0006), hex(hr));
  check("the id and kind stay as they were", id == 101 && kind == 40000);
  if (picture) picture->Release();
}

// --- The application object --------------------------------------------------------

HRESULT readProperty(IDispatch* object, const wchar_t* name, VARIANT* value) {
  DISPID id;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  DISPPARAMS none{};
  VariantInit(value);
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value, nullptr, nullptr);
}

void applicationObject(_clsVxOrvalisA* info) {
  IDispatch* app = nullptr;
  IDispatch* again = nullptr;
  info->get_GetProStdProperties(&app);
  info->get_GetProStdProperties(&again);
  check("GetProStdProperties gives one object per thread", app && app == again);
  if (again) again->Release();
  if (!app) return;

  VARIANT value;
  const HRESULT hr = readProperty(app, L"hInstance", &value);
  // A Long in 32-bit code, a LongLong (all of a 64-bit handle) in 64-bit code.
  const LONG_PTR module = reinterpret_cast<LONG_PTR>(GetModuleHandleW(L"orvalis.dll"));
  const bool whole = sizeof module == 8 ? V_VT(&value) == VT_I8 && V_I8(&value) == module
                                        : V_VT(&value) == VT_I4 && V_I4(&value) == module;
  check("hInstance is orvalis.dll's module handle, not the host's", hr == S_OK && whole);
  app->Release();
}

// --- The shared object slot ------------------------------------------------------------

struct SecondThread {
  bool sawNothing = false;
  bool ownSlotWorks = false;
  LONG ownObjectAfterUninitialize = 0;
  bool appThreadIdDiffers = false;
  DWORD firstThreadId = 0;
};

DWORD WINAPI secondApartment(void* parameter) {
  auto& result = *static_cast<SecondThread*>(parameter);
  CoInitialize(nullptr);
  Counted own;
  if (_clsVxOrvalisA* info = createInfo()) {
    IDispatch* seen = reinterpret_cast<IDispatch*>(1);
    result.sawNothing = SUCCEEDED(info->get_BuddyObjectGlobal(&seen)) && seen == nullptr;
    info->putref_BuddyObjectGlobal(&own);
    info->get_BuddyObjectGlobal(&seen);
    result.ownSlotWorks = seen == &own;
    if (seen) seen->Release();
    IDispatch* app = nullptr;
    info->get_GetProStdProperties(&app);
    VARIANT thread;
    if (app && readProperty(app, L"ThreadID", &thread) == S_OK)
      result.appThreadIdDiffers = V_I4(&thread) == static_cast<LONG>(GetCurrentThreadId()) &&
                                  static_cast<DWORD>(V_I4(&thread)) != result.firstThreadId;
    if (app) app->Release();
    info->Release();
  }
  CoUninitialize();
  result.ownObjectAfterUninitialize = own.references();
  return 0;
}

struct FirstThread {
  Counted buddy;
  Counted replacement;
};

DWORD WINAPI firstApartment(void* parameter) {
  auto& objects = *static_cast<FirstThread*>(parameter);
  CoInitialize(nullptr);
  _clsVxOrvalisA* one = createInfo();
  _clsVxOrvalisA* two = createInfo();
  if (!one || !two) {
    check("two clsVxOrvalisA objects on one thread", false);
    return 1;
  }
  IDispatch* seen = nullptr;
  check("putref BuddyObjectGlobal", SUCCEEDED(one->putref_BuddyObjectGlobal(&objects.buddy)));
  two->get_BuddyObjectGlobal(&seen);
  check("a second object on the thread gets the same object", seen == &objects.buddy);
  if (seen) seen->Release();
  check("the slot holds one reference", objects.buddy.references() == 2, std::to_string(objects.buddy.references()));

  SecondThread second;
  second.firstThreadId = GetCurrentThreadId();
  HANDLE thread = CreateThread(nullptr, 0, secondApartment, &second, 0, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  check("an object on a second apartment thread sees Nothing", second.sawNothing);
  check("and keeps its own object in its own slot", second.ownSlotWorks);
  check("that thread's application object is its own", second.appThreadIdDiffers);
  check("the end of that apartment releases its slot", second.ownObjectAfterUninitialize == 1,
        std::to_string(second.ownObjectAfterUninitialize));
  two->get_BuddyObjectGlobal(&seen);
  check("the first thread's slot is untouched", seen == &objects.buddy);
  if (seen) seen->Release();

  // A put by value is no member of the interface.
  DISPID id;
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"BuddyObjectGlobal")};
  two->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  VARIANT value;
  V_VT(&value) = VT_DISPATCH;
  V_DISPATCH(&value) = &objects.replacement;
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{&value, &put, 1, 1};
  HRESULT hr = two->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
  check("BuddyObjectGlobal has no put by value", hr == DISP_E_MEMBERNOTFOUND, hex(hr));
  hr = two->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUTREF, &params, nullptr, nullptr, nullptr);
  check("Invoke with a put by reference sets it", hr == S_OK && objects.buddy.references() == 1 &&
                                                        objects.replacement.references() == 2,
        hex(hr));
  one->putref_BuddyObjectGlobal(&objects.replacement);
  check("setting the same object again keeps one reference", objects.replacement.references() == 2,
        std::to_string(objects.replacement.references()));

  // The slot belongs to the thread, not to the objects: it outlives them.
  one->Release();
  two->Release();
  _clsVxOrvalisA* three = createInfo();
  seen = nullptr;
  if (three) three->get_BuddyObjectGlobal(&seen);
  check("a later object on the thread still sees the object", seen == &objects.replacement);
  if (seen) seen->Release();
  if (three) three->Release();
  CoUninitialize();
  check("the end of the thread's apartment releases the slot's object", objects.replacement.references() == 1,
        std::to_string(objects.replacement.references()));
  return 0;
}

// Arguments after BuddyObjectGlobal (info.BuddyObjectGlobal("k") in a
// script) go to the default member of the object in the slot; with the slot
// empty that is error 91, as for any object variable set to Nothing.
void defaultMemberOfTheSlot(_clsVxOrvalisA* info) {
  DISPID id;
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"BuddyObjectGlobal")};
  info->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  VARIANT key;
  V_VT(&key) = VT_BSTR;
  V_BSTR(&key) = SysAllocString(L"k");
  DISPPARAMS params{&key, nullptr, 1, 0};
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO exception{};
  const WORD flags = DISPATCH_PROPERTYGET | DISPATCH_METHOD;
  HRESULT hr = info->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, &exception, nullptr);
  check("an argument after an empty BuddyObjectGlobal is error 91",
        hr == DISP_E_EXCEPTION && exception.scode == static_cast<SCODE>(0x800A005B) && exception.bstrDescription &&
            narrow(exception.bstrDescription) == "Object variable or With block variable not set",
        hex(hr) + " " + hex(exception.scode));
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);

  CLSID clsid;
  IDispatch* dictionary = nullptr;
  if (FAILED(CLSIDFromProgID(L"Scripting.Dictionary", &clsid)) ||
      FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(&dictionary)))) {
    check("Scripting.Dictionary for the slot", false);
    VariantClear(&key);
    return;
  }
  VARIANT item[2];  // Add "k", "v" (arguments last to first)
  V_VT(&item[0]) = VT_BSTR;
  V_BSTR(&item[0]) = SysAllocString(L"v");
  item[1] = key;
  DISPPARAMS add{item, nullptr, 2, 0};
  LPOLESTR addName[] = {const_cast<LPOLESTR>(L"Add")};
  DISPID addId;
  dictionary->GetIDsOfNames(IID_NULL, addName, 1, LOCALE_USER_DEFAULT, &addId);
  dictionary->Invoke(addId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &add, nullptr, nullptr, nullptr);
  VariantClear(&item[0]);
  info->putref_BuddyObjectGlobal(dictionary);
  hr = info->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, nullptr, nullptr);
  check("an argument after BuddyObjectGlobal reaches the default member of the object in the slot",
        hr == S_OK && V_VT(&result) == VT_BSTR && narrow(V_BSTR(&result)) == "v", hex(hr));
  VariantClear(&result);
  info->putref_BuddyObjectGlobal(nullptr);
  dictionary->Release();
  VariantClear(&key);
}

// --- About with in-process framework stand-ins ---------------------------------

// A framework class of this process, registered over vxbrennet.dll's class
// id so that About's CreateObject reaches it. Its Invoke is hand-written:
// it sees the arguments exactly as the library sends them.
class StandIn : public IDispatch {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (riid != IID_IUnknown && riid != IID_IDispatch) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }  // lives as long as the test
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override { *count = 0; return S_OK; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* id) override {
    *id = _wcsicmp(names[0], L"AppAboutVxel") == 0 || _wcsicmp(names[0], L"ErrorHandlerMessageVx") == 0
              ? 1
              : DISPID_UNKNOWN;
    return *id == 1 ? S_OK : DISP_E_UNKNOWNNAME;
  }
};

// A one-dimensional array of two Longs in a VARIANT: a value the library
// has no reading for.
void putArray(VARIANT* variable) {
  VariantClear(variable);
  V_VT(variable) = VT_ARRAY | VT_I4;
  V_ARRAY(variable) = SafeArrayCreateVector(VT_I4, 0, 2);
}

// The About class: AppAboutVxel raises an error with its own source, or
// returns an array.
class AboutStandIn final : public StandIn {
 public:
  bool fails = false;
  int calls = 0;
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO* exception,
                      UINT*) override {
    ++calls;
    if (fails) {
      *exception = EXCEPINFO{};
      exception->scode = static_cast<SCODE>(0x800A01B6);  // 438
      exception->bstrSource = SysAllocString(L"StandIn.About");
      exception->bstrDescription = SysAllocString(L"no box here");
      return DISP_E_EXCEPTION;
    }
    if (result) putArray(result);
    return S_OK;
  }
};

// The error handler. Typed: it binds the arguments as a framework declared
// with Object, Object, String, String, Long, String, Long by reference and
// a Variant refuses all else (a type mismatch, before the member runs).
// Script-like: it takes only references to Variants, and writes an array
// back into the first text and returns one.
class ReportStandIn final : public StandIn {
 public:
  bool scriptLike = false;
  int refused = 0;
  int reports = 0;
  bool nullTexts = false;
  std::wstring location, source, description;
  LONG number = 0;
  std::vector<LONG> numbers;  // of every report

  bool fails = false;

  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                      UINT* badArgument) override {
    if (params->cArgs != 8) return DISP_E_BADPARAMCOUNT;
    if (fails) {
      *exception = EXCEPINFO{};
      exception->scode = static_cast<SCODE>(0x800A0005);
      exception->bstrSource = SysAllocString(L"StandIn.Report");
      exception->bstrDescription = SysAllocString(L"report refused");
      return DISP_E_EXCEPTION;
    }
    VARIANT* args = params->rgvarg;  // last argument first
    static const VARTYPE typed[7] = {VT_DISPATCH, VT_DISPATCH, VT_BSTR, VT_BSTR, VT_I4, VT_BSTR, VT_I4};
    for (int i = 0; i < 7; ++i) {
      const VARTYPE wanted = VT_BYREF | (scriptLike ? VARTYPE{VT_VARIANT} : typed[i]);
      if (V_VT(&args[7 - i]) != wanted) {
        ++refused;
        if (badArgument) *badArgument = 7 - i;
        return DISP_E_TYPEMISMATCH;
      }
    }
    if (V_VT(&args[0]) != VT_ERROR || V_ERROR(&args[0]) != DISP_E_PARAMNOTFOUND) return DISP_E_TYPEMISMATCH;
    ++reports;
    if (scriptLike) {
      const VARIANT* error = V_VARIANTREF(&args[6]);
      readError(V_VT(error) == VT_DISPATCH ? V_DISPATCH(error) : nullptr);
      putArray(V_VARIANTREF(&args[5]));
    } else {
      nullTexts = *V_BSTRREF(&args[5]) == nullptr && *V_BSTRREF(&args[2]) == nullptr;
      location = *V_BSTRREF(&args[4]) ? *V_BSTRREF(&args[4]) : L"";
      readError(*V_DISPATCHREF(&args[6]));
    }
    numbers.push_back(number);
    if (result) putArray(result);
    return S_OK;
  }

 private:
  void readError(IDispatch* error) {
    VARIANT value;
    if (error && readProperty(error, L"Source", &value) == S_OK && V_VT(&value) == VT_BSTR)
      source = V_BSTR(&value);
    VariantClear(&value);
    if (error && readProperty(error, L"Description", &value) == S_OK && V_VT(&value) == VT_BSTR)
      description = V_BSTR(&value);
    VariantClear(&value);
    if (error && readProperty(error, L"Number", &value) == S_OK && V_VT(&value) == VT_I4) number = V_I4(&value);
    VariantClear(&value);
  }
};

// Hands out its object, or fails as an exhausted memory does.
class StandInFactory final : public IClassFactory {
 public:
  explicit StandInFactory(IDispatch* object) : object_(object) {}
  bool exhausted = false;
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (riid != IID_IUnknown && riid != IID_IClassFactory) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (exhausted) return E_OUTOFMEMORY;
    return object_->QueryInterface(riid, object);
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }

 private:
  IDispatch* object_;
};

// Registers `factory` in this process for the class that `progId` names.
DWORD registerStandIn(const wchar_t* progId, IClassFactory* factory) {
  CLSID clsid;
  DWORD cookie = 0;
  if (FAILED(CLSIDFromProgID(progId, &clsid)) ||
      FAILED(CoRegisterClassObject(clsid, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie)))
    check(std::string("register a stand-in for ") + narrow(progId), false);
  return cookie;
}

void aboutWithStandIns(_clsVxOrvalisA* info) {
  AboutStandIn about;
  ReportStandIn report;
  StandInFactory aboutFactory(&about), reportFactory(&report);
  const DWORD aboutCookie = registerStandIn(L"VxBrennet.clsVxBrennetA", &aboutFactory);
  const DWORD reportCookie = registerStandIn(L"VxBrennet.clsVxelErrorHandlerA", &reportFactory);
  LONG result = -1;

  // An About box that returns an array: its result is not read, so nothing
  // goes wrong and nothing is reported.
  HRESULT hr = info->About(&result);
  check("About ignores an array that AppAboutVxel returns", hr == S_OK && result == 0 && about.calls == 1 &&
                                                                  report.reports + report.refused == 0,
        hex(hr) + ", " + std::to_string(report.reports) + " reports");

  // A failing About box: the report reaches a handler that binds only the
  // declared types, with null texts and the error's own source.
  about.fails = true;
  result = -1;
  hr = info->About(&result);
  check("a handler declared with typed references gets the report, and About returns 0",
        hr == S_OK && result == 0 && report.reports == 1 && report.refused == 0,
        hex(hr) + ", " + std::to_string(report.reports) + " reports, " + std::to_string(report.refused) + " refused");
  check("arguments 3 and 6 are null strings", report.nullTexts);
  check("argument 4 is the location", report.location == L"basVxelCommonA.AppAboutVxel_Pro", narrow(report.location));
  check("the error object carries the number, description and source of the About box's error",
        report.number == 438 && report.description == L"no box here" && report.source == L"StandIn.About",
        std::to_string(report.number) + " " + narrow(report.description) + " / " + narrow(report.source));

  // A handler that takes only Variant references, as script hosts have it,
  // gets each report on a second try; the array it writes back and returns
  // is not read. The About class cannot be created for lack of memory:
  // reported as error 7, then the call without an object as error 91.
  report = ReportStandIn();
  report.scriptLike = true;
  aboutFactory.exhausted = true;
  result = -1;
  hr = info->About(&result);
  check("out of memory and the missing object are reported to a Variant-only handler, About returns 0",
        hr == S_OK && result == 0 && report.reports == 2 && report.refused == 2 &&
            report.numbers == std::vector<LONG>{7, 91},
        hex(hr) + ", " + std::to_string(report.reports) + " reports, " + std::to_string(report.refused) + " refused");

  // A report that fails ends About with the report's error, which keeps
  // the report's own source.
  report = ReportStandIn();
  report.fails = true;
  hr = info->About(&result);
  IErrorInfo* error = nullptr;
  BSTR source = nullptr;
  if (GetErrorInfo(0, &error) == S_OK && error) {
    error->GetSource(&source);
    error->Release();
  }
  const std::wstring named = source ? source : L"";
  SysFreeString(source);
  check("a failing report ends About with its error and its source",
        hr == static_cast<HRESULT>(0x800A0005) && named == L"StandIn.Report", hex(hr) + " " + narrow(named));

  CoRevokeClassObject(aboutCookie);
  CoRevokeClassObject(reportCookie);
}

}  // namespace

int main() {
  CoInitialize(nullptr);
  _clsVxOrvalisA* info = createInfo();
  check("create Orvalis.clsVxOrvalisA", info != nullptr);
  if (info) {
    resources(info);
    applicationObject(info);
    defaultMemberOfTheSlot(info);
    aboutWithStandIns(info);
    info->Release();
  }

  FirstThread objects;
  HANDLE thread = CreateThread(nullptr, 0, firstApartment, &objects, 0, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  CoUninitialize();
  return e2e::verdict();
}
