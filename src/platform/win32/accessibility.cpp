#include "platform/win32/accessibility.h"

#include "platform/win32/system_functions.h"

#include <oleacc.h>

#include <string>
#include <variant>
#include <vector>

#ifndef EVENT_OBJECT_LIVEREGIONCHANGED
#define EVENT_OBJECT_LIVEREGIONCHANGED 0x8019
#endif

namespace {

// Not in every SDK's import libraries, so given here.
constexpr GUID kClsidAccPropServices = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kIidAccPropServices = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
// The type library that describes IAccessible, for late-bound callers.
constexpr GUID kLibidAccessibility = {
    0x1ea4dbf0, 0x3c3b, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The accessibility functions, with the window's thread in a COM apartment;
// null while either cannot be had, and tried again at the next request.
const AccessibilityFunctions* Api() {
    static bool apartment = false;
    const AccessibilityFunctions* api = Accessibility();
    if (api != nullptr && !apartment) {
        // Handing an object to a screen reader goes through COM, which needs
        // the thread in an apartment: the window's thread becomes a
        // single-threaded one, whose message loop serves the screen reader's
        // calls.
        const HRESULT com = api->coInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        apartment = SUCCEEDED(com) || com == RPC_E_CHANGED_MODE;
    }
    return apartment ? api : nullptr;
}

// IAccessible's type information, which the standard objects give and
// otherwise the registered type library; nullptr when neither has it.
ITypeInfo* AccessibleTypeInfo(IAccessible* standard) {
    ITypeInfo* info = nullptr;
    if (SUCCEEDED(standard->GetTypeInfo(0, LOCALE_NEUTRAL, &info)) && info != nullptr) {
        return info;
    }
    ITypeLib* library = nullptr;
    if (FAILED(Api()->loadRegTypeLib(kLibidAccessibility, 1, 1, LOCALE_NEUTRAL, &library))) {
        return nullptr;
    }
    info = nullptr;
    if (FAILED(library->GetTypeInfoOfGuid(__uuidof(IAccessible), &info))) {
        info = nullptr;
    }
    library->Release();
    return info;
}

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

void ReleaseChild(VARIANT& child) {
    if (child.vt == VT_DISPATCH && child.pdispVal != nullptr) {
        child.pdispVal->Release();
    }
    child.vt = VT_EMPTY;
}

// The standard client object of a window with some of its answers replaced.
// Every other call goes to the standard object. As Windows asks of such a
// wrapper, it names its window through IOleWindow, and late-bound calls
// through IDispatch reach its own answers. Its children are offered through
// IEnumVARIANT too, as AccessibleChildren() asks for them that way.
class OverridingAccessible final : public IAccessible, public IEnumVARIANT, public IOleWindow {
  public:
    OverridingAccessible(HWND window, IAccessible* standard,
                         const AccessibleOverridesSource& source)
        : window_(window), standard_(standard), source_(source) {}

    OverridingAccessible(const OverridingAccessible&) = delete;
    OverridingAccessible& operator=(const OverridingAccessible&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = nullptr;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) ||
            iid == __uuidof(IAccessible)) {
            *object = static_cast<IAccessible*>(this);
        } else if (iid == __uuidof(IEnumVARIANT) && LoadChildren()) {
            *object = static_cast<IEnumVARIANT*>(this);
        } else if (iid == __uuidof(IOleWindow)) {
            *object = static_cast<IOleWindow*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    // IDispatch, through IAccessible's type information called on this
    // object: the standard object's own Invoke would give its own answers.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) {
            return E_POINTER;
        }
        *count = TypeInfo() != nullptr ? 1 : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (info == nullptr) {
            return E_POINTER;
        }
        *info = index == 0 ? TypeInfo() : nullptr;
        if (*info == nullptr) {
            return index == 0 ? E_NOTIMPL : DISP_E_BADINDEX;
        }
        (*info)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (iid != IID_NULL) {
            return DISP_E_UNKNOWNINTERFACE;
        }
        return TypeInfo() != nullptr ? TypeInfo()->GetIDsOfNames(names, count, ids) : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception,
                                     UINT* argument) override {
        if (iid != IID_NULL) {
            return DISP_E_UNKNOWNINTERFACE;
        }
        return TypeInfo() != nullptr
                   ? TypeInfo()->Invoke(static_cast<IAccessible*>(this), id, flags, params, result,
                                        exception, argument)
                   : E_NOTIMPL;
    }

    // IOleWindow: the window whose object this is.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (window == nullptr) {
            return E_POINTER;
        }
        *window = window_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IAccessible: the answers that may be replaced.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        const AccessibleOverrides overrides = source_();
        if (IsSelf(child) && name != nullptr && overrides.name) {
            return Text(*overrides.name, name);
        }
        return standard_->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        const AccessibleOverrides overrides = source_();
        if (IsSelf(child) && description != nullptr && overrides.description) {
            return Text(*overrides.description, description);
        }
        return standard_->get_accDescription(child, description);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        const AccessibleOverrides overrides = source_();
        if (IsSelf(child) && role != nullptr && overrides.role) {
            role->vt = VT_I4;
            role->lVal = *overrides.role;
            return S_OK;
        }
        return standard_->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (count != nullptr && source_().visibleChildrenOnly && LoadChildren()) {
            *count = static_cast<long>(children_.size());
            return S_OK;
        }
        return standard_->get_accChildCount(count);
    }

    // IAccessible: everything else is the standard object's.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return standard_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return standard_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return standard_->get_accValue(child, value);
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
    HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override {
        return standard_->accHitTest(left, top, child);
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

    // IEnumVARIANT, over the children taken once from the standard object.
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* children, ULONG* fetched) override {
        ULONG taken = 0;
        for (; taken < count && next_ < children_.size(); ++taken, ++next_) {
            children[taken] = children_[next_];
            if (children[taken].vt == VT_DISPATCH) {
                children[taken].pdispVal->AddRef();
            }
        }
        if (fetched != nullptr) {
            *fetched = taken;
        }
        return taken == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        next_ += count;
        return next_ <= children_.size() ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        next_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT**) override { return E_NOTIMPL; }

  private:
    ~OverridingAccessible() {
        for (VARIANT& child : children_) {
            ReleaseChild(child);
        }
        if (typeInfo_ != nullptr) {
            typeInfo_->Release();
        }
        standard_->Release();
    }

    ITypeInfo* TypeInfo() {
        if (!typeInfoLoaded_) {
            typeInfoLoaded_ = true;
            typeInfo_ = AccessibleTypeInfo(standard_);
        }
        return typeInfo_;
    }

    // The standard object's children, the hidden windows among them left out
    // when the source says so. False when the standard object lists none.
    bool LoadChildren() {
        if (childrenLoaded_) {
            return true;
        }
        IEnumVARIANT* all = nullptr;
        if (FAILED(standard_->QueryInterface(__uuidof(IEnumVARIANT),
                                             reinterpret_cast<void**>(&all)))) {
            return false;
        }
        const bool visibleOnly = source_().visibleChildrenOnly;
        all->Reset();
        VARIANT child{};
        while (all->Next(1, &child, nullptr) == S_OK) {
            HWND window = nullptr;
            IAccessible* object = nullptr;
            if (visibleOnly && child.vt == VT_DISPATCH &&
                SUCCEEDED(child.pdispVal->QueryInterface(__uuidof(IAccessible),
                                                         reinterpret_cast<void**>(&object)))) {
                Api()->windowFromAccessibleObject(object, &window);
                object->Release();
            }
            if (window != nullptr && !IsWindowVisible(window)) {
                ReleaseChild(child);
            } else {
                children_.push_back(child);
            }
            child = VARIANT{};
        }
        all->Release();
        childrenLoaded_ = true;
        return true;
    }

    HRESULT Text(const std::wstring& text, BSTR* out) const {
        *out = nullptr;
        if (text.empty()) {
            return S_FALSE;
        }
        *out = Api()->sysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return *out != nullptr ? S_OK : E_OUTOFMEMORY;
    }

    LONG references_ = 1;
    const HWND window_;
    IAccessible* const standard_;
    const AccessibleOverridesSource source_;
    std::vector<VARIANT> children_;
    bool childrenLoaded_ = false;
    std::size_t next_ = 0;
    ITypeInfo* typeInfo_ = nullptr;
    bool typeInfoLoaded_ = false;
};

} // namespace

LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam,
                        const AccessibleOverridesSource& source) {
    // The object id comes as a 32-bit value, sign- or zero-extended.
    if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT)) {
        return 0;
    }
    const AccessibilityFunctions* api = Api();
    IAccessible* standard = nullptr;
    if (api == nullptr ||
        FAILED(api->createStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                                              reinterpret_cast<void**>(&standard)))) {
        return 0;
    }
    // A new object for every request: LresultFromObject keeps a reference
    // until the screen reader lets the object go.
    auto* object = new OverridingAccessible(window, standard, source);
    const LRESULT result =
        api->lresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(object));
    object->Release();
    return result > 0 ? result : 0;
}

bool Annotate(const std::vector<UiaAnnotation>& annotations) {
    const AccessibilityFunctions* api = Api();
    IAccPropServices* services = nullptr;
    if (api == nullptr ||
        FAILED(api->coCreateInstance(kClsidAccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                     kIidAccPropServices, reinterpret_cast<void**>(&services)))) {
        return false;
    }
    bool complete = true;
    for (const UiaAnnotation& annotation : annotations) {
        if (annotation.window == nullptr) {
            complete = false;
            continue;
        }
        // A property that Windows refuses stays refused: that is no reason
        // to try again.
        if (const std::wstring* text = std::get_if<std::wstring>(&annotation.value)) {
            services->SetHwndPropStr(annotation.window, static_cast<DWORD>(OBJID_CLIENT),
                                     CHILDID_SELF, annotation.property, text->c_str());
        } else {
            VARIANT number{};
            number.vt = VT_I4;
            number.lVal = std::get<long>(annotation.value);
            services->SetHwndProp(annotation.window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                  annotation.property, number);
        }
    }
    services->Release();
    return complete;
}

void AnnounceLiveRegion(HWND window) {
    NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, window, OBJID_CLIENT, CHILDID_SELF);
}
