// The process-wide state of Tarquel.
#include "DownloaderState.h"

#include "ProcessState.h"

namespace vel {

DownloaderState Downloader;

namespace {
const StateGroup<Downloader> kDownloaderGroup("Downloader");
}  // namespace

}  // namespace vel
