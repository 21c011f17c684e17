// The chart window as a Qt window.
#include "frmChartView.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QToolButton>
#include <QTreeWidget>
#include <cmath>
#include <exception>
#include <utility>

#include "ActivityLog.h"
#include "ChartCurves.h"
#include "ChartMenus.h"
#include "ChartWindowCommands.h"
#include "CommandBarrier.h"
#include "Door.h"
#include "EntryPoints.h"
#include "Errors.h"
#include "Hooks.h"
#include "QtChartImage.h"
#include "frmChartEnlarge.h"
#include "frmMDI.h"

namespace vel {

namespace {

frmChartView* g_widget = nullptr;

int Px(int twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}
int Tw(int px) {
    return static_cast<int>(std::lround(px * kTwipsPerPixel));
}

// Widens the control to the right, when the room it leaves for the text (in pixels) is
// narrower than the text in the control's font, so that the text reads whole.
void WidenToText(QWidget* control, int room, const QString& text) {
    const int missing = QFontMetrics(control->font()).horizontalAdvance(text) - room;
    if (missing > 0) control->resize(control->width() + missing, control->height());
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

// ---- The picture ------------------------------------------------------------------------

ChartPictureBox::ChartPictureBox(QWidget* parent, Handlers handlers)
    : QWidget(parent), handlers_(std::move(handlers)), target_(8985, 3975) {
    setObjectName(QStringLiteral("Picture1"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    target_.SetPresenter([this] { Redraw(); });
}

void ChartPictureBox::Redraw() {
    image_ = RenderChartTarget(target_);
    update();
}

void ChartPictureBox::SetCursorLine(double xTwips) {
    cursorLineX_ = xTwips;
    update();
}

void ChartPictureBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (!image_.isNull()) p.drawImage(0, 0, image_);
    if (cursorLineX_ >= 0) {
        const int x = static_cast<int>(std::lround(cursorLineX_ / kTwipsPerPixel));
        p.setPen(Qt::black);
        p.drawLine(x, 0, x, height());
    }
}

void ChartPictureBox::mousePressEvent(QMouseEvent* event) {
    const int button = event->button() == Qt::LeftButton    ? 1
                       : event->button() == Qt::RightButton ? 2
                                                            : 4;
    const double x = event->position().x() * kTwipsPerPixel;
    const double y = event->position().y() * kTwipsPerPixel;
    if (handlers_.mouseDown) frmChartView::RunCommand([&] { handlers_.mouseDown(button, x, y); });
}

void ChartPictureBox::mouseMoveEvent(QMouseEvent* event) {
    if (handlers_.mouseMove)
        handlers_.mouseMove(event->position().x() * kTwipsPerPixel,
                            event->position().y() * kTwipsPerPixel);
}

void ChartPictureBox::resizeEvent(QResizeEvent*) {
    // Qt resizes while it walks a widget tree (a show, a layout): the handler's yields wait.
    const YieldPause pause;
    target_.SetScaleSize(width() * kTwipsPerPixel, height() * kTwipsPerPixel);
    if (handlers_.resized) frmChartView::RunCommand(handlers_.resized);
    if (image_.size() != size()) Redraw();
}

// ---- The tree ---------------------------------------------------------------------------

MoneyVolumeTree::MoneyVolumeTree(QWidget* parent, std::function<void()> nodeClick)
    : QTreeWidget(parent), nodeClick_(std::move(nodeClick)) {
    // The click waits until Qt's handler of the key or mouse event has finished: run inside it,
    // the draw's yields would take the next keys there, and the handler, going on after them,
    // would select again the node it had reached, one behind the node that is shown.
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (byUser_ == 0 || !current) return;
        pressClicked_ = true;
        clickPending_ = true;
    });
    // A click on the node that was already the current one changes nothing: it clicks itself.
    connect(this, &QTreeWidget::itemClicked, this, [this] {
        if (!pressClicked_) NodeClick();
        pressClicked_ = false;
    });
}

void MoneyVolumeTree::NodeClick() {
    // What the click's yields run meanwhile (a slide show's step selecting its node) is not the
    // user's.
    const int byUser = std::exchange(byUser_, 0);
    nodeClick_();
    byUser_ = byUser;
}

template <typename Handler>
void MoneyVolumeTree::ByUser(Handler handler) {
    ++byUser_;
    handler();
    if (--byUser_ == 0 && std::exchange(clickPending_, false)) NodeClick();
}

void MoneyVolumeTree::keyPressEvent(QKeyEvent* event) {
    ByUser([&] { QTreeWidget::keyPressEvent(event); });
}

void MoneyVolumeTree::mousePressEvent(QMouseEvent* event) {
    pressClicked_ = false;
    ByUser([&] { QTreeWidget::mousePressEvent(event); });
}

void MoneyVolumeTree::mouseMoveEvent(QMouseEvent* event) {
    ByUser([&] { QTreeWidget::mouseMoveEvent(event); });
}

void MoneyVolumeTree::mouseReleaseEvent(QMouseEvent* event) {
    ByUser([&] { QTreeWidget::mouseReleaseEvent(event); });
}

// ---- The window -------------------------------------------------------------------------

frmChartView::frmChartView() : model_(*this) {
    setObjectName(QStringLiteral("frmChartView"));
    setWindowTitle(QString::fromLatin1(kChartWindowCaption));
    setMenuBar(new ChildMenuBar(this));
    BuildMenus();
    BuildControls();
    resize(sizeHint());
    g_widget = this;
}

QSize frmChartView::sizeHint() const {
    // Form_Resize leaves the picture 1700 twips from the left and 60 from the right edge, and
    // ends it where the status bar begins. Wide enough for the whole menu bar, where Qt would
    // hide the last menus behind an extension button.
    const int width = std::max(Px(1700 + 8985 + 60), menuBar()->sizeHint().width());
    return {width,
            menuBar()->heightForWidth(width) + Px(1800 + 3975) + statusBar()->sizeHint().height()};
}

frmChartView::~frmChartView() {
    if (CurrentChartView() == &model_) InstallChartView(nullptr);
    if (CurrentChartWindow() == &model_) SetCurrentChartWindow(nullptr);
    if (ChartPicture == &picture_->Target()) ChartPicture = &UnshownChartTarget();
    if (g_widget == this) g_widget = nullptr;
}

void frmChartView::RunCommand(const std::function<void()>& command) {
    vel::RunCommand(command);
}

void frmChartView::BuildMenus() {
    for (const ChartMenu& m : ChartWindowMenus()) {
        QMenu* menu = menuBar()->addMenu(Q(m.caption));
        menu->setObjectName(Q(m.name));
        menus_[m.name] = menu;
        for (const ChartMenuItem& item : m.items) {
            QAction* action =
                item.separator() ? menu->addSeparator() : menu->addAction(Q(item.caption));
            action->setObjectName(Q(item.name));
            action->setVisible(!item.hidden);
            if (item.functionKey > 0) {
                action->setShortcut(QKeySequence(Qt::Key_F1 + item.functionKey - 1));
                action->setShortcutContext(Qt::WindowShortcut);
            }
            items_[item.name] = action;
            if (!item.separator()) {
                const std::string name = item.name;
                connect(action, &QAction::triggered, this,
                        [name] { RunCommand([&] { RunChartCommand(name); }); });
            }
        }
        if (m.name == "mnuChartTools")
            connect(menu, &QMenu::aboutToShow, this,
                    [this] { RunCommand([this] { model_.mnuChartTools_Click(); }); });
    }
}

QAbstractButton* frmChartView::Button(const char* name, const char* caption, int left, int top,
                                      int width, int height) {
    auto* b = new QPushButton(QString::fromLatin1(caption), central_);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(Px(left), Px(top), Px(width), Px(height));
    QStyleOptionButton option;
    option.initFrom(b);
    option.text = b->text();
    WidenToText(b, style()->subElementRect(QStyle::SE_PushButtonContents, &option, b).width(),
                b->text());
    const std::string command = name;
    connect(b, &QPushButton::clicked, this,
            [command] { RunCommand([&] { RunChartCommand(command); }); });
    return b;
}

QLabel* frmChartView::Label(const char* name, const char* text, int left, int top, int width,
                            int height) {
    auto* l = new QLabel(QString::fromLatin1(text), central_);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(Px(left), Px(top), Px(width), Px(height));
    return l;
}

void frmChartView::BuildControls() {
    central_ = new QWidget(this);
    setCentralWidget(central_);
    // The designed places hold their captions at 9 pixels (the font the design was made with is
    // narrower than Qt's); a caption that is still wider widens its control (WidenToText).
    QFont small = font();
    small.setPixelSize(9);
    central_->setFont(small);
    auto line = [this](int x1, int y1, int x2, int y2, const char* name) {
        auto* f = new QFrame(central_);
        f->setObjectName(QString::fromLatin1(name));
        f->setFrameShape(x1 == x2 ? QFrame::VLine : QFrame::HLine);
        f->setGeometry(Px(x1), Px(y1), std::max(2, Px(x2 - x1)), std::max(2, Px(y2 - y1)));
    };
    line(60, 40, 60, 1780, "Line1");
    line(9360, 40, 9360, 1780, "Line2");
    line(60, 40, 9360, 40, "Line3");
    line(1640, 40, 1640, 1780, "Line4");
    line(1710, 40, 1710, 1780, "Line5");
    line(1710, 810, 9360, 810, "Line6");

    delays_ = new QComboBox(central_);
    delays_->setObjectName(QStringLiteral("cboxSlideShowDelay"));
    delays_->setEditable(true);
    delays_->setToolTip(QStringLiteral("Slide Show  delay"));
    delays_->setGeometry(Px(140), Px(120), Px(1455), Px(315));

    Button("cmdTreeSlideShow", "SlideShow / Break", 140, 480, 1455, 255);
    Button("cmdPreviousStock", "Previous", 140, 780, 730, 255);
    Button("cmdNextStock", "Next", 860, 780, 730, 255);
    Button("cmdTop", "Top", 140, 1080, 730, 255);
    Button("cmdFind", "Find", 860, 1080, 730, 255);
    labels_[ChartLabel::Symbols] = Label("labSymbols", "Symbols:", 120, 1440, 1460, 255);
    Label("Label1", "Stock Basket:", 2160, 160, 1215, 255);
    labels_[ChartLabel::BasketCount] = Label("labBasketCount", "Count", 3480, 160, 2175, 255);
    Button("cmdBasketSlideShow", "SlideShow / Break", 4080, 480, 1575, 255);
    Button("cmdBasketOut", "Take out", 5880, 120, 975, 255);
    Button("cmdBasketTop", "Top", 7080, 120, 975, 255);
    Button("cmdBasketPrevious", "Previous", 8280, 120, 975, 255);
    Button("cmdBasketIn", "Put in", 5880, 480, 975, 255);
    Button("cmdBasketBottom", "Bottom", 7080, 480, 975, 255);
    Button("cmdBasketNext", "Next", 8280, 500, 975, 255);
    Button("cmdIndividualStockTiming", "Individual stock timing", 1830, 870, 2355, 255);
    Button("cmdIndividualStockSwining", "Individual stock swinging", 4320, 870, 2295, 255);
    Button("cmdIndividualStockSwingingSpecial", "Individual stock swinging special", 6740, 870,
           2500, 255);

    hscroll1_ = new QScrollBar(Qt::Horizontal, central_);
    hscroll1_->setObjectName(QStringLiteral("HScroll1"));
    hscroll1_->setGeometry(Px(1840), Px(1200), Px(2895), Px(255));
    hscroll2_ = new QScrollBar(Qt::Horizontal, central_);
    hscroll2_->setObjectName(QStringLiteral("HScroll2"));
    hscroll2_->setGeometry(Px(6360), Px(1200), Px(2895), Px(255));
    labels_[ChartLabel::DisplayedDayCount] =
        Label("labDisplayedDayCount", "Displayed days count", 4800, 1200, 1455, 255);
    labels_[ChartLabel::DisplayedDayCount]->setAlignment(Qt::AlignCenter);
    for (QScrollBar* bar : {hscroll1_, hscroll2_}) {
        const bool first = bar == hscroll1_;
        // The Change event: a click on an arrow or the track, the end of a drag, a value set
        // by the program; the Scroll event: while the thumb is dragged.
        connect(bar, &QScrollBar::valueChanged, this, [this, bar, first] {
            const bool dragging = bar->isSliderDown();
            RunCommand(
                [&] { first ? model_.CalcNewValues1(dragging) : model_.CalcNewValues2(dragging); });
        });
        connect(bar, &QScrollBar::sliderReleased, this, [this, first] {
            RunCommand(
                [&] { first ? model_.CalcNewValues1(false) : model_.CalcNewValues2(false); });
        });
    }

    auto* upDown = new QWidget(central_);
    upDown->setObjectName(QStringLiteral("UpDown1"));
    upDown->setToolTip(QStringLiteral("Shift cursor 1 trading day"));
    upDown->setGeometry(Px(1845), Px(1520), Px(855), Px(240));
    auto* upDownLayout = new QHBoxLayout(upDown);
    upDownLayout->setContentsMargins(0, 0, 0, 0);
    upDownLayout->setSpacing(0);
    for (const bool down : {true, false}) {
        auto* b = new QToolButton(upDown);
        b->setObjectName(down ? QStringLiteral("UpDown1Down") : QStringLiteral("UpDown1Up"));
        b->setArrowType(down ? Qt::LeftArrow : Qt::RightArrow);
        b->setAutoRepeat(true);
        upDownLayout->addWidget(b);
        connect(b, &QToolButton::clicked, this, [this, down] {
            RunCommand([&] { down ? model_.UpDown1_DownClick() : model_.UpDown1_UpClick(); });
        });
    }
    labels_[ChartLabel::ChartFromTo] =
        Label("labChartFromTo", "Chart Limits", 2760, 1520, 5175, 255);
    Button("cmdEnlargeChart", "Enlarge chart", 8040, 1520, 1215, 255);

    tree_ = new MoneyVolumeTree(central_, [this] { TreeNodeClick(); });
    tree_->setObjectName(QStringLiteral("TreeView1"));
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(false);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setUniformRowHeights(true);
    // The root's text "Money Volume Tree" reads whole beside the tree's scroll bar.
    QFont treeFont = small;
    treeFont.setPixelSize(8);
    tree_->setFont(treeFont);
    // Symbols and the root's text fit the tree's width; its hidden header keeps a default
    // column width a little wider, which is no reason for a horizontal scroll bar.
    tree_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tree_->setGeometry(Px(60), Px(1800), Px(1575), Px(3975));

    picture_ = new ChartPictureBox(
        this,
        {[this](int button, double x, double y) { model_.Picture1_MouseDown(button, 0, x, y); },
         [this](double x, double y) { model_.Picture1_MouseMove(0, 0, x, y); },
         [this] { model_.Picture1_Resize(); }});
    picture_->setParent(central_);
    picture_->setGeometry(Px(1690), Px(1800), Px(8985), Px(3975));

    statusBar()->setObjectName(QStringLiteral("StatusBar"));
}

void frmChartView::TreeNodeClick() {
    if (nodeClickRunning_) {
        nodeClickAgain_ = true;
        return;
    }
    nodeClickRunning_ = true;
    do {
        nodeClickAgain_ = false;
        RunCommand([this] { model_.TreeView1_NodeClick(); });
    } while (nodeClickAgain_);
    nodeClickRunning_ = false;
}

void frmChartView::Load() {
    SetCurrentChartWindow(&model_);
    InstallChartView(&model_);
    RunCommand([this] {
        model_.Form_Load();
        model_.Form_Resize();
    });
}

void frmChartView::resizeEvent(QResizeEvent* event) {
    // Qt resizes while it walks a widget tree (a show, a layout): the handler's yields wait.
    const YieldPause pause;
    QMainWindow::resizeEvent(event);
    if (CurrentChartWindow() == &model_) RunCommand([this] { model_.Form_Resize(); });
}

QAction* frmChartView::MenuItem(const QString& name) const {
    auto it = items_.find(name.toStdString());
    return it == items_.end() ? nullptr : it->second;
}

QMenu* frmChartView::Menu(const QString& name) const {
    auto it = menus_.find(name.toStdString());
    return it == menus_.end() ? nullptr : it->second;
}

QWidget* frmChartView::Control(const QString& name) const {
    return findChild<QWidget*>(name);
}

QScrollBar* frmChartView::ScrollBar(DayScrollBar bar) const {
    return bar == DayScrollBar::First ? hscroll1_ : hscroll2_;
}

void frmChartView::SetScrollBarRange(DayScrollBar bar, int min, int max, int smallChange,
                                     int largeChange) {
    QScrollBar* b = ScrollBar(bar);
    b->setRange(min, max);
    b->setSingleStep(smallChange);
    b->setPageStep(largeChange);
}

int frmChartView::ScrollBarValue(DayScrollBar bar) const {
    return ScrollBar(bar)->value();
}

int frmChartView::ScrollBarMin(DayScrollBar bar) const {
    return ScrollBar(bar)->minimum();
}

int frmChartView::ScrollBarMax(DayScrollBar bar) const {
    return ScrollBar(bar)->maximum();
}

void frmChartView::SetScrollBarValue(DayScrollBar bar, int value) {
    ScrollBar(bar)->setValue(value);
}

void frmChartView::SetScrollBarEnabled(DayScrollBar bar, bool enabled) {
    ScrollBar(bar)->setEnabled(enabled);
}

void frmChartView::BuildTree(const std::vector<std::string>& symbols) {
    tree_->clear();
    auto* root = new QTreeWidgetItem(QStringList{QStringLiteral("Money Volume Tree")});
    root->setData(0, Qt::UserRole, QStringLiteral("base"));
    QList<QTreeWidgetItem*> children;
    children.reserve(static_cast<qsizetype>(symbols.size()));
    for (size_t i = 0; i < symbols.size(); ++i) {
        auto* item = new QTreeWidgetItem(QStringList{Q(symbols[i])});
        item->setData(0, Qt::UserRole, QStringLiteral("S%1").arg(i + 1));
        children.append(item);
    }
    root->addChildren(children);
    tree_->addTopLevelItem(root);
    root->setExpanded(true);
}

std::string frmChartView::SelectedNodeKey() const {
    const QTreeWidgetItem* item = tree_->currentItem();
    return item ? item->data(0, Qt::UserRole).toString().toStdString() : std::string();
}

void frmChartView::SelectNode(int node) {
    QTreeWidgetItem* root = tree_->topLevelItem(0);
    if (!root) return;
    QTreeWidgetItem* item = node <= 1 ? root : root->child(node - 2);
    if (!item) return;
    tree_->setCurrentItem(item);
    tree_->scrollToItem(item);
    if (tree_->isVisible()) tree_->setFocus();
}

void frmChartView::SetMenuCaption(const std::string& name, const std::string& caption) {
    if (QAction* a = MenuItem(Q(name))) a->setText(Q(caption));
}

void frmChartView::SetMenuEnabled(const std::string& name, bool enabled) {
    if (QAction* a = MenuItem(Q(name))) a->setEnabled(enabled);
}

void frmChartView::SetControlEnabled(const std::string& name, bool enabled) {
    if (QMenu* m = Menu(Q(name))) {
        m->menuAction()->setEnabled(enabled);
        return;
    }
    QWidget* w = Control(Q(name));
    if (!w) return;
    QWidget* focus = QApplication::focusWidget();
    if (!enabled && focus && (focus == w || w->isAncestorOf(focus))) {
        // Switched off, the control would pass the keyboard focus on, or drop it when no other
        // control of this window takes it; the frame, activated again after a message box,
        // then gives it to the first control that takes it, in whichever child window that
        // stands, and that window comes to the front (maximised, when this one was). The focus
        // waits on the window itself and goes back to the control when it is switched on.
        central_->setFocus();
        parkedFocus_ = focus;
    }
    w->setEnabled(enabled);
    if (enabled && parkedFocus_ && parkedFocus_->isEnabled() && central_->hasFocus()) {
        parkedFocus_->setFocus();
        parkedFocus_ = nullptr;
    }
}

void frmChartView::PopupToolsMenu(double x, double y) {
    popped_ = Menu(QStringLiteral("mnuChartTools"));
    const QPoint at(static_cast<int>(std::lround(x / kTwipsPerPixel)),
                    static_cast<int>(std::lround(y / kTwipsPerPixel)));
    popped_->popup(picture_->mapToGlobal(at));
}

void frmChartView::SetDelayList(const std::vector<std::string>& items, int selected) {
    delays_->clear();
    for (const auto& item : items) delays_->addItem(Q(item));
    QStyleOptionComboBox option;
    option.initFrom(delays_);
    option.editable = true;
    option.frame = true;
    // The box's edit field keeps 2 pixels on each side of its text.
    const int room =
        style()
            ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, delays_)
            .width() -
        4;
    for (const auto& item : items) WidenToText(delays_, room, Q(item));
    delays_->setCurrentIndex(selected);
}

std::string frmChartView::DelayListText() const {
    return delays_->currentText().toStdString();
}

void frmChartView::ShowStatusText(const std::string& text) {
    statusBar()->showMessage(Q(text));
}

void frmChartView::ShowLabel(ChartLabel label, const std::string& text) {
    labels_[label]->setText(Q(text));
}

void frmChartView::MoveCursorLine(double x) {
    picture_->SetCursorLine(x);
}

bool frmChartView::IsMinimized() const {
    const QWidget* outer = parentWidget() ? parentWidget() : this;
    return outer->isMinimized();
}

TwipsRect frmChartView::OuterRect() const {
    const QWidget* outer = parentWidget() ? parentWidget() : this;
    return {0, 0, Tw(outer->frameGeometry().width()), Tw(outer->frameGeometry().height())};
}

TwipsRect frmChartView::InnerRect() const {
    // The layout leaves 280 twips under the tree and the picture for the status bar: counted so
    // whatever the status bar's own height, the picture ends where the status bar begins.
    return {0, 0, Tw(central_->width()), Tw(central_->height()) + 280};
}

namespace {
TwipsRect RectOf(const QWidget* w) {
    return {Tw(w->x()), Tw(w->y()), Tw(w->width()), Tw(w->height())};
}
void Place(QWidget* w, const TwipsRect& r) {
    w->setGeometry(Px(r.left), Px(r.top), std::max(1, Px(r.width)), std::max(1, Px(r.height)));
}
}  // namespace

TwipsRect frmChartView::TreeRect() const {
    return RectOf(tree_);
}

TwipsRect frmChartView::PictureRect() const {
    return RectOf(picture_);
}

void frmChartView::SetTreeRect(const TwipsRect& r) {
    Place(tree_, r);
}

void frmChartView::SetPictureRect(const TwipsRect& r) {
    Place(picture_, r);
}

ChartTarget& frmChartView::Picture() {
    return picture_->Target();
}

void frmChartView::ShowWindow() {
    // The title bar's close button of the child window hides this window inside it as well:
    // both are shown, and the child window keeps the size and place it had when it was closed.
    show();
    if (parentWidget()) parentWidget()->show();
}

// ---- The window of the process ----------------------------------------------------------

frmChartView* ChartWindowWidget() {
    return g_widget;
}

void ShowChartWindow() {
    // The chart window comes to the front with the chart painted in it: an open enlarged pane,
    // which the cascade before leaves behind it still holding the painting, closes.
    CloseChartEnlargeInPlace();
    const bool created = !g_widget;
    if (created) {
        auto* window = new frmChartView();
        if (frmMDI* frame = frmMDI::current()) {
            QMdiSubWindow* sub = frame->AddChild(window);
            sub->setAttribute(Qt::WA_DeleteOnClose, false);
        }
        window->Load();
    }
    g_widget->ShowWindow();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(g_widget->parentWidget())) {
        sub->mdiArea()->setActiveSubWindow(sub);
        // The chart command cascades the frame's children before it shows this window; a new
        // window joins that cascade, on top, where Qt would place it apart from the others.
        if (created && frmMDI::current()) frmMDI::current()->Arrange(ArrangeMode::Cascade);
    }
}

void DestroyChartWindow() {
    if (!g_widget) return;
    QWidget* outer = g_widget->parentWidget() ? g_widget->parentWidget() : g_widget;
    delete outer;
}

void RegisterChartWindow() {
    RegisterChartWindowCommands();
    RegisterChartCommand("cmdEnlargeChart", cmdEnlargeChart_Click);
    InstallQtChartBitmapWriter();
    ChartsCommands.ShowChartWindow = ShowChartWindow;
    ChartsCommands.RefreshMenuCaptions = [] {
        if (g_widget) g_widget->Model().RefreshMenuCaptions();
    };
    ChartsCommands.HistoryLoaded = [] {
        if (g_widget) frmChartView::RunCommand([] { g_widget->Model().HistoryLoaded(); });
    };
}

}  // namespace vel
