// The split events editor and the registration of the split commands.
#include "frmSplitsEdit.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "AppState.h"
#include "CommandBarrier.h"
#include "Door.h"
#include "HistoryBuild.h"
#include "MainWindowView.h"

namespace vel {

namespace {

void Refuse(const std::string& message) {
    door().MessageBox(message, "Vellicor", MsgButtons::OK);
}

const char* const kHelpLines[] = {
    "Use upper case characters to edit a stock symbol.",
    "To edit existing data, click on a selected field, another click on the selected character "
    "of the edited field and use keyboard to edit changes.",
    "To delete some stock split, click on the stock symbol, then click on the leftmost control "
    "field to select the row and hit delete key on keyboard.",
    "To make some stock split ignored, set SplitCoef = 1.0",
    "To edit new stock split, enter values in the row marked with * (asterisk)",
};

}  // namespace

// ---- SplitEventsModel -------------------------------------------------------------------

SplitEventsModel::SplitEventsModel(SplitEventsTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table), eventRows_(table.rowCount()) {}

int SplitEventsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : eventRows_ + 1;
}

int SplitEventsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : SplitEventsTable::kColumnCount;
}

QVariant SplitEventsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    const int c = index.column();
    if (index.row() == eventRows_) return QString::fromStdString(pending_[static_cast<size_t>(c)]);
    const auto& r = table_.row(index.row());
    const std::string& text = c == SplitEventsTable::SymbolColumn ? r.symbol
                              : c == SplitEventsTable::DateColumn ? r.date
                                                                  : r.coef;
    return QString::fromStdString(text);
}

QVariant SplitEventsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal)
        return QString::fromLatin1(SplitEventsTable::ColumnName(section));
    return section == eventRows_ ? QStringLiteral("*") : QString();
}

Qt::ItemFlags SplitEventsModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

bool SplitEventsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole) return false;
    const std::string text = value.toString().toStdString();
    const int row = index.row();
    if (row < eventRows_) {
        std::string refusal;
        try {
            refusal = table_.setCell(row, index.column(), text);
        } catch (const std::exception& e) {
            refusal = std::string("Split event cannot be saved!\r\n") + e.what();
        }
        if (!refusal.empty()) {
            Refuse(refusal);
            return false;
        }
        emit dataChanged(this->index(row, 0), this->index(row, SplitEventsTable::kColumnCount - 1));
        return true;
    }
    pending_[static_cast<size_t>(index.column())] = text;
    emit dataChanged(index, index);
    const bool filled = std::all_of(pending_.begin(), pending_.end(), [](const std::string& t) {
        return t.find_first_not_of(' ') != std::string::npos;
    });
    if (filled) {
        const std::string refusal = CommitNewRow();
        if (!refusal.empty()) Refuse(refusal);
    }
    return true;
}

bool SplitEventsModel::HasPendingNewRow() const {
    return std::any_of(pending_.begin(), pending_.end(), [](const std::string& t) {
        return t.find_first_not_of(' ') != std::string::npos;
    });
}

std::string SplitEventsModel::CommitNewRow(bool* textRefused) {
    if (textRefused) *textRefused = false;
    if (!HasPendingNewRow()) return {};
    // The new event goes in front of the new row, which moves down by one. The grid is told of
    // the inserted row, never reset: this runs while the grid commits the editor of the new
    // row's last cell, and a reset would take that editor from the grid before it is closed.
    std::string refusal;
    try {
        refusal = table_.addRow(pending_[0], pending_[1], pending_[2]);
        if (textRefused) *textRefused = !refusal.empty();
    } catch (const std::exception& e) {
        refusal = std::string("Split event cannot be saved!\r\n") + e.what();
    }
    if (table_.rowCount() > eventRows_) {
        beginInsertRows(QModelIndex(), eventRows_, table_.rowCount() - 1);
        eventRows_ = table_.rowCount();
        endInsertRows();
    }
    if (refusal.empty()) {
        pending_ = {};
        emit dataChanged(index(eventRows_, 0),
                         index(eventRows_, SplitEventsTable::kColumnCount - 1));
    }
    return refusal;
}

bool SplitEventsModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || count < 1 || row + count > eventRows_ + 1) return false;
    if (row + count == eventRows_ + 1) {
        pending_ = {};
        emit dataChanged(index(eventRows_, 0),
                         index(eventRows_, SplitEventsTable::kColumnCount - 1));
        if (--count == 0) return true;
    }
    beginResetModel();
    std::string refusal;
    try {
        for (int i = row + count - 1; i >= row; --i) table_.removeRow(i);
    } catch (const std::exception& e) {
        refusal = std::string("Split event cannot be deleted!\r\n") + e.what();
    }
    eventRows_ = table_.rowCount();
    endResetModel();
    if (!refusal.empty()) Refuse(refusal);
    return refusal.empty();
}

// ---- frmSplitsEdit ----------------------------------------------------------------------

frmSplitsEdit::frmSplitsEdit(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Edit split events."));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(QStringLiteral("Split events"), this);
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("DBGrid1"));
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->installEventFilter(this);
    help_ = new QLabel(this);
    help_->setObjectName(QStringLiteral("labSplitHelp"));
    help_->setWordWrap(true);
    quit_ = new QPushButton(QStringLiteral("Save and Quit"), this);
    quit_->setObjectName(QStringLiteral("cmdQuit"));
    layout->addWidget(caption);
    layout->addWidget(grid_, 1);
    layout->addWidget(help_);
    layout->addWidget(quit_);
    connect(quit_, &QPushButton::clicked, this,
            [this] { RunCommand([this] { cmdQuit_Click(); }); });
    resize(640, 480);
}

frmSplitsEdit::~frmSplitsEdit() {
    grid_->setModel(nullptr);
    Form_Terminate();
}

bool frmSplitsEdit::Form_Load() {
    QString help;
    for (const char* line : kHelpLines) help += QString::fromLatin1(line) + QLatin1Char('\n');
    help_->setText(help);
    try {
        table_ = std::make_unique<SplitEventsTable>(SplitsDatabasePath);
    } catch (const std::exception& e) {
        ShowErrorHandler(e);
        return false;
    }
    model_ = std::make_unique<SplitEventsModel>(*table_);
    grid_->setModel(model_.get());
    grid_->horizontalHeader()->setStretchLastSection(true);
    return true;
}

void frmSplitsEdit::cmdQuit_Click() {
    if (model_ && model_->HasPendingNewRow()) {
        bool textRefused = false;
        const std::string refusal = model_->CommitNewRow(&textRefused);
        if (!refusal.empty()) {
            Refuse(textRefused ? refusal + "\r\nComplete or empty the row marked with * (asterisk)!"
                               : refusal);
            return;
        }
    }
    SetMainLabel(MainLabel::PerformedTask, "");
    SetMainLabel(MainLabel::PerformedAction, "");
    accept();
    door().MessageBox(
        "Editing of stock split events is over!\r\nNo changes in History table made!\r\n"
        "Now, you can update stock split coeficients in History table!\r\n",
        "Vellicor", MsgButtons::OK);
}

bool frmSplitsEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        // Keys typed into an open cell editor reach the editor, not the grid.
        DeleteSelectedRows();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmSplitsEdit::DeleteSelectedRows() {
    if (!model_ || !grid_->selectionModel()) return;
    std::vector<int> rows;
    for (const QModelIndex& i : grid_->selectionModel()->selectedRows()) rows.push_back(i.row());
    std::sort(rows.rbegin(), rows.rend());
    for (int r : rows) model_->removeRows(r, 1);
}

void frmSplitsEdit::closeEvent(QCloseEvent* event) {
    Form_Terminate();
    QDialog::closeEvent(event);
}

void frmSplitsEdit::Form_Terminate() {
    SetMainLabel(MainLabel::PerformedTask, "");
    SetMainLabel(MainLabel::PerformedAction, "");
}

}  // namespace vel
