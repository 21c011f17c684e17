// The URL list generator window: shows its GenerateURLsForm (the two list boxes with their
// refresh and view buttons, and the generate commands) and passes every click to it. It is
// the form's presenter, shown modally over the download window until the form unloads.
#pragma once

#include <QDialog>

class QComboBox;
class QWidget;

namespace vel {

class Door;
class GenerateURLsForm;

class frmGenerateURLs : public QDialog {
    Q_OBJECT

public:
    frmGenerateURLs(GenerateURLsForm& form, QWidget* owner);

    QComboBox* ComboPattern;
    QComboBox* ComboList;

protected:
    // Closing the window any other way than with "Quit" counts as "Quit".
    void reject() override;

private:
    // Runs a procedure of the form, then shows its state (or closes when it unloaded).
    template <class Procedure>
    void Click(Procedure procedure);
    void Refresh();

    GenerateURLsForm& form_;
};

// Registers how the door shows the generator's form: this window, modal over the owner.
void RegisterDownloaderWindows(Door& door, QWidget* owner);

}  // namespace vel
