#include "events/com/ConnectionPoints.h"

#include <new>
#include <utility>

#include "frame/com/ComObject.h"

namespace orvalis::com {

namespace {

// A snapshot enumerator: IEnumConnections and IEnumConnectionPoints differ
// only in their element and interface, and each element holds a reference.
template <class Interface, class Element>
class SnapshotEnumerator final : public ComObject<SnapshotEnumerator<Interface, Element>, Interface> {
 public:
  explicit SnapshotEnumerator(std::vector<Element> items, size_t next = 0)
      : items_(std::move(items)), next_(next) {
    for (auto& item : items_) unknownOf(item)->AddRef();
  }
  ~SnapshotEnumerator() {
    for (auto& item : items_) unknownOf(item)->Release();
  }

  STDMETHODIMP Next(ULONG count, Element* elements, ULONG* fetched) override {
    if (!elements || (count > 1 && !fetched)) return E_POINTER;
    ULONG given = 0;
    for (; given < count && next_ < items_.size(); ++given, ++next_) {
      elements[given] = items_[next_];
      unknownOf(elements[given])->AddRef();
    }
    if (fetched) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    const size_t left = items_.size() - next_;
    next_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    next_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(Interface** copy) override {
    if (!copy) return E_POINTER;
    *copy = new (std::nothrow) SnapshotEnumerator(items_, next_);
    return *copy ? S_OK : E_OUTOFMEMORY;
  }

 private:
  static IUnknown* unknownOf(CONNECTDATA& data) { return data.pUnk; }
  static IUnknown* unknownOf(IConnectionPoint*& point) { return point; }

  std::vector<Element> items_;
  size_t next_;
};

}  // namespace

EventSource::EventSource(IConnectionPointContainer* owner, REFIID events) : owner_(owner), events_(events) {}

EventSource::~EventSource() { disconnectAll(); }

void EventSource::disconnectAll() {
  auto sinks = std::move(sinks_);
  sinks_.clear();
  for (const Sink& sink : sinks) sink.dispatch->Release();
}

HRESULT EventSource::enumConnectionPoints(IEnumConnectionPoints** points) {
  if (!points) return E_POINTER;
  std::vector<IConnectionPoint*> items{this};
  *points = new (std::nothrow) SnapshotEnumerator<IEnumConnectionPoints, IConnectionPoint*>(items);
  return *points ? S_OK : E_OUTOFMEMORY;
}

HRESULT EventSource::findConnectionPoint(REFIID riid, IConnectionPoint** point) {
  if (!point) return E_POINTER;
  *point = nullptr;
  if (riid != events_) return CONNECT_E_NOCONNECTION;
  *point = this;
  AddRef();
  return S_OK;
}

STDMETHODIMP EventSource::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP EventSource::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = events_;
  return S_OK;
}

STDMETHODIMP EventSource::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (!container) return E_POINTER;
  *container = owner_;
  owner_->AddRef();
  return S_OK;
}

STDMETHODIMP EventSource::Advise(IUnknown* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  // A sink answers for the events' dispinterface; a script engine's sink
  // may answer only for IDispatch, and takes the calls all the same.
  IDispatch* dispatch = nullptr;
  if (FAILED(sink->QueryInterface(events_, reinterpret_cast<void**>(&dispatch))) &&
      FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
    return CONNECT_E_CANNOTCONNECT;
  try {
    sinks_.push_back({nextCookie_, dispatch});
  } catch (...) {
    dispatch->Release();
    return E_OUTOFMEMORY;
  }
  *cookie = nextCookie_++;
  return S_OK;
}

STDMETHODIMP EventSource::Unadvise(DWORD cookie) {
  for (auto sink = sinks_.begin(); sink != sinks_.end(); ++sink) {
    if (sink->cookie != cookie) continue;
    IDispatch* dispatch = sink->dispatch;
    sinks_.erase(sink);
    dispatch->Release();
    return S_OK;
  }
  return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP EventSource::EnumConnections(IEnumConnections** connections) {
  if (!connections) return E_POINTER;
  std::vector<CONNECTDATA> items;
  for (const Sink& sink : sinks_) items.push_back({sink.dispatch, sink.cookie});
  *connections = new (std::nothrow) SnapshotEnumerator<IEnumConnections, CONNECTDATA>(items);
  return *connections ? S_OK : E_OUTOFMEMORY;
}

void EventSource::fire(DISPID member, std::vector<VARIANT> arguments) {
  // The sinks connected now, each held for its call: a sink may unadvise
  // itself or another, or release the object, from inside its event.
  std::vector<Sink> sinks = sinks_;
  for (const Sink& sink : sinks) sink.dispatch->AddRef();
  std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  for (const Sink& sink : sinks) {
    const bool connected = [&] {
      for (const Sink& now : sinks_)
        if (now.cookie == sink.cookie) return true;
      return false;
    }();
    if (connected) {
      EXCEPINFO exception{};
      VARIANT result;
      VariantInit(&result);
      UINT badArgument = 0;
      sink.dispatch->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result,
                            &exception, &badArgument);
      // What the sink answered is its own affair; the other sinks are
      // called all the same.
      VariantClear(&result);
      SysFreeString(exception.bstrSource);
      SysFreeString(exception.bstrDescription);
      SysFreeString(exception.bstrHelpFile);
    }
    sink.dispatch->Release();
  }
}

}  // namespace orvalis::com
