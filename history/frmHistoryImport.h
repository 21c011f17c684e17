// The windows of the interactive import: "Historical EOD data selection." (frmHistoryImport)
// and "Import file(s) structure description." (frmColNumSel). They show the state of their
// forms (ImportDialogs.h) and pass the user's clicks and typing on; the forms decide.
#pragma once

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace vel {

class Door;
class HistoryImportForm;
class ColumnNumberForm;

class frmHistoryImport : public QDialog {
    Q_OBJECT
public:
    frmHistoryImport(HistoryImportForm& form, QWidget* owner);

protected:
    // Closing the window any other way than with its buttons counts as Cancel.
    void reject() override;

private:
    void Refresh();
    HistoryImportForm& form_;
    QRadioButton* option_[3];
    QLineEdit* text1_;
};

class frmColNumSel : public QDialog {
    Q_OBJECT
public:
    frmColNumSel(ColumnNumberForm& form, QWidget* owner);

protected:
    void reject() override;

private:
    ColumnNumberForm& form_;
    QLineEdit* number_[4];
};

// Makes the door show the history's forms in their windows, modally and owned by the frame
// window: the import's source and column dialogs, and the split events editor.
void RegisterHistoryWindows(Door& door);

}  // namespace vel
