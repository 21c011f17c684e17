// The download window of Tarquel: menus, toolbar, the list of URL lists, the five download
// controls stacked below it, the indicator and the status bar. It shows the state of its
// DownloadForm and passes every command to it; closing it is the quit command. A transfer never
// waits for the window: the controls' texts and the indicator are taken from their state a few
// times a second while someone can see the window (and at once when it is shown and when a run
// ends), and on the offscreen platform nothing of it is painted.
#pragma once

#include <QFrame>
#include <QMainWindow>
#include <QTimer>
#include <array>
#include <map>
#include <string>

#include "DownloadForm.h"
#include "ctlURLDownload.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;

namespace vel {

// One download control as the window shows it: its three labels and two text boxes inside a
// frame, placed as the control's width asks. A change of the control's texts only marks them;
// Refresh shows them.
class ctlURLDownloadWidget : public QFrame, public DownloadControlView {
    Q_OBJECT

public:
    explicit ctlURLDownloadWidget(QWidget* parent = nullptr);
    void ShowTexts(const ctlURLDownload& control) override;
    void ShowWidths(std::int32_t controlWidth, std::int32_t textBoxWidth) override;
    // Shows the texts of the control as they are now, when they changed since the last time.
    void Refresh();

    static constexpr int kHeight = 72;

    QLabel* labUrlNum;
    QLabel* labAction;
    QLabel* labAttempt;
    QLineEdit* URLText;
    QLineEdit* SavePathText;

private:
    const ctlURLDownload* control_ = nullptr;
    bool changed_ = false;
};

class frmTarquel : public QMainWindow, public DownloadFormView {
    Q_OBJECT

public:
    explicit frmTarquel(DownloadForm& form, QWidget* parent = nullptr);
    ~frmTarquel() override;

    void ShowStatusText(const std::string& text) override;
    void ShowIndicator(const std::string& text) override;
    void ShowUrlLists(const std::vector<std::string>& items, const std::string& text) override;
    void ShowListChoiceVisible(bool visible) override;
    void ShowRunCommandsEnabled(bool enabled) override;

    // The toolbar button and the menu item of a key or name, for tests.
    QAction* ToolbarButton(const std::string& key) const;
    QAction* MenuItem(const std::string& name) const;
    ctlURLDownloadWidget* ControlWidget(int n) const;
    QComboBox* ComboURLList() const { return comboURLList_; }
    QLabel* IndicatorLabel() const { return indicator_; }

    // The left edge of the download controls in the window's inner area.
    static constexpr int kControlLeft = 10;
    // How often the texts are refreshed while someone can see the window.
    static constexpr int kRefreshMs = 200;

    // Shows the controls' texts and the indicator as they are now.
    void RefreshTexts();
    // True when the window is on a screen someone can look at: shown, not minimized, and not
    // on the offscreen platform.
    bool CanBeSeen() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Place();

    DownloadForm& form_;
    QComboBox* comboURLList_;
    QLabel* label1_;
    QLabel* indicator_;
    std::array<ctlURLDownloadWidget*, DownloadForm::kControlCount> controls_{};
    std::map<std::string, QAction*> toolbar_;
    std::string indicatorText_;
    bool indicatorChanged_ = false;
    bool offscreen_ = false;
    QTimer refresh_;
};

}  // namespace vel
