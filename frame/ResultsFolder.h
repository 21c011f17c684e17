// The RESULTS folder made again before a report writes into it: the history load prepares it,
// but a user may remove it while the history stays loaded, and every file of a report would
// then fail on its own.
#pragma once

namespace vel {

// Makes the folder ResultsFolderPath (one level) when nothing stands under its name. True when
// there is nothing to make (the path is empty, or something stands there: a writer into a
// non-folder reports its own failure) or the folder was made. Otherwise shows "RESULTS folder
// cannot be created!" with the path in a box titled "Vellicor" and returns false; the report
// then writes nothing.
bool EnsureResultsFolder();

}  // namespace vel
