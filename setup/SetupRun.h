#pragma once

#include <string>

#include "database/VKPredefined.h"
#include "setup/Presetup.h"
#include "setup/RunState.h"

namespace velk {

// The engine's part of a run of setup.exe: from the options to the clean-up of plug-ins and
// databases. The loader has created the work folders and written the unpack library before, and
// deletes the work folder after. Steps run strictly in order; a failing step ends the run
// through the common clean-up.
class TSetupRun {
public:
    explicit TSetupRun(TRunState& state) : state_(state) {}
    virtual ~TSetupRun() = default;

    // True when Windows is to be restarted.
    bool Run();

protected:
    // Everything between creating the work folders and the clean-up. An exception escaping it
    // is shown in a plain error box after the clean-up, before the work folder is deleted.
    virtual void Body();

    // The pieces of the body, in their order.
    void StartRuntime();
    void ReadSettings();
    void EnterSetupFolder();
    // From here on conditions of database items count.
    void SetRuntimeVariables();
    // False after its box when the hidden main window cannot be made.
    bool OpenMainWindow();
    // The language named by the user's locale or the database, announced to the plug-ins.
    void ChooseLanguage();
    // Start and the dialogs; false when the user left them without installing.
    bool RunDialogs();
    // The components the dialogs chose, and the further packages they need with their plug-ins;
    // false after a box when the run cannot go on.
    bool PrepareFurtherPackages();
    // The package databases' definitions of the chosen components take the stubs' places.
    void MergeComponents();

    TRunState& state_;

private:
    void StartModules();
    void StopModules();
    TvkRunInfo RunInfo() const;
    // What the preparation of packages needs: folders, the silent switch, the program's
    // resources.
    TPresetupRun PresetupRun() const;
    void CleanUp();
};

} // namespace velk
