#include "folder_drop.h"

#include <ole2.h>
#include <shellapi.h>

#include "path_facts.h"

namespace {

// The one format asked for: a list of file system paths.
FORMATETC FilesFormat() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

// A data object's storage, released on every path.
class Medium {
public:
    Medium() = default;
    ~Medium() {
        if (held_) ReleaseStgMedium(&medium_);
    }
    Medium(const Medium&) = delete;
    Medium& operator=(const Medium&) = delete;
    bool Take(IDataObject* data) {
        FORMATETC format = FilesFormat();
        held_ = SUCCEEDED(data->GetData(&format, &medium_)) && medium_.tymed == TYMED_HGLOBAL;
        return held_;
    }
    HDROP drop() const { return static_cast<HDROP>(medium_.hGlobal); }

private:
    STGMEDIUM medium_{};
    bool held_ = false;
};

std::wstring FirstDroppedPath(IDataObject* data) {
    Medium medium;
    if (!medium.Take(data) || DragQueryFileW(medium.drop(), 0xFFFFFFFF, nullptr, 0) == 0)
        return L"";
    const UINT units = DragQueryFileW(medium.drop(), 0, nullptr, 0);
    std::wstring path(units + 1, L'\0');
    path.resize(DragQueryFileW(medium.drop(), 0, &path[0], units + 1));
    return path;
}

// Copy where the source allows it, else link: never a move, which would
// let the source delete what it offered.
DWORD EffectFor(bool files, DWORD allowed) {
    if (!files) return DROPEFFECT_NONE;
    if (allowed & DROPEFFECT_COPY) return DROPEFFECT_COPY;
    return allowed & DROPEFFECT_LINK;
}

class FolderDropTarget final : public IDropTarget {
public:
    FolderDropTarget(HWND window, FolderDropped onDrop) : window_(window), onDrop_(onDrop) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDropTarget) {
            *object = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        FORMATETC format = FilesFormat();
        files_ = data && data->QueryGetData(&format) == S_OK;
        *effect = EffectFor(files_, *effect);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect = EffectFor(files_, *effect);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        files_ = false;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        const std::wstring path = data ? FirstDroppedPath(data) : L"";
        *effect = path.empty() ? DROPEFFECT_NONE : EffectFor(true, *effect);
        files_ = false;
        if (!path.empty()) onDrop_(window_, FolderFor(path));
        return S_OK;
    }

private:
    virtual ~FolderDropTarget() = default;
    LONG references_ = 1;
    HWND window_;
    FolderDropped onDrop_;
    bool files_ = false;
};

}  // namespace

bool AcceptFolderDrops(HWND window, FolderDropped onDrop) {
    auto* target = new FolderDropTarget(window, onDrop);
    const bool registered = SUCCEEDED(RegisterDragDrop(window, target));
    target->Release();  // the registration holds its own reference
    return registered;
}

void RefuseFolderDrops(HWND window) { RevokeDragDrop(window); }

std::wstring FolderFor(const std::wstring& path) {
    if (KindOf(path) != PathKind::kFile) return path;
    const std::wstring folder = ContainingFolder(path);
    return folder.empty() ? path : folder;
}
