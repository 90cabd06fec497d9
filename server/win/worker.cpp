#include "server/win/worker.h"

#include "server/win/module.h"

#include <memory>

namespace zunda {
namespace {

struct WorkerStart {
    IUnknown* owner = nullptr;
    std::function<void()> work;
    HANDLE context = INVALID_HANDLE_VALUE;  // the starter's activation context
    HMODULE module = nullptr;               // a counted reference on the library
};

void Finish(WorkerStart* start) {
    if (start->owner) start->owner->Release();
    if (start->context != INVALID_HANDLE_VALUE && start->context) ReleaseActCtx(start->context);
}

DWORD WINAPI WorkerMain(void* parameter) {
    std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(parameter));
    ULONG_PTR cookie = 0;
    const bool activated = start->context != INVALID_HANDLE_VALUE && start->context &&
                           ActivateActCtx(start->context, &cookie);
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    try {
        start->work();
    } catch (...) {
        // Gathering failures leave the owner's data as it was.
    }
    // What the work holds is released while COM is still up.
    start->work = nullptr;
    Finish(start.get());
    if (SUCCEEDED(com)) CoUninitialize();
    if (activated) DeactivateActCtx(0, cookie);
    const HMODULE module = start->module;
    start.reset();
    ModuleObjectDestroyed();
    FreeLibraryAndExitThread(module, 0);
    return 0;
}

}  // namespace

HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&ThisModule)), &module);
    return module;
}

bool StartWorker(IUnknown* owner, std::function<void()> work) {
    auto start = std::make_unique<WorkerStart>();
    start->work = std::move(work);
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&ThisModule)), &start->module))
        return false;
    if (!GetCurrentActCtx(&start->context)) start->context = INVALID_HANDLE_VALUE;
    start->owner = owner;
    if (owner) owner->AddRef();
    ModuleObjectCreated();
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, &WorkerMain, start.get(), 0, &id);
    if (!thread) {
        ModuleObjectDestroyed();
        Finish(start.get());
        FreeLibrary(start->module);
        return false;
    }
    // The thread owns the start data from here on and frees it when it ends.
    [[maybe_unused]] WorkerStart* const handedOver = start.release();
    CloseHandle(thread);
    return true;
}

bool WaitPumping(std::int64_t maxSteps, const std::function<bool()>& ready) {
    for (std::int64_t step = 0;; ++step) {
        if (ready()) return true;
        if (step > maxSteps) return false;
        const DWORD begin = GetTickCount();
        for (;;) {
            const DWORD elapsed = GetTickCount() - begin;
            if (elapsed >= 250) break;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 250 - elapsed, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    PostQuitMessage(static_cast<int>(msg.wParam));
                    return ready();
                }
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            if (ready()) return true;
        }
    }
}

}  // namespace zunda
