// Watched child programs on QProcess.
#include "QtWatchedPrograms.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <memory>
#include <string_view>
#include <utility>

#include "FolderLock.h"
#include "WholeFile.h"

namespace vel {

struct QtWatchedPrograms::Watched {
    QProcess* process = nullptr;
    qint64 pid = 0;
    std::vector<std::string> leftoverFolders;
    std::string errors;    // read and not yet taken
    std::size_t kept = 0;  // bytes of the whole error output kept so far
};

namespace {

// Moves what the process's standard error holds into the record, up to what is kept of it; the
// rest is read and dropped, so that the program never waits on a full pipe.
void ReadErrorOutput(QtWatchedPrograms::Watched& w) {
    const QByteArray bytes = w.process->readAllStandardError();
    const std::size_t room = kProgramErrorOutputKept - w.kept;
    const std::size_t taken = std::min(room, static_cast<std::size_t>(bytes.size()));
    w.errors.append(bytes.constData(), taken);
    w.kept += taken;
}

}  // namespace

QtWatchedPrograms::~QtWatchedPrograms() {
    // A QProcess destroyed while its program runs would kill it: a running program's handle is
    // left behind on purpose, an ended one's is freed.
    for (auto& [id, w] : programs_)
        if (w->process->state() == QProcess::NotRunning) delete w->process;
}

ProgramId QtWatchedPrograms::Start(const std::string& program, const std::vector<std::string>& args,
                                   const std::vector<std::string>& leftoverFolders,
                                   int handedLock) {
    if (program.empty()) return 0;
    auto* process = new QProcess;
    QStringList list;
    for (const auto& a : args) list << QString::fromStdString(a);
    process->setProgram(QString::fromStdString(program));
    process->setArguments(list);
    // The program's own output is not this program's business; what it says on standard error
    // (why it refuses to start) is kept for the caller, read as it comes through the event loop.
    process->setStandardOutputFile(QProcess::nullDevice());
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
    // A handed lock's descriptor stays open across exec in this child alone (every lock is
    // opened close-on-exec), named in the environment; a variable of that name in this program's
    // own environment never reaches the child. Both are made here: after the fork only calls that
    // allocate nothing may run.
    auto environment = std::make_shared<std::vector<std::string>>();
    const std::string named = std::string(kHandedLockVariable) + "=";
    for (char** e = environ; *e; ++e)
        if (std::string_view(*e).substr(0, named.size()) != named) environment->push_back(*e);
    if (handedLock >= 0) environment->push_back(named + std::to_string(handedLock));
    auto envp = std::make_shared<std::vector<char*>>();
    for (std::string& e : *environment) envp->push_back(e.data());
    envp->push_back(nullptr);
    const pid_t parent = ::getpid();
    process->setChildProcessModifier([parent, argv, pointers, environment, envp, handedLock] {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) ::_exit(1);
        if (handedLock >= 0 && ::fcntl(handedLock, F_SETFD, 0) != 0) ::_exit(1);
        ::execve(argv->front().c_str(), pointers->data(), envp->data());
    });
    auto watched = std::make_shared<Watched>();
    watched->process = process;
    watched->leftoverFolders = leftoverFolders;
    QObject::connect(process, &QProcess::readyReadStandardError, process,
                     [watched] { ReadErrorOutput(*watched); });
    // A program that ended by a signal could not remove the temporary files of its writes, whose
    // names carry its process id.
    QObject::connect(process, &QProcess::finished, process,
                     [watched](int, QProcess::ExitStatus status) {
                         ReadErrorOutput(*watched);
                         if (status != QProcess::CrashExit) return;
                         for (const std::string& folder : watched->leftoverFolders)
                             RemoveTemporaryFilesOf(watched->pid, folder);
                     });
    process->start();
    watched->pid = process->processId();
    if (!process->waitForStarted(30000)) {
        delete process;
        return 0;
    }
    programs_[++last_] = watched;
    return last_;
}

bool QtWatchedPrograms::Running(ProgramId id) const {
    const auto it = programs_.find(id);
    return it != programs_.end() && it->second->process->state() != QProcess::NotRunning;
}

void QtWatchedPrograms::Stop(ProgramId id, std::int64_t graceMs) {
    const auto it = programs_.find(id);
    if (it == programs_.end() || it->second->process->state() == QProcess::NotRunning) return;
    QProcess* process = it->second->process;
    process->terminate();
    if (process->waitForFinished(static_cast<int>(std::clamp<std::int64_t>(graceMs, 0, INT32_MAX))))
        return;
    // Its end by the signal removes its temporary files (the handler of `finished`).
    process->kill();
    process->waitForFinished(-1);
}

std::string QtWatchedPrograms::TakeErrorOutput(ProgramId id) {
    const auto it = programs_.find(id);
    if (it == programs_.end()) return {};
    Watched& w = *it->second;
    ReadErrorOutput(w);
    return std::exchange(w.errors, {});
}

void WaitForEventsFor(std::int64_t ms) {
    // The wake-up timer is an event too: the wait ends with it at the latest.
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(static_cast<int>(std::clamp<std::int64_t>(ms, 0, INT32_MAX)));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace vel
