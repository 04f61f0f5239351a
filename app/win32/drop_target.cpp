#include "app/win32/drop_target.h"

#include <ole2.h>

#include <atomic>
#include <utility>

#include "app/win32/win32_text.h"

namespace velk::win32 {
namespace {

class DropTarget : public IDropTarget {
 public:
  DropTarget(std::function<bool(const DroppedPaths&)> accepts,
             std::function<void(const DroppedPaths&)> take)
      : accepts_(std::move(accepts)), take_(std::move(take)) {}
  virtual ~DropTarget() = default;
  DropTarget(const DropTarget&) = delete;
  DropTarget& operator=(const DropTarget&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDropTarget)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    effect_ = accepts_(PathsOf(data)) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    *effect &= effect_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect &= effect_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    effect_ = DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    const DroppedPaths paths = PathsOf(data);
    effect_ = accepts_(paths) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    *effect &= effect_;
    if (*effect != DROPEFFECT_NONE) take_(paths);
    effect_ = DROPEFFECT_NONE;
    return S_OK;
  }

 private:
  // The files a drag carries; none when it carries no files (text, say).
  static DroppedPaths PathsOf(IDataObject* data) {
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (data == nullptr || FAILED(data->GetData(&format, &medium))) return {};
    DroppedPaths paths;
    if (void* drop = GlobalLock(medium.hGlobal)) {
      paths = PathsOfDrop(static_cast<HDROP>(drop));
      GlobalUnlock(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    return paths;
  }

  std::function<bool(const DroppedPaths&)> accepts_;
  std::function<void(const DroppedPaths&)> take_;
  std::atomic<ULONG> references_{1};
  DWORD effect_ = DROPEFFECT_NONE;
};

}  // namespace

bool AcceptDrops(HWND hwnd, std::function<bool(const DroppedPaths&)> accepts,
                 std::function<void(const DroppedPaths&)> take) {
  auto* target = new DropTarget(std::move(accepts), std::move(take));
  // Windows holds the target while the window is registered.
  const HRESULT registered = RegisterDragDrop(hwnd, target);
  target->Release();
  return SUCCEEDED(registered);
}

void StopDrops(HWND hwnd) {
  RevokeDragDrop(hwnd);
}

DroppedPaths PathsOfDrop(HDROP drop) {
  DroppedPaths paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
    paths.push_back(Utf8FromWide(path));
  }
  return paths;
}

}  // namespace velk::win32
