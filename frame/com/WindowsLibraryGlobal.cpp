#include "frame/com/WindowsLibraryGlobal.h"

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <atomic>
#include <new>
#include <string>
#include <utility>

#include "frame/ApplicationObject.h"
#include "frame/com/ClassRegistry.h"
#include "frame/com/ComHostObject.h"
#include "frame/com/ComObject.h"
#include "frame/com/Marshal.h"
#include "frame/com/Module.h"
#include "frame/com/PropertyDispatch.h"

namespace orvalis::com {

namespace {

std::u16string text16(const wchar_t* text, size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}
std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// --- What the application object tells ------------------------------------------

// The module's version resource, read in place (not from the file on disk).
class VersionBlock {
 public:
  explicit VersionBlock(HMODULE module) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));
    if (!found) return;
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    // VerQueryValueW may write into the block, so it works on a copy.
    if (bytes) block_.assign(bytes, bytes + SizeofResource(module, found));
  }

  const VS_FIXEDFILEINFO* fixed() {
    void* info = nullptr;
    UINT length = 0;
    if (block_.empty() || !VerQueryValueW(block_.data(), L"\\", &info, &length) ||
        length < sizeof(VS_FIXEDFILEINFO))
      return nullptr;
    return static_cast<const VS_FIXEDFILEINFO*>(info);
  }

  // A string entry of the block's first language, or the empty text.
  std::u16string text(const wchar_t* name) {
    if (block_.empty()) return {};
    wchar_t language[9] = L"040904B0";
    void* translation = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block_.data(), L"\\VarFileInfo\\Translation", &translation, &length) &&
        length >= 4) {
      const auto* pair = static_cast<const WORD*>(translation);
      wsprintfW(language, L"%04X%04X", pair[0], pair[1]);
    }
    const std::wstring path = std::wstring(L"\\StringFileInfo\\") + language + L"\\" + name;
    void* value = nullptr;
    if (!VerQueryValueW(block_.data(), path.c_str(), &value, &length) || !value) return {};
    const auto* characters = static_cast<const wchar_t*>(value);
    size_t size = 0;
    while (size < length && characters[size]) ++size;
    return text16(characters, size);
  }

 private:
  std::vector<BYTE> block_;
};

ModuleFacts moduleFacts() {
  const HMODULE module = moduleHandle();
  ModuleFacts facts;
  const std::wstring path = modulePath();
  facts.path = text16(path.c_str(), path.size());
  facts.title = text16(kLibraryName, wcslen(kLibraryName));
  VersionBlock version(module);
  if (const VS_FIXEDFILEINFO* fixed = version.fixed()) {
    // Major.Minor.0.Revision, as the runtime numbers a module's versions.
    facts.major = HIWORD(fixed->dwFileVersionMS);
    facts.minor = LOWORD(fixed->dwFileVersionMS);
    facts.revision = LOWORD(fixed->dwFileVersionLS);
  }
  facts.companyName = version.text(L"CompanyName");
  facts.productName = version.text(L"ProductName");
  facts.fileDescription = version.text(L"FileDescription");
  facts.legalCopyright = version.text(L"LegalCopyright");
  facts.legalTrademarks = version.text(L"LegalTrademarks");
  facts.comments = version.text(L"Comments");
  facts.instance = reinterpret_cast<intptr_t>(module);
  facts.threadId = static_cast<int32_t>(GetCurrentThreadId());
  return facts;
}

// --- Per-thread library data -----------------------------------------------------

DWORD threadDataSlot() {
  struct Slot {
    DWORD index = TlsAlloc();
    ~Slot() {
      if (index != TLS_OUT_OF_INDEXES) TlsFree(index);
    }
  };
  static Slot slot;
  return slot.index;
}

// The library's data for one thread: its application object and its shared
// object slot. It lives from first use until the thread's apartment ends,
// and it watches for that end as an initialize spy: the outermost
// CoUninitialize calls PreUninitialize while the apartment still works, the
// last safe point to release the references it holds. (At thread exit,
// DllMain runs under the loader lock, after the apartment may be gone;
// foreign objects must not be released there.) While it lives it keeps the
// module loaded, since COM holds its vtable.
class ThreadLibraryData final : public ComObject<ThreadLibraryData, IInitializeSpy> {
 public:
  static ThreadLibraryData* current() {
    return static_cast<ThreadLibraryData*>(TlsGetValue(threadDataSlot()));
  }

  static ThreadLibraryData& ofThisThread() {
    if (ThreadLibraryData* data = current()) return *data;
    if (threadDataSlot() == TLS_OUT_OF_INDEXES) throw std::bad_alloc();
    auto* data = new ThreadLibraryData();
    const HRESULT hr = CoRegisterInitializeSpy(data, &data->cookie_);
    data->Release();  // COM's reference keeps it from here on
    if (FAILED(hr)) throwHresult(hr);
    TlsSetValue(threadDataSlot(), data);
    return *data;
  }

  IDispatch* application() {
    if (!application_) {
      application_ = newPropertyDispatch(makeApplicationObject(moduleFacts()));
      if (!application_) throw std::bad_alloc();
    }
    return application_;
  }

  IDispatch* shared() const { return shared_; }

  void setShared(IDispatch* object) {
    if (object) object->AddRef();
    IDispatch* old = std::exchange(shared_, object);
    if (old) old->Release();
  }

  // --- IInitializeSpy ---
  STDMETHODIMP PreInitialize(DWORD, DWORD) override { return S_OK; }
  STDMETHODIMP PostInitialize(HRESULT result, DWORD, DWORD) override { return result; }
  STDMETHODIMP PreUninitialize(DWORD apartmentReferences) override {
    if (apartmentReferences == 1) end();
    return S_OK;
  }
  STDMETHODIMP PostUninitialize(DWORD) override { return S_OK; }

 private:
  friend class ComObject<ThreadLibraryData, IInitializeSpy>;
  ThreadLibraryData() = default;
  // Reached through end() after the apartment's last CoUninitialize, or
  // when COM drops its spies at the exit of a thread that never ended its
  // apartment. In that second case the references are left unreleased on
  // purpose (see above).
  ~ThreadLibraryData() = default;

  void end() {
    TlsSetValue(threadDataSlot(), nullptr);
    AddRef();  // outlives the revocation, which drops COM's reference
    CoRevokeInitializeSpy(cookie_);
    IDispatch* shared = std::exchange(shared_, nullptr);
    IDispatch* application = std::exchange(application_, nullptr);
    if (shared) shared->Release();
    if (application) application->Release();
    Release();
  }

  [[noreturn]] static void throwHresult(HRESULT hr);

  ULARGE_INTEGER cookie_{};
  IDispatch* application_ = nullptr;
  IDispatch* shared_ = nullptr;
};

// A COM failure as the runtime error a host sees ("Automation error" and
// the system's text, through the dispatch failure mapping).
void ThreadLibraryData::throwHresult(HRESULT hr) { raiseDispatchFailure(hr, nullptr); }

// --- Resources ----------------------------------------------------------------------

const wchar_t* resourcePointer(const ResourceName& name, std::wstring& storage) {
  if (name.number) return MAKEINTRESOURCEW(name.number);
  storage = wide(name.name);
  return storage.c_str();
}

HRSRC findResource(const ResourceName& id, const ResourceName& type) {
  std::wstring idText, typeText;
  return FindResourceW(moduleHandle(), resourcePointer(id, idText), resourcePointer(type, typeText));
}

}  // namespace

ObjectRef WindowsLibraryGlobal::application() {
  return fromAbi(ThreadLibraryData::ofThisThread().application());
}

std::u16string WindowsLibraryGlobal::loadString(int32_t id) {
  // String ids are 16-bit; the table holds them in blocks of sixteen. An
  // empty entry is indistinguishable from a missing one in that format.
  if (id >= 0 && id <= 0xFFFF) {
    const wchar_t* text = nullptr;
    const int length = LoadStringW(moduleHandle(), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
    if (length > 0 && text) return text16(text, static_cast<size_t>(length));
  }
  throw resourceNotFound(Variant(id));
}

ObjectRef WindowsLibraryGlobal::loadPicture(const Variant& id, int16_t kind) {
  struct Kind {
    int16_t kind;
    WORD groupType;  // the resource type that holds it
    UINT imageType;
    UINT flags;
    short pictureType;
  };
  static constexpr Kind kKinds[] = {
      {picture_kind::Bitmap, 2 /* RT_BITMAP */, IMAGE_BITMAP, LR_DEFAULTCOLOR, PICTYPE_BITMAP},
      {picture_kind::Icon, 14 /* RT_GROUP_ICON */, IMAGE_ICON, LR_DEFAULTSIZE, PICTYPE_ICON},
      {picture_kind::Cursor, 12 /* RT_GROUP_CURSOR */, IMAGE_CURSOR, LR_DEFAULTSIZE, PICTYPE_ICON},
  };
  const Kind* format = nullptr;
  for (const Kind& entry : kKinds)
    if (entry.kind == kind) format = &entry;
  if (!format) throw RuntimeError(vb_error::InvalidProcedureCall);

  const auto name = resourceName(id);
  if (!name || !findResource(*name, ResourceName{format->groupType, {}})) throw resourceNotFound(id);
  std::wstring storage;
  HANDLE image = LoadImageW(moduleHandle(), resourcePointer(*name, storage), format->imageType, 0, 0,
                            format->flags);
  if (!image) throw RuntimeError(vb_error::InvalidPicture);

  PICTDESC description{};
  description.cbSizeofstruct = sizeof description;
  description.picType = format->pictureType;
  if (format->pictureType == PICTYPE_BITMAP) {
    description.bmp.hbitmap = static_cast<HBITMAP>(image);
  } else {
    description.icon.hicon = static_cast<HICON>(image);
  }
  IDispatch* picture = nullptr;
  const HRESULT hr = OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE,
                                              reinterpret_cast<void**>(&picture));
  if (FAILED(hr)) {
    if (format->pictureType == PICTYPE_BITMAP) DeleteObject(image);
    else DestroyIcon(static_cast<HICON>(image));
    throw RuntimeError(vb_error::InvalidPicture);
  }
  ObjectRef result = fromAbi(picture);
  picture->Release();
  return result;
}

std::vector<uint8_t> WindowsLibraryGlobal::loadData(const Variant& id, const Variant& type) {
  const auto name = resourceName(id);
  const auto typeName = resourceName(type);
  HRSRC found = name && typeName ? findResource(*name, *typeName) : nullptr;
  if (!found) throw resourceNotFound(id);
  const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(moduleHandle(), found)));
  if (!bytes) throw resourceNotFound(id);
  return std::vector<uint8_t>(bytes, bytes + SizeofResource(moduleHandle(), found));
}

ObjectRef WindowsLibraryGlobal::sharedObject() {
  ThreadLibraryData* data = ThreadLibraryData::current();
  return data ? fromAbi(data->shared()) : nullptr;
}

void WindowsLibraryGlobal::setSharedObject(const ObjectRef& object) {
  // Emptying a slot that was never filled needs no thread data.
  ThreadLibraryData* data = object ? &ThreadLibraryData::ofThisThread() : ThreadLibraryData::current();
  if (!data) return;
  IDispatch* dispatch = toIDispatch(object);
  data->setShared(dispatch);
  if (dispatch) dispatch->Release();
}

ObjectRef WindowsLibraryGlobal::createObject(std::u16string_view progId) {
  const std::wstring name = wide(progId);
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(name.c_str(), &clsid))) throw RuntimeError(vb_error::CantCreateObject);
  IDispatch* object = nullptr;
  const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                      IID_IDispatch, reinterpret_cast<void**>(&object));
  if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
  if (hr == E_NOINTERFACE) throw RuntimeError(vb_error::ClassDoesntSupportAutomation);
  if (FAILED(hr) || !object) throw RuntimeError(vb_error::CantCreateObject);
  ObjectRef result = fromAbi(object);
  object->Release();
  return result;
}

}  // namespace orvalis::com
