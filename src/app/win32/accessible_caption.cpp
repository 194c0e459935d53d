#include "app/win32/accessible_caption.h"

// clang-format off
#include <objbase.h>
#include <oleauto.h>
#include <oleacc.h>  // needs the types of the two above
// clang-format on

#include <utility>

#include "base/error.h"
#include "base/win32/raii.h"
#include "base/win32/system_library.h"
#include "base/win32/text_conversion.h"

namespace tindrel::win {

// COM for this thread, the strings that accessibility hands over, and the standard objects.
class AccessibilityLibraries {
  ScopedModule com_ = LoadSystemLibrary(L"ole32.dll");
  ScopedModule automation_ = LoadSystemLibrary(L"oleaut32.dll");
  ScopedModule accessibility_ = LoadSystemLibrary(L"oleacc.dll");

 public:
  const decltype(&CoInitializeEx) initialize_com =
      LibraryFunction<decltype(&CoInitializeEx)>(com_, "CoInitializeEx");
  const decltype(&CoUninitialize) uninitialize_com =
      LibraryFunction<decltype(&CoUninitialize)>(com_, "CoUninitialize");
  const decltype(&SysAllocString) allocate_string =
      LibraryFunction<decltype(&SysAllocString)>(automation_, "SysAllocString");
  const decltype(&CreateStdAccessibleObject) create_standard_object =
      LibraryFunction<decltype(&CreateStdAccessibleObject)>(accessibility_,
                                                            "CreateStdAccessibleObject");
  const decltype(&LresultFromObject) result_from_object =
      LibraryFunction<decltype(&LresultFromObject)>(accessibility_, "LresultFromObject");
};

namespace {

using NameSource = std::function<std::wstring()>;

constexpr wchar_t kDescription[] = L"Countdown";

bool IsSelf(const VARIANT& child) {
  return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The window's standard client object with its own name and description. Everything else is the
// standard object's answer. It lives as long as its last reference, perhaps a tool's after the
// window has gone; from then on it answers only as the standard object does.
class CaptionObject final : public IAccessible {
 public:
  CaptionObject(std::weak_ptr<const NameSource> name,
                std::shared_ptr<const AccessibilityLibraries> libraries)
      : name_(std::move(name)), libraries_(std::move(libraries)) {}
  // The libraries go after the standard object: its code is in one of them.
  ~CaptionObject() {
    if (standard_) standard_->Release();
  }
  CaptionObject(const CaptionObject&) = delete;
  CaptionObject& operator=(const CaptionObject&) = delete;

  bool WrapStandardObject(HWND window) {
    return SUCCEEDED(libraries_->create_standard_object(window, OBJID_CLIENT, __uuidof(IAccessible),
                                                        reinterpret_cast<void**>(&standard_))) &&
           standard_ != nullptr;
  }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (!object) return E_POINTER;
    if (id == __uuidof(IUnknown) || id == __uuidof(IDispatch) || id == __uuidof(IAccessible)) {
      *object = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    // Made by std::make_unique and handed over to COM's counting: the last release takes it back.
    if (left == 0) std::unique_ptr<CaptionObject>(this).reset();
    return left;
  }

  // IDispatch: the properties are reached through IAccessible only.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible: the name and the description are the widget's own.
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    const auto source = name_.lock();
    if (!source || !IsSelf(child)) return standard_->get_accName(child, name);
    try {
      return Text((*source)().c_str(), name);
    } catch (...) {
      return E_FAIL;  // nothing may unwind into the caller
    }
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    if (name_.expired() || !IsSelf(child)) return standard_->get_accDescription(child, description);
    return Text(kDescription, description);
  }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return standard_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    return standard_->get_accChildCount(count);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    return standard_->get_accChild(child, object);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return standard_->get_accValue(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    return standard_->get_accRole(child, role);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return standard_->get_accState(child, state);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return standard_->get_accHelp(child, help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    return standard_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return standard_->get_accKeyboardShortcut(child, shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
    return standard_->get_accFocus(child);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
    return standard_->get_accSelection(children);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return standard_->get_accDefaultAction(child, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    return standard_->accSelect(flags, child);
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override {
    return standard_->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    return standard_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
    return standard_->accHitTest(x, y, child);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return standard_->accDoDefaultAction(child);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
    return standard_->put_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return standard_->put_accValue(child, value);
  }

 private:
  HRESULT Text(const wchar_t* text, BSTR* out) const {
    if (!out) return E_POINTER;
    *out = libraries_->allocate_string(text);
    return *out ? S_OK : E_OUTOFMEMORY;
  }

  ULONG references_ = 1;
  IAccessible* standard_ = nullptr;
  std::weak_ptr<const NameSource> name_;
  std::shared_ptr<const AccessibilityLibraries> libraries_;
};

}  // namespace

AccessibleCaption::AccessibleCaption(HWND window, std::function<std::string()> caption_now)
    : window_(window),
      caption_now_(std::move(caption_now)),
      name_source_(std::make_shared<const NameSource>([this] { return Widen(Name()); })) {}

AccessibleCaption::~AccessibleCaption() {
  // Objects still held answer as the standard object from here on, also to calls that leaving
  // COM may still deliver.
  name_source_.reset();
  if (com_initialized_) libraries_->uninitialize_com();
}

std::optional<LRESULT> AccessibleCaption::Answer(WPARAM wparam, LPARAM lparam) {
  // The identifier is a 32-bit value, sign-extended or not in a 64-bit parameter.
  if (static_cast<LONG>(static_cast<DWORD>(lparam)) != OBJID_CLIENT) return std::nullopt;
  if (!libraries_) {
    try {
      libraries_ = std::make_shared<const AccessibilityLibraries>();
    } catch (const Error&) {
      return std::nullopt;
    }
    // Handing an object to another process takes COM on this thread.
    com_initialized_ = SUCCEEDED(libraries_->initialize_com(nullptr, COINIT_APARTMENTTHREADED));
  }
  auto object = std::make_unique<CaptionObject>(name_source_, libraries_);
  if (!object->WrapStandardObject(window_)) return std::nullopt;
  // The result holds references of its own; the object goes with the last one.
  IAccessible* const handed_over = object.release();
  const LRESULT result = libraries_->result_from_object(__uuidof(IAccessible), wparam, handed_over);
  handed_over->Release();
  if (result < 0) return std::nullopt;
  return result;
}

void AccessibleCaption::CaptionShown(const std::string& caption, DateTime target) {
  shown_caption_ = caption;
  if (announcer_.Due(GetTickCount64(), target))
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window_, OBJID_CLIENT, CHILDID_SELF);
}

std::string AccessibleCaption::Name() const {
  if (shown_caption_ && IsWindowVisible(window_)) return *shown_caption_;
  return caption_now_();
}

}  // namespace tindrel::win
