// MainWindow.cpp: TMainForm, the main window.
#include "windows/main/MainWindow.h"

#include "common/NumberText.h"
#include "common/Prompts.h"
#include "windows/link/CommunicationWindow.h"
#include "windows/main/TrendChart.h"
#include "windows/main/TrendStrips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace qemra {

const QString TMainForm::kNotice = QStringLiteral("Qemra-series thermal comfort monitor");

namespace {

struct PanelDef {
    const char* name;
    const char* label;  // translated in the "TrendStrips" context, as the strips' captions are
    const char* format;
    QColor color;
    double (*value)(const TMesData&);
};

const std::array<PanelDef, TMainForm::kPanelCount> kPanels{{
    {"PPMV", "  PMV", "%1.1f", QColor(0, 255, 0), [](const TMesData& r) -> double { return r.M53; }},
    {"PWBGTi", QT_TRANSLATE_NOOP("TrendStrips", "WBGT 内"), "%1.1f ℃", QColor(0, 255, 0),
     [](const TMesData& r) -> double { return r.M52; }},
    {"PWBGTo", QT_TRANSLATE_NOOP("TrendStrips", "WBGT 外"), "%1.1f ℃", QColor(0, 255, 255),
     [](const TMesData& r) -> double { return r.M51; }},
    {"PAirTemp", QT_TRANSLATE_NOOP("TrendStrips", "気温"), "%1.1f ℃", QColor(255, 151, 151),
     [](const TMesData& r) -> double { return r.M11; }},
    {"PBGTemp", QT_TRANSLATE_NOOP("TrendStrips", "輻射熱"), "%1.1f ℃", QColor(255, 128, 255),
     [](const TMesData& r) -> double { return r.M04; }},
    {"PDewTemp", QT_TRANSLATE_NOOP("TrendStrips", "露点温度"), "%1.1f ℃", QColor(0, 255, 255),
     [](const TMesData& r) -> double { return r.M22; }},
    {"PAirHumid", QT_TRANSLATE_NOOP("TrendStrips", "相対湿度"), QT_TRANSLATE_NOOP("TrendStrips", "%1.1f ％"),
     QColor(0, 255, 255), [](const TMesData& r) -> double { return r.M12; }},
    {"PSHumid", QT_TRANSLATE_NOOP("TrendStrips", "絶対湿度"), "%1.1f g/kg", QColor(255, 255, 255),
     [](const TMesData& r) -> double { return r.M21; }},
    {"PWetTemp", QT_TRANSLATE_NOOP("TrendStrips", "湿球温度"), "%1.1f ℃", QColor(255, 255, 255),
     [](const TMesData& r) -> double { return r.M23; }},
    {"PWindSpeed", QT_TRANSLATE_NOOP("TrendStrips", "風速"), "%1.3f m/s.", QColor(255, 128, 255),
     [](const TMesData& r) -> double { return r.M01; }},
}};
constexpr int kWindPanel = 9;

// How each series of kTrendSeries reads its value from a snapshot, in the same order.
const std::array<double (*)(const TMesData&), kTrendSeries.size()> kSeriesValues{{
    [](const TMesData& r) -> double { return r.M53; },
    [](const TMesData& r) -> double { return r.M52; },
    [](const TMesData& r) -> double { return r.M51; },
    [](const TMesData& r) -> double { return r.M11; },
    [](const TMesData& r) -> double { return r.M04; },
    [](const TMesData& r) -> double { return r.M22; },
    [](const TMesData& r) -> double { return r.M12; },
    [](const TMesData& r) -> double { return r.M01; },
}};

constexpr int kStatusWidths[TMainForm::kStatusPanels] = {300, 180, 70, 70, 70, 50};
constexpr double kTenMinutes = 600.0;

constexpr int kLeftWidth = 180;
constexpr int kPanelX = 73;
constexpr int kPanelWidth = 101;
constexpr int kPanelHeight = 31;
constexpr int kPanelTop = 5;
constexpr int kPanelStep = 35;
// Room for the text inside a value panel: its width less the 1-pixel border on each side, the
// 3-pixel padding on the right and a pixel to spare on the left.
constexpr int kPanelTextWidth = kPanelWidth - 2 - 3 - 1;
constexpr int kPanelFontPixels = 19;
constexpr int kPanelSmallestFontPixels = 8;

QFont LabelFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK JP")});
    font.setPixelSize(15);
    return font;
}

// The value panels use a serif; Century where it is installed, a close relative otherwise.
QFont PanelFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Century"), QStringLiteral("Century Schoolbook"), QStringLiteral("C059"),
                      QStringLiteral("TeX Gyre Schola"), QStringLiteral("DejaVu Serif"),
                      QStringLiteral("Noto Serif CJK JP")});
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(kPanelFontPixels);
    return font;
}

// Writes a value panel's text in the largest font up to the designed size that shows all of it:
// a long value (a minus sign, three integer digits) gets a smaller font instead of losing a digit.
void SetPanelText(QLabel& panel, const QString& text)
{
    // Most values read the same as a second ago and need no measuring again.
    if (panel.text() == text)
        return;
    QFont font = panel.font();
    int pixels = kPanelFontPixels;
    for (; pixels > kPanelSmallestFontPixels; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).horizontalAdvance(text) <= kPanelTextWidth)
            break;
    }
    if (panel.font().pixelSize() != pixels)
        panel.setFont(font);
    panel.setText(text);
}

// A small gauge for the bottom bar, drawn rather than shipped.
QPixmap GaugePicture(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 60), 2));
    painter.setBrush(QColor(250, 250, 250));
    painter.drawEllipse(QRectF(2, 2, size - 4, size - 4));
    painter.setPen(QPen(QColor(0, 196, 0), 3));
    painter.drawArc(QRectF(7, 7, size - 14, size - 14), 30 * 16, 120 * 16);
    painter.setPen(QPen(QColor(255, 0, 0), 2));
    painter.drawLine(QPointF(size / 2.0, size / 2.0), QPointF(size * 0.72, size * 0.28));
    return pixmap;
}

}  // namespace

TMainForm::TMainForm(AcquisitionCore& core, const Clock& clock, Prompts& prompts, QWidget* parent)
    : QMainWindow(parent), core_(core), state_(core.State()), clock_(clock), prompts_(prompts),
      modifiers_([] { return QGuiApplication::keyboardModifiers(); })
{
    setObjectName(QStringLiteral("TMainForm"));
    BuildWindow();
    FormCreate();
}

TMainForm::~TMainForm()
{
    // The view goes first; the core it shows outlives it.
    delete commCtrl_;
    commCtrl_ = nullptr;
}

void TMainForm::FormCreate()
{
    // The communication control window views the core's link; its settings were loaded by the core.
    commCtrl_ = new TCommCtrlForm(core_.Link(), prompts_, this);
    commCtrl_->setWindowFlag(Qt::Window);
    commCtrl_->setWindowTitle(tr("ComPort 通信状態"));
    core_.hooks.ShowValues = [this] { ShowValues(); };
    // Publishing shows its state at the right of the status bar; without a broker the bar is as
    // it always was.
    if (Publisher* publisher = core_.Publishing()) {
        LPublish = new QLabel(publisher->StateText(), SBStatus);
        LPublish->setObjectName(QStringLiteral("LPublish"));
        LPublish->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        SBStatus->addPermanentWidget(LPublish);
        connect(publisher, &Publisher::StateChanged, LPublish, &QLabel::setText);
    }
    // Rows that cannot be written are shown until they are written again.
    LRecordWrite = new QLabel(SBStatus);
    LRecordWrite->setObjectName(QStringLiteral("LRecordWrite"));
    LRecordWrite->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    LRecordWrite->hide();
    SBStatus->addPermanentWidget(LRecordWrite);
    connect(&core_, &AcquisitionCore::RecordWriteChanged, LRecordWrite,
            [this](bool failing, const QString& path, const QString& reason) {
                LRecordWrite->setText(failing ? tr("記録ファイル書込不可: %1 (%2)").arg(path, reason) : QString());
                LRecordWrite->setVisible(failing);
            });
    LPortWait = new QLabel(SBStatus);
    LPortWait->setObjectName(QStringLiteral("LPortWait"));
    LPortWait->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    LPortWait->hide();
    SBStatus->addPermanentWidget(LPortWait);
    connect(&core_, &AcquisitionCore::WaitingForPort, this, [this](bool waiting) {
        LPortWait->setText(waiting ? tr("ポート待機中: %1").arg(core_.Link().ComPortM().Port()) : QString());
        LPortWait->setVisible(waiting);
    });
}

void TMainForm::BuildWindow()
{
    setWindowTitle(QStringLiteral("Qemra-series Monitor. Ver.") + AppVersion);
    setWindowIcon(QIcon(GaugePicture(32)));

    for (std::size_t i = 0; i < charts_.size(); ++i)
        charts_[i] = new TrendChart(QString::fromLatin1(kTrendChartNames[i]));
    for (const TrendSeriesStyle& def : kTrendSeries)
        charts_[static_cast<std::size_t>(def.chart)]->AddSeries(QString::fromLatin1(def.code), QColor(def.color));

    splitter_ = new QSplitter(Qt::Vertical);
    splitter_->setObjectName(QStringLiteral("Splitter"));
    splitter_->setHandleWidth(3);
    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(BuildStrip(QStringLiteral("PStripPMV"), {0}, charts_[0]));
    splitter_->addWidget(BuildStrip(QStringLiteral("PStripWBGT"), {1, 2}, charts_[1]));
    splitter_->addWidget(BuildStrip(QStringLiteral("PStripAT"), {3, 4, 5}, charts_[2]));
    splitter_->addWidget(BuildStrip(QStringLiteral("PStripRH"), {6, 7, 8}, charts_[3]));
    splitter_->addWidget(BuildStrip(QStringLiteral("PStripWS"), {9}, charts_[4]));
    // The top strip takes whatever height the window has beyond the other four.
    splitter_->setStretchFactor(0, 1);
    for (int i = 1; i < 5; ++i)
        splitter_->setStretchFactor(i, 0);
    splitter_->setSizes({115, 110, 110, 110, 110});

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(splitter_, 1);
    layout->addWidget(BuildBottomBar());
    setCentralWidget(central);
    BuildStatusBar();

    resize(790, 647);
    move(100, 50);
}

QWidget* TMainForm::BuildStrip(const QString& name, std::initializer_list<int> panels, TrendChart* chart)
{
    auto* strip = new QWidget();
    strip->setObjectName(name);
    strip->setMinimumHeight(40);
    auto* left = new QWidget(strip);
    left->setFixedWidth(kLeftWidth);
    int row = 0;
    for (const int index : panels) {
        const PanelDef& def = kPanels[static_cast<std::size_t>(index)];
        const int top = kPanelTop + row * kPanelStep;
        auto* caption = new QLabel(QCoreApplication::translate("TrendStrips", def.label), left);
        // A translated caption may be wider than the Japanese the column was made for: it takes a
        // smaller font rather than lose its end.
        QFont captionFont = LabelFont();
        while (captionFont.pixelSize() > kPanelSmallestFontPixels &&
               QFontMetrics(captionFont).horizontalAdvance(caption->text()) > kPanelX - 4)
            captionFont.setPixelSize(captionFont.pixelSize() - 1);
        caption->setFont(captionFont);
        caption->setGeometry(2, top, kPanelX - 4, kPanelHeight);
        caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

        auto* panel = new QLabel(index == kWindPanel ? QStringLiteral("0.000 m/s.") : QStringLiteral("0.00 ℃"), left);
        panel->setObjectName(QString::fromLatin1(def.name));
        panel->setFont(PanelFont());
        panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        // Sunken grey panel: dark edges top and left, light ones right and bottom.
        panel->setStyleSheet(QStringLiteral("QLabel { background-color: rgb(128,128,128); color: %1;"
                                            " border: 1px solid; border-color: #505050 #f0f0f0 #f0f0f0 #505050;"
                                            " padding-right: 3px; }")
                                 .arg(def.color.name()));
        panel->setGeometry(kPanelX, top, kPanelWidth, kPanelHeight + (row == 0 ? 1 : 0));
        panels_[static_cast<std::size_t>(index)] = {panel, QCoreApplication::translate("TrendStrips", def.format),
                                                    def.value};
        ++row;
    }
    auto* layout = new QHBoxLayout(strip);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(left);
    layout->addWidget(chart, 1);
    return strip;
}

QWidget* TMainForm::BuildBottomBar()
{
    auto* bar = new QFrame();
    bar->setObjectName(QStringLiteral("PBottom"));
    bar->setFixedHeight(61);
    bar->setFrameStyle(QFrame::Panel | QFrame::Raised);

    auto* icon = new QLabel(bar);
    icon->setPixmap(GaugePicture(40));

    auto* group = new QFrame(bar);
    group->setObjectName(QStringLiteral("PPrm"));
    group->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    LMETs = new QLabel(tr("METs値"), group);
    LMETs->setObjectName(QStringLiteral("LMETs"));
    LMETs->setMinimumWidth(95);
    Lclo = new QLabel(tr("clo値"), group);
    Lclo->setObjectName(QStringLiteral("Lclo"));
    BBPrmChange = new QPushButton(tr("変更..."), group);
    BBPrmChange->setObjectName(QStringLiteral("BBPrmChange"));
    auto* groupLayout = new QHBoxLayout(group);
    groupLayout->setContentsMargins(6, 2, 6, 2);
    auto* labels = new QVBoxLayout();
    labels->setSpacing(2);
    labels->addWidget(LMETs);
    labels->addWidget(Lclo);
    groupLayout->addLayout(labels);
    groupLayout->addWidget(BBPrmChange);

    CBSecRec = new QCheckBox(tr("秒記録"), bar);
    CBSecRec->setObjectName(QStringLiteral("CBSecRec"));
    BBHistory = new QPushButton(tr("履歴表示"), bar);
    BBHistory->setObjectName(QStringLiteral("BBHistory"));
    BBHistory->setAccessibleName(tr("履歴表示"));

    const auto makeButton = [bar, this](const char* name, QStyle::StandardPixmap glyph, const QString& hint) {
        auto* button = new QToolButton(bar);
        button->setObjectName(QString::fromLatin1(name));
        button->setIcon(style()->standardIcon(glyph));
        button->setIconSize(QSize(28, 28));
        button->setFixedSize(53, 41);
        button->setToolTip(hint);
        return button;
    };
    BBStart = makeButton("BBStart", QStyle::SP_MediaPlay, tr("データ収取開始"));
    BBStop = makeButton("BBStop", QStyle::SP_MediaStop, tr("データ収集終了"));
    BBSaveData = makeButton("BBSaveData", QStyle::SP_DialogSaveButton, tr("グラフプロットデータをファイルに保存"));
    BBSetpoint = makeButton("BBSetpoint", QStyle::SP_FileDialogDetailedView, tr("設定変更"));

    auto* decoration = new QLabel(QStringLiteral("Qemra"), bar);
    QFont decorationFont = PanelFont();
    decorationFont.setItalic(true);
    decoration->setFont(decorationFont);
    decoration->setStyleSheet(QStringLiteral("color: #7090b0;"));

    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(6);
    layout->addWidget(icon);
    layout->addWidget(group);
    layout->addWidget(CBSecRec);
    layout->addWidget(BBHistory);
    layout->addStretch(1);
    layout->addWidget(BBStart);
    layout->addWidget(BBStop);
    layout->addWidget(BBSaveData);
    layout->addWidget(BBSetpoint);
    layout->addWidget(decoration);

    connect(BBStart, &QToolButton::clicked, this, [this] { BBStartClick(); });
    connect(BBStop, &QToolButton::clicked, this, [this] { BBStopClick(); });
    connect(BBSaveData, &QToolButton::clicked, this, [this] { BBSaveDataClick(); });
    connect(BBSetpoint, &QToolButton::clicked, this, [this] { BBSetpointClick(); });
    connect(BBPrmChange, &QPushButton::clicked, this, [this] { BBPrmChangeClick(); });
    connect(CBSecRec, &QCheckBox::toggled, this, [this] { CBSecRecClick(); });
    connect(BBHistory, &QPushButton::clicked, this, [this] { BBHistoryClick(); });
    return bar;
}

void TMainForm::BuildStatusBar()
{
    SBStatus = new QStatusBar(this);
    SBStatus->setObjectName(QStringLiteral("SBStatus"));
    SBStatus->setSizeGripEnabled(true);
    for (int i = 0; i < kStatusPanels; ++i) {
        auto* panel = new QLabel(SBStatus);
        panel->setObjectName(QStringLiteral("SBStatusPanel%1").arg(i));
        panel->setFixedWidth(kStatusWidths[i]);
        // The last panel, never written, gives way so the window keeps its designed width.
        if (i == kStatusPanels - 1)
            panel->setMinimumWidth(0);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->installEventFilter(this);
        SBStatus->addWidget(panel);
        statusPanels_[static_cast<std::size_t>(i)] = panel;
    }
    SBStatus->installEventFilter(this);
    setStatusBar(SBStatus);
}

bool TMainForm::ShiftHeld() const { return modifiers_().testFlag(Qt::ShiftModifier); }

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shownOnce_)
        return;
    FormShow();
    core_.Start();
}

void TMainForm::FormShow()
{
    shownOnce_ = true;
    setWindowTitle(QStringLiteral("Qemra-series Monitor. Ver.") + AppVersion);
    statusPanels_[0]->setText(kNotice);
    CBSecRec->setChecked(state_.MySts.SecRec != 0);
    SetupCharts();
    state_.MesHistory.Clear();
}

void TMainForm::SetupCharts()
{
    // The time axis is laid out by TrendChart on whole minutes; here only its starting window.
    const double now = clock_.Now() * TrendChart::kSecondsPerDay;
    for (TrendChart* chart : charts_)
        chart->SetTimeRange(now - kTenMinutes, now);
}

void TMainForm::MainTimerTimer() { core_.Tick(); }

void TMainForm::ShowValues()
{
    const TMySts& status = state_.MySts;
    const TMesData& values = state_.CurMes;
    setWindowTitle(status.PortName + QStringLiteral(" | Qemra-series monitor. Ver.") + AppVersion);
    for (const Panel& panel : panels_)
        SetPanelText(*panel.label, FormatFloat(panel.format, panel.value(values)));
    LMETs->setText(FormatFloat(tr("METs値: %1.2f"), values.M55));
    Lclo->setText(FormatFloat(tr("clo値: %1.2f"), values.H51));

    statusPanels_[1]->setText(FormatFloat(QStringLiteral("Sensor Model %1.2f"), values.S00) +
                              FormatFloat(QStringLiteral(" | Ver. %1.2f"), values.S01));
    // A device path is often longer than the panel is wide; the tooltip shows all of it.
    statusPanels_[2]->setText(status.PortName);
    statusPanels_[2]->setToolTip(status.PortName);
    statusPanels_[3]->setText(status.SecRec != 0 ? QStringLiteral("SR") : QString());
    statusPanels_[4]->setText(status.Maint != 0 ? QStringLiteral("MT") : QString());
    PlotHistory();
}

void TMainForm::PlotHistory()
{
    const double now = clock_.Now() * TrendChart::kSecondsPerDay;

    // Oldest first; slot 0, the snapshot just pushed, is left for the next refresh.
    std::array<std::vector<QList<QPointF>>, 5> points;
    for (std::size_t c = 0; c < charts_.size(); ++c)
        points[c].resize(static_cast<std::size_t>(charts_[c]->SeriesCount()));
    for (auto& chartPoints : points)
        for (auto& list : chartPoints)
            list.reserve(TMesHistory::kSlots);
    std::array<std::size_t, 5> next{};
    for (int k = TMesHistory::kSlots - 1; k >= 1; --k) {
        const TMesData& slot = state_.MesHistory[k];
        if (slot.Measuring != 1)
            continue;
        const double x = slot.Stamp * TrendChart::kSecondsPerDay;
        next.fill(0);
        for (std::size_t i = 0; i < kTrendSeries.size(); ++i) {
            const auto c = static_cast<std::size_t>(kTrendSeries[i].chart);
            points[c][next[c]++].append(QPointF(x, kSeriesValues[i](slot)));
        }
    }
    for (std::size_t c = 0; c < charts_.size(); ++c)
        charts_[c]->Refill(now - kTenMinutes, now, points[c]);
}

void TMainForm::BBStartClick()
{
    if (hooks.ConnectPort) {
        hooks.ConnectPort();
    } else if (commCtrl_->LoadPortSettings() && !commCtrl_->OpenLink()) {
        // A settings file that failed to load has shown its error; the port stays closed.
        prompts_.Error(tr("ポートを開けません: %1: %2").arg(commCtrl_->ComPortM().Port(), commCtrl_->ComPortM().ErrorText()));
    }
    core_.Poll().Acquiring = true;
    core_.Poll().WarmupCount = 0;
}

void TMainForm::BBStopClick()
{
    core_.StopReconnecting();
    commCtrl_->CloseLink();
    core_.Poll().Acquiring = false;
}

void TMainForm::BBSaveDataClick()
{
    if (hooks.SaveGraphData)
        hooks.SaveGraphData();
}

void TMainForm::BBSetpointClick()
{
    if (ShiftHeld()) {
        if (hooks.ShowSystemSetting)
            hooks.ShowSystemSetting();
        state_.MySts.Maint = 1;
        return;
    }
    if (commCtrl_->ComPortM().Connected()) {
        prompts_.Information(tr("接続中は変更できません"));
        return;
    }
    commCtrl_->SetupPort();
}

void TMainForm::BBPrmChangeClick()
{
    if (hooks.ShowOperationSetpoint)
        hooks.ShowOperationSetpoint();
}

void TMainForm::CBSecRecClick() { state_.MySts.SecRec = CBSecRec->isChecked() ? 1 : 0; }

void TMainForm::BBHistoryClick()
{
    if (hooks.ShowHistory)
        hooks.ShowHistory();
}

void TMainForm::SBStatusDblClick()
{
    if (!ShiftHeld())
        return;
    if (hooks.ShowMonitorList)
        hooks.ShowMonitorList();
    state_.MySts.Maint = 1;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick && (watched == SBStatus || watched->parent() == SBStatus)) {
        SBStatusDblClick();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // The program ends with this window: no more ticks, and the port is let go at once.
    core_.MainTimer().stop();
    core_.Link().CloseLink();
    event->accept();
    emit Closed();
}

}  // namespace qemra
