// The engine library's one entry, called by setup.exe's loader with the run's folders.
#include "platform/epUtils.h"
#include "platform/win/WindowsSupport.h"
#include "setup/CommandLine.h"
#include "setup/EngineEntry.h"
#include "setup/SetupRun.h"

extern "C" int32_t __stdcall RunSetup(const TEngineStart* start) {
    if (start == nullptr || start->Size < sizeof(TEngineStart)) {
        velk::ShowError("This setup program and its engine do not belong together.");
        return 0;
    }
    // Nothing may cross into the loader, which has no runtime to catch it: the run shows its own
    // errors, and a failure outside it ends the run without a restart.
    try {
        velk::TRunState state;
        state.SetupPath = start->SetupPath;
        state.WorkFolder = start->WorkFolder;
        state.ScratchFolder = start->ScratchFolder;
        state.LoaderModule = start->LoaderModule;
        state.Arguments = velk::SplitCommandLine(start->CommandLine);
        if (!state.Arguments.empty())
            state.Arguments.erase(state.Arguments.begin());
        return velk::TSetupRun(state).Run() ? 1 : 0;
    } catch (...) {
        return 0;
    }
}
