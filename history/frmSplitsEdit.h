// The split events editor "Edit split events.": a grid over the rows of the table SplitEvents
// of the database SplitsDatabasePath, in which the user corrects, deletes and adds split
// events (the row marked "*" takes a new event), with a help text and the button "Save and
// Quit". Every change is validated and written to the database at once (SplitEventsTable);
// a refused text is explained in a message and the cell keeps its stored value.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <array>
#include <memory>
#include <string>

#include "SplitEventsTable.h"

class QLabel;
class QPushButton;
class QTableView;

namespace vel {

// The grid's rows: the events of the table, then the new row marked "*". Text typed into the
// new row is kept until all three cells are filled; then the event is added.
class SplitEventsModel : public QAbstractTableModel {
public:
    explicit SplitEventsModel(SplitEventsTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Writes the text into the event (or into the new row); false, after a message that says
    // why, when the text is refused.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    // Deletes events; the new row cannot be deleted (its text is emptied instead).
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

    // True while text typed into the new row waits for the rest of its cells.
    bool HasPendingNewRow() const;
    // Adds the new row's event now; "" when added or empty, else the refusal. `textRefused`, when
    // given, tells whether it was the row's text that was refused (a cell empty or invalid), not
    // the write of a complete row (a folder in use, a database error).
    std::string CommitNewRow(bool* textRefused = nullptr);

private:
    SplitEventsTable& table_;
    // The events the grid knows of: the table's rows, until it has been told of a change.
    int eventRows_;
    std::array<std::string, SplitEventsTable::kColumnCount> pending_;
};

class frmSplitsEdit : public QDialog {
    Q_OBJECT
public:
    explicit frmSplitsEdit(QWidget* parent = nullptr);
    ~frmSplitsEdit() override;

    // Form_Load: the help text, and the grid bound to SplitEvents of SplitsDatabasePath. A
    // database that cannot be opened is shown in the error-handler form; false then.
    bool Form_Load();
    // "Save and Quit": adds a filled new row, clears the status labels, closes the window and
    // shows "Editing of stock split events is over!". A new row that is only partly filled or
    // refused is explained (asking to complete or empty it only when its text was refused) and
    // the window stays open.
    void cmdQuit_Click();

    QTableView* DBGrid1() const { return grid_; }
    SplitEventsModel* Data1() const { return model_.get(); }
    QLabel* labSplitHelp() const { return help_; }
    QPushButton* cmdQuit() const { return quit_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Form_Terminate: clears the status labels.
    void Form_Terminate();
    void DeleteSelectedRows();

    std::unique_ptr<SplitEventsTable> table_;
    std::unique_ptr<SplitEventsModel> model_;
    QTableView* grid_ = nullptr;
    QLabel* help_ = nullptr;
    QPushButton* quit_ = nullptr;
};

}  // namespace vel
