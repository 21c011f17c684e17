// The Qt door.
#include "QtDoor.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTimerEvent>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "FileFilter.h"
#include "QtEnvironment.h"
#include "QtProgramStart.h"
#include "UnfinishedFiles.h"

namespace vel {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QString TitleOrProgram(const std::string& title) {
    return title.empty() ? QCoreApplication::applicationName() : Q(title);
}

QStringList NameFilters(const std::string& filter) {
    QStringList list;
    for (const auto& f : DialogNameFilters(filter)) list << Q(f);
    return list;
}

std::string RunFileDialog(QFileDialog::AcceptMode mode, const std::string& title,
                          const std::string& filter, const std::string& startFolder,
                          const std::string& defaultName) {
    QFileDialog dialog(QApplication::activeWindow(), Q(title), Q(startFolder));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    const QStringList filters = NameFilters(filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.front());
    }
    if (!defaultName.empty()) dialog.selectFile(Q(defaultName));
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? std::string() : chosen.front().toStdString();
}

}  // namespace

// Single-shot Qt timers of one object: a timer costs no object of its own, and one that is
// stopped or has fired is killed at once (no event of it comes later).
class QtDoor::Timers : public QObject {
public:
    TimerId Start(std::int64_t ms, std::function<void()> onTimeout) {
        const TimerId id = ++last_;
        // A deadline never falls due early: Qt's default coarse timers may fire up to 5 % before
        // their interval (3 s of a 60 s download deadline).
        const int qtId = startTimer(static_cast<int>(std::clamp<std::int64_t>(ms, 0, INT32_MAX)),
                                    Qt::PreciseTimer);
        byId_[id] = qtId;
        byQtId_[qtId] = {id, std::move(onTimeout)};
        return id;
    }
    void Cancel(TimerId id) {
        const auto it = byId_.find(id);
        if (it == byId_.end()) return;
        killTimer(it->second);
        byQtId_.erase(it->second);
        byId_.erase(it);
    }

protected:
    void timerEvent(QTimerEvent* event) override {
        const auto it = byQtId_.find(event->timerId());
        if (it == byQtId_.end()) return;
        killTimer(event->timerId());
        // The timer is gone before its callback, which may start others.
        const std::function<void()> callback = std::move(it->second.onTimeout);
        byId_.erase(it->second.id);
        byQtId_.erase(it);
        callback();
    }

private:
    struct Pending {
        TimerId id;
        std::function<void()> onTimeout;
    };
    TimerId last_ = 0;
    std::map<TimerId, int> byId_;
    std::map<int, Pending> byQtId_;
};

QtDoor::QtDoor() : timers_(std::make_unique<Timers>()) {
    sinceStart_.start();
    sinceYield_.start();
}

QtDoor::~QtDoor() = default;

MsgAnswer QtDoor::ShowMessageBox(const std::string& text, const std::string& title,
                                 MsgButtons buttons) {
    QMessageBox::StandardButtons qb = QMessageBox::Ok;
    switch (buttons) {
        case MsgButtons::OK:
            qb = QMessageBox::Ok;
            break;
        case MsgButtons::OKCancel:
            qb = QMessageBox::Ok | QMessageBox::Cancel;
            break;
        case MsgButtons::YesNo:
            qb = QMessageBox::Yes | QMessageBox::No;
            break;
        case MsgButtons::YesNoCancel:
            qb = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
            break;
    }
    const bool question = buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel;
    QMessageBox box(question ? QMessageBox::Question : QMessageBox::Information,
                    TitleOrProgram(title), Q(text), qb, QApplication::activeWindow());
    switch (box.exec()) {
        case QMessageBox::Yes:
            return MsgAnswer::Yes;
        case QMessageBox::No:
            return MsgAnswer::No;
        case QMessageBox::Cancel:
            return MsgAnswer::Cancel;
        case QMessageBox::Ok:
            return MsgAnswer::OK;
        default:
            // Closed by the window's close button.
            return qb.testFlag(QMessageBox::Cancel) ? MsgAnswer::Cancel
                   : question                       ? MsgAnswer::No
                                                    : MsgAnswer::OK;
    }
}

std::unique_ptr<QInputDialog> NewInputBox(const std::string& prompt, const std::string& title,
                                          const std::string& proposal) {
    auto box = std::make_unique<QInputDialog>(QApplication::activeWindow());
    box->setInputMode(QInputDialog::TextInput);
    box->setWindowTitle(TitleOrProgram(title));
    box->setLabelText(Q(prompt));
    box->setTextValue(Q(proposal));
    // A window narrower than its caption and the title bar's icon and three buttons gets its
    // caption cut by the window manager ("Default valu...arameters."); Qt's message box widens
    // itself by the caption in this font, too.
    // The box's layout sets its minimum size, so the text field's minimum gives the width.
    const QFontMetrics caption(QApplication::font("QMdiSubWindowTitleBar"));
    const int width = caption.horizontalAdvance(box->windowTitle()) + 100;
    if (auto* field = box->findChild<QLineEdit*>()) {
        const QMargins margins = box->layout() ? box->layout()->contentsMargins() : QMargins();
        field->setMinimumWidth(width - margins.left() - margins.right());
    }
    return box;
}

std::optional<std::string> QtDoor::ShowInputBox(const std::string& prompt, const std::string& title,
                                                const std::string& proposal) {
    const auto box = NewInputBox(prompt, title, proposal);
    if (box->exec() != QDialog::Accepted) return std::nullopt;
    return box->textValue().toStdString();
}

std::string QtDoor::ShowOpenFileDialog(const std::string& title, const std::string& filter,
                                       const std::string& startFolder) {
    return RunFileDialog(QFileDialog::AcceptOpen, title, filter, startFolder, {});
}

std::string QtDoor::ShowSaveFileDialog(const std::string& title, const std::string& filter,
                                       const std::string& startFolder,
                                       const std::string& defaultName) {
    return RunFileDialog(QFileDialog::AcceptSave, title, filter, startFolder, defaultName);
}

void QtDoor::Beep() {
    QApplication::beep();
}

void QtDoor::SetHourglass(bool on) {
    if (on == hourglass_) return;
    hourglass_ = on;
    if (on)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

std::string QtDoor::ClipboardText() {
    return QGuiApplication::clipboard()->text().toStdString();
}

void QtDoor::SetClipboardText(const std::string& text) {
    QGuiApplication::clipboard()->setText(Q(text));
}

bool QtDoor::StartProgram(const std::string& program, const std::vector<std::string>& args,
                          WindowShow show) {
    if (program.empty()) return false;
    QStringList list;
    for (const auto& a : args) list << Q(a);
    QProcess process;
    process.setProgram(Q(program));
    process.setArguments(list);
    if (show == WindowShow::Maximized) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kStartMaximizedVariable), QStringLiteral("1"));
        process.setProcessEnvironment(environment);
    }
    return process.startDetached();
}

bool QtDoor::OpenInBrowser(const std::string& browser, const std::string& target) {
    return StartProgram(browser, {target}, WindowShow::Normal);
}

bool QtDoor::OpenInTextEditor(const std::string& path) {
    for (const char* var : {"VISUAL", "EDITOR"}) {
        const QString value = qEnvironmentVariable(var).trimmed();
        if (value.isEmpty()) continue;
        QStringList parts = QProcess::splitCommand(value);
        if (parts.isEmpty()) continue;
        const QString program = parts.takeFirst();
        parts << Q(path);
        return QProcess::startDetached(program, parts);
    }
    const std::string opener = FindProgram("xdg-open");
    return !opener.empty() && StartProgram(opener, {path}, WindowShow::Normal);
}

std::string QtDoor::FindProgram(const std::string& name) {
    return QStandardPaths::findExecutable(Q(name)).toStdString();
}

ProgramId QtDoor::StartWatchedProgram(const std::string& program,
                                      const std::vector<std::string>& args,
                                      const std::vector<std::string>& leftoverFolders,
                                      int handedLock) {
    return programs_.Start(program, args, leftoverFolders, handedLock);
}

bool QtDoor::ProgramRunning(ProgramId id) {
    return programs_.Running(id);
}

void QtDoor::StopWatchedProgram(ProgramId id, std::int64_t graceMs) {
    programs_.Stop(id, graceMs);
}

std::string QtDoor::TakeProgramErrorOutput(ProgramId id) {
    return programs_.TakeErrorOutput(id);
}

void QtDoor::WaitForEvents(std::int64_t ms) {
    WaitForEventsFor(ms);
    sinceYield_.restart();
}

void QtDoor::Yield() {
    if (sinceYield_.elapsed() < 20) return;
    QCoreApplication::processEvents();
    sinceYield_.restart();
}

DateTime QtDoor::Now() {
    // Every log line asks: Qt's local time reads the zone anew (a stat of /etc/localtime each
    // time), the C library's localtime_r keeps the zone it read at the start.
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return DateTime{Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday}, local.tm_hour,
                    local.tm_min, local.tm_sec};
}

std::int64_t QtDoor::MonotonicMs() {
    return sinceStart_.elapsed();
}

TimerId QtDoor::StartTimer(std::int64_t ms, std::function<void()> onTimeout) {
    return timers_->Start(ms, std::move(onTimeout));
}

void QtDoor::CancelTimer(TimerId id) {
    timers_->Cancel(id);
}

void QtDoor::EndProcess(int status) {
    EndFileWriting();
    std::fflush(nullptr);
    std::_Exit(status);
}

bool QtDoor::HasDisplay() {
    if (!QGuiApplication::instance()) return false;
    return PlatformHasDisplay(QGuiApplication::platformName());
}

}  // namespace vel
