// A stand-in for the desktop wallpaper class, which Wine lacks: an in-process server that
// the e2e driver registers under the real class identifier. It answers GetStatus and the
// monitor list from HKCU\Software\Nuvelo tests\Desktop wallpaper (Status, Monitors) and
// appends every call with its arguments there to Calls, one line each.
#include <windows.h>
#include <shobjidl.h>

#include <string>

namespace {

const wchar_t KEY[] = L"Software\\Nuvelo tests\\Desktop wallpaper";

std::wstring Read(const wchar_t* name, DWORD type) {
    wchar_t data[2048] = {};
    DWORD size = sizeof(data) - 2 * sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, KEY, name, type == REG_DWORD ? RRF_RT_REG_DWORD : RRF_RT_ANY, nullptr,
                     data, &size) != ERROR_SUCCESS) {
        return std::wstring();
    }
    return std::wstring(data, type == REG_DWORD ? 2 : size / sizeof(wchar_t));
}

void Record(const std::wstring& call) {
    std::wstring calls = Read(L"Calls", REG_SZ).c_str();
    calls += call + L"\n";
    RegSetKeyValueW(HKEY_CURRENT_USER, KEY, L"Calls", REG_SZ, calls.c_str(),
                    static_cast<DWORD>((calls.size() + 1) * sizeof(wchar_t)));
}

// The monitor IDs: the Monitors multi-string's entries.
std::wstring Monitor(UINT index) {
    const std::wstring all = Read(L"Monitors", REG_MULTI_SZ);
    size_t start = 0;
    for (UINT i = 0; i < index && start < all.size(); ++i) {
        start = all.find(L'\0', start) + 1;
    }
    return start < all.size() ? all.c_str() + start : L"";
}

struct Wallpaper : IDesktopWallpaper {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        *object = riid == __uuidof(IUnknown) || riid == __uuidof(IDesktopWallpaper) ? this : nullptr;
        return *object != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SetWallpaper(LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetWallpaper(LPCWSTR, LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMonitorDevicePathAt(UINT index, LPWSTR* id) override {
        Record(L"GetMonitorDevicePathAt " + std::to_wstring(index));
        const std::wstring monitor = Monitor(index);
        *id = nullptr;
        if (monitor.empty()) {
            return E_INVALIDARG;
        }
        *id = static_cast<LPWSTR>(CoTaskMemAlloc((monitor.size() + 1) * sizeof(wchar_t)));
        memcpy(*id, monitor.c_str(), (monitor.size() + 1) * sizeof(wchar_t));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMonitorDevicePathCount(UINT* count) override {
        Record(L"GetMonitorDevicePathCount");
        for (*count = 0; !Monitor(*count).empty(); ++*count) {
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMonitorRECT(LPCWSTR, RECT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetBackgroundColor(COLORREF) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBackgroundColor(COLORREF*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetPosition(DESKTOP_WALLPAPER_POSITION) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPosition(DESKTOP_WALLPAPER_POSITION*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSlideshow(IShellItemArray*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSlideshow(IShellItemArray**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSlideshowOptions(DESKTOP_SLIDESHOW_OPTIONS, UINT) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetSlideshowOptions(DESKTOP_SLIDESHOW_OPTIONS*, UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE AdvanceSlideshow(LPCWSTR id, DESKTOP_SLIDESHOW_DIRECTION direction) override {
        Record(L"AdvanceSlideshow " + std::to_wstring(direction) + L" " + (id != nullptr ? id : L"(null)"));
        return S_OK;
    }
    // No Status value: the call fails, as with a shell that does not answer.
    HRESULT STDMETHODCALLTYPE GetStatus(DESKTOP_SLIDESHOW_STATE* state) override {
        Record(L"GetStatus");
        const std::wstring status = Read(L"Status", REG_DWORD);
        *state = DESKTOP_SLIDESHOW_STATE(status.empty() ? 0 : *reinterpret_cast<const DWORD*>(status.data()));
        return status.empty() ? E_FAIL : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Enable(WINBOOL) override { return E_NOTIMPL; }
} wallpaper;

struct Factory : IClassFactory {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        *object = riid == __uuidof(IUnknown) || riid == __uuidof(IClassFactory) ? this : nullptr;
        return *object != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID riid, void** object) override {
        return wallpaper.QueryInterface(riid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
} factory;

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
    DllGetClassObject(REFCLSID, REFIID riid, void** object) {
    return factory.QueryInterface(riid, object);
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return S_FALSE;
}
