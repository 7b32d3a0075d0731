// SetpointDialog.cpp: TPrmSetForm, the operation setpoint dialog.
#include "windows/settings/SetpointDialog.h"

#include "acquisition/PollCycle.h"
#include "common/NumberText.h"
#include "settings/SetpointWrite.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace qemra {

namespace {

// A radio group: a titled box of exclusive items, item i having id i.
QGroupBox* RadioGroup(const char* name, const QString& title, const QStringList& items, QButtonGroup*& group,
                      QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(QString::fromLatin1(name));
    group = new QButtonGroup(box);
    auto* layout = new QVBoxLayout(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* item = new QRadioButton(items[i], box);
        item->setObjectName(QStringLiteral("%1Item%2").arg(QString::fromLatin1(name)).arg(i));
        group->addButton(item, i);
        layout->addWidget(item);
    }
    return box;
}

// A reported mode as an item index: beyond the last item selects the last; what no index can be
// (negative, not a number) selects the first.
int ItemIndexOf(float value, int items)
{
    if (!(value >= 0))
        return 0;
    if (value >= static_cast<float>(items - 1))
        return items - 1;
    return static_cast<int>(value);
}

QGroupBox* EditGroup(const char* name, const QString& title, const QString& label, QLineEdit* edit, QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(QString::fromLatin1(name));
    auto* layout = new QFormLayout(box);
    auto* caption = new QLabel(label, box);
    caption->setBuddy(edit);
    edit->setParent(box);
    layout->addRow(caption, edit);
    return box;
}

}  // namespace

TPrmSetForm::TPrmSetForm(PollCycle& poll, SharedState& state, QWidget* parent) : QDialog(parent), state_(state)
{
    setObjectName(QStringLiteral("TPrmSetForm"));
    setWindowTitle(QStringLiteral("Operation Setpoint"));
    writer_ = std::make_unique<SetpointWrite>(poll, [this](const QString& line) { AddLine(line); });

    GBMode = new QGroupBox(tr("動作モード"), this);
    GBMode->setObjectName(QStringLiteral("GBMode"));
    RGMesMode = RadioGroup("RGMesMode", tr("計測モード"), {QStringLiteral("Low-Mode"), QStringLiteral("Hi-Mode")},
                           mesModeItems_, GBMode);
    RGCaseMode = RadioGroup("RGCaseMode", tr("ケースモード"),
                            {tr("なし"), tr("開放設置モード"), tr("ケース設置モード")}, caseModeItems_, GBMode);
    auto* modeLayout = new QHBoxLayout(GBMode);
    modeLayout->addWidget(RGMesMode, 0, Qt::AlignTop);
    modeLayout->addWidget(RGCaseMode, 0, Qt::AlignTop);

    Eclo = new QLineEdit(this);
    Eclo->setObjectName(QStringLiteral("Eclo"));
    GBclo = EditGroup("GBclo", tr("clo値（着衣量）"), tr("clo値"), Eclo, this);
    EMETs = new QLineEdit(this);
    EMETs->setObjectName(QStringLiteral("EMETs"));
    GBMETs = EditGroup("GBMETs", tr("METs値（活動量）"), tr("METs値"), EMETs, this);

    BBWrite = new QPushButton(tr("　設定送出"), this);
    BBWrite->setObjectName(QStringLiteral("BBWrite"));
    BBWrite->setAutoDefault(false);
    MSts = new QPlainTextEdit(this);
    MSts->setObjectName(QStringLiteral("MSts"));
    MSts->setReadOnly(true);
    MSts->setUndoRedoEnabled(false);
    MSts->setMinimumHeight(120);
    BBOk = new QPushButton(QStringLiteral("OK"), this);
    BBOk->setObjectName(QStringLiteral("BBOk"));
    BBOk->setDefault(true);
    BBCancel = new QPushButton(tr("キャンセル"), this);
    BBCancel->setObjectName(QStringLiteral("BBCancel"));
    BBCancel->setAutoDefault(false);

    auto* values = new QHBoxLayout;
    values->addWidget(GBclo);
    values->addWidget(GBMETs);
    auto* writeRow = new QHBoxLayout;
    writeRow->addWidget(BBWrite, 0, Qt::AlignTop);
    writeRow->addWidget(MSts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BBOk);
    buttons->addWidget(BBCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GBMode);
    layout->addLayout(values);
    layout->addLayout(writeRow);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // OK and Cancel only close: a write under way goes on with Timer1.
    connect(BBOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(BBCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BBWrite, &QPushButton::clicked, this, [this] { BBWriteClick(); });

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(kTimerMs);
    connect(timer1_, &QTimer::timeout, this, [this] { Timer1Timer(); });
    timer1_->start();
}

TPrmSetForm::~TPrmSetForm() = default;

void TPrmSetForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Restoring a minimised dialog must keep the typed values and a pending write.
    if (!event->spontaneous())
        FormShow();
}

void TPrmSetForm::FormShow()
{
    const TMesData& values = state_.CurMes;
    mesModeItems_->button(ItemIndexOf(values.H50, 2))->setChecked(true);
    caseModeItems_->button(ItemIndexOf(values.H82, 3))->setChecked(true);
    Eclo->setText(SetpointValueText(values.H51));
    EMETs->setText(SetpointValueText(values.M55));
    writer_->Reset();
    MSts->clear();
}

int TPrmSetForm::MesModeIndex() const { return std::max(0, mesModeItems_->checkedId()); }

int TPrmSetForm::CaseModeIndex() const { return std::max(0, caseModeItems_->checkedId()); }

void TPrmSetForm::BBWriteClick()
{
    OperationSetpoint values = writer_->Values();
    values.MesMode = static_cast<std::uint8_t>(MesModeIndex());
    values.CaseMode = static_cast<std::uint8_t>(CaseModeIndex());
    // A text that is no number keeps the value sent last, without a message.
    float number = 0;
    if (TryTextToSingle(Eclo->text(), number))
        values.clo = number;
    if (TryTextToSingle(EMETs->text(), number))
        values.METs = number;
    writer_->Start(values);
    // Only the lines after the first send stay.
    MSts->clear();
}

void TPrmSetForm::Timer1Timer() { writer_->Check(); }

void TPrmSetForm::AddLine(const QString& line) { MSts->appendPlainText(line); }

}  // namespace qemra
