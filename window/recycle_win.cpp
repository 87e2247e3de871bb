#include "window/recycle_win.h"

#include <shellapi.h>
#include <shobjidl.h>

#include "base/language.h"
#include "base/settings.h"
#include "window/gestures.h"
#include "window/picture_win.h"
#include "window/shell_win.h"

static_assert(DELETE_TO_BIN == TSF_DELETE_RECYCLE_IF_POSSIBLE, "the sink's flag");

namespace {

const CLSID FILE_OPERATION_CLASS = {0x3ad05575,
                                    0x8857,
                                    0x4850,
                                    {0x92, 0x77, 0x11, 0xb8, 0x5b, 0xdb, 0x8e, 0x09}};

// With FOF_NOCONFIRMATION the copy engine would destroy a file the bin cannot take
// without a word; this sink stops it before. One static object: no count to keep.
struct BinOnlySink : IFileOperationProgressSink {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        const bool mine = iid == __uuidof(IUnknown) || iid == __uuidof(IFileOperationProgressSink);
        *object = mine ? this : nullptr;
        return mine ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE PreDeleteItem(DWORD flags, IShellItem*) override {
        return DeleteGoesToBin(flags) ? S_OK : E_ABORT;
    }
    HRESULT STDMETHODCALLTYPE StartOperations() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE FinishOperations(HRESULT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PreRenameItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostRenameItem(DWORD, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE
    PostMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE
    PostCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PostDeleteItem(DWORD, IShellItem*, HRESULT, IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreNewItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE
    PostNewItem(DWORD, IShellItem*, LPCWSTR, LPCWSTR, DWORD, HRESULT, IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UpdateProgress(UINT, UINT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResetTimer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PauseTimer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResumeTimer() override { return S_OK; }
} binOnly;

// The shell's own file operation, on the main thread's apartment. False when this system
// cannot carry it out (none, or E_NOTIMPL as under Wine); true once it ran, whatever it did.
bool RecycleWithFileOperation(HWND window, const char16_t* path) {
    IFileOperation* operation;
    if (!CreateComObject(FILE_OPERATION_CLASS, __uuidof(IFileOperation),
                         reinterpret_cast<void**>(&operation))) {
        return false;
    }
    // From Windows 8 on, only FOFX_RECYCLEONDELETE sends the file to the bin; 7 may
    // refuse a flag it does not know.
    const DWORD flags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    HRESULT result = operation->SetOperationFlags(flags | FOFX_RECYCLEONDELETE);
    if (FAILED(result) && result != E_NOTIMPL) {
        result = operation->SetOperationFlags(flags);
    }
    IShellItem* item = nullptr;
    DWORD cookie = 0;
    bool ran = false;
    if (SUCCEEDED(result) &&
        SUCCEEDED(SHCreateItemFromParsingName(Wide(path), nullptr, __uuidof(IShellItem),
                                              reinterpret_cast<void**>(&item))) &&
        SUCCEEDED(operation->Advise(&binOnly, &cookie))) {
        operation->SetOwnerWindow(window);
        ran = SUCCEEDED(operation->DeleteItem(item, nullptr)) && operation->PerformOperations() != E_NOTIMPL;
        operation->Unadvise(cookie);
    }
    if (item != nullptr) {
        item->Release();
    }
    operation->Release();
    return ran;
}

// The older way: FOF_WANTNUKEWARNING asks before a file the bin cannot take is
// destroyed, FOF_NOCONFIRMATION notwithstanding.
void RecycleWithShell(HWND window, const char16_t* path) {
    char16_t list[FILE_LIST_UNITS];
    if (!FormatFileList(path, list)) {
        return;
    }
    SHFILEOPSTRUCTW operation = {};
    operation.hwnd = window;
    operation.wFunc = FO_DELETE;
    operation.pFrom = Wide(list);
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_WANTNUKEWARNING | FOF_SILENT;
    SHFileOperationW(&operation);
}

int Ask(HWND window, TextId id, const char16_t* path, UINT style) {
    char16_t text[RECYCLE_TEXT_UNITS];
    FormatRecycleText(id, path, text);
    return MessageBoxW(window, Wide(text), Wide(caption), style);
}

}  // namespace

int RecyclePicture(HWND window, const char16_t* picture) {
    // The menu can open again under the question and take another picture; a second
    // choice meanwhile does nothing.
    static bool busy;
    char16_t path[TEXT_UNITS];
    if (busy || !CopyText(path, picture) || !FileExists(path)) {
        return 0;
    }
    busy = true;
    int moved = 0;
    if (Ask(window, TEXT_RECYCLE_QUESTION, path, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES) {
        if (!RecycleWithFileOperation(window, path)) {
            RecycleWithShell(window, path);
        }
        moved = !FileExists(path);
        if (!moved) {
            Ask(window, TEXT_NOT_RECYCLED, path, MB_ICONWARNING);
        }
    }
    busy = false;
    return moved;
}
