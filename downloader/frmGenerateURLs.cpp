// The URL list generator window.
#include "frmGenerateURLs.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "Hooks.h"
#include "UrlGenerator.h"

namespace vel {

namespace {

void Fill(QComboBox* box, const std::vector<std::string>& names) {
    box->clear();
    box->setCurrentText(QString());
    for (const auto& n : names) box->addItem(QString::fromStdString(n));
    if (!names.empty()) box->setCurrentIndex(0);
}

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(name);
    return b;
}

}  // namespace

frmGenerateURLs::frmGenerateURLs(std::function<void()> refreshUrlLists, QWidget* parent)
    : QDialog(parent), refreshUrlLists_(std::move(refreshUrlLists)) {
    setWindowTitle(QStringLiteral("Tarquel - Generating URLs"));
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

    connect(refreshPattern, &QPushButton::clicked, this,
            &frmGenerateURLs::RefreshComboBoxOfPatternFiles);
    connect(refreshList, &QPushButton::clicked, this, &frmGenerateURLs::RefreshComboBoxOfListFiles);
    connect(viewPattern, &QPushButton::clicked, this,
            [this] { ViewChosenFile(ComboPattern->currentText().toStdString()); });
    connect(viewList, &QPushButton::clicked, this,
            [this] { ViewChosenFile(ComboList->currentText().toStdString()); });
    connect(generate, &QPushButton::clicked, this, &frmGenerateURLs::cmdGenerate_Click);
    connect(generateAndView, &QPushButton::clicked, this,
            &frmGenerateURLs::cmdGenerateAndView_Click);
    connect(cancel, &QPushButton::clicked, this, &frmGenerateURLs::cmdCancel_Click);
    Form_Load();
}

void frmGenerateURLs::Form_Load() {
    RefreshComboBoxOfPatternFiles();
    RefreshComboBoxOfListFiles();
}

void frmGenerateURLs::RefreshComboBoxOfPatternFiles() {
    Fill(ComboPattern, PatternFileNames());
}

void frmGenerateURLs::RefreshComboBoxOfListFiles() {
    Fill(ComboList, ListFileNames());
}

void frmGenerateURLs::cmdGenerate_Click() {
    GenerateAndConfirm(ComboPattern->currentText().toStdString(),
                       ComboList->currentText().toStdString(), refreshUrlLists_);
}

void frmGenerateURLs::cmdGenerateAndView_Click() {
    GenerateAndView(ComboPattern->currentText().toStdString(),
                    ComboList->currentText().toStdString(), refreshUrlLists_);
}

void frmGenerateURLs::cmdCancel_Click() {
    reject();
    YieldToEvents();
}

}  // namespace vel
