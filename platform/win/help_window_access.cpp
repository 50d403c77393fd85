// Windows: the help window's accessible object. The system's standard object for the window
// knows its place, state and parent; what it cannot know is that the window is a tooltip, nor
// the help's whole text (it reads a window's text with "&" taken for a mnemonic, and only so
// much of it). A small object of the window's own answers those two and passes the rest on.
//
// The libraries are loaded, and COM started on the window's thread, only when a client first
// asks: a host without a screen reader never loads them.
#include "platform/win/help_window_access.h"

#include <oleacc.h>

#include <initializer_list>

namespace {

using CoInitializeExFn = HRESULT(WINAPI*)(void*, DWORD);
using CoUninitializeFn = void(WINAPI*)();
using CreateStdAccessibleObjectFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using SysAllocStringLenFn = BSTR(WINAPI*)(const OLECHAR*, UINT);

// What the first request brought in; only the window's thread touches it.
struct AccessLibraries {
    bool tried;       // loading was tried: it is not tried again while the thread runs
    bool comStarted;  // COM was started on this thread, and is ended with it
    HMODULE ole32;    // COM
    HMODULE oleaut32; // text for clients (BSTR)
    HMODULE oleacc;   // the standard objects and their hand-over to clients
    CoUninitializeFn coUninitialize;
    CreateStdAccessibleObjectFn createStandard;
    LresultFromObjectFn lresultFromObject;
    SysAllocStringLenFn allocString;
};
AccessLibraries g_libraries;

template <typename Function> Function Find(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(module ? GetProcAddress(module, name) : nullptr));
}

bool LoadLibraries() {
    AccessLibraries& l = g_libraries;
    if (l.tried) {
        return l.comStarted && l.createStandard && l.lresultFromObject && l.allocString;
    }
    l.tried = true;
    l.ole32 = LoadLibraryW(L"ole32.dll");
    l.oleaut32 = LoadLibraryW(L"oleaut32.dll");
    l.oleacc = LoadLibraryW(L"oleacc.dll");
    auto start = Find<CoInitializeExFn>(l.ole32, "CoInitializeEx");
    l.coUninitialize = Find<CoUninitializeFn>(l.ole32, "CoUninitialize");
    l.createStandard = Find<CreateStdAccessibleObjectFn>(l.oleacc, "CreateStdAccessibleObject");
    l.lresultFromObject = Find<LresultFromObjectFn>(l.oleacc, "LresultFromObject");
    l.allocString = Find<SysAllocStringLenFn>(l.oleaut32, "SysAllocStringLen");
    // A window's thread is a single-threaded apartment: clients' calls come in as messages
    // that the thread's loop dispatches, so the object is only ever used on this thread.
    l.comStarted = start && l.coUninitialize &&
                   SUCCEEDED(start(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    return LoadLibraries();
}

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The window's object (or its client area's): the standard one, but for the role and name.
class TooltipObject final : public IAccessible, public IOleWindow {
  public:
    // Made once for each object id and kept while the thread runs: references only count.
    bool Ready() const { return inner_ != nullptr; }
    void Make(HWND window, LONG object, const wchar_t* name) {
        window_ = window;
        name_ = name;
        void* inner = nullptr;
        if (SUCCEEDED(g_libraries.createStandard(window, object, __uuidof(IAccessible), &inner))) {
            inner_ = static_cast<IAccessible*>(inner);
        }
    }
    void Drop() {
        if (inner_) {
            inner_->Release();
        }
        inner_ = nullptr;
    }

    // IUnknown. The object is static: AddRef and Release only keep count.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = nullptr;
        if (id == __uuidof(IUnknown) || id == __uuidof(IDispatch) || id == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
        } else if (id == __uuidof(IOleWindow)) {
            *out = static_cast<IOleWindow*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references_); }

    // IOleWindow: how clients find the window an object belongs to.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (!window) {
            return E_POINTER;
        }
        *window = window_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // What differs from the standard object.
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child)) {
            return inner_->get_accRole(child, role);
        }
        if (!role) {
            return E_POINTER;
        }
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_TOOLTIP;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!IsSelf(child)) {
            return inner_->get_accName(child, name);
        }
        if (!name) {
            return E_POINTER;
        }
        *name = g_libraries.allocString(name_, static_cast<UINT>(lstrlenW(name_)));
        return *name ? S_OK : E_OUTOFMEMORY;
    }

    // The rest is the standard object's.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return inner_->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return inner_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return inner_->GetIDsOfNames(id, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID id, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* wrong) override {
        return inner_->Invoke(member, id, locale, flags, parameters, result, exception, wrong);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return inner_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        return inner_->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return inner_->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return inner_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return inner_->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return inner_->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
        return inner_->get_accHelp(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return inner_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return inner_->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return inner_->get_accFocus(child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return inner_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return inner_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return inner_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override {
        return inner_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return inner_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG left, LONG top, VARIANT* child) override {
        return inner_->accHitTest(left, top, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return inner_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return inner_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return inner_->put_accValue(child, value);
    }

  private:
    IAccessible* inner_ = nullptr; // the system's standard object, owned
    HWND window_ = nullptr;
    const wchar_t* name_ = L""; // the window's text without marks, kept by the window
    LONG references_ = 0;
};

TooltipObject g_windowObject; // OBJID_WINDOW
TooltipObject g_clientObject; // OBJID_CLIENT

} // namespace

LRESULT AnswerAccessibleObject(HWND window, WPARAM flags, LPARAM object, const wchar_t* name) {
    // The object id travels as a 32-bit value; a 64-bit lParam may carry it sign-extended.
    auto id = static_cast<LONG>(static_cast<DWORD>(object));
    TooltipObject* answer = id == OBJID_WINDOW   ? &g_windowObject
                            : id == OBJID_CLIENT ? &g_clientObject
                                                 : nullptr;
    if (!answer || !LoadLibraries()) {
        return 0;
    }
    if (!answer->Ready()) {
        answer->Make(window, id, name);
    }
    if (!answer->Ready()) {
        return 0;
    }
    LRESULT result = g_libraries.lresultFromObject(__uuidof(IAccessible), flags,
                                                   static_cast<IAccessible*>(answer));
    return result > 0 ? result : 0; // a failure is a negative HRESULT: the system answers then
}

void EndAccessibleObjects() {
    AccessLibraries& l = g_libraries;
    if (l.comStarted) {
        l.coUninitialize(); // clients' references to the objects go with the apartment
    }
    g_windowObject.Drop();
    g_clientObject.Drop();
    for (HMODULE module : {l.oleacc, l.oleaut32, l.ole32}) {
        if (module) {
            FreeLibrary(module);
        }
    }
    l = AccessLibraries{};
}
