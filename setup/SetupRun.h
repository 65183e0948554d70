#pragma once

#include <string>

#include "database/VKPredefined.h"
#include "setup/RunState.h"

namespace velk {

// The whole run of setup.exe, from the work folder to the clean-up. Steps run strictly in
// order; a failing step ends the run through the common clean-up.
class TSetupRun {
public:
    explicit TSetupRun(TRunState& state) : state_(state) {}
    virtual ~TSetupRun() = default;

    void Run();

protected:
    // Everything between creating the work folders and the clean-up. An exception escaping it
    // is shown in a plain error box after the clean-up, before the work folder is deleted.
    virtual void Body();

    // The pieces of the body, in their order.
    void StartRuntime();
    void ReadSettings();
    // Writes the unpack library carried in the program's resources into the work folder; from
    // then on every exit goes through the clean-up.
    bool ExtractUnpackLibrary();
    void EnterSetupFolder();
    // From here on conditions of database items count.
    void SetRuntimeVariables();

    TRunState& state_;

private:
    void StartModules();
    void StopModules();
    TvkRunInfo RunInfo() const;
    bool CreateWorkFolders();
    void CleanUp();
    void DeleteWorkFolder();

    bool cleanupArmed_ = false;
};

} // namespace velk
