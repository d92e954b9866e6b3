#pragma once

// A task-bar list that records the calls made on it, served to this process in place of the
// shell's for as long as it lives: CoCreateInstance of CLSID_TaskbarList finds its class object
// before the registry's, so the program's own COM call path runs. Needs the thread's apartment.

#include <windows.h>

#include <shobjidl.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelvor::testing_support {

class TaskbarRecorder final : public ITaskbarList3, public IClassFactory {
public:
    TaskbarRecorder() {
        if (FAILED(CoRegisterClassObject(CLSID_TaskbarList, static_cast<IClassFactory*>(this),
                                         CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_)))
            throw std::runtime_error("cannot register the recording task-bar list");
    }
    TaskbarRecorder(const TaskbarRecorder&) = delete;
    TaskbarRecorder& operator=(const TaskbarRecorder&) = delete;
    ~TaskbarRecorder() { CoRevokeClassObject(cookie_); }

    // "value <window> <done>/<total>", "state <window> <flags>" and the others by name.
    std::vector<std::string> calls;

    static std::string Name(HWND window) {
        return std::to_string(reinterpret_cast<std::uintptr_t>(window));
    }

    // IUnknown: the object lives as long as the test holds it, so the count only pretends.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IClassFactory)
            *object = static_cast<IClassFactory*>(this);
        else if (iid == IID_ITaskbarList || iid == IID_ITaskbarList2 || iid == IID_ITaskbarList3)
            *object = static_cast<ITaskbarList3*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    // IClassFactory
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (outer) {
            *object = nullptr;
            return CLASS_E_NOAGGREGATION;
        }
        calls.push_back("create");
        return QueryInterface(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

    // ITaskbarList
    HRESULT STDMETHODCALLTYPE HrInit() override { return Note("init"); }
    HRESULT STDMETHODCALLTYPE AddTab(HWND) override { return Note("AddTab"); }
    HRESULT STDMETHODCALLTYPE DeleteTab(HWND) override { return Note("DeleteTab"); }
    HRESULT STDMETHODCALLTYPE ActivateTab(HWND) override { return Note("ActivateTab"); }
    HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND) override { return Note("SetActiveAlt"); }
    // ITaskbarList2
    HRESULT STDMETHODCALLTYPE MarkFullscreenWindow(HWND, BOOL) override {
        return Note("MarkFullscreenWindow");
    }
    // ITaskbarList3
    HRESULT STDMETHODCALLTYPE SetProgressValue(HWND window, ULONGLONG done,
                                               ULONGLONG total) override {
        return Note("value " + Name(window) + " " + std::to_string(done) + "/" +
                    std::to_string(total));
    }
    HRESULT STDMETHODCALLTYPE SetProgressState(HWND window, TBPFLAG flags) override {
        return Note("state " + Name(window) + " " + std::to_string(flags));
    }
    HRESULT STDMETHODCALLTYPE RegisterTab(HWND, HWND) override { return Note("RegisterTab"); }
    HRESULT STDMETHODCALLTYPE UnregisterTab(HWND) override { return Note("UnregisterTab"); }
    HRESULT STDMETHODCALLTYPE SetTabOrder(HWND, HWND) override { return Note("SetTabOrder"); }
    HRESULT STDMETHODCALLTYPE SetTabActive(HWND, HWND, DWORD) override {
        return Note("SetTabActive");
    }
    HRESULT STDMETHODCALLTYPE ThumbBarAddButtons(HWND, UINT, LPTHUMBBUTTON) override {
        return Note("ThumbBarAddButtons");
    }
    HRESULT STDMETHODCALLTYPE ThumbBarUpdateButtons(HWND, UINT, LPTHUMBBUTTON) override {
        return Note("ThumbBarUpdateButtons");
    }
    HRESULT STDMETHODCALLTYPE ThumbBarSetImageList(HWND, HIMAGELIST) override {
        return Note("ThumbBarSetImageList");
    }
    HRESULT STDMETHODCALLTYPE SetOverlayIcon(HWND, HICON, LPCWSTR) override {
        return Note("SetOverlayIcon");
    }
    HRESULT STDMETHODCALLTYPE SetThumbnailTooltip(HWND, LPCWSTR) override {
        return Note("SetThumbnailTooltip");
    }
    HRESULT STDMETHODCALLTYPE SetThumbnailClip(HWND, RECT*) override {
        return Note("SetThumbnailClip");
    }

private:
    HRESULT Note(std::string call) {
        calls.push_back(std::move(call));
        return S_OK;
    }

    DWORD cookie_ = 0;
};

} // namespace kelvor::testing_support
