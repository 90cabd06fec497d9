// Worker threads of the objects that gather in the background, and the
// message-pumping wait their clients use.
//
// A worker holds a reference to its owner object and a reference on the
// library module for as long as it runs: DllCanUnloadNow answers S_FALSE
// meanwhile, and the thread leaves through FreeLibraryAndExitThread, so no
// code of the library is unmapped under it. It initialises COM for itself
// and runs in the activation context of the thread that started it, so it
// creates classes the same way (registration-free use included). The work
// itself gathers into its own data and publishes it under the owner's lock
// (a CriticalSection of server/win/lock.h);
// it never asks the starting thread to run anything.
#pragma once

#include "server/win/com_util.h"
#include "server/win/lock.h"

#include <cstdint>
#include <functional>

namespace zunda {

// The library's own module handle.
HMODULE ThisModule();

// Starts work on a new thread holding a reference to owner. False when no
// thread could be started; work has not run then, and the caller does it.
bool StartWorker(IUnknown* owner, std::function<void()> work);

// Waits in steps of 250 ms until ready() is true, taking the calling
// thread's window messages out of its queue and dispatching them between
// the checks. Stops after more than maxSteps steps, or on WM_QUIT, which is
// posted again for the caller's own loop. Returns ready() at the end.
bool WaitPumping(std::int64_t maxSteps, const std::function<bool()>& ready);

}  // namespace zunda
