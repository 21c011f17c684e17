// The frame window.
#include "frmMDI.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <algorithm>

#include "CommandBarrier.h"
#include "MainCommands.h"

namespace vel {

namespace {
frmMDI* g_current = nullptr;
}

bool ChildMenuBar::eventFilter(QObject* watched, QEvent* event) {
    // Alt is taken on its shortcut override; the bar of an inactive child lets it pass.
    if (event->type() == QEvent::ShortcutOverride && !InActiveChild()) return false;
    return QMenuBar::eventFilter(watched, event);
}

bool ChildMenuBar::InActiveChild() const {
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* child = qobject_cast<QMdiSubWindow*>(w))
            return child->mdiArea() && child->mdiArea()->activeSubWindow() == child;
        if (w->isWindow()) break;
    }
    return true;
}

frmMDI::frmMDI() : area_(new QMdiArea(this)) {
    setObjectName(QStringLiteral("frmMDI"));
    setWindowTitle(QStringLiteral("Vellicor"));
    setCentralWidget(area_);
    resize(1000, 720);
    g_current = this;
}

frmMDI::~frmMDI() {
    if (g_current == this) g_current = nullptr;
}

frmMDI* frmMDI::current() {
    return g_current;
}

QMdiSubWindow* frmMDI::AddChild(QWidget* child) {
    return area_->addSubWindow(child);
}

void frmMDI::Arrange(ArrangeMode mode) {
    if (mode == ArrangeMode::Cascade) {
        area_->cascadeSubWindows();
        // Qt's cascade gives every window its size hint, also where that reaches past the
        // frame's area (a small screen): such a window ends at the area's edge instead.
        const QRect r = area_->viewport()->rect();
        for (QMdiSubWindow* w : area_->subWindowList()) {
            if (!w->isVisible() || w->isMinimized() || w->isMaximized()) continue;
            const QRect g = w->geometry();
            const QSize inside(std::min(g.width(), r.right() + 1 - g.left()),
                               std::min(g.height(), r.bottom() + 1 - g.top()));
            if (inside != g.size()) w->resize(inside);
        }
        return;
    }
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : area_->subWindowList())
        if (w->isVisible() && !w->isMinimized()) windows.append(w);
    if (windows.isEmpty()) return;
    const QRect r = area_->viewport()->rect();
    const int n = static_cast<int>(windows.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* w = windows[i];
        if (w->isMaximized()) w->showNormal();
        if (mode == ArrangeMode::TileHorizontal) {
            const int top = r.height() * i / n;
            w->setGeometry(0, top, r.width(), r.height() * (i + 1) / n - top);
        } else {
            const int left = r.width() * i / n;
            w->setGeometry(left, 0, r.width() * (i + 1) / n - left, r.height());
        }
    }
}

void frmMDI::closeEvent(QCloseEvent* event) {
    event->ignore();
    RunCommand(&mnuEndOfProgram_Click);
}

}  // namespace vel
