// The main window.
#include "frmMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QToolBar>
#include <cmath>

#include "CommandBarrier.h"
#include "MainCommands.h"
#include "QtScreenFit.h"
#include "frmMDI.h"

namespace vel {

namespace {

// Design positions are in twips, 15 to a pixel.
constexpr int Px(int twips) {
    return twips / 15;
}

constexpr int kDesignedWidth = 9600;
constexpr int kDesignedHeight = 6600;
constexpr int kMargin = 120;            // around the title label and the status panel
constexpr int kLayoutThreshold = 3000;  // a window this small or smaller is not laid out
constexpr int kPanelHeight = 2220;
constexpr int kRowHeight = 300;
constexpr int kCaptionLeft = 120;
constexpr int kCaptionWidth = 1860;
constexpr int kValueLeft = 2040;  // the left edge of the value column (labLoadedStockData)
constexpr int kRowTops[] = {420, 780, 1140, 1500, 1860};

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

struct MenuItemSpec {
    const char* name;  // "" for a separator
    const char* caption;
    void (*run)();
};

}  // namespace

frmMain::frmMain(frmMDI* frame) : frame_(frame) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Main menu."));
    setMenuBar(new ChildMenuBar(this));
    BuildMenus();
    BuildToolbar();
    BuildControls();
    resize(sizeHint());
}

QSize frmMain::sizeHint() const {
    // At least wide enough for the remark of the load on one line of the status panel: the
    // panel's labels end 300 twips before its right edge (Picture1_Resize).
    const int remark =
        labRemark_->fontMetrics().horizontalAdvance(QString::fromLatin1(kRegionalSettingsRemark)) +
        Px(kValueLeft + 300 + 2 * kMargin) + 2 * picture1_->frameWidth();
    return {std::max(Px(kDesignedWidth), remark), Px(kDesignedHeight)};
}

frmMain::~frmMain() {
    if (installed_) InstallMainWindowView(nullptr);
}

void frmMain::Load() {
    InstallMainWindowView(this);
    installed_ = true;
    frmMain_Form_Load();
}

void frmMain::BuildMenus() {
    const auto addMenu = [this](const char* name, const char* caption,
                                std::initializer_list<MenuItemSpec> items) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(caption));
        menu->setObjectName(QString::fromUtf8(name));
        for (const auto& item : items) {
            if (*item.name == '\0') {
                menu->addSeparator();
                continue;
            }
            QAction* a = menu->addAction(QString::fromUtf8(item.caption));
            a->setObjectName(QString::fromUtf8(item.name));
            connect(a, &QAction::triggered, this, [run = item.run] { RunCommand(run); });
        }
    };
    addMenu(
        "mnuStockData", "Stock data",
        {{"mnuLoadHistory", "Load History.mdb", &mnuLoadHistory_Click},
         {"", "", nullptr},
         {"mnuImportFromText", "Create History.mdb from text file(s)", &mnuImportFromText_Click},
         {"mnuEstimateSplitEvents", "         Estimate stock split events from History table",
          &mnuEstimateSplitEvents_Click},
         {"mnuEditEstimatedStockSplits", "         Edit estimated stock split events",
          &mnuEditEstimatedStockSplits_Click},
         {"mnuUpdateSplitCoeficients", "         Update stock split coeficients in History table",
          &mnuUpdateSplitCoeficients_Click},
         {"mnuRemoveSplitCoeficients", "         Remove stock split coeficients from History table",
          &mnuRemoveSplitCoeficients_Click},
         {"mnuViewSplitCoeficients", "         Verify accepted stock split events in History table",
          &mnuViewSplitCoeficients_Click},
         {"", "", nullptr},
         {"mnuDownloadFromWeb", "Download stock data from Web", &mnuDownloadFromWeb_Click}});
    addMenu(
        "mnuProcessing", "Processing",
        {{"mnuDemonstration", "Start program DEMONSTRATION", &mnuDemonstration_Click},
         {"mnuAutorun", "Start AUTORUN function", &mnuAutorun_Click},
         {"mnuLoad", "Start LOAD function", &mnuLoad_Click},
         {"mnuEditAutorunFile", "EDIT selected *.autorun file", &mnuEditAutorunFile_Click},
         {"mnuStockChartsAndScreening", "Show CHARTS screen", &mnuStockChartsAndScreening_Click},
         {"", "", nullptr},
         {"mnuFindPseudoSplits", "Find and display pseudo splits", &mnuFindPseudoSplits_Click},
         {"mnuUserAdjustedSplits", "Display stock splits adjusted by the user",
          &mnuUserAdjustedSplits_Click}});
    addMenu("mnuHelp", "Help",
            {{"mnuViewHelpFile", "View help file", &mnuViewHelpFile_Click},
             {"mnuViewFAQ", "View FAQ", &mnuViewFAQ_Click},
             {"mnuVisitProgramWebSite", "Visit program web site", &mnuVisitProgramWebSite_Click},
             {"mnuMailOpinion", "Mail your opinion to author", &mnuMailOpinion_Click},
             {"mnuShowProgramFolder", "Show program folder", &mnuShowProgramFolder_Click}});
    addMenu("mnuWindow", "Window",
            {{"mnuCascade", "Cascade", &mnuCascade_Click},
             {"mnuTileHorizontal", "Tile horizontally", &mnuTileHorizontally_Click},
             {"mnuTileVertically", "Tile vertically", &mnuTileVertically_Click}});
    addMenu("mnuExit", "Exit", {{"mnuEndOfProgram", "End of program", &mnuEndOfProgram_Click}});
}

void frmMain::BuildToolbar() {
    toolbar1_ = addToolBar(QStringLiteral("Toolbar1"));
    toolbar1_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar1_->setMovable(false);
    for (const auto& b : kToolbarButtons) {
        QAction* a = toolbar1_->addAction(QString::fromUtf8(b.caption));
        const QString key = QString::fromUtf8(b.key);
        QString description = QString::fromUtf8(b.toolTip);
        if (description.endsWith(QLatin1Char('.'))) description.chop(1);
        a->setData(key);
        a->setToolTip(QString::fromUtf8(b.toolTip));
        a->setStatusTip(description);
        a->setWhatsThis(description);
        connect(a, &QAction::triggered, this,
                [k = std::string(b.key)] { RunCommand([&k] { Toolbar1_ButtonClick(k); }); });
    }
}

void frmMain::BuildControls() {
    central_ = new QWidget(this);
    setCentralWidget(central_);
    central_->installEventFilter(this);

    title_ = new QLabel(QStringLiteral("Vellicor "), central_);
    title_->setObjectName(QStringLiteral("labTitle"));
    QFont big = title_->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    title_->setFont(big);
    title_->setGeometry(Px(kMargin), Px(120), Px(6000), Px(480));

    combo1_ = new QComboBox(central_);
    combo1_->setObjectName(QStringLiteral("Combo1"));
    combo1_->setGeometry(Px(kMargin), Px(720), Px(3600), Px(330));
    connect(combo1_, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        if (!filling_) SetAutorunListText(text.toStdString());
    });

    picture1_ = new QFrame(central_);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    picture1_->setFrameShape(QFrame::StyledPanel);
    picture1_->setGeometry(Px(kMargin), Px(1500), Px(9000), Px(kPanelHeight));

    labProgramStatus_ = new QLabel(QStringLiteral("Program status."), picture1_);
    labProgramStatus_->setObjectName(QStringLiteral("labProgramStatus"));
    labProgramStatus_->setAlignment(Qt::AlignCenter);
    labProgramStatus_->setGeometry(Px(300), Px(60), Px(8400), Px(kRowHeight));

    const char* captions[] = {"Loaded stock data:", "      Performed task:", "   Performed action:",
                              "     Action progress:", "                 Remark:"};
    for (int i = 0; i < 5; ++i) {
        auto* caption = new QLabel(QString::fromUtf8(captions[i]), picture1_);
        caption->setObjectName(QStringLiteral("Label%1").arg(i + 2));
        caption->setGeometry(Px(kCaptionLeft), Px(kRowTops[i]), Px(kCaptionWidth), Px(kRowHeight));
    }
    const auto valueLabel = [this](const char* name, int row) {
        auto* l = new QLabel(picture1_);
        l->setObjectName(QString::fromUtf8(name));
        l->setGeometry(Px(kValueLeft), Px(kRowTops[row]), Px(6600), Px(kRowHeight));
        return l;
    };
    labLoadedStockData_ = valueLabel("labLoadedStockData", 0);
    labPerformedTask_ = valueLabel("labPerformedTask", 1);
    labPerformedAction_ = valueLabel("labPerformedAction", 2);
    progress_ = new QProgressBar(picture1_);
    progress_->setObjectName(QStringLiteral("ActionProgressBar"));
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setGeometry(Px(kValueLeft), Px(kRowTops[3]), Px(6600), Px(kRowHeight));
    labRemark_ = valueLabel("labRemark", 4);
}

QAction* frmMain::MenuItem(const QString& name) const {
    return findChild<QAction*>(name);
}

QAction* frmMain::ToolbarButton(const QString& key) const {
    for (QAction* a : toolbar1_->actions())
        if (a->data().toString() == key) return a;
    return nullptr;
}

QLabel* frmMain::StatusLabel(const QString& name) const {
    return findChild<QLabel*>(name);
}

void frmMain::ShowLabel(MainLabel label, const std::string& text) {
    QLabel* l = labRemark_;
    switch (label) {
        case MainLabel::LoadedStockData:
            l = labLoadedStockData_;
            break;
        case MainLabel::PerformedTask:
            l = labPerformedTask_;
            break;
        case MainLabel::PerformedAction:
            l = labPerformedAction_;
            break;
        case MainLabel::Remark:
            l = labRemark_;
            break;
    }
    l->setText(Q(text));
}

void frmMain::ShowProgressValue(double value) {
    // Rounded to the nearest percent: cut off, a loop that ends just under 99 (1000 steps of
    // 0.099 in single precision) would show 98.
    progress_->setValue(static_cast<int>(std::lround(value < 0 ? 0 : value > 100 ? 100 : value)));
    progress_->setVisible(true);
}

void frmMain::ShowHistoryCommandsEnabled(bool enabled) {
    for (const char* name :
         {"mnuStockChartsAndScreening", "mnuFindPseudoSplits", "mnuUserAdjustedSplits"})
        MenuItem(QString::fromUtf8(name))->setEnabled(enabled);
    ToolbarButton(QStringLiteral("charts"))->setEnabled(enabled);
}

void frmMain::ShowAutorunList(const std::vector<std::string>& items, const std::string& text) {
    filling_ = true;
    combo1_->clear();
    for (const auto& item : items) combo1_->addItem(Q(item));
    combo1_->setCurrentIndex(items.empty() ? -1 : combo1_->findText(Q(text)));
    filling_ = false;
}

void frmMain::ArrangeChildWindows(ArrangeMode mode) {
    if (frame_) frame_->Arrange(mode);
}

void frmMain::closeEvent(QCloseEvent* event) {
    event->ignore();
    RunCommand(&mnuEndOfProgram_Click);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == central_ && event->type() == QEvent::Resize) Form_Resize();
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::Form_Resize() {
    if (isMinimized()) return;
    if (height() <= Px(kLayoutThreshold) || width() <= Px(kLayoutThreshold)) return;
    const int w = central_->width();
    const int h = central_->height();
    title_->setGeometry(Px(kMargin), title_->y(), w - Px(2 * kMargin), title_->height());
    picture1_->setGeometry(Px(kMargin), h - picture1_->height() - Px(kMargin), w - Px(2 * kMargin),
                           picture1_->height());
    Picture1_Resize();
}

void frmMain::Picture1_Resize() {
    const int p = picture1_->contentsRect().width();
    const int left = labLoadedStockData_->x();
    labProgramStatus_->setGeometry(Px(300), labProgramStatus_->y(), p - Px(600),
                                   labProgramStatus_->height());
    for (QWidget* wdg : std::initializer_list<QWidget*>{labLoadedStockData_, labPerformedTask_,
                                                        labPerformedAction_, progress_, labRemark_})
        wdg->setGeometry(wdg->x(), wdg->y(), p - left - Px(300), wdg->height());
}

void ShowFrameAndMainWindows() {
    auto* frame = new frmMDI();
    OpenWithinScreen(frame);
    frame->show();
    auto* main = new frmMain(frame);
    QMdiSubWindow* child = frame->AddChild(main);
    child->setAttribute(Qt::WA_DeleteOnClose, false);
    child->show();
    main->Load();
}

}  // namespace vel
