// The screening dialog's window "Heuristic stock screening.": six frames of five check boxes,
// the basket and period labels, "Continue" and "Cancel". It shows the state of its form
// (StockScreening.h) and passes the user's clicks on; the form decides.
#pragma once

#include <QDialog>
#include <array>

class QCheckBox;

namespace vel {

class Door;
class ScreeningForm;

class frmScreening : public QDialog {
    Q_OBJECT
public:
    frmScreening(ScreeningForm& form, QWidget* owner);

protected:
    // Closing the window with its close box unloads it without screening.
    void reject() override;

private:
    // Every box as the form holds it.
    void Refresh();
    ScreeningForm& form_;
    std::array<std::array<QCheckBox*, 5>, 6> boxes_{};
};

// Makes the door show the screening form in its window, modally and owned by the frame window.
void RegisterAnalysisWindows(Door& door);

}  // namespace vel
