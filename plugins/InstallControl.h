#pragma once

namespace velk {

// What plug-ins steer the installation with: an abort request the worker polls between items,
// and the worker thread that suspend and resume act on (registered while it runs).

void RequestAbort();
bool AbortRequested();
void ClearAbortRequest();

// The worker's thread handle, null when none runs.
void SetInstallWorker(void* thread);
void SuspendInstallWorker();
void ResumeInstallWorker();

} // namespace velk
