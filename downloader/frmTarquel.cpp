// The download window of Tarquel.
#include "frmTarquel.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "Hooks.h"

namespace vel {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

ctlURLDownloadWidget::ctlURLDownloadWidget(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Sunken);
    labUrlNum = new QLabel(this);
    labUrlNum->setObjectName("labUrlNum");
    labUrlNum->setGeometry(8, 4, 104, 32);
    labAction = new QLabel(this);
    labAction->setObjectName("labAction");
    labAction->setGeometry(8, 36, 104, 16);
    labAttempt = new QLabel(this);
    labAttempt->setObjectName("labAttempt");
    labAttempt->setGeometry(8, 52, 104, 16);
    URLText = new QLineEdit(this);
    URLText->setObjectName("URLText");
    URLText->setReadOnly(true);
    SavePathText = new QLineEdit(this);
    SavePathText->setObjectName("SavePathText");
    SavePathText->setReadOnly(true);
    ShowWidths(600, 600 - ctlURLDownload::kTextBoxLeft - ctlURLDownload::kFrameMargin -
                        ctlURLDownload::kTextBoxGap);
}

void ctlURLDownloadWidget::ShowTexts(const ctlURLDownload& control) {
    control_ = &control;
    changed_ = true;
}

void ctlURLDownloadWidget::Refresh() {
    if (!changed_ || !control_) return;
    changed_ = false;
    const auto show = [](auto* widget, const QString& text) {
        if (widget->text() != text) widget->setText(text);
    };
    show(labUrlNum, Q(control_->labUrlNum).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    show(labAction, Q(control_->labAction));
    show(labAttempt, Q(control_->labAttempt));
    show(URLText, Q(control_->URLText));
    show(SavePathText, Q(control_->SavePathText));
}

void ctlURLDownloadWidget::ShowWidths(std::int32_t controlWidth, std::int32_t textBoxWidth) {
    resize(controlWidth, kHeight);
    URLText->setGeometry(ctlURLDownload::kTextBoxLeft, 8, textBoxWidth, 24);
    SavePathText->setGeometry(ctlURLDownload::kTextBoxLeft, 40, textBoxWidth, 24);
    update();
}

frmTarquel::frmTarquel(DownloadForm& form, QWidget* parent) : QMainWindow(parent), form_(form) {
    setWindowTitle(QStringLiteral("Tarquel"));
    setObjectName("frmTarquel");

    struct Command {
        const char* name;
        const char* caption;
        const char* key;
    };
    auto run = [this](const char* key) { form_.Toolbar_ButtonClick(key); };
    QMenu* downloading = menuBar()->addMenu(QStringLiteral("Downloading"));
    downloading->setObjectName("mnuDownloading");
    for (const Command& c :
         {Command{"mnuStartDownloading", "Start downloading", "download"},
          Command{"mnuBreakDownloading", "Break downloading", "break"},
          Command{"mnuQuitDownloading", "Quit downloading and Exit program", "quit"}}) {
        QAction* a = downloading->addAction(QString::fromUtf8(c.caption));
        a->setObjectName(c.name);
        connect(a, &QAction::triggered, this, [run, key = c.key] { run(key); });
    }
    QMenu* viewing = menuBar()->addMenu(QStringLiteral("Viewing"));
    viewing->setObjectName("mnuViewing");
    for (const Command& c :
         {Command{"mnuEditListOfURLs", "View and Edit selected list of URLs", "urls"},
          Command{"mnuGeneratingURLs", "Generating  URLs", "generate"}}) {
        QAction* a = viewing->addAction(QString::fromUtf8(c.caption));
        a->setObjectName(c.name);
        connect(a, &QAction::triggered, this, [run, key = c.key] { run(key); });
    }

    QToolBar* toolbar = addToolBar(QStringLiteral("Toolbar"));
    toolbar->setObjectName("Toolbar");
    toolbar->setMovable(false);
    struct Button {
        const char* key;
        const char* caption;
        const char* tip;
    };
    for (const Button& b : {Button{"urls", "URLs", "View and edit list of URLs."},
                            Button{"download", "DOWNLOAD", "Start downloading."},
                            Button{"generate", "GENERATE", "Generate list of URLs"},
                            Button{"break", "BREAK", "Break downloading."},
                            Button{"quit", "EXIT", "Exit program."}}) {
        QAction* a = toolbar->addAction(QString::fromUtf8(b.caption));
        a->setToolTip(QString::fromUtf8(b.tip));
        a->setData(QString::fromUtf8(b.key));
        connect(a, &QAction::triggered, this, [run, key = b.key] { run(key); });
        toolbar_[b.key] = a;
    }

    auto* central = new QWidget(this);
    setCentralWidget(central);
    label1_ = new QLabel(QStringLiteral("Tarquel"), central);
    label1_->setObjectName("Label1");
    label1_->setAlignment(Qt::AlignCenter);
    QFont big = label1_->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 4);
    label1_->setFont(big);
    comboURLList_ = new QComboBox(central);
    comboURLList_->setObjectName("ComboURLList");
    comboURLList_->setEditable(true);
    comboURLList_->setToolTip(QStringLiteral("Sesect some list of URLs for downloading."));
    connect(comboURLList_, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { form_.SetUrlListText(text.toStdString()); });
    indicator_ = new QLabel(central);
    indicator_->setObjectName("labActionIndicatorValue");
    for (int n = 1; n <= DownloadForm::kControlCount; ++n) {
        auto* w = new ctlURLDownloadWidget(central);
        w->setObjectName(QStringLiteral("ctlURLDownload%1").arg(n));
        controls_[static_cast<size_t>(n - 1)] = w;
        form_.Control(n).SetView(w);
    }
    statusBar()->setObjectName("StatusBar");

    resize(760, 40 + 64 + DownloadForm::kControlCount * (ctlURLDownloadWidget::kHeight + 4) + 80);
    form_.SetView(this);
    Place();

    // No one looks at an offscreen window: painting it would only cost the transfers time.
    offscreen_ = QGuiApplication::platformName() == QLatin1String("offscreen");
    if (offscreen_) setUpdatesEnabled(false);
    refresh_.setInterval(kRefreshMs);
    connect(&refresh_, &QTimer::timeout, this, [this] {
        if (CanBeSeen()) RefreshTexts();
    });
    // The end of a run shows at once how it ended.
    connect(&form_, &DownloadForm::runEnded, this, &frmTarquel::RefreshTexts);
    RefreshTexts();
}

frmTarquel::~frmTarquel() {
    form_.SetView(nullptr);
    for (int n = 1; n <= DownloadForm::kControlCount; ++n) form_.Control(n).SetView(nullptr);
}

QAction* frmTarquel::ToolbarButton(const std::string& key) const {
    const auto it = toolbar_.find(key);
    return it == toolbar_.end() ? nullptr : it->second;
}

QAction* frmTarquel::MenuItem(const std::string& name) const {
    return findChild<QAction*>(Q(name));
}

ctlURLDownloadWidget* frmTarquel::ControlWidget(int n) const {
    return controls_.at(static_cast<size_t>(n - 1));
}

void frmTarquel::ShowStatusText(const std::string& text) {
    statusBar()->showMessage(Q(text));
}

void frmTarquel::ShowIndicator(const std::string& text) {
    indicatorText_ = text;
    indicatorChanged_ = true;
}

void frmTarquel::RefreshTexts() {
    for (ctlURLDownloadWidget* control : controls_) control->Refresh();
    if (indicatorChanged_) {
        indicatorChanged_ = false;
        indicator_->setText(Q(indicatorText_));
    }
}

bool frmTarquel::CanBeSeen() const {
    return !offscreen_ && isVisible() && !isMinimized();
}

void frmTarquel::ShowUrlLists(const std::vector<std::string>& items, const std::string& text) {
    const QSignalBlocker block(comboURLList_);
    comboURLList_->clear();
    for (const auto& item : items) comboURLList_->addItem(Q(item));
    comboURLList_->setCurrentText(Q(text));
}

void frmTarquel::ShowListChoiceVisible(bool visible) {
    comboURLList_->setVisible(visible);
}

void frmTarquel::ShowRunCommandsEnabled(bool enabled) {
    for (const char* key : {"urls", "download", "generate", "break"})
        toolbar_[key]->setEnabled(enabled);
}

void frmTarquel::closeEvent(QCloseEvent* event) {
    // Closing the window is the quit command, also during a run: the transfers are
    // cancelled, the result written and the program ended.
    event->ignore();
    form_.mnuQuitDownloading_Click();
}

void frmTarquel::resizeEvent(QResizeEvent* event) {
    // Qt resizes while it walks a widget tree (a show, a layout): the handler's yields wait.
    const YieldPause pause;
    QMainWindow::resizeEvent(event);
    Place();
}

void frmTarquel::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    RefreshTexts();
    if (!offscreen_) refresh_.start();
}

void frmTarquel::hideEvent(QHideEvent* event) {
    refresh_.stop();
    QMainWindow::hideEvent(event);
}

void frmTarquel::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // A window restored from its icon shows the state it missed at once.
    if (event->type() == QEvent::WindowStateChange && CanBeSeen()) RefreshTexts();
}

void frmTarquel::Place() {
    QWidget* inner = centralWidget();
    const int width = inner->width();
    label1_->setGeometry(33, 4, std::max(width - 67, 10), 28);
    comboURLList_->setGeometry(kControlLeft, 36, 320, 26);
    indicator_->setGeometry(kControlLeft + 330, 36, 40, 26);
    for (int n = 0; n < DownloadForm::kControlCount; ++n)
        controls_[static_cast<size_t>(n)]->move(kControlLeft,
                                                68 + n * (ctlURLDownloadWidget::kHeight + 4));
    form_.Form_Resize(width, inner->height(), isMinimized(), kControlLeft);
}

}  // namespace vel
