// The playback watcher of orvalisevents.dll from a C++ host: two sinks on
// its connection point see each MP3 player's song end once, with its name
// and its state changes in order; a host that stops or pauses the song
// itself sees no Ended; sinks that fail, unadvise themselves or release
// the watcher from inside an event harm neither the host nor the others;
// and both DLLs can unload afterwards.
#include <windows.h>
#include <ocidl.h>
#include <ole2.h>
#include <oleauto.h>

#include <functional>
#include <string>
#include <vector>

#include "client_checks.h"
#include "com_client.h"
#include "orvalis_h.h"
#include "orvalisevents_h.h"

using e2e::check;
using e2e::hex;
using e2e::narrow;

namespace {

using Events = std::vector<std::string>;

// A sink of the watcher's events: records "StateChanged(n)" and
// "Ended(name)", and checks that each event names the expected player.
// `during` runs inside each event and may answer for the sink.
class Sink final : public IDispatch {
 public:
  Events seen;
  IUnknown* player = nullptr;
  bool otherPlayer = false;
  std::function<HRESULT(const std::string&)> during;

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID___clsVxAudoWatcherA) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override { return --references_; }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO* exception,
                      UINT*) override {
    if (params->cArgs != 2 || V_VT(&params->rgvarg[1]) != VT_DISPATCH) {
      seen.push_back("malformed");
      return S_OK;
    }
    IUnknown* unknown = nullptr;
    V_DISPATCH(&params->rgvarg[1])->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown));
    if (unknown != player) otherPlayer = true;
    if (unknown) unknown->Release();
    std::string event;
    if (id == 1 && V_VT(&params->rgvarg[0]) == VT_I4) {
      event = "StateChanged(" + std::to_string(V_I4(&params->rgvarg[0])) + ")";
    } else if (id == 2 && V_VT(&params->rgvarg[0]) == VT_BSTR) {
      event = "Ended(" + narrow(V_BSTR(&params->rgvarg[0])) + ")";
    } else {
      event = "unknown";
    }
    seen.push_back(event);
    if (!during) return S_OK;
    const HRESULT hr = during(event);
    if (hr == DISP_E_EXCEPTION && exception) {
      exception->scode = 0x800A0000 + 5;
      exception->bstrDescription = SysAllocString(L"the sink's own error");
    }
    return hr;
  }
  ULONG references() const { return references_; }

 private:
  ULONG references_ = 0;
};

_clsVxAudoWatcherA* createWatcher() {
  return e2e::create<_clsVxAudoWatcherA>(L"OrvalisEvents.clsVxAudoWatcherA", IID__clsVxAudoWatcherA);
}

IConnectionPoint* eventsPoint(IUnknown* watcher) {
  IConnectionPointContainer* container = nullptr;
  IConnectionPoint* point = nullptr;
  if (SUCCEEDED(watcher->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)))) {
    container->FindConnectionPoint(DIID___clsVxAudoWatcherA, &point);
    container->Release();
  }
  return point;
}

// Lets the thread's messages flow for `ms` milliseconds, as a form's loop does.
void pump(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

// Player B's own TimeOut wait, which processes the thread's messages.
void timeOut(_clsVxAudoMP3PlayerB* player, double seconds) {
  VARIANT duration;
  VariantInit(&duration);
  V_VT(&duration) = VT_R8;
  V_R8(&duration) = seconds;
  player->TimeOut(&duration);
}

// Player B plays `mp3`, as a host starts a song.
void playSong(_clsVxAudoMP3PlayerB* player, const std::wstring& mp3) {
  BSTR name = SysAllocString(mp3.c_str());
  player->put_Filename(name);
  SysFreeString(name);
  player->Play();
}

IUnknown* identity(IUnknown* object) {
  IUnknown* unknown = nullptr;
  object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown));
  unknown->Release();
  return unknown;
}

std::string joined(const Events& events) {
  std::string text;
  for (const auto& event : events) text += (text.empty() ? "" : " ") + event;
  return text;
}

void classShape() {
  _clsVxAudoWatcherA* watcher = createWatcher();
  check("the watcher is created by its ProgID", watcher != nullptr);
  if (!watcher) return;
  IProvideClassInfo2* info = nullptr;
  GUID source = GUID_NULL;
  if (SUCCEEDED(watcher->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(&info)))) {
    info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source);
    ITypeInfo* coclass = nullptr;
    TYPEATTR* attributes = nullptr;
    bool isCoclass = false;
    if (SUCCEEDED(info->GetClassInfo(&coclass)) && SUCCEEDED(coclass->GetTypeAttr(&attributes))) {
      isCoclass = attributes->typekind == TKIND_COCLASS && attributes->guid == CLSID_clsVxAudoWatcherA;
      coclass->ReleaseTypeAttr(attributes);
    }
    if (coclass) coclass->Release();
    check("IProvideClassInfo2 describes the watcher's class", isCoclass);
    info->Release();
  }
  check("the default source is the events dispinterface", source == DIID___clsVxAudoWatcherA);

  LONG interval = 0;
  watcher->get_Interval(&interval);
  check("Interval starts at 250 ms", interval == 250, std::to_string(interval));
  const HRESULT tooShort = watcher->put_Interval(49);
  const std::wstring description = e2e::errorDescription();
  watcher->get_Interval(&interval);
  check("an Interval of 49 ms is refused with error 380 and keeps 250",
        tooShort == static_cast<HRESULT>(0x800A017C) && interval == 250 &&
            description.find(L"50 to 10000") != std::wstring::npos,
        hex(tooShort) + " " + narrow(description));

  VARIANT result;
  VariantInit(&result);
  const HRESULT nothing = watcher->Watch(nullptr, &result);
  check("Watch Nothing is error 91", nothing == static_cast<HRESULT>(0x800A005B), hex(nothing));
  IDispatch* mixer = e2e::create<IDispatch>(L"Orvalis.clsVxAudoWMixerB", IID_IDispatch);
  const HRESULT wrong = mixer ? watcher->Watch(mixer, &result) : E_FAIL;
  check("Watch of another class of the library is error 5 naming the players",
        wrong == static_cast<HRESULT>(0x800A0005) &&
            e2e::errorDescription().find(L"clsVxAudoMP3PlayerB") != std::wstring::npos,
        hex(wrong));
  if (mixer) mixer->Release();
  _clsVxAudoMP3PlayerB* player =
      e2e::create<_clsVxAudoMP3PlayerB>(L"Orvalis.clsVxAudoMP3PlayerB", IID__clsVxAudoMP3PlayerB);
  watcher->Watch(player, &result);
  watcher->Watch(player, &result);
  LONG count = 0;
  watcher->get_WatchedCount(&count);
  check("watching a player twice watches it once", count == 1, std::to_string(count));
  watcher->Unwatch(player, &result);
  watcher->get_WatchedCount(&count);
  check("Unwatch lets it go", count == 0, std::to_string(count));
  player->Release();
  watcher->Release();
}

// Two sinks on one watcher, a song played to its end by `play`, the
// thread waiting with `wait`.
struct Connected {
  _clsVxAudoWatcherA* watcher = createWatcher();
  IConnectionPoint* point = watcher ? eventsPoint(watcher) : nullptr;
  Sink first, second;
  DWORD firstCookie = 0, secondCookie = 0;

  Connected() {
    if (point) {
      point->Advise(static_cast<IDispatch*>(&first), &firstCookie);
      point->Advise(static_cast<IDispatch*>(&second), &secondCookie);
    }
  }
  void watch(IUnknown* player) {
    first.player = second.player = identity(player);
    VARIANT result;
    VariantInit(&result);
    IDispatch* dispatch = nullptr;
    player->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    watcher->Watch(dispatch, &result);
    dispatch->Release();
  }
  ~Connected() {
    if (point) {
      point->Unadvise(firstCookie);
      point->Unadvise(secondCookie);
      point->Release();
    }
    if (watcher) watcher->Release();
  }
};

void playerBEndsOncePerSink(const std::wstring& mp3) {
  Connected connected;
  check("two sinks connect", connected.firstCookie && connected.secondCookie && connected.firstCookie != connected.secondCookie);
  IEnumConnections* connections = nullptr;
  ULONG listed = 0;
  if (connected.point && SUCCEEDED(connected.point->EnumConnections(&connections))) {
    CONNECTDATA data[4];
    connections->Next(4, data, &listed);
    for (ULONG i = 0; i < listed; ++i) data[i].pUnk->Release();
    connections->Release();
  }
  check("EnumConnections lists both sinks", listed == 2, std::to_string(listed));

  _clsVxAudoMP3PlayerB* player =
      e2e::create<_clsVxAudoMP3PlayerB>(L"Orvalis.clsVxAudoMP3PlayerB", IID__clsVxAudoMP3PlayerB);
  connected.watch(player);
  playSong(player, mp3);
  timeOut(player, 3.5);
  const std::string expected = "StateChanged(2) StateChanged(1) Ended(" + narrow(mp3) + ")";
  check("player B: the first sink sees playing, stopped and Ended once with the file's name",
        joined(connected.first.seen) == expected, joined(connected.first.seen));
  check("player B: the second sink sees the same", joined(connected.second.seen) == expected,
        joined(connected.second.seen));
  check("player B: every event names the watched player", !connected.first.otherPlayer);
  player->StopPlay();
  pump(600);
  check("player B: closing after the end is one more StateChanged(0)",
        connected.first.seen.size() == 4 && connected.first.seen.back() == "StateChanged(0)",
        joined(connected.first.seen));
  player->Release();
}

void playerAEndsOncePerSink(const std::wstring& mp3) {
  Connected connected;
  _clsVxAudoMP3PlayerA* player =
      e2e::create<_clsVxAudoMP3PlayerA>(L"Orvalis.clsVxAudoMP3PlayerA", IID__clsVxAudoMP3PlayerA);
  BSTR name = SysAllocString(mp3.c_str());
  player->put_MP3File(name);
  SysFreeString(name);
  player->MP3Play();
  connected.watch(player);
  pump(3500);
  const std::string expected = "StateChanged(2) StateChanged(1) Ended(" + narrow(mp3) + ")";
  check("player A: both sinks see playing, stopped and Ended once with the file's name",
        joined(connected.first.seen) == expected && joined(connected.second.seen) == expected,
        joined(connected.first.seen) + " / " + joined(connected.second.seen));
  player->MP3Stop();
  player->Release();
}

void hostStopsAreNoEnd(const std::wstring& mp3) {
  Connected connected;
  _clsVxAudoMP3PlayerB* player =
      e2e::create<_clsVxAudoMP3PlayerB>(L"Orvalis.clsVxAudoMP3PlayerB", IID__clsVxAudoMP3PlayerB);
  connected.watch(player);
  playSong(player, mp3);
  timeOut(player, 0.9);
  player->Pause();  // "stop": the device stands, and Wine rewinds it
  timeOut(player, 2.5);
  player->StopPlay();  // "close"
  timeOut(player, 0.6);
  check("a host's Pause and StopPlay raise stopped and closed, and no Ended",
        joined(connected.first.seen) == "StateChanged(2) StateChanged(1) StateChanged(0)" &&
            connected.second.seen == connected.first.seen,
        joined(connected.first.seen));
  player->Release();
}

void unrulySinks(const std::wstring& mp3) {
  HMODULE events = GetModuleHandleW(L"orvalisevents.dll");
  HMODULE library = GetModuleHandleW(L"orvalis.dll");
  _clsVxAudoWatcherA* watcher = createWatcher();
  IConnectionPoint* point = eventsPoint(watcher);
  Sink failing, leaving, releasing, steady;
  DWORD cookies[4] = {};
  Sink* sinks[4] = {&failing, &leaving, &releasing, &steady};
  for (int i = 0; i < 4; ++i) point->Advise(static_cast<IDispatch*>(sinks[i]), &cookies[i]);
  failing.during = [](const std::string&) { return DISP_E_EXCEPTION; };
  leaving.during = [&](const std::string&) {
    point->Unadvise(cookies[1]);
    return E_FAIL;
  };
  _clsVxAudoMP3PlayerB* player =
      e2e::create<_clsVxAudoMP3PlayerB>(L"Orvalis.clsVxAudoMP3PlayerB", IID__clsVxAudoMP3PlayerB);
  // The host's last references to the watcher and the player go from
  // inside the song's end, with every sink still connected.
  releasing.during = [&](const std::string& event) {
    if (event.rfind("Ended", 0) == 0 && watcher) {
      point->Release();
      point = nullptr;
      watcher->Release();
      watcher = nullptr;
      player->StopPlay();
      player->Release();
      player = nullptr;
    }
    return S_OK;
  };
  for (Sink* sink : sinks) sink->player = identity(player);
  VARIANT result;
  VariantInit(&result);
  watcher->Watch(player, &result);
  playSong(player, mp3);
  pump(3500);
  check("a sink that unadvises itself in its first event gets no more",
        joined(leaving.seen) == "StateChanged(2)", joined(leaving.seen));
  check("a failing sink still gets every event",
        joined(failing.seen) == "StateChanged(2) StateChanged(1) Ended(" + narrow(mp3) + ")",
        joined(failing.seen));
  check("the sink after the one that released everything still gets Ended",
        steady.seen == failing.seen, joined(steady.seen));
  check("releasing the watcher while connected lets every sink go",
        !watcher && failing.references() == 0 && steady.references() == 0 && releasing.references() == 0,
        std::to_string(failing.references()) + " " + std::to_string(steady.references()));
  pump(600);
  check("the released watcher raises nothing more", steady.seen.size() == 3, joined(steady.seen));
  auto eventsCanUnload = e2e::canUnloadNowOf(events);
  auto libraryCanUnload = e2e::canUnloadNowOf(library);
  check("orvalisevents.dll can unload afterwards", eventsCanUnload && eventsCanUnload() == S_OK);
  check("orvalis.dll can unload afterwards", libraryCanUnload && libraryCanUnload() == S_OK);
}

// The events live in the companion alone: orvalis.dll's own type library
// still has exactly its twelve classes, and none of them a source.
void libraryHasNoEvents() {
  IDispatch* player = e2e::create<IDispatch>(L"Orvalis.clsVxAudoMP3PlayerB", IID_IDispatch);
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(GetModuleHandleW(L"orvalis.dll"), path, MAX_PATH);
  ITypeLib* library = nullptr;
  int classes = 0, sources = 0;
  if (SUCCEEDED(LoadTypeLibEx(path, REGKIND_NONE, &library))) {
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
      TYPEKIND kind;
      if (FAILED(library->GetTypeInfoType(i, &kind)) || kind != TKIND_COCLASS) continue;
      ++classes;
      ITypeInfo* info = nullptr;
      TYPEATTR* attributes = nullptr;
      if (FAILED(library->GetTypeInfo(i, &info)) || FAILED(info->GetTypeAttr(&attributes))) continue;
      for (UINT j = 0; j < attributes->cImplTypes; ++j) {
        INT flags = 0;
        if (SUCCEEDED(info->GetImplTypeFlags(j, &flags)) && (flags & IMPLTYPEFLAG_FSOURCE)) ++sources;
      }
      info->ReleaseTypeAttr(attributes);
      info->Release();
    }
    library->Release();
  }
  check("orvalis.dll's type library still has exactly twelve classes", classes == 12, std::to_string(classes));
  check("and no source interface on any of them", sources == 0, std::to_string(sources));
  if (player) player->Release();
}

}  // namespace

int main() {
  CoInitialize(nullptr);
  const std::wstring mp3 = e2e::environment(L"ORVALIS_TWO_SECOND_MP3");
  check("the 2-second tone is given", !mp3.empty());
  libraryHasNoEvents();
  classShape();
  playerBEndsOncePerSink(mp3);
  playerAEndsOncePerSink(mp3);
  hostStopsAreNoEnd(mp3);
  unrulySinks(mp3);
  CoUninitialize();
  return e2e::verdict();
}
