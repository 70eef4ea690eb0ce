#include "ui/AccessibleView.h"

#include <ole2.h>
#include <oleacc.h>

#include <string>

#include "platform/SystemDlls.h"
#include "ui/BaseView.h"
#include "ui/ButtonResource.h"
#include "ui/CheckboxResource.h"
#include "ui/EditResource.h"
#include "ui/ProgressResource.h"
#include "ui/TextResource.h"

namespace {

using CreateStdAccessibleObjectFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);

struct OleAcc {
    CreateStdAccessibleObjectFn createStd = nullptr;
    LresultFromObjectFn lresultFromObject = nullptr;
};

// Loaded once and kept: the module stays for the life of the process.
const OleAcc& GetOleAcc() {
    static const OleAcc functions = [] {
        OleAcc loaded;
        HMODULE module = LoadSystemLibrary(L"oleacc.dll");
        if (!module) return loaded;
        loaded.createStd = reinterpret_cast<CreateStdAccessibleObjectFn>(
            reinterpret_cast<void*>(GetProcAddress(module, "CreateStdAccessibleObject")));
        loaded.lresultFromObject = reinterpret_cast<LresultFromObjectFn>(
            reinterpret_cast<void*>(GetProcAddress(module, "LresultFromObject")));
        return loaded;
    }();
    return functions;
}

// The name of a text-less button: only the close cross has none.
constexpr const wchar_t* kCloseName = L"关闭";

bool IsChildType(ResourceType type) {
    switch (type) {
        case RES_BUTTON:
        case RES_CHECKBOX:
        case RES_TEXT:
        case RES_PROGRESS:
        case RES_EDIT:
            return true;
        default:
            return false;
    }
}

bool IsLink(IBaseResource* resource) {
    return resource->GetType() == RES_BUTTON &&
           static_cast<CImageResource*>(resource)->GetStyle(STATE_NORMAL).m_underline;
}

HRESULT ReturnText(const std::wstring& text, BSTR* out) {
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

void SetI4(VARIANT* out, LONG value) {
    out->vt = VT_I4;
    out->lVal = value;
}

}  // namespace

std::vector<int32_t> AccessibleChildIndexes(const IBaseView& view) {
    std::vector<int32_t> indexes;
    for (int32_t i = 0; i < view.GetResourceCount(); ++i) {
        IBaseResource* resource = view.GetResource(i);
        if (resource && IsChildType(resource->GetType())) indexes.push_back(i);
    }
    return indexes;
}

LONG AccessibleChildId(const IBaseView& view, int32_t index) {
    const std::vector<int32_t> indexes = AccessibleChildIndexes(view);
    for (size_t i = 0; i < indexes.size(); ++i) {
        if (indexes[i] == index) return static_cast<LONG>(i + 1);
    }
    return CHILDID_SELF;
}

class CViewAccessible final : public IAccessible {
public:
    CViewAccessible(IBaseView* view, IAccessible* windowPart) : m_pView(view), m_pWindowPart(windowPart) {}
    CViewAccessible(const CViewAccessible&) = delete;
    CViewAccessible& operator=(const CViewAccessible&) = delete;

    void Disconnect() {
        m_pView = nullptr;
        if (m_pWindowPart) m_pWindowPart->Release();
        m_pWindowPart = nullptr;
    }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) || riid == __uuidof(IAccessible)) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG refs = InterlockedDecrement(&m_refs);
        if (refs == 0) {
            Disconnect();
            delete this;
        }
        return static_cast<ULONG>(refs);
    }

    // IDispatch: screen readers use the interface's own methods.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    STDMETHODIMP get_accParent(IDispatch** parent) override {
        if (!m_pView) return CO_E_OBJNOTCONNECTED;
        return m_pWindowPart->get_accParent(parent);
    }
    STDMETHODIMP get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        if (!m_pView) return CO_E_OBJNOTCONNECTED;
        *count = static_cast<long>(AccessibleChildIndexes(*m_pView).size());
        return S_OK;
    }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!m_pView) return CO_E_OBJNOTCONNECTED;
        // The children are simple elements that this object answers for.
        return ChildResource(child) ? S_FALSE : E_INVALIDARG;
    }
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        if (!name) return E_POINTER;
        *name = nullptr;
        if (!m_pView) return CO_E_OBJNOTCONNECTED;
        if (IsSelf(child)) return m_pWindowPart->get_accName(child, name);
        IBaseResource* resource = ChildResource(child);
        if (!resource) return E_INVALIDARG;
        switch (resource->GetType()) {
            case RES_BUTTON: {
                const std::wstring& text = static_cast<CButtonResource*>(resource)->GetText();
                return ReturnText(text.empty() ? std::wstring(kCloseName) : text, name);
            }
            case RES_CHECKBOX:
                return ReturnText(static_cast<CCheckboxResource*>(resource)->GetText(), name);
            case RES_TEXT:
                return ReturnText(static_cast<CTextResource*>(resource)->GetText(), name);
            default:
                return S_FALSE;
        }
    }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override {
        if (!value) return E_POINTER;
        *value = nullptr;
        if (!m_pView) return CO_E_OBJNOTCONNECTED;
        if (IsSelf(child)) return m_pWindowPart->get_accValue(child, value);
        IBaseResource* resource = ChildResource(child);
        if (!resource) return E_INVALIDARG;
        if (resource->GetType() == RES_PROGRESS) {
            const uint32_t percent = static_cast<CProgressResource*>(resource)->GetPercent();
            return ReturnText(std::to_wstring(percent > 100 ? 100 : percent) + L"%", value);
        }
        if (resource->GetType() == RES_EDIT)
            return ReturnText(static_cast<CEditResource*>(resource)->GetEditText(), value);
        return DISP_E_MEMBERNOTFOUND;
    }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* description) override {
        return NoText(child, description);
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
        if (!role) return E_POINTER;
        VariantInit(role);
        if (!m_pView) return CO_E_OBJNOTCONNECTED;
        if (IsSelf(child)) return m_pWindowPart->get_accRole(child, role);
        IBaseResource* resource = ChildResource(child);
        if (!resource) return E_INVALIDARG;
        switch (resource->GetType()) {
            case RES_BUTTON:
                SetI4(role, IsLink(resource) ? ROLE_SYSTEM_LINK : ROLE_SYSTEM_PUSHBUTTON);
                break;
            case RES_CHECKBOX:
                SetI4(role, ROLE_SYSTEM_CHECKBUTTON);
                break;
            case RES_PROGRESS:
                SetI4(role, ROLE_SYSTEM_PROGRESSBAR);
                break;
            case RES_EDIT:
                SetI4(role, ROLE_SYSTEM_TEXT);
                break;
            default:
                SetI4(role, ROLE_SYSTEM_STATICTEXT);
                break;
        }
        return S_OK;
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        if (!state) return E_POINTER;
        VariantInit(state);
        if (!m_pView) return CO_E_OBJNOTCONNECTED;
        if (IsSelf(child)) return m_pWindowPart->get_accState(child, state);
        IBaseResource* resource = ChildResource(child);
        if (!resource) return E_INVALIDARG;
        const int32_t index = child.lVal <= 0 ? -1 : AccessibleChildIndexes(*m_pView)[child.lVal - 1];
        LONG flags = 0;
        const ResourceType type = resource->GetType();
        if (!resource->IsVisible()) flags |= STATE_SYSTEM_INVISIBLE;
        if (type == RES_BUTTON && static_cast<CImageResource*>(resource)->GetState() == STATE_DISABLED) {
            flags |= STATE_SYSTEM_UNAVAILABLE;
        }
        if (type == RES_CHECKBOX && static_cast<CCheckboxResource*>(resource)->GetChecked()) {
            flags |= STATE_SYSTEM_CHECKED;
        }
        if (type == RES_TEXT) flags |= STATE_SYSTEM_READONLY;
        if (type == RES_PROGRESS) flags |= STATE_SYSTEM_READONLY;
        if (IsLink(resource)) flags |= STATE_SYSTEM_LINKED;
        if (m_pView->IsFocusable(index)) flags |= STATE_SYSTEM_FOCUSABLE;
        if (index == m_pView->GetFocusIndex() && WindowHasKeyboard()) flags |= STATE_SYSTEM_FOCUSED;
        SetI4(state, flags);
        return S_OK;
    }
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override { return NoText(child, help); }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return m_pView ? S_FALSE : CO_E_OBJNOTCONNECTED;
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return NoText(child, shortcut);
    }
    STDMETHODIMP get_accFocus(VARIANT* focus) override {
        if (!focus) return E_POINTER;
        VariantInit(focus);
        if (!m_pView) return CO_E_OBJNOTCONNECTED;
        if (!WindowHasKeyboard()) return S_FALSE;
        SetI4(focus, AccessibleChildId(*m_pView, m_pView->GetFocusIndex()));
        return S_OK;
    }
    STDMETHODIMP get_accSelection(VARIANT* selection) override {
        if (!selection) return E_POINTER;
        VariantInit(selection);
        return m_pView ? S_FALSE : CO_E_OBJNOTCONNECTED;
    }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!action) return E_POINTER;
        *action = nullptr;
        if (!m_pView) return CO_E_OBJNOTCONNECTED;
        if (IsSelf(child)) return S_FALSE;
        IBaseResource* resource = ChildResource(child);
        if (!resource) return E_INVALIDARG;
        if (resource->GetType() == RES_CHECKBOX) {
            return ReturnText(static_cast<CCheckboxResource*>(resource)->GetChecked() ? L"Uncheck" : L"Check",
                              action);
        }
        if (resource->GetType() == RES_BUTTON)
            return ReturnText(IsLink(resource) ? L"Jump" : L"Press", action);
        return S_FALSE;
    }
    STDMETHODIMP accSelect(long flags, VARIANT child) override {
        if (!m_pView) return CO_E_OBJNOTCONNECTED;
        if (IsSelf(child)) return m_pWindowPart->accSelect(flags, child);
        if (!ChildResource(child)) return E_INVALIDARG;
        const int32_t index = AccessibleChildIndexes(*m_pView)[child.lVal - 1];
        if (!(flags & SELFLAG_TAKEFOCUS) || !m_pView->IsFocusable(index)) return S_FALSE;
        m_pView->SetFocusIndex(index);
        return S_OK;
    }
    STDMETHODIMP accLocation(long* x, long* y, long* w, long* h, VARIANT child) override {
        if (!x || !y || !w || !h) return E_POINTER;
        if (!m_pView) return CO_E_OBJNOTCONNECTED;
        if (IsSelf(child)) return m_pWindowPart->accLocation(x, y, w, h, child);
        IBaseResource* resource = ChildResource(child);
        if (!resource) return E_INVALIDARG;
        const UiRect& rc = resource->GetRect();
        POINT corner = {rc.left, rc.top};
        ClientToScreen(m_pView->GetHwnd(), &corner);
        *x = corner.x;
        *y = corner.y;
        *w = rc.Width();
        *h = rc.Height();
        return S_OK;
    }
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (!end) return E_POINTER;
        VariantInit(end);
        if (!m_pView) return CO_E_OBJNOTCONNECTED;
        const long count = static_cast<long>(AccessibleChildIndexes(*m_pView).size());
        long target = 0;
        if (IsSelf(start)) {
            if (direction == NAVDIR_FIRSTCHILD)
                target = 1;
            else if (direction == NAVDIR_LASTCHILD)
                target = count;
            else
                return m_pWindowPart->accNavigate(direction, start, end);
        } else {
            if (!ChildResource(start)) return E_INVALIDARG;
            if (direction == NAVDIR_NEXT)
                target = start.lVal + 1;
            else if (direction == NAVDIR_PREVIOUS)
                target = start.lVal - 1;
            else
                return S_FALSE;
        }
        if (target < 1 || target > count) return S_FALSE;
        SetI4(end, target);
        return S_OK;
    }
    STDMETHODIMP accHitTest(long x, long y, VARIANT* child) override {
        if (!child) return E_POINTER;
        VariantInit(child);
        if (!m_pView) return CO_E_OBJNOTCONNECTED;
        POINT point = {x, y};
        ScreenToClient(m_pView->GetHwnd(), &point);
        RECT client;
        GetClientRect(m_pView->GetHwnd(), &client);
        if (!PtInRect(&client, point)) return S_FALSE;
        // The last listed child under the point is the one drawn on top.
        LONG found = CHILDID_SELF;
        const std::vector<int32_t> indexes = AccessibleChildIndexes(*m_pView);
        for (size_t i = 0; i < indexes.size(); ++i) {
            IBaseResource* resource = m_pView->GetResource(indexes[i]);
            if (resource->IsVisible() && resource->GetRect().Contains(point.x, point.y))
                found = static_cast<LONG>(i + 1);
        }
        SetI4(child, found);
        return S_OK;
    }
    STDMETHODIMP accDoDefaultAction(VARIANT child) override {
        if (!m_pView) return CO_E_OBJNOTCONNECTED;
        if (IsSelf(child)) return DISP_E_MEMBERNOTFOUND;
        if (!ChildResource(child)) return E_INVALIDARG;
        const int32_t index = AccessibleChildIndexes(*m_pView)[child.lVal - 1];
        return m_pView->Activate(index) ? S_OK : DISP_E_MEMBERNOTFOUND;
    }
    STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~CViewAccessible() = default;

    static bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }
    // The widget for a child id, or null for anything else (the client itself included).
    IBaseResource* ChildResource(const VARIANT& child) const {
        if (child.vt != VT_I4 || child.lVal <= 0) return nullptr;
        const std::vector<int32_t> indexes = AccessibleChildIndexes(*m_pView);
        if (static_cast<size_t>(child.lVal) > indexes.size()) return nullptr;
        return m_pView->GetResource(indexes[static_cast<size_t>(child.lVal - 1)]);
    }
    HRESULT NoText(const VARIANT& child, BSTR* out) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!m_pView) return CO_E_OBJNOTCONNECTED;
        return IsSelf(child) || ChildResource(child) ? S_FALSE : E_INVALIDARG;
    }
    bool WindowHasKeyboard() const {
        HWND keyboard = GetFocus();
        return keyboard && (keyboard == m_pView->GetHwnd() || IsChild(m_pView->GetHwnd(), keyboard));
    }

    LONG m_refs = 1;
    IBaseView* m_pView;
    IAccessible* m_pWindowPart;
};

bool AnswerClientObject(IBaseView& view, CViewAccessible*& slot, WPARAM wParam, LRESULT* result) {
    const OleAcc& oleacc = GetOleAcc();
    if (!oleacc.createStd || !oleacc.lresultFromObject) return false;
    // Handing the object over marshals it, which needs COM on this thread. It stays initialised
    // for the thread's life: a screen reader may ask again at any time.
    static thread_local bool comReady = false;
    if (!comReady) {
        const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        comReady = SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
        if (!comReady) return false;
    }
    if (!slot) {
        IAccessible* windowPart = nullptr;
        if (FAILED(oleacc.createStd(view.GetHwnd(), OBJID_CLIENT, __uuidof(IAccessible),
                                    reinterpret_cast<void**>(&windowPart))) ||
            !windowPart) {
            return false;
        }
        slot = new CViewAccessible(&view, windowPart);
    }
    const LRESULT answer = oleacc.lresultFromObject(__uuidof(IAccessible), wParam, slot);
    // A failure comes back as a negative HRESULT, a success as a positive reference.
    if (answer < 0) return false;
    *result = answer;
    return true;
}

void DisconnectAccessible(CViewAccessible*& slot) {
    if (!slot) return;
    slot->Disconnect();
    slot->Release();
    slot = nullptr;
}
