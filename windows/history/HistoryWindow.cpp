#include "windows/history/HistoryWindow.h"

#include "acquisition/Records.h"
#include "common/NumberText.h"
#include "common/Prompts.h"
#include "report/SurveyReportCommand.h"
#include "survey/SurveyRun.h"
#include "windows/history/HistoryChart.h"
#include "windows/history/HistorySummaryPdf.h"
#include "windows/main/TrendStrips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
#include <QTableWidget>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace qemra {

namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr double kNarrowestView = 10.0;  // seconds across the plot at the deepest zoom
constexpr double kZoomPerStep = 1.25;    // one wheel notch
constexpr int kProgressSteps = 1000;
constexpr int kProgressMs = 50;
constexpr int kDefaultDays = 7;
const QString kDateFormat = QStringLiteral("yyyy/MM/dd");

// The strips from top to bottom: a strip is added here, with its series below. An optional strip
// is shown while its box below the strips is ticked.
struct HistoryStrip {
    const char* name;    // of the strip's panel
    const char* chart;   // of its chart
    const char* toggle;  // the name of its box; null: always shown
};
constexpr std::array<HistoryStrip, THistoryForm::kStrips> kHistoryStrips{{
    {"PStripPMV", kTrendChartNames[0], nullptr},
    {"PStripWBGT", kTrendChartNames[1], nullptr},
    {"PStripAT", kTrendChartNames[2], nullptr},
    {"PStripRH", kTrendChartNames[3], nullptr},
    {"PStripWS", kTrendChartNames[4], nullptr},
    {"PStripTOP", "ChartTOP", "CBShowOperative"},
    {"PStripDR", "ChartDR", "CBShowDraught"},
}};
constexpr int kOperativeStrip = 5;
constexpr int kDraughtStrip = 6;

// Each series: what it draws, its line and value as the live strips show them
// (TrendSeriesStyle::chart is its strip), and its cursor value label.
struct StripSeries {
    HistorySeries series;
    TrendSeriesStyle style;
    const char* cursorName;
};
constexpr std::array<StripSeries, 10> kStripSeries{{
    {RecordQuantity::Pmv, kTrendSeries[0], "LCurPMV"},
    {RecordQuantity::WbgtIn, kTrendSeries[1], "LCurWBGTi"},
    {RecordQuantity::WbgtOut, kTrendSeries[2], "LCurWBGTo"},
    {RecordQuantity::AirTemp, kTrendSeries[3], "LCurAirTemp"},
    {RecordQuantity::RadiantTemp, kTrendSeries[4], "LCurBGTemp"},
    {RecordQuantity::DewPoint, kTrendSeries[5], "LCurDewTemp"},
    {RecordQuantity::Rh, kTrendSeries[6], "LCurAirHumid"},
    {RecordQuantity::Wind, kTrendSeries[7], "LCurWindSpeed"},
    {DerivedFigure::OperativeTemp,
     {kOperativeStrip, "TOP", qRgb(230, 120, 0), QT_TRANSLATE_NOOP("TrendStrips", "作用温度"), "%1.1f ℃"},
     "LCurOperativeTemp"},
    {DerivedFigure::DraughtRate,
     {kDraughtStrip, "DR", qRgb(0, 140, 140), QT_TRANSLATE_NOOP("TrendStrips", "ドラフト率"),
      QT_TRANSLATE_NOOP("TrendStrips", "%1.1f ％")},
     "LCurDraughtRate"},
}};

std::vector<HistorySeries> SeriesOfStrips()
{
    std::vector<HistorySeries> series;
    for (const StripSeries& one : kStripSeries)
        series.push_back(one.series);
    return series;
}

// The rows of the quantity table, in the record files' column order, with the files' own labels
// and units.
struct QuantityRow {
    RecordQuantity quantity;
    const char* label;
    const char* unit;
};
const std::array<QuantityRow, kRecordQuantities> kQuantityRows{{
    {RecordQuantity::Wind, QT_TRANSLATE_NOOP("qemra::THistoryForm", "風速"), "m/s."},
    {RecordQuantity::AirTemp, QT_TRANSLATE_NOOP("qemra::THistoryForm", "気温"), "℃"},
    {RecordQuantity::Rh, QT_TRANSLATE_NOOP("qemra::THistoryForm", "湿度"), "％"},
    {RecordQuantity::RadiantTemp, QT_TRANSLATE_NOOP("qemra::THistoryForm", "輻射熱"), "℃"},
    {RecordQuantity::Mets, "METs", ""},
    {RecordQuantity::Clo, "clo", ""},
    {RecordQuantity::Pmv, "PMV", ""},
    {RecordQuantity::WbgtOut, "WBGTo", "℃"},
    {RecordQuantity::WbgtIn, "WBGTi", "℃"},
    {RecordQuantity::AbsHumidity, QT_TRANSLATE_NOOP("qemra::THistoryForm", "絶対湿度"), "g/kg"},
    {RecordQuantity::DewPoint, QT_TRANSLATE_NOOP("qemra::THistoryForm", "露点温度"), "℃"},
    {RecordQuantity::WetBulb, QT_TRANSLATE_NOOP("qemra::THistoryForm", "湿球温度"), "℃"},
}};

constexpr std::array<const char*, kPmvCategories> kPmvCategoryNames{
    QT_TRANSLATE_NOOP("qemra::THistoryForm", "PMV 区分A (|PMV| < 0.2)"),
    QT_TRANSLATE_NOOP("qemra::THistoryForm", "PMV 区分B (|PMV| < 0.5)"),
    QT_TRANSLATE_NOOP("qemra::THistoryForm", "PMV 区分C (|PMV| < 0.7)"),
    QT_TRANSLATE_NOOP("qemra::THistoryForm", "PMV 区分外 (|PMV| ≥ 0.7)"),
};
constexpr std::array<const char*, kWbgtLevels> kWbgtLevelNames{
    QT_TRANSLATE_NOOP("qemra::THistoryForm", "WBGT ほぼ安全 (< 21 ℃)"),
    QT_TRANSLATE_NOOP("qemra::THistoryForm", "WBGT 注意 (21〜25 ℃)"),
    QT_TRANSLATE_NOOP("qemra::THistoryForm", "WBGT 警戒 (25〜28 ℃)"),
    QT_TRANSLATE_NOOP("qemra::THistoryForm", "WBGT 厳重警戒 (28〜31 ℃)"),
    QT_TRANSLATE_NOOP("qemra::THistoryForm", "WBGT 危険 (≥ 31 ℃)"),
};

// A figure of the tables: at most six significant digits, so columns stay narrow.
QString Figure(double value) { return std::isfinite(value) ? QString::number(value, 'g', 6) : QStringLiteral("NaN"); }

QString Percent(double share) { return QString::number(share * 100.0, 'f', 1) + QStringLiteral(" %"); }

// A read-only table that shows all of itself: no scroll bars, as tall and wide as its cells.
QTableWidget* FigureTable(const char* name, const QString& accessible, const QStringList& columns)
{
    auto* table = new QTableWidget(0, static_cast<int>(columns.size()));
    table->setObjectName(QString::fromLatin1(name));
    table->setAccessibleName(accessible);
    table->setHorizontalHeaderLabels(columns);
    table->verticalHeader()->setVisible(false);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setFocusPolicy(Qt::NoFocus);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    table->setWordWrap(false);
    return table;
}

void FillTable(QTableWidget* table, const PdfTable& content)
{
    table->setRowCount(static_cast<int>(content.rows.size()));
    for (int r = 0; r < table->rowCount(); ++r) {
        const QStringList& cells = content.rows[r];
        for (int c = 0; c < std::min(table->columnCount(), static_cast<int>(cells.size())); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment((c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
            table->setItem(r, c, item);
        }
    }
    table->resizeColumnsToContents();
    table->resizeRowsToContents();
    // Every cell in sight: the table asks for the room its cells take.
    int width = 2 * table->frameWidth();
    for (int c = 0; c < table->columnCount(); ++c)
        width += table->columnWidth(c);
    int height = 2 * table->frameWidth() + table->horizontalHeader()->height();
    for (int r = 0; r < table->rowCount(); ++r)
        height += table->rowHeight(r);
    table->setFixedSize(width, height);
}

// "yyyy/MM/dd hh:mm:ss" of chart seconds.
QString TimeText(double seconds)
{
    const auto whole = static_cast<long long>(std::floor(seconds));
    const long long day = whole >= 0 ? whole / 86400 : (whole - 86399) / 86400;
    const long long ofDay = whole - day * 86400;
    return QDate(1899, 12, 30).addDays(day).toString(kDateFormat) + QStringLiteral(" %1:%2:%3")
                                                                        .arg(ofDay / 3600, 2, 10, QLatin1Char('0'))
                                                                        .arg(ofDay / 60 % 60, 2, 10, QLatin1Char('0'))
                                                                        .arg(ofDay % 60, 2, 10, QLatin1Char('0'));
}

QString RecordTimeText(const RecordTime& time)
{
    return QStringLiteral("%1/%2/%3 %4:%5:%6")
        .arg(time.year, 4, 10, QLatin1Char('0'))
        .arg(time.month, 2, 10, QLatin1Char('0'))
        .arg(time.day, 2, 10, QLatin1Char('0'))
        .arg(time.hour, 2, 10, QLatin1Char('0'))
        .arg(time.minute, 2, 10, QLatin1Char('0'))
        .arg(time.second, 2, 10, QLatin1Char('0'));
}

QString DaysText(const QList<QDate>& days)
{
    QStringList texts;
    for (const QDate day : days)
        texts.append(day.toString(kDateFormat));
    return texts.join(QStringLiteral(", "));
}

}  // namespace

// The export dialogs offer "<base>_<from>_<to>.<kind>" for the range on screen, in the data folder.
FileDialogOptions THistoryForm::ExportDialog(const QString& title, const QString& kind, const QString& base) const
{
    const QString suffix = kind.toLower();
    FileDialogOptions options;
    options.title = title;
    options.filter = QStringLiteral("%1 (*.%2)").arg(kind, suffix);
    options.defaultSuffix = suffix;
    options.directory = dataFolder_;
    options.fileName = QStringLiteral("%1_%2_%3.%4")
                           .arg(base, loadedFrom_.toString(QStringLiteral("yyyyMMdd")),
                                loadedTo_.toString(QStringLiteral("yyyyMMdd")), suffix);
    return options;
}

THistoryForm::THistoryForm(QString dataFolder, Prompts& prompts, QWidget* parent, QString cacheFolder)
    : QWidget(parent), dataFolder_(std::move(dataFolder)), prompts_(prompts), cache_(std::move(cacheFolder))
{
    setObjectName(QStringLiteral("THistoryForm"));
    setWindowFlag(Qt::Window);
    setWindowTitle(tr("履歴表示"));
    BuildWindow();
    resize(1100, 680);
}

THistoryForm::~THistoryForm()
{
    // A load still running reads into the loader: stop it and wait before both go.
    if (worker_) {
        loader_->Cancel();
        worker_->wait();
    }
    if (figuresWorker_)
        figuresWorker_->wait();
    if (reportWorker_)
        reportWorker_->wait();
    view_.reset();
}

void THistoryForm::BuildWindow()
{
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(kProgressMs);
    connect(progressTimer_, &QTimer::timeout, this, [this] { ShowProgress(); });
    // A resize reaches every strip at once: one redraw for all of them.
    redrawTimer_ = new QTimer(this);
    redrawTimer_->setSingleShot(true);
    redrawTimer_->setInterval(0);
    connect(redrawTimer_, &QTimer::timeout, this, [this] { Redraw(); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(BuildTopBar());

    auto* split = new QSplitter(Qt::Horizontal);
    split->setObjectName(QStringLiteral("SplitterHistory"));
    split->addWidget(BuildStrips());
    auto* summary = new QWidget();
    summary->setObjectName(QStringLiteral("PSummary"));
    auto* summaryLayout = new QVBoxLayout(summary);
    summaryLayout->setContentsMargins(4, 0, 0, 0);
    LSummary = new QLabel();
    LSummary->setObjectName(QStringLiteral("LSummary"));
    LSummary->setAccessibleName(tr("サマリ"));
    LSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summaryLayout->addWidget(LSummary);
    TSummary = FigureTable("TSummary", tr("項目ごとの最小・平均・最大"), QuantityTable().columns);
    summaryLayout->addWidget(TSummary);
    TShares = FigureTable("TShares", tr("区分ごとの割合"), ShareTable().columns);
    summaryLayout->addWidget(TShares);
    summaryLayout->addWidget(BuildSelection());
    // A text box of its own size: figures that arrive later never resize the strips under the cursor.
    LComfort = new QPlainTextEdit();
    LComfort->setObjectName(QStringLiteral("LComfort"));
    LComfort->setAccessibleName(tr("快適性の集計"));
    LComfort->setReadOnly(true);
    LComfort->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The command line's table: its columns line up in a fixed-width font only.
    LComfort->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    LComfort->setMinimumHeight(QFontMetrics(LComfort->font()).lineSpacing() * 12);
    summaryLayout->addWidget(LComfort);
    summaryLayout->addStretch(1);
    split->addWidget(summary);
    // The strips give way to the tables, never the other way round.
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 0);
    split->setCollapsible(1, false);
    layout->addWidget(split, 1);

    LStatus = new QLabel();
    LStatus->setObjectName(QStringLiteral("LStatus"));
    LStatus->setWordWrap(true);
    layout->addWidget(LStatus);

    SetBusy(false);
}

QWidget* THistoryForm::BuildTopBar()
{
    auto* bar = new QWidget();
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    const QDate today = QDate::currentDate();
    const auto dateEdit = [bar](const char* name, const QString& accessible, QDate date) {
        auto* edit = new QDateEdit(date, bar);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setAccessibleName(accessible);
        edit->setDisplayFormat(kDateFormat);
        edit->setCalendarPopup(true);
        return edit;
    };
    auto* periodLabel = new QLabel(tr("期間"), bar);
    EFrom = dateEdit("EFrom", tr("開始日"), today.addDays(1 - kDefaultDays));
    ETo = dateEdit("ETo", tr("終了日"), today);
    periodLabel->setBuddy(EFrom);
    auto* portLabel = new QLabel(tr("ポート"), bar);
    CBPort = new QComboBox(bar);
    CBPort->setObjectName(QStringLiteral("CBPort"));
    CBPort->setAccessibleName(tr("ポート"));
    CBPort->setMinimumContentsLength(10);
    portLabel->setBuddy(CBPort);
    const auto button = [bar](const char* name, const QString& text) {
        auto* b = new QPushButton(text, bar);
        b->setObjectName(QString::fromLatin1(name));
        b->setAccessibleName(text);
        return b;
    };
    BBLoad = button("BBLoad", tr("読込"));
    PBLoad = new QProgressBar(bar);
    PBLoad->setObjectName(QStringLiteral("PBLoad"));
    PBLoad->setAccessibleName(tr("読込の進み具合"));
    PBLoad->setRange(0, kProgressSteps);
    PBLoad->setValue(0);
    PBLoad->setMaximumWidth(160);
    BBCancel = button("BBCancel", tr("中止"));
    BBFitAll = button("BBFitAll", tr("全体表示"));
    BBSavePng = button("BBSavePng", tr("PNG保存..."));
    BBSavePdf = button("BBSavePdf", tr("PDF保存..."));
    BBReport = button("BBReport", tr("調査報告書..."));

    layout->addWidget(periodLabel);
    layout->addWidget(EFrom);
    layout->addWidget(new QLabel(tr("〜"), bar));
    layout->addWidget(ETo);
    layout->addWidget(portLabel);
    layout->addWidget(CBPort);
    layout->addWidget(BBLoad);
    layout->addWidget(PBLoad);
    layout->addWidget(BBCancel);
    layout->addStretch(1);
    layout->addWidget(BBFitAll);
    layout->addWidget(BBSavePng);
    layout->addWidget(BBSavePdf);
    layout->addWidget(BBReport);

    connect(EFrom, &QDateEdit::dateChanged, this, [this] { RefreshPorts(); });
    connect(ETo, &QDateEdit::dateChanged, this, [this] { RefreshPorts(); });
    connect(BBLoad, &QPushButton::clicked, this, [this] { BBLoadClick(); });
    connect(BBCancel, &QPushButton::clicked, this, [this] { BBCancelClick(); });
    connect(BBFitAll, &QPushButton::clicked, this, [this] { BBFitAllClick(); });
    connect(BBSavePng, &QPushButton::clicked, this, [this] { BBSavePngClick(); });
    connect(BBSavePdf, &QPushButton::clicked, this, [this] { BBSavePdfClick(); });
    connect(BBReport, &QPushButton::clicked, this, [this] { BBReportClick(); });
    return bar;
}

QWidget* THistoryForm::BuildStrips()
{
    strips_ = new QWidget();
    strips_->setObjectName(QStringLiteral("PStrips"));
    auto* outer = new QVBoxLayout(strips_);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(2);
    LCursorTime = new QLabel(QStringLiteral("-"));
    LCursorTime->setObjectName(QStringLiteral("LCursorTime"));
    LCursorTime->setAccessibleName(tr("カーソル時刻"));
    outer->addWidget(LCursorTime);
    // The boxes that add strips lie below them, out of the pictures and pages the strips make.
    auto* toggles = new QHBoxLayout();
    toggles->addStretch(1);
    toggles->addWidget(new QLabel(tr("追加表示:")));

    auto* split = new QSplitter(Qt::Vertical);
    split->setHandleWidth(3);
    split->setChildrenCollapsible(false);
    cursorValues_.assign(kStripSeries.size(), nullptr);
    for (int c = 0; c < kStrips; ++c) {
        auto* chart = new HistoryChart(QString::fromLatin1(kHistoryStrips[static_cast<std::size_t>(c)].chart));
        charts_[static_cast<std::size_t>(c)] = chart;
        const HistoryStrip& defined = kHistoryStrips[static_cast<std::size_t>(c)];
        auto* strip = new QWidget();
        strip->setObjectName(QString::fromLatin1(defined.name));
        auto* left = new QWidget(strip);
        left->setFixedWidth(150);
        auto* leftLayout = new QVBoxLayout(left);
        leftLayout->setContentsMargins(2, 2, 2, 2);
        leftLayout->setSpacing(0);
        for (std::size_t i = 0; i < kStripSeries.size(); ++i) {
            const TrendSeriesStyle& def = kStripSeries[i].style;
            if (def.chart != c)
                continue;
            chart->AddSeries(QString::fromLatin1(def.code), QColor(def.color));
            // The caption in the line's colour stands for a legend; the value is the cursor's.
            auto* caption = new QLabel(TrendCaption(def), left);
            caption->setStyleSheet(QStringLiteral("color: %1; font-weight: bold;").arg(QColor(def.color).name()));
            auto* value = new QLabel(QStringLiteral("-"), left);
            value->setObjectName(QString::fromLatin1(kStripSeries[i].cursorName));
            value->setAccessibleName(TrendCaption(def));
            value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            cursorValues_[i] = value;
            auto* row = new QHBoxLayout();
            row->addWidget(caption);
            row->addWidget(value, 1);
            leftLayout->addLayout(row);
        }
        leftLayout->addStretch(1);
        auto* layout = new QHBoxLayout(strip);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(left);
        layout->addWidget(chart, 1);
        split->addWidget(strip);
        if (defined.toggle != nullptr) {
            // The strip's first series names it on its box.
            const auto first =
                std::ranges::find_if(kStripSeries, [c](const StripSeries& one) { return one.style.chart == c; });
            auto* toggle = new QCheckBox(TrendCaption(first->style));
            toggle->setObjectName(QString::fromLatin1(defined.toggle));
            toggle->setAccessibleName(tr("%1の帯を表示").arg(TrendCaption(first->style)));
            toggles->addWidget(toggle);
            strip->setVisible(false);
            connect(toggle, &QCheckBox::toggled, strip, &QWidget::setVisible);
        }

        connect(chart, &HistoryChart::ZoomRequested, this, [this](double at, double steps) { ZoomAt(at, steps); });
        connect(chart, &HistoryChart::PanRequested, this, [this](double seconds) { PanBy(seconds); });
        connect(chart, &HistoryChart::CursorMoved, this, [this](double seconds) { SetCursorAt(seconds); });
        connect(chart, &HistoryChart::CursorLeft, this, [this] { ClearCursor(); });
        connect(chart, &HistoryChart::PlotResized, redrawTimer_, qOverload<>(&QTimer::start));
    }
    // The draught rate is judged against the limits of categories A, B and C.
    charts_[kDraughtStrip]->SetLevelLines(
        {{10.0, QStringLiteral("A | B")}, {20.0, QStringLiteral("B | C")}, {30.0, tr("C | 区分外")}});
    outer->addWidget(split, 1);
    auto* pane = new QWidget();
    auto* paneLayout = new QVBoxLayout(pane);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    paneLayout->setSpacing(2);
    paneLayout->addWidget(strips_, 1);
    paneLayout->addLayout(toggles);
    return pane;
}

void THistoryForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (rangeChosen_)
        return;
    // The first showing offers the last week that has record files.
    const QList<QDate> days = RecordFolder(dataFolder_).Days();
    if (!days.isEmpty())
        SetRange(std::max(days.front(), days.back().addDays(1 - kDefaultDays)), days.back());
    else
        RefreshPorts();
}

void THistoryForm::SetRange(QDate from, QDate to)
{
    rangeChosen_ = true;
    const QSignalBlocker blockFrom(EFrom);
    const QSignalBlocker blockTo(ETo);
    EFrom->setDate(from);
    ETo->setDate(to);
    RefreshPorts();
}

void THistoryForm::RefreshPorts()
{
    const QString chosen = CBPort->currentText();
    const QStringList ports = RecordFolder(dataFolder_).PortsBetween(EFrom->date(), ETo->date());
    CBPort->clear();
    CBPort->addItems(ports);
    if (const auto at = ports.indexOf(chosen); at >= 0)
        CBPort->setCurrentIndex(static_cast<int>(at));
    CBPort->setEnabled(ports.size() > 1 && !Loading());
}

void THistoryForm::SetBusy(bool busy)
{
    BBLoad->setEnabled(!busy);
    BBCancel->setEnabled(busy);
    EFrom->setEnabled(!busy);
    ETo->setEnabled(!busy);
    CBPort->setEnabled(!busy && CBPort->count() > 1);
    const bool any = loaded_ && !loaded_->rows.Empty();
    BBFitAll->setEnabled(any);
    BBSavePng->setEnabled(!busy && any);
    BBSavePdf->setEnabled(!busy && loaded_ != nullptr);
    BBReport->setEnabled(!busy && loaded_ != nullptr && !reportWorker_);
}

void THistoryForm::BBLoadClick()
{
    if (Loading())
        return;
    const QDate from = EFrom->date();
    const QDate to = ETo->date();
    if (to < from) {
        prompts_.Warning(tr("終了日が開始日より前です"));
        return;
    }
    const RecordFolder folder(dataFolder_);
    const QString port = CBPort->currentText();
    loader_ = std::make_unique<HistoryLoader>(folder, port, from, to, SeriesOfStrips(), &cache_);
    loadedFrom_ = from;
    loadedTo_ = to;
    loadedPort_ = port;
    pending_.reset();
    HistoryLoader* loader = loader_.get();
    const int workers = std::max(1, QThread::idealThreadCount());
    worker_.reset(QThread::create([this, loader, workers] { pending_ = loader->Run(workers); }));
    connect(worker_.get(), &QThread::finished, this, [this] {
        worker_->wait();
        worker_.reset();
        LoadDone(std::move(pending_));
    });
    PBLoad->setValue(0);
    LStatus->setText(tr("読込中..."));
    SetBusy(true);
    progressTimer_->start();
    worker_->start();
}

void THistoryForm::BBCancelClick()
{
    if (loader_ && Loading())
        loader_->Cancel();
}

void THistoryForm::ShowProgress()
{
    if (!loader_)
        return;
    const std::int64_t total = loader_->TotalBytes();
    PBLoad->setValue(total > 0 ? static_cast<int>(loader_->BytesRead() * kProgressSteps / total) : 0);
}

void THistoryForm::LoadDone(std::optional<HistoryLoad> load)
{
    progressTimer_->stop();
    loader_.reset();
    const bool loaded = load.has_value();
    if (loaded) {
        // The view reads through the old reduction: it goes first.
        view_.reset();
        loaded_ = std::make_unique<HistoryLoad>(std::move(*load));
        view_ = std::make_unique<HistoryView>(loaded_->rows, [this] {
            // Called on the reading thread: the strips are drawn again on this one.
            QMetaObject::invokeMethod(
                this, [this] { RowsArrived(); }, Qt::QueuedConnection);
        });
        PBLoad->setValue(kProgressSteps);
        QStringList notes;
        notes.append(tr("%1 行").arg(loaded_->rows.Size()));
        if (loaded_->daysFromCache > 0)
            notes.append(tr("%1 日分は前回の読込から").arg(loaded_->daysFromCache));
        if (!loaded_->minuteDays.isEmpty())
            notes.append(tr("分記録で表示: ") + DaysText(loaded_->minuteDays));
        if (!loaded_->missingDays.isEmpty())
            notes.append(tr("記録なし: ") + DaysText(loaded_->missingDays));
        for (const QString& error : loaded_->errors)
            notes.append(tr("読めません: ") + error);
        LStatus->setText(notes.join(QStringLiteral("  ")));
        ShowSummary();
        ComputeComfortFigures();
        if (!loaded_->rows.Empty()) {
            viewFrom_ = static_cast<double>(loaded_->rows.FirstSeconds());
            viewTo_ = static_cast<double>(loaded_->rows.LastSeconds());
        }
        SetView(viewFrom_, viewTo_);
    } else {
        // What was shown before stays, and so does the range it came from.
        PBLoad->setValue(0);
        LStatus->setText(tr("読込を中止しました"));
    }
    SetBusy(false);
    emit LoadFinished(loaded);
}

void THistoryForm::SetView(double from, double to)
{
    if (!loaded_ || loaded_->rows.Empty()) {
        viewFrom_ = from;
        viewTo_ = to;
        Redraw();
        return;
    }
    const auto first = static_cast<double>(loaded_->rows.FirstSeconds());
    const double last = std::max(first + kNarrowestView, static_cast<double>(loaded_->rows.LastSeconds()));
    double width = std::clamp(to - from, kNarrowestView, last - first);
    from = std::clamp(from, first, last - width);
    viewFrom_ = from;
    viewTo_ = from + width;
    Redraw();
}

void THistoryForm::ZoomAt(double atSeconds, double steps)
{
    const double factor = std::pow(kZoomPerStep, -steps);
    SetView(atSeconds - (atSeconds - viewFrom_) * factor, atSeconds + (viewTo_ - atSeconds) * factor);
}

void THistoryForm::PanBy(double seconds) { SetView(viewFrom_ + seconds, viewTo_ + seconds); }

void THistoryForm::BBFitAllClick()
{
    if (loaded_ && !loaded_->rows.Empty())
        SetView(static_cast<double>(loaded_->rows.FirstSeconds()), static_cast<double>(loaded_->rows.LastSeconds()));
}

void THistoryForm::Redraw()
{
    if (!(viewTo_ > viewFrom_))
        return;
    // All strips share the width of their plots: one reduction serves them all.
    const int columns = std::max(1, static_cast<int>(charts_[0]->PlotRect().width()));
    std::vector<QList<QPointF>> reduced;
    waitingForRows_ = false;
    if (view_) {
        HistoryView::Points drawn = view_->Reduce(viewFrom_, viewTo_, columns);
        reduced = std::move(drawn.series);
        waitingForRows_ = drawn.waiting;
    }
    reduced.resize(kStripSeries.size());
    std::array<std::vector<QList<QPointF>>, kStrips> points;
    for (std::size_t i = 0; i < kStripSeries.size(); ++i)
        points[static_cast<std::size_t>(kStripSeries[i].style.chart)].push_back(std::move(reduced[i]));
    for (std::size_t c = 0; c < charts_.size(); ++c)
        charts_[c]->Refill(viewFrom_, viewTo_, points[c]);
    ShowCursorValues();
}

void THistoryForm::SetCursorAt(double seconds)
{
    cursor_ = seconds;
    for (HistoryChart* chart : charts_)
        chart->SetCursorLine(seconds);
    ShowCursorValues();
}

void THistoryForm::ClearCursor()
{
    cursor_.reset();
    for (HistoryChart* chart : charts_)
        chart->SetCursorLine(std::nullopt);
    ShowCursorValues();
}

void THistoryForm::RowsArrived()
{
    if (!waitingForRows_)
        return;
    Redraw();
    if (!waitingForRows_)
        emit RowsDrawn();
}

void THistoryForm::ShowCursorValues()
{
    std::optional<HistoryRowValues> row;
    if (cursor_ && view_) {
        // Off the rows, a value is read only within two pixel columns of one.
        const double perColumn = (viewTo_ - viewFrom_) / std::max(1.0, charts_[0]->PlotRect().width());
        row = view_->RowAt(*cursor_, std::max(1.0, 2 * perColumn));
    }
    LCursorTime->setText(row ? TimeText(static_cast<double>(row->seconds))
                             : (cursor_ ? TimeText(*cursor_) : QStringLiteral("-")));
    for (std::size_t i = 0; i < cursorValues_.size(); ++i) {
        // A figure not defined at the row (the draught of its first three minutes) reads "-".
        const bool shown = row && std::isfinite(row->values[i]);
        cursorValues_[i]->setText(
            shown ? FormatFloat(TrendFormat(kStripSeries[i].style), static_cast<double>(row->values[i]))
                  : QStringLiteral("-"));
    }
}

QString THistoryForm::SummaryHeading() const
{
    QString heading =
        tr("履歴サマリ ") + loadedFrom_.toString(kDateFormat) + QStringLiteral(" - ") + loadedTo_.toString(kDateFormat);
    if (!loadedPort_.isEmpty())
        heading += QStringLiteral("  port ") + loadedPort_;
    return heading;
}

QStringList THistoryForm::SummaryLines() const
{
    if (!loaded_)
        return {};
    const HistoryFigures& figures = loaded_->summary;
    QStringList lines;
    lines.append(tr("秒数 %1").arg(figures.seconds));
    if (figures.first && figures.last)
        lines.append(tr("最初 %1  最後 %2").arg(RecordTimeText(*figures.first), RecordTimeText(*figures.last)));
    if (figures.skippedRows > 0)
        lines.append(tr("読み飛ばした行 %1").arg(figures.skippedRows));
    if (!loaded_->minuteDays.isEmpty())
        lines.append(tr("分記録で表示: ") + DaysText(loaded_->minuteDays));
    if (!loaded_->missingDays.isEmpty())
        lines.append(tr("記録なし: ") + DaysText(loaded_->missingDays));
    return lines;
}

PdfTable THistoryForm::QuantityTable() const
{
    PdfTable table{{tr("項目"), tr("最小"), tr("平均"), tr("最大")}, {}};
    if (!loaded_ || loaded_->summary.seconds <= 0)
        return table;
    const HistoryFigures& figures = loaded_->summary;
    for (const QuantityRow& row : kQuantityRows) {
        const std::size_t i = QuantityIndex(row.quantity);
        QString label = tr(row.label);
        if (*row.unit != 0)
            label += QStringLiteral(" [") + QString::fromUtf8(row.unit) + u']';
        table.rows.append(
            {label, Figure(figures.minimum[i]), Figure(figures.Average(row.quantity)), Figure(figures.maximum[i])});
    }
    return table;
}

PdfTable THistoryForm::ShareTable() const
{
    PdfTable table{{tr("区分"), tr("割合")}, {}};
    if (!loaded_ || loaded_->summary.seconds <= 0)
        return table;
    const HistoryFigures& figures = loaded_->summary;
    for (int c = 0; c < kPmvCategories; ++c)
        table.rows.append(
            {tr(kPmvCategoryNames[static_cast<std::size_t>(c)]), Percent(figures.Share(static_cast<PmvCategory>(c)))});
    for (int l = 0; l < kWbgtLevels; ++l)
        table.rows.append(
            {tr(kWbgtLevelNames[static_cast<std::size_t>(l)]), Percent(figures.Share(static_cast<WbgtLevel>(l)))});
    return table;
}

void THistoryForm::ShowSummary()
{
    LSummary->setText(SummaryHeading() + u'\n' + SummaryLines().join(u'\n'));
    FillTable(TSummary, QuantityTable());
    FillTable(TShares, ShareTable());
}

QImage THistoryForm::StripsImage() const { return strips_->grab().toImage(); }

QString THistoryForm::ExportCaption() const
{
    QStringList parts;
    parts.append(tr("表示範囲 %1 〜 %2").arg(TimeText(viewFrom_), TimeText(viewTo_)));
    if (!loadedPort_.isEmpty())
        parts.append(tr("ポート %1").arg(loadedPort_));
    if (cursor_)
        parts.append(tr("カーソル %1").arg(LCursorTime->text()));
    return parts.join(QStringLiteral("    "));
}

QImage THistoryForm::ExportImage()
{
    // A value the cursor has none of is left blank in the picture rather than shown as "-".
    std::vector<QLabel*> blanked;
    for (QLabel* label : cursorValues_)
        if (label->text() == QStringLiteral("-"))
            blanked.push_back(label);
    if (LCursorTime->text() == QStringLiteral("-"))
        blanked.push_back(LCursorTime);
    for (QLabel* label : blanked)
        label->setText(QString());
    const QImage strips = StripsImage();
    for (QLabel* label : blanked)
        label->setText(QStringLiteral("-"));

    const QString caption = ExportCaption();
    const QFontMetrics metrics(font());
    const int band = metrics.height() * 2;
    QImage image(strips.width(), strips.height() + band, QImage::Format_RGB32);
    image.setDevicePixelRatio(strips.devicePixelRatio());
    image.fill(palette().color(QPalette::Window));
    QPainter painter(&image);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    const double ratio = strips.devicePixelRatio();
    painter.drawText(QRectF(6, 0, strips.width() / ratio - 12, band), Qt::AlignLeft | Qt::AlignVCenter, caption);
    painter.drawImage(QPointF(0, band), strips);
    painter.end();
    return image;
}

void THistoryForm::BBSavePngClick()
{
    const QString path =
        prompts_.SaveFileName(ExportDialog(tr("PNG保存"), QStringLiteral("PNG"), QStringLiteral("History")));
    if (path.isEmpty())
        return;
    if (!ExportImage().save(path, "PNG"))
        prompts_.Error(tr("%1 に保存できません").arg(path));
}

void THistoryForm::BBSavePdfClick()
{
    const QString path =
        prompts_.SaveFileName(ExportDialog(tr("PDF保存"), QStringLiteral("PDF"), QStringLiteral("HistorySummary")));
    if (path.isEmpty())
        return;
    // The strips are painted onto the page as they paint themselves: lines and text, no picture.
    const PdfStrips strips{QSizeF(strips_->size()), [this](QPainter& painter, const QRectF& target) {
                               painter.translate(target.topLeft());
                               painter.scale(target.width() / strips_->width(), target.height() / strips_->height());
                               strips_->render(&painter, QPoint(), QRegion(),
                                               QWidget::DrawChildren | QWidget::DrawWindowBackground);
                           }};
    const QByteArray pdf = HistorySummaryPdf(SummaryHeading(), SummaryLines(), {QuantityTable(), ShareTable()}, strips);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit())
        prompts_.Error(tr("%1 に保存できません").arg(path));
}

}  // namespace qemra

namespace qemra {

QWidget* THistoryForm::BuildSelection()
{
    auto* box = new QWidget();
    box->setObjectName(QStringLiteral("PSelection"));
    auto* form = new QFormLayout(box);
    form->setContentsMargins(0, 0, 0, 0);
    const auto lineEdit = [box](const char* name, const QString& accessible, const QString& placeholder) {
        auto* edit = new QLineEdit(box);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setAccessibleName(accessible);
        edit->setPlaceholderText(placeholder);
        return edit;
    };
    ESelHours = lineEdit("ESelHours", tr("在室時間"), QStringLiteral("08:00-18:00"));
    ESelDays = lineEdit("ESelDays", tr("曜日"), QStringLiteral("mon-fri"));
    CBSelCategory = new QComboBox(box);
    CBSelCategory->setObjectName(QStringLiteral("CBSelCategory"));
    CBSelCategory->setAccessibleName(tr("区分"));
    CBSelCategory->addItems({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    CBSelCategory->setCurrentIndex(1);
    ESelOutdoor = lineEdit("ESelOutdoor", tr("外気温ファイル"), QString());
    BBSelOutdoor = new QPushButton(tr("参照..."), box);
    BBSelOutdoor->setObjectName(QStringLiteral("BBSelOutdoor"));
    BBSelOutdoor->setAccessibleName(tr("外気温ファイルを選ぶ"));
    auto* outdoorRow = new QHBoxLayout();
    outdoorRow->addWidget(ESelOutdoor, 1);
    outdoorRow->addWidget(BBSelOutdoor);
    form->addRow(tr("在室時間"), ESelHours);
    form->addRow(tr("曜日"), ESelDays);
    form->addRow(tr("区分"), CBSelCategory);
    form->addRow(tr("外気温ファイル"), outdoorRow);

    for (QLineEdit* edit : {ESelHours, ESelDays, ESelOutdoor})
        connect(edit, &QLineEdit::editingFinished, this, [this] { ComputeComfortFigures(); });
    connect(CBSelCategory, &QComboBox::currentIndexChanged, this, [this] { ComputeComfortFigures(); });
    connect(BBSelOutdoor, &QPushButton::clicked, this, [this] { BBSelOutdoorClick(); });
    return box;
}

SurveySelection THistoryForm::Selection() const
{
    return {ESelHours->text(), ESelDays->text(), CBSelCategory->currentText(), ESelOutdoor->text()};
}

void THistoryForm::SetSelection(const SurveySelection& selection)
{
    const QSignalBlocker blockCategory(CBSelCategory);
    ESelHours->setText(selection.hours);
    ESelDays->setText(selection.days);
    CBSelCategory->setCurrentText(selection.category.isEmpty() ? QStringLiteral("B") : selection.category);
    ESelOutdoor->setText(selection.outdoorFile);
    ComputeComfortFigures();
}

QString THistoryForm::ComfortFiguresText() const { return LComfort->toPlainText(); }

void THistoryForm::BBSelOutdoorClick()
{
    FileDialogOptions options;
    options.title = tr("外気温ファイル");
    options.filter = tr("CSV ファイル (*.csv);;すべてのファイル (*)");
    options.directory = dataFolder_;
    options.confirmOverwrite = false;
    const QString path = prompts_.OpenFileName(options);
    if (path.isEmpty())
        return;
    ESelOutdoor->setText(path);
    ComputeComfortFigures();
}

void THistoryForm::ComputeComfortFigures()
{
    if (!loaded_)
        return;
    // One computation at a time; a selection changed meanwhile is worked out when it ends.
    if (figuresWorker_) {
        figuresAgain_ = true;
        return;
    }
    const QStringList args = SurveySummaryArguments(loadedFrom_, loadedTo_, dataFolder_, loadedPort_, Selection());
    LComfort->setPlainText(tr("集計中..."));
    figuresWorker_.reset(QThread::create([this, args, dataFolder = dataFolder_] {
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        figuresStatus_ = RunSurveySummary(args, dataFolder, outStream, errStream);
        outStream.flush();
        errStream.flush();
        figuresOut_ = out;
        figuresErr_ = err;
    }));
    connect(figuresWorker_.get(), &QThread::finished, this, [this] { ComfortFiguresDone(); });
    figuresWorker_->start();
}

void THistoryForm::ComfortFiguresDone()
{
    figuresWorker_->wait();
    figuresWorker_.reset();
    if (figuresAgain_) {
        figuresAgain_ = false;
        ComputeComfortFigures();
        return;
    }
    // Days without files are named on the error stream with a status of 0: the figures come first.
    QString text = figuresOut_.trimmed();
    if (const QString notes = figuresErr_.trimmed(); !notes.isEmpty())
        text = figuresStatus_ == 0 ? text + QStringLiteral("\n\n") + notes : notes;
    LComfort->setPlainText(text);
    emit ComfortFiguresShown();
}

void THistoryForm::BBReportClick()
{
    if (!loaded_)
        return;
    const QString path =
        prompts_.SaveFileName(ExportDialog(tr("調査報告書"), QStringLiteral("PDF"), QStringLiteral("SurveyReport")));
    if (path.isEmpty())
        return;
    const QStringList args = SurveySummaryArguments(loadedFrom_, loadedTo_, dataFolder_, loadedPort_, Selection())
                             << QStringLiteral("--report") << path;
    // A year of second records takes a while: the window stays usable meanwhile.
    reportWorker_.reset(QThread::create([this, args, dataFolder = dataFolder_] {
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        reportStatus_ = RunSurveyReport(args, dataFolder, QStringLiteral("Qemra-series Monitor Ver.") + AppVersion,
                                        outStream, errStream);
        errStream.flush();
        reportErr_ = err;
    }));
    connect(reportWorker_.get(), &QThread::finished, this, [this, path] { ReportDone(path); });
    BBReport->setEnabled(false);
    LStatus->setText(tr("調査報告書を作成中..."));
    reportWorker_->start();
}

void THistoryForm::ReportDone(const QString& path)
{
    reportWorker_->wait();
    reportWorker_.reset();
    SetBusy(Loading());
    const bool written = reportStatus_ == 0;
    if (written)
        LStatus->setText(tr("調査報告書を保存しました: %1").arg(path));
    else
        prompts_.Error(tr("調査報告書を書けません:\n%1").arg(reportErr_.trimmed()));
    emit ReportWritten(written);
}

}  // namespace qemra
