// make_demo_set: completes the demonstration set in a program folder whose <base>-EOD/ folder
// already holds generated EOD files (generate_eod): the command file, the URL list, the EOD
// structure file and the DEMO command's "History.mdb". Run by the build; the boxes of the
// import are printed only when the set could not be made.
#include <cstdio>
#include <string>
#include <vector>

#include "AppState.h"
#include "DemoSet.h"
#include "FilePaths.h"
#include "SilentDoor.h"

namespace {

std::vector<std::string> g_messages;

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_demo_set PROGRAM_FOLDER [BASE]\n");
        return 2;
    }
    vel::SilentDoor door;
    vel::InstallDoor(&door);
    vel::SetMessageLogSink([](const std::string& line) { g_messages.push_back(line); });
    vel::ProgramFolderPath = vel::AsFolderPath(argv[1]);
    const std::string base = argc > 2 ? argv[2] : "Demo";
    const bool ok = vel::WriteDemonstrationSet(base);
    if (!ok)
        for (const auto& m : g_messages) std::fprintf(stderr, "%s\n", m.c_str());
    vel::SetMessageLogSink(nullptr);
    vel::InstallDoor(nullptr);
    return ok ? 0 : 1;
}
