// The screening dialog's window.
#include "frmScreening.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "CommandBarrier.h"
#include "Door.h"
#include "StockScreening.h"
#include "frmMDI.h"

namespace vel {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The frames in the dialog's order, by criterion.
const ScreeningCriterion kFrameOrder[] = {
    ScreeningCriterion::MoneyVolume,    ScreeningCriterion::VolumeGrowth,
    ScreeningCriterion::Profit,         ScreeningCriterion::PriceDecline,
    ScreeningCriterion::PriceLinearity, ScreeningCriterion::PriceAdvance};

const ScreeningCriterionInfo& InfoOf(ScreeningCriterion c) {
    for (const auto& info : ScreeningCriteria())
        if (info.criterion == c) return info;
    return ScreeningCriteria().front();
}

}  // namespace

frmScreening::frmScreening(ScreeningForm& form, QWidget* owner) : QDialog(owner), form_(form) {
    setObjectName(QStringLiteral("frmScreening"));
    setWindowTitle(QString::fromLatin1(ScreeningForm::kCaption));
    setModal(true);
    auto* label1 = new QLabel(QStringLiteral("Heuristic screening conditions : "));
    label1->setObjectName(QStringLiteral("Label1"));
    auto* count = new QLabel(Q(form_.labScreenStockCount()));
    count->setObjectName(QStringLiteral("labScreenStockCount"));
    auto* period = new QLabel(Q(form_.labScreenPeriod()));
    period->setObjectName(QStringLiteral("labScreenPeriod"));
    auto* frames = new QGridLayout;
    int place = 0;
    for (ScreeningCriterion c : kFrameOrder) {
        const ScreeningCriterionInfo& info = InfoOf(c);
        auto* frame = new QGroupBox(QString::fromLatin1(info.frameCaption));
        frame->setObjectName(QStringLiteral("frame") + QString::fromLatin1(info.name));
        auto* column = new QVBoxLayout(frame);
        for (int box = 1; box <= 5; ++box) {
            auto* check = new QCheckBox(QString::fromLatin1(kScreeningBoxCaptions[box - 1]));
            check->setObjectName(QStringLiteral("check%1").arg(box) +
                                 QString::fromLatin1(info.name));
            column->addWidget(check);
            boxes_[static_cast<size_t>(c)][static_cast<size_t>(box - 1)] = check;
            connect(check, &QCheckBox::clicked, this, [this, c, box] {
                RunCommand([this, c, box] { form_.ClickCheckBox(c, box); });
                Refresh();
            });
        }
        frames->addWidget(frame, place / 3, place % 3);
        ++place;
    }
    auto* cont = new QPushButton(QStringLiteral("Continue"));
    cont->setObjectName(QStringLiteral("cmdContinue"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cont, &QPushButton::clicked, this, [this] {
        form_.cmdContinue_Click();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        form_.cmdCancel_Click();
        QDialog::reject();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(count);
    buttons->addStretch(1);
    buttons->addWidget(cont);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1);
    layout->addLayout(frames);
    layout->addWidget(period);
    layout->addLayout(buttons);
    cont->setDefault(true);
    Refresh();
}

void frmScreening::Refresh() {
    for (size_t c = 0; c < boxes_.size(); ++c)
        for (int box = 1; box <= 5; ++box) {
            QCheckBox* check = boxes_[c][static_cast<size_t>(box - 1)];
            const QSignalBlocker quiet(check);
            check->setChecked(form_.CheckBox(static_cast<ScreeningCriterion>(c), box));
        }
}

void frmScreening::reject() {
    if (!form_.Unloaded()) form_.Form_Unload();
    QDialog::reject();
}

void RegisterAnalysisWindows(Door& door) {
    door.SetFormPresenter<ScreeningForm>([](ScreeningForm& form) {
        frmScreening window(form, frmMDI::current());
        window.exec();
    });
}

}  // namespace vel
