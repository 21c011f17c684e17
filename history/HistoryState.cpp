// The process state of the history database's procedures.
#include "HistoryState.h"

namespace vel {

ImportRunState ImportRun;
HistoryBuildState BuildRun;
SplitEditorState SplitEditor;

namespace {
const StateGroup<ImportRun> kImportRunGroup("ImportRun");
const StateGroup<BuildRun> kBuildRunGroup("BuildRun");
const StateGroup<SplitEditor> kSplitEditorGroup("SplitEditor");
}  // namespace

}  // namespace vel
