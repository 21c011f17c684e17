// The enlarged chart pane as a Qt window.
#include "frmChartEnlarge.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <cmath>

#include "ChartCurves.h"
#include "Hooks.h"
#include "QtChartImage.h"
#include "frmMDI.h"

namespace vel {

namespace {

frmChartEnlarge* g_pane = nullptr;

int Px(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

}  // namespace

frmChartEnlarge::frmChartEnlarge() : model_(*this) {
    setObjectName(QStringLiteral("frmChartEnlarge"));
    setWindowTitle(QString::fromLatin1(kChartEnlargeCaption));
    picture_ = new ChartPictureBox(
        this,
        {[this](int button, double x, double y) { model_.Picture1_MouseDown(button, 0, x, y); },
         [this](double x, double y) { model_.Picture1_MouseMove(0, 0, x, y); }, nullptr});
    picture_->setVisible(false);
    resize(sizeHint());
    g_pane = this;
}

frmChartEnlarge::~frmChartEnlarge() {
    if (ChartPicture == &picture_->Target()) {
        ChartClickX = 0;
        ChartPicture = &UnshownChartTarget();
    }
    if (g_pane == this) g_pane = nullptr;
}

QWidget* frmChartEnlarge::Outer() {
    return parentWidget() ? parentWidget() : this;
}

QSize frmChartEnlarge::sizeHint() const {
    const QSize designed(Px(8985 + 120), Px(3975 + 120));
    const frmChartView* chart = ChartWindowWidget();
    return chart ? designed.expandedTo(chart->sizeHint()) : designed;
}

void frmChartEnlarge::SetPictureVisible(bool visible) {
    picture_->setVisible(visible);
}

bool frmChartEnlarge::PictureVisible() const {
    return picture_->isVisible();
}

void frmChartEnlarge::Maximize() {
    Outer()->showMaximized();
}

bool frmChartEnlarge::IsMinimized() const {
    return (parentWidget() ? parentWidget() : this)->isMinimized();
}

double frmChartEnlarge::ScaleWidth() const {
    return width() * kTwipsPerPixel;
}

double frmChartEnlarge::ScaleHeight() const {
    return height() * kTwipsPerPixel;
}

void frmChartEnlarge::SetPictureRect(const TwipsRect& r) {
    picture_->setGeometry(Px(r.left), Px(r.top), std::max(1, Px(r.width)),
                          std::max(1, Px(r.height)));
}

ChartTarget& frmChartEnlarge::Picture() {
    return picture_->Target();
}

void frmChartEnlarge::SetCursorLine(bool visible, double x1, double, double, double) {
    picture_->SetCursorLine(visible ? x1 : -1.0);
}

void frmChartEnlarge::closeEvent(QCloseEvent* event) {
    if (loaded_) {
        loaded_ = false;
        frmChartView::RunCommand([this] { model_.Form_Unload(); });
        ReturnToChartWindow();
    }
    event->accept();
}

void frmChartEnlarge::resizeEvent(QResizeEvent* event) {
    // Qt resizes while it walks a widget tree (a show, a layout): the handler's yields wait.
    const YieldPause pause;
    QWidget::resizeEvent(event);
    if (loaded_) frmChartView::RunCommand([this] { model_.Form_Resize(); });
}

void frmChartEnlarge::NoteChartWindow() {
    frmChartView* chart = ChartWindowWidget();
    auto* outer = chart ? qobject_cast<QMdiSubWindow*>(chart->parentWidget()) : nullptr;
    chartOuter_ = outer;
    if (!outer) return;
    chartWasMaximized_ = outer->isMaximized();
    chartGeometry_ = outer->geometry();
}

void frmChartEnlarge::ReturnToChartWindow() {
    auto* outer = qobject_cast<QMdiSubWindow*>(chartOuter_.data());
    chartOuter_ = nullptr;
    // A chart window closed meanwhile stays closed.
    if (!outer || !outer->isVisible() || !outer->mdiArea()) return;
    // Activated while the pane is maximized, the frame maximizes it: its place is set after.
    outer->mdiArea()->setActiveSubWindow(outer);
    if (chartWasMaximized_) {
        outer->showMaximized();
    } else {
        if (outer->isMaximized() || outer->isMinimized()) outer->showNormal();
        outer->setGeometry(chartGeometry_);
    }
}

void cmdEnlargeChart_Click() {
    if (!g_pane) {
        auto* pane = new frmChartEnlarge();
        if (frmMDI* frame = frmMDI::current()) {
            QMdiSubWindow* sub = frame->AddChild(pane);
            sub->setAttribute(Qt::WA_DeleteOnClose, false);
        }
    }
    frmChartEnlarge* pane = g_pane;
    if (!pane->loaded_) pane->NoteChartWindow();
    pane->Outer()->show();
    pane->show();
    if (!pane->loaded_) {
        pane->loaded_ = true;
        frmChartView::RunCommand([pane] { pane->Model().Form_Load(); });
    }
    pane->Outer()->raise();
}

frmChartEnlarge* ChartEnlargeWidget() {
    return g_pane;
}

void CloseChartEnlarge() {
    if (g_pane) g_pane->Outer()->close();
}

void CloseChartEnlargeInPlace() {
    if (!g_pane) return;
    g_pane->chartOuter_ = nullptr;
    g_pane->Outer()->close();
}

void DestroyChartEnlarge() {
    if (!g_pane) return;
    CloseChartEnlarge();
    QWidget* outer = g_pane->Outer();
    delete outer;
}

}  // namespace vel
