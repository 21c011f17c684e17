// The URL list generator window.
#include "frmGenerateURLs.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "Door.h"
#include "GenerateURLsForm.h"

namespace vel {

namespace {

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(name);
    return b;
}

void Show(QComboBox* box, const std::vector<std::string>& items, const std::string& text) {
    const QSignalBlocker quiet(box);
    box->clear();
    for (const auto& item : items) box->addItem(QString::fromStdString(item));
    box->setCurrentText(QString::fromStdString(text));
}

}  // namespace

frmGenerateURLs::frmGenerateURLs(GenerateURLsForm& form, QWidget* owner)
    : QDialog(owner), form_(form) {
    setWindowTitle(QString::fromUtf8(GenerateURLsForm::kCaption));
    setObjectName("frmGenerateURLs");
    setModal(true);

    auto* frame = new QGroupBox(QStringLiteral("Select suitable parameters for URL generating:"));
    frame->setObjectName("Frame1");
    auto* grid = new QGridLayout(frame);
    auto* label1 = new QLabel(QStringLiteral("Select URL pattern file (*.eodpatt, *.htmpatt):"));
    label1->setObjectName("Label1");
    ComboPattern = new QComboBox;
    ComboPattern->setObjectName("ComboPattern");
    ComboPattern->setEditable(true);
    auto* refreshPattern = Button("cmdRefreshPattern", "Refresh Box", frame);
    auto* viewPattern = Button("cmdViewPattern", "View or Edit", frame);
    auto* label2 = new QLabel(QStringLiteral("Select list file of text lines (*.txt, *.csv):"));
    label2->setObjectName("Label2");
    ComboList = new QComboBox;
    ComboList->setObjectName("ComboList");
    ComboList->setEditable(true);
    auto* refreshList = Button("cmdRefreshList", "Refresh Box", frame);
    auto* viewList = Button("cmdViewList", "View or Edit", frame);
    grid->addWidget(label1, 0, 0, 1, 3);
    grid->addWidget(ComboPattern, 1, 0);
    grid->addWidget(refreshPattern, 1, 1);
    grid->addWidget(viewPattern, 1, 2);
    grid->addWidget(label2, 2, 0, 1, 3);
    grid->addWidget(ComboList, 3, 0);
    grid->addWidget(refreshList, 3, 1);
    grid->addWidget(viewList, 3, 2);
    grid->setColumnStretch(0, 1);

    auto* generate = Button("cmdGenerate", "Generate", this);
    auto* generateAndView = Button("cmdGenerateAndView", "Generate and View", this);
    auto* cancel = Button("cmdCancel", "Quit", this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(generate);
    buttons->addWidget(generateAndView);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    resize(560, 240);

    // What the user chooses or types is the form's box text.
    connect(ComboPattern, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { form_.ComboPattern = text.toStdString(); });
    connect(ComboList, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { form_.ComboList = text.toStdString(); });
    connect(refreshPattern, &QPushButton::clicked, this,
            [this] { Click(&GenerateURLsForm::cmdRefreshPattern_Click); });
    connect(refreshList, &QPushButton::clicked, this,
            [this] { Click(&GenerateURLsForm::cmdRefreshList_Click); });
    connect(viewPattern, &QPushButton::clicked, this,
            [this] { Click(&GenerateURLsForm::cmdViewPattern_Click); });
    connect(viewList, &QPushButton::clicked, this,
            [this] { Click(&GenerateURLsForm::cmdViewList_Click); });
    connect(generate, &QPushButton::clicked, this,
            [this] { Click(&GenerateURLsForm::cmdGenerate_Click); });
    connect(generateAndView, &QPushButton::clicked, this,
            [this] { Click(&GenerateURLsForm::cmdGenerateAndView_Click); });
    connect(cancel, &QPushButton::clicked, this,
            [this] { Click(&GenerateURLsForm::cmdCancel_Click); });
    Refresh();
}

template <class Procedure>
void frmGenerateURLs::Click(Procedure procedure) {
    (form_.*procedure)();
    if (form_.Unloaded())
        QDialog::accept();
    else
        Refresh();
}

void frmGenerateURLs::Refresh() {
    Show(ComboPattern, form_.ComboPatternItems, form_.ComboPattern);
    Show(ComboList, form_.ComboListItems, form_.ComboList);
}

void frmGenerateURLs::reject() {
    if (!form_.Unloaded()) form_.cmdCancel_Click();
    QDialog::reject();
}

void RegisterDownloaderWindows(Door& door, QWidget* owner) {
    door.SetFormPresenter<GenerateURLsForm>(
        [owner = QPointer<QWidget>(owner)](GenerateURLsForm& form) {
            frmGenerateURLs window(form, owner);
            window.exec();
        });
}

}  // namespace vel
