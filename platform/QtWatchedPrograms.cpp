// Watched child programs on QProcess.
#include "QtWatchedPrograms.h"

#include <sys/prctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <memory>

#include "WholeFile.h"

namespace vel {

QtWatchedPrograms::~QtWatchedPrograms() {
    // A QProcess destroyed while its program runs would kill it: a running program's handle is
    // left behind on purpose, an ended one's is freed.
    for (auto& [id, process] : programs_)
        if (process->state() == QProcess::NotRunning) delete process;
}

ProgramId QtWatchedPrograms::Start(const std::string& program,
                                   const std::vector<std::string>& args) {
    if (program.empty()) return 0;
    auto* process = new QProcess;
    QStringList list;
    for (const auto& a : args) list << QString::fromStdString(a);
    process->setProgram(QString::fromStdString(program));
    process->setArguments(list);
    // The program's own output is not this program's business.
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    // The child asks for SIGTERM when this process ends. Its parent may have ended before the
    // request was made: then it ends at once, since nobody would send it. The program and its
    // arguments then reach exec as the bytes they are: Qt's text replaces a byte that is not
    // UTF-8 (a Latin-1 folder name), and the child would miss its program or its parameters
    // file. Qt's own exec follows only where this one failed, and reports the failure.
    auto argv = std::make_shared<std::vector<std::string>>();
    argv->push_back(program);
    argv->insert(argv->end(), args.begin(), args.end());
    auto pointers = std::make_shared<std::vector<char*>>();
    for (std::string& a : *argv) pointers->push_back(a.data());
    pointers->push_back(nullptr);
    const pid_t parent = ::getpid();
    process->setChildProcessModifier([parent, argv, pointers] {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) ::_exit(1);
        ::execv(argv->front().c_str(), pointers->data());
    });
    process->start();
    if (!process->waitForStarted(30000)) {
        delete process;
        return 0;
    }
    programs_[++last_] = process;
    return last_;
}

bool QtWatchedPrograms::Running(ProgramId id) const {
    const auto it = programs_.find(id);
    return it != programs_.end() && it->second->state() != QProcess::NotRunning;
}

void QtWatchedPrograms::Stop(ProgramId id, std::int64_t graceMs,
                             const std::vector<std::string>& leftoverFolders) {
    const auto it = programs_.find(id);
    if (it == programs_.end() || it->second->state() == QProcess::NotRunning) return;
    QProcess* process = it->second;
    const qint64 pid = process->processId();
    process->terminate();
    if (process->waitForFinished(static_cast<int>(std::clamp<std::int64_t>(graceMs, 0, INT32_MAX))))
        return;
    process->kill();
    process->waitForFinished(-1);
    for (const std::string& folder : leftoverFolders) RemoveTemporaryFilesOf(pid, folder);
}

void WaitForEventsFor(std::int64_t ms) {
    // The wake-up timer is an event too: the wait ends with it at the latest.
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(static_cast<int>(std::clamp<std::int64_t>(ms, 0, INT32_MAX)));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace vel
