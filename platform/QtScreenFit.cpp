// Windows that open within the screen.
#include "QtScreenFit.h"

#include <QEvent>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace vel {

namespace {

// Gives the window the inner rectangle that FitWithinArea finds on its screen.
void Fit(QWidget* window, const QSize& designed, const QMargins& frame) {
    const QScreen* screen = window->screen();
    if (!screen) return;
    const QRect place = FitWithinArea(screen->availableGeometry(), designed, frame);
    if (window->geometry() != place) window->setGeometry(place);
}

// The title bar and borders a window manager gives a window, as far as the style tells them
// before the window is on the screen: a title bar and a frame like those of a child window.
QMargins EstimatedFrame(const QWidget* window) {
    const QStyle* style = window->style();
    const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window);
    const int title = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    return {border, title + border, border, border};
}

// Fits the window again, with the window manager's real title bar and borders, when it is
// first exposed (it is on the screen, framed), and then goes.
class RefitOnFirstExpose : public QObject {
public:
    RefitOnFirstExpose(QWidget* window, const QSize& designed)
        : QObject(window), window_(window), designed_(designed) {
        window->windowHandle()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!done_ && event->type() == QEvent::Expose && window_->windowHandle()->isExposed()) {
            done_ = true;
            constexpr auto kNotNormal =
                Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen;
            if (!(window_->windowState() & kNotNormal))
                Fit(window_, designed_, window_->windowHandle()->frameMargins());
            deleteLater();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* window_;
    QSize designed_;
    bool done_ = false;
};

}  // namespace

QRect FitWithinArea(const QRect& available, const QSize& designed, const QMargins& frame) {
    const int frameWidth = frame.left() + frame.right();
    const int frameHeight = frame.top() + frame.bottom();
    const int width = std::max(1, std::min(designed.width(), available.width() - frameWidth));
    const int height = std::max(1, std::min(designed.height(), available.height() - frameHeight));
    const int left = available.left() + std::max(0, (available.width() - frameWidth - width) / 2);
    const int top = available.top() + std::max(0, (available.height() - frameHeight - height) / 2);
    return {left + frame.left(), top + frame.top(), width, height};
}

void OpenWithinScreen(QWidget* window) {
    const QSize designed = window->size();
    Fit(window, designed, EstimatedFrame(window));
    window->winId();  // the native window, whose first exposure tells the real frame
    if (window->windowHandle()) new RefitOnFirstExpose(window, designed);
}

}  // namespace vel
