#pragma once

#include <string>
#include <vector>

namespace velk {

// Replacement of files that are in use until the next system start.

// At the next system start Source replaces Dest; with an empty Dest, Source is deleted. Nothing
// happens when Source does not exist. The NT family records it among the system's pending
// operations; false when the system refused one of them, which callers that only tidy up may
// ignore. The 9x family gets it in the "[Rename]" section of the Windows folder's "wininit.ini",
// with short names, and a long Dest name a RunOnce command that gives it back; when that cannot
// be written an Exception (EInOutError for the file) is raised and the restart file and the
// RunOnce key are left as they were.
bool ReplaceFileOnRestart(const std::string& Source, const std::string& Dest);

// Portable pieces of the above.

// The "[Rename]" lines of one call: delete ShortSource (empty ShortDest), or put it in place of
// ShortDest.
std::vector<std::string> RenameEntries(const std::string& ShortSource,
                                       const std::string& ShortDest);
// The restart file rewritten with the entries: every line trimmed, the entries at the first empty
// line after "[Rename]" or else after the last line; a file without that section gets it, with
// the entries, at its end.
std::vector<std::string> PlaceRenameEntries(const std::vector<std::string>& Lines,
                                            const std::vector<std::string>& Entries);
// Name and command of the RunOnce value that renames ShortDest back to its long name.
std::string RenameBackValueName(const std::string& ShortDest);
std::string RenameBackCommand(const std::string& ShortDest, const std::string& LongName);

} // namespace velk
