// The windows of the interactive import.
#include "frmHistoryImport.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>
#include <QVBoxLayout>

#include "CommandBarrier.h"
#include "Door.h"
#include "EodImport.h"
#include "HistoryCommands.h"
#include "ImportDialogs.h"
#include "frmMDI.h"
#include "frmSplitsEdit.h"

namespace vel {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QWidget* Owner() {
    return frmMDI::current();
}

}  // namespace

// ---- frmHistoryImport --------------------------------------------------------------------

frmHistoryImport::frmHistoryImport(HistoryImportForm& form, QWidget* owner)
    : QDialog(owner), form_(form) {
    setWindowTitle(QString::fromLatin1(HistoryImportForm::kCaption));
    setModal(true);
    auto* frame1 = new QGroupBox(QStringLiteral(
        "Select your structure of the historical EOD data for importing into History.mdb "
        "database:"));
    auto* options = new QVBoxLayout(frame1);
    const char* captions[3] = {
        "1.  One text file with comma separated values.",
        "2.  Directory full of text files of the same structure with comma separated values.",
        "3.  One Acess database History.mdb with  History1  (single)  table,  having fields:    "
        "     Symbol, TradeDate, Price, Volume"};
    for (int k = 0; k < 3; ++k) {
        option_[k] = new QRadioButton(QString::fromLatin1(captions[k]));
        options->addWidget(option_[k]);
        connect(option_[k], &QRadioButton::clicked, this, [this, k] {
            RunCommand([this, k] {
                if (k == 0) form_.Option1_Click();
                if (k == 1) form_.Option2_Click();
                if (k == 2) form_.Option3_Click();
            });
            Refresh();
        });
    }
    auto* label1 = new QLabel(
        QStringLiteral("Select one specific file of the historical EOD data for importing."));
    text1_ = new QLineEdit;
    connect(text1_, &QLineEdit::textEdited, this,
            [this](const QString& t) { form_.Text1 = t.toStdString(); });
    auto* browse = new QPushButton(QStringLiteral("Browse"));
    auto* cont = new QPushButton(QStringLiteral("Continue"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    connect(browse, &QPushButton::clicked, this, [this] {
        RunCommand([this] { form_.cmdBrowse_Click(); });
        Refresh();
    });
    connect(cont, &QPushButton::clicked, this, [this] {
        form_.Text1 = text1_->text().toStdString();
        RunCommand([this] { form_.cmdContinueEODselect_Click(); });
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        RunCommand([this] { form_.cmdCancel_Click(); });
        QDialog::reject();
    });
    auto* path = new QHBoxLayout;
    path->addWidget(text1_, 1);
    path->addWidget(browse);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cont);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame1);
    layout->addWidget(label1);
    layout->addLayout(path);
    layout->addLayout(buttons);
    cont->setDefault(true);
    Refresh();
}

void frmHistoryImport::Refresh() {
    for (int k = 0; k < 3; ++k) option_[k]->setChecked(form_.Option(k + 1));
    text1_->setText(Q(form_.Text1));
}

void frmHistoryImport::reject() {
    if (!form_.Unloaded()) form_.cmdCancel_Click();
    QDialog::reject();
}

// ---- frmColNumSel ------------------------------------------------------------------------

frmColNumSel::frmColNumSel(ColumnNumberForm& form, QWidget* owner) : QDialog(owner), form_(form) {
    setWindowTitle(QString::fromLatin1(ColumnNumberForm::kCaption));
    setModal(true);
    auto* text1 = new QPlainTextEdit;
    text1->setReadOnly(true);
    text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont terminal(QStringLiteral("Terminal"));
    terminal.setStyleHint(QFont::TypeWriter);
    terminal.setFixedPitch(true);
    text1->setFont(terminal.exactMatch() ? terminal
                                         : QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text1->setPlainText(Q(form_.Text1));
    // Wide enough for every column that holds data (the preview runs on blank to its twentieth
    // column), as far as the screen allows.
    const int columns = text1->fontMetrics().horizontalAdvance(
        QString(static_cast<qsizetype>(ImportPreviewDataWidth()), u'0'));
    int width = columns + 2 * static_cast<int>(text1->document()->documentMargin()) +
                2 * text1->frameWidth() + text1->verticalScrollBar()->sizeHint().width();
    if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        width = std::min(width, screen->availableGeometry().width() - 40);
    text1->setMinimumSize(std::max(720, width), 320);

    auto* numbers = new QGridLayout;
    numbers->addWidget(new QLabel(QStringLiteral("Enter the appropriate column number:")), 0, 0, 1,
                       2);
    const char* labels[4] = {"Stock name column:", "          Date column:",
                             "         Price column:", "     Volume column:"};
    std::string* boxes[4] = {&form_.Text2, &form_.Text3, &form_.Text4, &form_.Text5};
    for (int k = 0; k < 4; ++k) {
        auto* label = new QLabel(QString::fromLatin1(labels[k]));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        number_[k] = new QLineEdit(Q(*boxes[k]));
        number_[k]->setMaximumWidth(80);
        std::string* box = boxes[k];
        connect(number_[k], &QLineEdit::textEdited, this,
                [box](const QString& t) { *box = t.toStdString(); });
        numbers->addWidget(label, k + 1, 0);
        numbers->addWidget(number_[k], k + 1, 1);
    }
    auto* cont = new QPushButton(QStringLiteral("Continue"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    connect(cont, &QPushButton::clicked, this, [this] {
        RunCommand([this] { form_.cmdContinue_Click(); });
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        RunCommand([this] { form_.cmdCancel_Click(); });
        QDialog::reject();
    });
    auto* buttons = new QVBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cont);
    buttons->addWidget(cancel);
    auto* lower = new QHBoxLayout;
    lower->addLayout(numbers);
    lower->addStretch(1);
    lower->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text1, 1);
    layout->addLayout(lower);
    cont->setDefault(true);
}

void frmColNumSel::reject() {
    if (!form_.Unloaded()) form_.cmdCancel_Click();
    QDialog::reject();
}

void RegisterHistoryWindows(Door& door) {
    door.SetFormPresenter<HistoryImportForm>([](HistoryImportForm& form) {
        frmHistoryImport window(form, Owner());
        window.exec();
    });
    door.SetFormPresenter<ColumnNumberForm>([](ColumnNumberForm& form) {
        frmColNumSel window(form, Owner());
        window.exec();
    });
    door.SetFormPresenter<SplitEventsEditorForm>([](SplitEventsEditorForm&) {
        frmSplitsEdit window(Owner());
        if (window.Form_Load()) window.exec();
    });
}

}  // namespace vel
