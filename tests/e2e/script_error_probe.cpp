// What a script engine hands back when a member of a script object raises
// an error: the HRESULT of InvokeEx and Invoke, the EXCEPINFO and the
// thread's error object. The library's host-object code reports these
// failures, so this probe shows what it has to work with under the engine
// at hand. It hosts VBScript itself, with a list class whose members raise
// errors the way a host's list code does, and calls them the way the
// library calls a host list (a by-reference Variant index).
//
// The cross build makes build/win32/script_error_probe.exe; run it in the
// test prefix (source tests/e2e/wine-env.sh; e2e_start build; e2e_wine
// build/win32/script_error_probe.exe). It prints one "CASE" line per member
// and call path, for a host site that shows script errors itself and for
// one that does not, and exits 0. It is no suite: the runner does not run it.
//
// Under Wine 8: InvokeEx returns the error's own HRESULT (0x800A0005 for
// Err.Raise 5, 0x800A03E8 for 1000, DISP_E_DIVBYZERO for 1 / 0) with an
// empty EXCEPINFO and no error object when the site does not show the
// error (as cscript's does not), so the script's description is lost; it
// returns SCRIPT_E_REPORTED when the site has shown it.
#include <windows.h>
#include <activscp.h>
#include <dispex.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

namespace {

const wchar_t kScript[] =
    L"Class HostList\n"
    L"  Public Property Get List(i)\n"
    L"    Err.Raise 5, \"ListBox\", \"entry refused\"\n"
    L"  End Property\n"
    L"  Public Property Get Bare(i)\n"
    L"    Err.Raise 5\n"
    L"  End Property\n"
    L"  Public Property Get Own(i)\n"
    L"    Err.Raise 1000, \"ListBox\", \"no such entry\"\n"
    L"  End Property\n"
    L"  Public Property Get Divide(i)\n"
    L"    Divide = 1 / 0\n"
    L"  End Property\n"
    L"  Public Property Get Failing(i)\n"
    L"    Err.Raise &H80004005\n"
    L"  End Property\n"
    L"End Class\n"
    L"Dim probe : Set probe = New HostList\n";

std::string narrow(const wchar_t* text) {
  std::string out;
  for (; text && *text; ++text) out += *text < 128 ? static_cast<char>(*text) : '?';
  return out;
}

// A host's script site. `answer` is what OnScriptError returns: S_OK for a
// host that shows the error itself, E_NOTIMPL for one that does not (Wine's
// cscript does not).
class Site final : public IActiveScriptSite {
 public:
  explicit Site(HRESULT answer) : answer_(answer) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == __uuidof(IActiveScriptSite)) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetLCID(LCID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetItemInfo(LPCOLESTR, DWORD, IUnknown**, ITypeInfo**) override {
    return TYPE_E_ELEMENTNOTFOUND;
  }
  STDMETHODIMP GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
  STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }
  STDMETHODIMP OnScriptError(IActiveScriptError* error) override {
    EXCEPINFO info{};
    error->GetExceptionInfo(&info);
    std::printf("  OnScriptError: scode 0x%08lX wCode %u description [%s]\n",
                static_cast<unsigned long>(info.scode), info.wCode, narrow(info.bstrDescription).c_str());
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return answer_;
  }
  STDMETHODIMP OnEnterScript() override { return S_OK; }
  STDMETHODIMP OnLeaveScript() override { return S_OK; }

 private:
  HRESULT answer_;
};

void report(const char* member, const char* path, HRESULT hr, EXCEPINFO& info) {
  if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
  std::printf("CASE %s via %s: hr 0x%08lX, EXCEPINFO scode 0x%08lX wCode %u source [%s] description [%s]",
              member, path, static_cast<unsigned long>(hr), static_cast<unsigned long>(info.scode),
              info.wCode, narrow(info.bstrSource).c_str(), narrow(info.bstrDescription).c_str());
  IErrorInfo* error = nullptr;
  if (GetErrorInfo(0, &error) == S_OK && error) {
    BSTR description = nullptr;
    error->GetDescription(&description);
    std::printf(", error object [%s]", narrow(description).c_str());
    SysFreeString(description);
    error->Release();
  } else {
    std::printf(", no error object");
  }
  std::printf("\n");
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
}

void probe(IDispatch* object, const wchar_t* member) {
  const std::string name = narrow(member);
  SHORT index = 0;
  VARIANT variable;
  VariantInit(&variable);
  V_VT(&variable) = VT_I2;
  V_I2(&variable) = index;
  VARIANT argument;
  VariantInit(&argument);
  V_VT(&argument) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&argument) = &variable;
  DISPPARAMS params{&argument, nullptr, 1, 0};
  const WORD flags = DISPATCH_PROPERTYGET | DISPATCH_METHOD;

  IDispatchEx* script = nullptr;
  if (SUCCEEDED(object->QueryInterface(__uuidof(IDispatchEx), reinterpret_cast<void**>(&script)))) {
    BSTR text = SysAllocString(member);
    DISPID id = DISPID_UNKNOWN;
    script->GetDispID(text, fdexNameCaseInsensitive, &id);
    SysFreeString(text);
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO info{};
    SetErrorInfo(0, nullptr);
    const HRESULT hr = script->InvokeEx(id, LOCALE_USER_DEFAULT, flags, &params, &result, &info, nullptr);
    VariantClear(&result);
    report(name.c_str(), "InvokeEx", hr, info);
    script->Release();
  }

  LPOLESTR names[] = {const_cast<LPOLESTR>(member)};
  DISPID id = DISPID_UNKNOWN;
  object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO info{};
  UINT badArgument = 0;
  SetErrorInfo(0, nullptr);
  const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, &info,
                                    &badArgument);
  VariantClear(&result);
  report(name.c_str(), "Invoke", hr, info);
}

// Runs the cases in a fresh engine whose site answers OnScriptError with
// `answer`.
void runWith(HRESULT answer) {
  std::printf("site answers OnScriptError with 0x%08lX\n", static_cast<unsigned long>(answer));
  CLSID clsid;
  IActiveScript* engine = nullptr;
  IActiveScriptParse* parser = nullptr;
  if (FAILED(CLSIDFromProgID(L"VBScript", &clsid)) ||
      FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IActiveScript),
                              reinterpret_cast<void**>(&engine))) ||
      FAILED(engine->QueryInterface(__uuidof(IActiveScriptParse), reinterpret_cast<void**>(&parser)))) {
    std::printf("no VBScript engine\n");
    return;
  }
  Site site(answer);
  engine->SetScriptSite(&site);
  parser->InitNew();
  EXCEPINFO parseError{};
  HRESULT hr = parser->ParseScriptText(kScript, nullptr, nullptr, nullptr, 0, 0, 0, nullptr, &parseError);
  std::printf("parse: 0x%08lX\n", static_cast<unsigned long>(hr));
  engine->SetScriptState(SCRIPTSTATE_CONNECTED);

  IDispatch* global = nullptr;
  engine->GetScriptDispatch(nullptr, &global);
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"probe")};
  DISPID id = DISPID_UNKNOWN;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT object;
  VariantInit(&object);
  if (global && SUCCEEDED(global->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
    global->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &object, nullptr, nullptr);
  if (V_VT(&object) == VT_DISPATCH && V_DISPATCH(&object)) {
    for (const wchar_t* member : {L"List", L"Bare", L"Own", L"Divide", L"Failing"})
      probe(V_DISPATCH(&object), member);
  } else {
    std::printf("the script object is missing (type %u)\n", V_VT(&object));
  }
  VariantClear(&object);
  if (global) global->Release();
  engine->Close();
  parser->Release();
  engine->Release();
}

}  // namespace

int main() {
  CoInitialize(nullptr);
  runWith(S_OK);
  runWith(E_NOTIMPL);
  CoUninitialize();
  return 0;
}
