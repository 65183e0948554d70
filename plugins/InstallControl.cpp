#include "plugins/InstallControl.h"

#include <atomic>

#include "platform/win/WindowsSupport.h"

namespace velk {

namespace {
std::atomic<bool> Abort{false};
std::atomic<void*> Worker{nullptr};
} // namespace

void RequestAbort() {
    Abort = true;
}

bool AbortRequested() {
    return Abort;
}

void ClearAbortRequest() {
    Abort = false;
}

void SetInstallWorker(void* thread) {
    Worker = thread;
}

void SuspendInstallWorker() {
    if (void* thread = Worker)
        SuspendThread(thread);
}

void ResumeInstallWorker() {
    if (void* thread = Worker)
        ResumeThread(thread);
}

} // namespace velk
