#include "platform/win32/accessibility.h"

#include "platform/win32/com_ptr.h"
#include "platform/win32/system_functions.h"

#include <oleacc.h>

#include <optional>
#include <string>
#include <utility>
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
// otherwise the registered type library; empty when neither has it.
ComPtr<ITypeInfo> AccessibleTypeInfo(IAccessible* standard) {
    ComPtr<ITypeInfo> info;
    if (SUCCEEDED(standard->GetTypeInfo(0, LOCALE_NEUTRAL, info.put())) && info) {
        return info;
    }
    ComPtr<ITypeLib> library;
    if (FAILED(Api()->loadRegTypeLib(kLibidAccessibility, 1, 1, LOCALE_NEUTRAL, library.put())) ||
        FAILED(library->GetTypeInfoOfGuid(__uuidof(IAccessible), info.put()))) {
        return {};
    }
    return info;
}

// A number in a VARIANT: a child id, or a role.
VARIANT LongVariant(long value) {
    VARIANT number{};
    number.vt = VT_I4;
    number.lVal = value;
    return number;
}

// The child that a call names, as a VT_I4 id wherever it is a number.
// Late-bound callers leave it out (VT_EMPTY, or VT_ERROR with
// DISP_E_PARAMNOTFOUND for a missing optional argument), pass a VBScript
// integer (VT_I2), or pass a variable by reference; a child left out means
// the object itself. The standard objects of Windows do not all take these
// forms either, so they get the id too. Owns nothing: an object named by
// the caller stays the caller's.
VARIANT NormalChild(const VARIANT& given) {
    const VARIANT& child =
        given.vt == (VT_BYREF | VT_VARIANT) && given.pvarVal != nullptr ? *given.pvarVal : given;
    switch (child.vt) {
    case VT_EMPTY:
        return LongVariant(CHILDID_SELF);
    case VT_ERROR:
        return child.scode == DISP_E_PARAMNOTFOUND ? LongVariant(CHILDID_SELF) : child;
    case VT_I2:
        return LongVariant(child.iVal);
    case VT_BYREF | VT_I2:
        return child.piVal != nullptr ? LongVariant(*child.piVal) : child;
    case VT_BYREF | VT_I4:
        return child.plVal != nullptr ? LongVariant(*child.plVal) : child;
    default:
        return child;
    }
}

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// One child of an object, as its enumerator gives it: an object of its own
// (a child window) or a child id.
struct Child {
    ComPtr<IDispatch> object;
    long id = CHILDID_SELF;

    // A new reference for the caller.
    VARIANT ToVariant() const {
        if (!object) {
            return LongVariant(id);
        }
        VARIANT child{};
        child.vt = VT_DISPATCH;
        child.pdispVal = ComPtr<IDispatch>(object).release();
        return child;
    }
};

// The standard client object of a window with some of its answers replaced.
// Every other call goes to the standard object. As Windows asks of such a
// wrapper, it names its window through IOleWindow, and late-bound calls
// through IDispatch reach its own answers. Its children are offered through
// IEnumVARIANT too, as AccessibleChildren() asks for them that way.
class OverridingAccessible final : public IAccessible, public IEnumVARIANT, public IOleWindow {
  public:
    OverridingAccessible(HWND window, ComPtr<IAccessible> standard,
                         const AccessibleOverridesSource& source)
        : window_(window), standard_(std::move(standard)), source_(source) {}

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
        } else if (iid == __uuidof(IEnumVARIANT) && Reset() == S_OK) {
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
        *info = nullptr;
        if (index != 0) {
            return DISP_E_BADINDEX;
        }
        if (TypeInfo() == nullptr) {
            return E_NOTIMPL;
        }
        *info = ComPtr<ITypeInfo>(typeInfo_).release();
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
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT given, BSTR* name) override {
        const VARIANT child = NormalChild(given);
        const AccessibleOverrides overrides = source_();
        if (IsSelf(child) && name != nullptr && overrides.name) {
            return Text(*overrides.name, name);
        }
        return standard_->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT given, BSTR* description) override {
        const VARIANT child = NormalChild(given);
        const AccessibleOverrides overrides = source_();
        if (IsSelf(child) && description != nullptr && overrides.description) {
            return Text(*overrides.description, description);
        }
        return standard_->get_accDescription(child, description);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT given, VARIANT* role) override {
        const VARIANT child = NormalChild(given);
        const AccessibleOverrides overrides = source_();
        if (IsSelf(child) && role != nullptr && overrides.role) {
            *role = LongVariant(*overrides.role);
            return S_OK;
        }
        return standard_->get_accRole(child, role);
    }

    // IAccessible: the children, which leave the hidden windows out when the
    // source says so; the count, the children by number, the navigation and
    // the enumeration all read them as they are at the time of the call.
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (count == nullptr || !source_().visibleChildrenOnly) {
            return standard_->get_accChildCount(count);
        }
        const std::optional<std::vector<Child>> children = Children();
        if (!children) {
            return standard_->get_accChildCount(count);
        }
        *count = static_cast<long>(children->size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT given, IDispatch** object) override {
        const VARIANT child = NormalChild(given);
        if (object != nullptr && child.vt == VT_I4 && child.lVal != CHILDID_SELF &&
            source_().visibleChildrenOnly) {
            if (const std::optional<std::vector<Child>> children = Children()) {
                *object = nullptr;
                const Child* found = Numbered(*children, child.lVal);
                if (found == nullptr) {
                    return E_INVALIDARG;
                }
                // A child without an object of its own is reached through
                // this object, with its child id.
                *object = ComPtr<IDispatch>(found->object).release();
                return *object != nullptr ? S_OK : S_FALSE;
            }
        }
        return standard_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT given, VARIANT* end) override {
        const VARIANT start = NormalChild(given);
        if (end != nullptr && start.vt == VT_I4 && source_().visibleChildrenOnly) {
            if (const std::optional<std::vector<Child>> children = Children()) {
                if (const std::optional<long> number =
                        NavigateAmong(direction, start.lVal, static_cast<long>(children->size()))) {
                    const Child* found = Numbered(*children, *number);
                    *end = found != nullptr ? found->ToVariant() : VARIANT{};
                    return found != nullptr ? S_OK : S_FALSE;
                }
            }
        }
        return standard_->accNavigate(direction, start, end);
    }

    // IAccessible: everything else is the standard object's.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return standard_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return standard_->get_accValue(NormalChild(child), value);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return standard_->get_accState(NormalChild(child), state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return standard_->get_accHelp(NormalChild(child), help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return standard_->get_accHelpTopic(file, NormalChild(child), topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return standard_->get_accKeyboardShortcut(NormalChild(child), shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return standard_->get_accFocus(child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return standard_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return standard_->get_accDefaultAction(NormalChild(child), action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return standard_->accSelect(flags, NormalChild(child));
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        return standard_->accLocation(left, top, width, height, NormalChild(child));
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override {
        return standard_->accHitTest(left, top, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return standard_->accDoDefaultAction(NormalChild(child));
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return standard_->put_accName(NormalChild(child), name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return standard_->put_accValue(NormalChild(child), value);
    }

    // IEnumVARIANT, over the children as they were when the enumeration was
    // asked for or last reset.
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* children, ULONG* fetched) override {
        ULONG taken = 0;
        for (; taken < count && next_ < enumerated_.size(); ++taken, ++next_) {
            children[taken] = enumerated_[next_].ToVariant();
        }
        if (fetched != nullptr) {
            *fetched = taken;
        }
        return taken == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        next_ += count;
        return next_ <= enumerated_.size() ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        std::optional<std::vector<Child>> children = Children();
        if (!children) {
            return E_FAIL;
        }
        enumerated_ = std::move(*children);
        next_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT**) override { return E_NOTIMPL; }

  private:
    ~OverridingAccessible() = default;

    ITypeInfo* TypeInfo() {
        if (!typeInfoLoaded_) {
            typeInfoLoaded_ = true;
            typeInfo_ = AccessibleTypeInfo(standard_.get());
        }
        return typeInfo_.get();
    }

    // The standard object's children now, the hidden windows among them left
    // out when the source says so; none when the standard object lists none.
    std::optional<std::vector<Child>> Children() const {
        ComPtr<IEnumVARIANT> all;
        if (FAILED(standard_->QueryInterface(__uuidof(IEnumVARIANT), all.put_void()))) {
            return std::nullopt;
        }
        const bool visibleOnly = source_().visibleChildrenOnly;
        std::vector<Child> children;
        all->Reset();
        VARIANT given{};
        while (all->Next(1, &given, nullptr) == S_OK) {
            // An enumeration of children gives objects and ids, nothing else.
            Child child;
            const bool known = given.vt == VT_DISPATCH || given.vt == VT_I4;
            if (given.vt == VT_DISPATCH) {
                child.object = ComPtr<IDispatch>(given.pdispVal);
            } else {
                child.id = given.lVal;
            }
            given = VARIANT{};
            if (known && (!visibleOnly || !IsHiddenWindow(child))) {
                children.push_back(std::move(child));
            }
        }
        return children;
    }

    static bool IsHiddenWindow(const Child& child) {
        ComPtr<IAccessible> object;
        HWND window = nullptr;
        return child.object &&
               SUCCEEDED(child.object->QueryInterface(__uuidof(IAccessible), object.put_void())) &&
               SUCCEEDED(Api()->windowFromAccessibleObject(object.get(), &window)) &&
               window != nullptr && !IsWindowVisible(window);
    }

    // Children are numbered from 1 in the order of the enumeration.
    static const Child* Numbered(const std::vector<Child>& children, long number) {
        return number >= 1 && static_cast<std::size_t>(number) <= children.size()
                   ? &children[static_cast<std::size_t>(number - 1)]
                   : nullptr;
    }

    // The number of the child that a move among the children reaches (0 for
    // none), or nothing for a move that leaves this object's children, which
    // the standard object answers.
    static std::optional<long> NavigateAmong(long direction, long start, long count) {
        if (start == CHILDID_SELF) {
            switch (direction) {
            case NAVDIR_FIRSTCHILD:
                return count > 0 ? 1 : 0;
            case NAVDIR_LASTCHILD:
                return count;
            default:
                return std::nullopt;
            }
        }
        if (start < 1 || start > count) {
            return std::nullopt;
        }
        switch (direction) {
        case NAVDIR_NEXT:
            return start < count ? start + 1 : 0;
        case NAVDIR_PREVIOUS:
            return start - 1;
        default:
            return std::nullopt;
        }
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
    const ComPtr<IAccessible> standard_;
    const AccessibleOverridesSource source_;
    std::vector<Child> enumerated_;
    std::size_t next_ = 0;
    ComPtr<ITypeInfo> typeInfo_;
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
    ComPtr<IAccessible> standard;
    if (api == nullptr || FAILED(api->createStdAccessibleObject(
                              window, OBJID_CLIENT, __uuidof(IAccessible), standard.put_void()))) {
        return 0;
    }
    // A new object for every request: LresultFromObject keeps a reference
    // until the screen reader lets the object go.
    const ComPtr<IAccessible> object(new OverridingAccessible(window, std::move(standard), source));
    const LRESULT result = api->lresultFromObject(__uuidof(IAccessible), wParam, object.get());
    return result > 0 ? result : 0;
}

bool Annotate(const std::vector<UiaAnnotation>& annotations) {
    const AccessibilityFunctions* api = Api();
    ComPtr<IAccPropServices> services;
    if (api == nullptr ||
        FAILED(api->coCreateInstance(kClsidAccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                     kIidAccPropServices, services.put_void()))) {
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
    return complete;
}

void AnnounceLiveRegion(HWND window) {
    NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, window, OBJID_CLIENT, CHILDID_SELF);
}
