// CalibrationPage.cpp: TCalPage, the calibration page "管理操作" of the system setting window.
#include "windows/system/CalibrationPage.h"

#include "core/AcquisitionCore.h"
#include "common/NumberText.h"
#include "calibration/CalReportRecorder.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <cstdlib>

namespace qemra {

const QColor TCalPage::kSilver(0xC0, 0xC0, 0xC0);
const QColor TCalPage::kDone(0xA0, 0xFF, 0xA0);
const QColor TCalPage::kWorking(0xFF, 0xFF, 0x80);

namespace {

void SetBackground(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QColor ButtonFace() { return QApplication::palette().color(QPalette::Button); }

QLabel* SunkenPanel(const char* name, const QString& text, QWidget* parent)
{
    auto* panel = new QLabel(text, parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return panel;
}

QPushButton* Button(const char* name, const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

}  // namespace

TCalPage::TCalPage(AcquisitionCore& core, TWritePrm& prm, const Clock& clock, Prompts& prompts, CalPageWindow window,
                   QWidget* parent)
    : QWidget(parent), state_(core.State()), prm_(prm), window_(std::move(window))
{
    setObjectName(QStringLiteral("TCalPage"));
    CalProcedure::Hooks hooks;
    hooks.TempRevOnly = [this] { return window_.TempRevOnly && window_.TempRevOnly(); };
    hooks.ATCheck = [this] { return window_.ATCheck && window_.ATCheck(); };
    hooks.ShowCalStatus = [this] { ShowCalStatus(); };
    hooks.FillDirectPage = [this] {
        if (window_.FillDirectPage)
            window_.FillDirectPage();
    };
    hooks.AddStatusLine = [this](const QString& text) { AddStatusLine(text); };
    report_ = std::make_unique<CalReportRecorder>(state_, prm, stats_, clock, prompts, core.BaseFolder());
    hooks.StageDone = [this](std::int32_t step) {
        double reference = 0;
        const bool referenceUsed = CBStdTempUse->isChecked() && TryTextToFloat(EStdTempVal->text(), reference);
        report_->StageDone(step, referenceUsed ? std::optional(reference) : std::nullopt);
    };
    hooks.Finished = [this] { report_->WriteReport(); };
    procedure_ = std::make_unique<CalProcedure>(core.Poll(), core.Link().ForceLog, state_, prm, stats_, clock,
                                                prompts, core.BaseFolder(), std::move(hooks));
    BuildPage();
}

TCalPage::~TCalPage() = default;

void TCalPage::BuildPage()
{
    auto* left = new QVBoxLayout;
    left->setSpacing(3);

    BBCalStart = Button("BBCalStart", tr("キャリブレーション開始"), this);
    left->addWidget(BBCalStart);

    panels_ = CreateCalResultPanels(this);
    for (QLabel* set :
         {panels_.PATRevSet, panels_.PBTRevSet, panels_.PWTRevSet, panels_.PWS0CalSet, panels_.PWS4CalSet})
        set->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    // Temperature stage: the four panels, the two buttons to their right, the reference row below.
    auto* temperature = new QGridLayout;
    temperature->addWidget(panels_.PATRev, 0, 0);
    temperature->addWidget(panels_.PATRevSet, 1, 0);
    temperature->addWidget(panels_.PBTRev, 2, 0);
    temperature->addWidget(panels_.PBTRevSet, 3, 0);
    BBATRcvFin = Button("BBATRcvFin", tr("温度系器差確定"), this);
    BBATRcvClr = Button("BBATRcvClr", tr("温度系器差クリア"), this);
    temperature->addWidget(BBATRcvFin, 0, 1, 2, 1);
    temperature->addWidget(BBATRcvClr, 2, 1, 2, 1);
    auto* reference = new QHBoxLayout;
    CBStdTempUse = new QCheckBox(tr("気温基準器使用"), this);
    CBStdTempUse->setObjectName(QStringLiteral("CBStdTempUse"));
    EStdTempVal = new QLineEdit(QStringLiteral("25.00"), this);
    EStdTempVal->setObjectName(QStringLiteral("EStdTempVal"));
    EStdTempVal->setMaximumWidth(70);
    auto* degrees = new QLabel(QStringLiteral("℃"), this);
    degrees->setObjectName(QStringLiteral("LStdTempUnit"));
    reference->addWidget(CBStdTempUse);
    reference->addWidget(EStdTempVal);
    reference->addWidget(degrees);
    reference->addStretch();
    temperature->addLayout(reference, 4, 0, 1, 2);
    left->addLayout(temperature);

    // The three wind stages: result panel over "Set" panel, the confirmation to their right.
    const auto stage = [this, left](QLabel* result, QLabel* set, QPushButton* button) {
        auto* grid = new QGridLayout;
        grid->addWidget(result, 0, 0);
        grid->addWidget(set, 1, 0);
        grid->addWidget(button, 0, 1, 2, 1);
        left->addLayout(grid);
    };
    BBWSTRcvFin = Button("BBWSTRcvFin", tr("風速器差確定"), this);
    BB0mCalFin = Button("BB0mCalFin", tr("0m/s.調整確定"), this);
    BB4mCalFin = Button("BB4mCalFin", tr("Nm/s.調整確定"), this);
    stage(panels_.PWTRev, panels_.PWTRevSet, BBWSTRcvFin);
    stage(panels_.PWS0Cal, panels_.PWS0CalSet, BB0mCalFin);
    stage(panels_.PWS4Cal, panels_.PWS4CalSet, BB4mCalFin);

    auto* finish = new QHBoxLayout;
    PFinish = SunkenPanel("PFinish", QString(), this);
    SetBackground(PFinish, Qt::white);
    BBFin = Button("BBFin", tr("作業完了"), this);
    BBFin->setMinimumHeight(44);
    PFinish->setMinimumHeight(44);
    finish->addWidget(PFinish, 1);
    finish->addWidget(BBFin);
    left->addLayout(finish);

    const auto windRow = [this, left](const char* panelName, const char* gaugeName, QLabel*& panel,
                                      QProgressBar*& gauge) {
        auto* row = new QHBoxLayout;
        panel = SunkenPanel(panelName, QString::fromLatin1(panelName), this);
        panel->setMinimumWidth(90);
        gauge = new QProgressBar(this);
        gauge->setObjectName(QString::fromLatin1(gaugeName));
        gauge->setRange(0, 100);
        gauge->setValue(30);
        gauge->setTextVisible(false);
        QPalette palette = gauge->palette();
        palette.setColor(QPalette::Highlight, QColor(0xFF, 0xDD, 0x8C));
        gauge->setPalette(palette);
        row->addWidget(panel);
        row->addWidget(gauge, 1);
        left->addLayout(row);
    };
    windRow("PWSAS5", "NmGage5", PWSAS5, NmGage5);
    windRow("PWSAS15", "NmGage15", PWSAS15, NmGage15);

    dataView_ = new TCalDataView(stats_, this);
    dataView_->setObjectName(QStringLiteral("TCalDataView"));
    left->addWidget(dataView_, 1);

    auto* right = new QVBoxLayout;
    LSts = new QLabel(tr("動作状況 ─────────────────────"), this);
    LSts->setObjectName(QStringLiteral("LSts"));
    MSts = new QPlainTextEdit(this);
    MSts->setObjectName(QStringLiteral("MSts"));
    MSts->setReadOnly(true);
    MSts->setUndoRedoEnabled(false);
    MSts->setMaximumBlockCount(kMaxStatusLines);
    MSts->setLineWrapMode(QPlainTextEdit::NoWrap);
    MSts->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MSts->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    right->addWidget(LSts);
    right->addWidget(MSts, 1);

    auto* columns = new QHBoxLayout(this);
    columns->addLayout(left, 0);
    columns->addLayout(right, 1);

    connect(BBCalStart, &QPushButton::clicked, this, [this] { BBCalStartClick(); });
    connect(BBATRcvFin, &QPushButton::clicked, this, [this] { BBATRcvFinClick(); });
    connect(BBATRcvClr, &QPushButton::clicked, this, [this] { BBATRcvClrClick(); });
    connect(BBWSTRcvFin, &QPushButton::clicked, this, [this] { BBWSTRcvFinClick(); });
    connect(BB0mCalFin, &QPushButton::clicked, this, [this] { BB0mCalFinClick(); });
    connect(BB4mCalFin, &QPushButton::clicked, this, [this] { BB4mCalFinClick(); });
    connect(BBFin, &QPushButton::clicked, this, [this] { BBFinClick(); });
}

void TCalPage::AddStatusLine(const QString& text) { MSts->appendPlainText(text); }

void TCalPage::SecondStep()
{
    UpdateCalStatistics(stats_, state_.MesHistory, state_.CurMes, prm_.AdjWS, procedure_->CalStep);
    evaluatedSinceDraw_ = true;
    // A hidden page only gathers: formatting some seventy cells a second that nobody sees was a
    // tenth of what the polling program cost. Shown, it catches up at once.
    if (isVisible())
        ShowStatistics();
}

void TCalPage::ShowStatistics()
{
    dataView_->ShowCalData(prm_, panels_);
    ShowCalStatus();
    evaluatedSinceDraw_ = false;
}

void TCalPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Before the first evaluation the page keeps its opening texts and colours.
    if (evaluatedSinceDraw_)
        ShowStatistics();
}

void TCalPage::CalWriteTick() { procedure_->CalWriteTick(); }

void TCalPage::BBCalStartClick()
{
    procedure_->Start(window_.SerialNumber ? window_.SerialNumber() : QString());
    report_->Started();
}

void TCalPage::BBATRcvFinClick() { procedure_->ConfirmTemperatures(CBStdTempUse->isChecked(), EStdTempVal->text()); }

void TCalPage::BBATRcvClrClick() { procedure_->ClearTemperatures(); }
void TCalPage::BBWSTRcvFinClick() { procedure_->ConfirmWDT(); }
void TCalPage::BB0mCalFinClick() { procedure_->Confirm0m(); }
void TCalPage::BB4mCalFinClick() { procedure_->ConfirmNm(); }
void TCalPage::BBFinClick() { procedure_->Finish(); }

int TCalPage::GaugeProgress(float gauge) { return std::abs(static_cast<int>(std::trunc(double(gauge) * 100.0))); }

QColor TCalPage::GaugeColor(int progress)
{
    if (progress > 85)
        return QColor(0x00, 0xFF, 0x00);
    if (progress > 70)
        return QColor(0xFF, 0xFF, 0x00);
    if (progress > 50)
        return QColor(0xFF, 0xDD, 0x8C);
    return QColor(0xFF, 0x00, 0x00);
}

void TCalPage::ShowGauge(QLabel* panel, QProgressBar* gauge, float average, float closeness)
{
    panel->setText(FormatFloat(QStringLiteral("%1.3f"), double(average)));
    const int progress = std::min(GaugeProgress(closeness), 100);
    gauge->setValue(progress);
    QPalette palette = gauge->palette();
    palette.setColor(QPalette::Highlight, GaugeColor(progress));
    gauge->setPalette(palette);
}

void TCalPage::ShowCalStatus()
{
    const CalStats& s = stats_;
    const std::int32_t step = procedure_->CalStep;

    const bool open = procedure_->ConfirmationsOpen();
    const bool temperatureDone = step >= 6;
    BBATRcvFin->setEnabled(open && !temperatureDone && s.AT1Stable && s.AT2Stable && s.BGT1Stable && s.BGT2Stable &&
                           s.BBT1Stable && s.BBT2Stable);
    SetBackground(panels_.PATRevSet, temperatureDone ? kSilver : ButtonFace());
    SetBackground(panels_.PBTRevSet, temperatureDone ? kSilver : ButtonFace());

    const bool wdtDone = step >= 8;
    BBWSTRcvFin->setEnabled(open && !wdtDone && s.WDT1Stable && s.WDT2Stable);
    SetBackground(panels_.PWTRevSet, wdtDone ? kSilver : ButtonFace());

    const double windMax = s.WinMax[kChWind];
    const bool zeroDone = step >= 10;
    BB0mCalFin->setEnabled(open && !zeroDone && s.DifTStable && s.WSStable && windMax < 0.5);
    SetBackground(panels_.PWS0CalSet, zeroDone ? kSilver : ButtonFace());

    SetBackground(panels_.PWS4CalSet, step == 12 ? kSilver : ButtonFace());
    BB4mCalFin->setEnabled(open && s.DifTStable && windMax > 0.5 && (s.SumMax.DifT - s.SumMin.DifT) < 0.015);

    if (step == 12) {
        SetBackground(PFinish, kDone);
        PFinish->setText(tr("キャリブレーション完了"));
        BBFin->setEnabled(true);
    } else {
        SetBackground(PFinish, kWorking);
        PFinish->setText(tr("キャリブレーション中: Step-%1").arg(step));
        BBFin->setEnabled(false);
    }

    ShowGauge(PWSAS5, NmGage5, s.WSAvg5, s.WSGauge5);
    ShowGauge(PWSAS15, NmGage15, s.WSAvg15, s.WSGauge15);
}

}  // namespace qemra
