// Standard connection points for an object with one outgoing dispinterface:
// the IConnectionPointContainer half that the object forwards to, the one
// IConnectionPoint (any number of sinks, Advise, Unadvise,
// EnumConnections) and the event call into every sink. The object stays
// the identity: the point's references are the object's.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

namespace orvalis::com {

class EventSource final : public IConnectionPoint {
 public:
  // `owner` is the object that holds this source as a member; `events` its
  // outgoing dispinterface.
  EventSource(IConnectionPointContainer* owner, REFIID events);
  ~EventSource();
  EventSource(const EventSource&) = delete;
  EventSource& operator=(const EventSource&) = delete;

  // IConnectionPointContainer for the owner.
  HRESULT enumConnectionPoints(IEnumConnectionPoints** points);
  HRESULT findConnectionPoint(REFIID riid, IConnectionPoint** point);

  // Calls `member` of every sink connected when the call begins, with the
  // arguments in their declared order (the last one first in DISPPARAMS is
  // handled here). A sink that fails, raises an error or unadvises itself
  // or others does not keep the rest from their call.
  void fire(DISPID member, std::vector<VARIANT> arguments);
  // Lets every sink go (the owner's end).
  void disconnectAll();
  size_t connections() const { return sinks_.size(); }

  // --- IUnknown: the owner's ---
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return owner_->AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return owner_->Release(); }

  // --- IConnectionPoint ---
  STDMETHODIMP GetConnectionInterface(IID* iid) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

 private:
  struct Sink {
    DWORD cookie;
    IDispatch* dispatch;
  };
  IConnectionPointContainer* owner_;
  IID events_;
  std::vector<Sink> sinks_;
  DWORD nextCookie_ = 1;
};

}  // namespace orvalis::com
