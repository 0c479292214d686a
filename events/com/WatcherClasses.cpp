// orvalisevents.dll on the library's generic COM layer: its class table and
// type-library identity, and the watcher class: its dual interface forwards
// to the watcher's logic; its events go out through standard connection
// points, described to hosts by IProvideClassInfo2.
#include <windows.h>
#include <ocidl.h>
#include <ole2.h>

#include "events/PlaybackWatcher.h"
#include "events/com/ConnectionPoints.h"
#include "events/com/WindowTimer.h"
#include "frame/com/AutomationObject.h"
#include "frame/com/ClassRegistry.h"
#include "frame/com/ComHostObject.h"
#include "mci/MciChannel.h"
#include "orvalisevents_h.h"

namespace orvalis::com {

namespace {

using events::PlaybackWatcher;
using events::PlayerKind;
using events::PlayerState;

// The platform part the watcher uses: the MCI service.
struct WatcherPlatform {
  explicit WatcherPlatform(Platform& platform) : mci(platform.mci) {}
  MciService& mci;
};

constexpr DISPID kStateChanged = 1;
constexpr DISPID kEnded = 2;

// The text of a name of `info`'s documentation, empty when it has none.
std::u16string documentationName(ITypeInfo* info) {
  BSTR name = nullptr;
  std::u16string text;
  if (SUCCEEDED(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr)) && name)
    text.assign(reinterpret_cast<const char16_t*>(name), SysStringLen(name));
  SysFreeString(name);
  return text;
}

// Which of the library's players `player` is, from the type information
// it gives of itself (its default interface and that one's library).
std::optional<PlayerKind> kindOf(IDispatch* player) {
  ITypeInfo* info = nullptr;
  if (!player || FAILED(player->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info)) || !info) return std::nullopt;
  std::u16string library;
  ITypeLib* containing = nullptr;
  UINT index = 0;
  if (SUCCEEDED(info->GetContainingTypeLib(&containing, &index)) && containing) {
    BSTR name = nullptr;
    if (SUCCEEDED(containing->GetDocumentation(-1, &name, nullptr, nullptr, nullptr)) && name)
      library.assign(reinterpret_cast<const char16_t*>(name), SysStringLen(name));
    SysFreeString(name);
    containing->Release();
  }
  const auto kind = events::playerKindOf(library, documentationName(info));
  info->Release();
  return kind;
}

// The object's identity: its IUnknown, held by the watcher's own
// reference for as long as it is watched.
const void* identityOf(IDispatch* object) {
  IUnknown* unknown = nullptr;
  if (!object || FAILED(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)))) return object;
  unknown->Release();
  return unknown;
}

class WatcherObject final : public AutomationObject<WatcherObject, _clsVxAudoWatcherA, WatcherPlatform>,
                            public IConnectionPointContainer,
                            public IProvideClassInfo2,
                            private events::WatcherEvents {
 public:
  static constexpr const wchar_t* kSource = L"OrvalisEvents.clsVxAudoWatcherA";

  using Base = AutomationObject<WatcherObject, _clsVxAudoWatcherA, WatcherPlatform>;

  ~WatcherObject() override {
    watcher_.unwatchAll();
    events_.disconnectAll();
  }

  // --- IUnknown, one identity for all interfaces ---
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (riid == IID_IConnectionPointContainer) {
      *object = static_cast<IConnectionPointContainer*>(this);
    } else if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2) {
      *object = static_cast<IProvideClassInfo2*>(this);
    } else {
      return Base::QueryInterface(riid, object);
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return Base::AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return Base::Release(); }

  // --- _clsVxAudoWatcherA ---
  STDMETHODIMP Watch(IDispatch* oPlayer, VARIANT* result) override {
    return runMemberReturning(result, [&] {
      watcher_.watch(identityOf(oPlayer), kindOf(oPlayer), fromAbi(oPlayer));
      return Variant();
    });
  }
  STDMETHODIMP Unwatch(IDispatch* oPlayer, VARIANT* result) override {
    return runMemberReturning(result, [&] {
      if (oPlayer) watcher_.unwatch(identityOf(oPlayer));
      return Variant();
    });
  }
  STDMETHODIMP UnwatchAll(VARIANT* result) override {
    return runMemberReturning(result, [&] {
      watcher_.unwatchAll();
      return Variant();
    });
  }
  STDMETHODIMP get_Interval(LONG* result) override {
    return runMemberReturning(result, [&] { return watcher_.interval(); });
  }
  STDMETHODIMP put_Interval(LONG milliseconds) override {
    return runMember([&] { watcher_.setInterval(milliseconds); });
  }
  STDMETHODIMP get_WatchedCount(LONG* result) override {
    return runMemberReturning(result, [&] { return static_cast<int32_t>(watcher_.watchedCount()); });
  }

  // --- IConnectionPointContainer ---
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override {
    return events_.enumConnectionPoints(points);
  }
  STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
    return events_.findConnectionPoint(riid, point);
  }

  // --- IProvideClassInfo2 ---
  STDMETHODIMP GetClassInfo(ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = nullptr;
    ITypeLib* library = nullptr;
    HRESULT hr = LoadTypeLibEx(modulePath().c_str(), REGKIND_NONE, &library);
    if (FAILED(hr)) return hr;
    hr = library->GetTypeInfoOfGuid(CLSID_clsVxAudoWatcherA, info);
    library->Release();
    return hr;
  }
  STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override {
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
      *guid = GUID_NULL;
      return E_INVALIDARG;
    }
    *guid = DIID___clsVxAudoWatcherA;
    return S_OK;
  }

 private:
  // A tick of the timer, from the thread's message loop. The object is
  // held for the tick: a sink may release the host's last reference.
  void onTick() {
    AddRef();
    watcher_.tick();
    Release();
  }

  // --- the watcher's events, to every connected sink ---
  void stateChanged(const ObjectRef& player, PlayerState state) override {
    VARIANT playerArgument = playerVariant(player);
    VARIANT stateArgument;
    VariantInit(&stateArgument);
    V_VT(&stateArgument) = VT_I4;
    V_I4(&stateArgument) = static_cast<LONG>(state);
    events_.fire(kStateChanged, {playerArgument, stateArgument});
    VariantClear(&playerArgument);
  }
  void ended(const ObjectRef& player, const std::u16string& name) override {
    VARIANT playerArgument = playerVariant(player);
    VARIANT nameArgument;
    VariantInit(&nameArgument);
    V_VT(&nameArgument) = VT_BSTR;
    V_BSTR(&nameArgument) =
        SysAllocStringLen(reinterpret_cast<const OLECHAR*>(name.data()), static_cast<UINT>(name.size()));
    if (!V_BSTR(&nameArgument)) throw std::bad_alloc();
    events_.fire(kEnded, {playerArgument, nameArgument});
    VariantClear(&playerArgument);
    VariantClear(&nameArgument);
  }
  static VARIANT playerVariant(const ObjectRef& player) {
    VARIANT argument;
    VariantInit(&argument);
    V_VT(&argument) = VT_DISPATCH;
    V_DISPATCH(&argument) = static_cast<const ComHostObject&>(*player).dispatch();
    V_DISPATCH(&argument)->AddRef();
    return argument;
  }

  EventSource events_{static_cast<IConnectionPointContainer*>(this), DIID___clsVxAudoWatcherA};
  WindowTimer timer_{[this] { onTick(); }};
  TickClock clock_;
  MciDeviceDirectory devices_;
  PlaybackWatcher watcher_{coreObject().mci, devices_, timer_, clock_, *this};
};

#define ORVALISEVENTS_CLASS(name, binding) {L## #name, CLSID_##name, IID__##name, &binding::create},

const ClassEntry kClasses[] = {
#include "events/com/ClassList.h"
};

#undef ORVALISEVENTS_CLASS

}  // namespace

const GUID kLibraryId = LIBID_OrvalisEvents;
const WORD kLibraryMajor = 1;
const WORD kLibraryMinor = 0;
const wchar_t* const kLibraryName = L"OrvalisEvents";

std::span<const ClassEntry> classRegistry() { return kClasses; }

}  // namespace orvalis::com
