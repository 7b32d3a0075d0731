#include "windows/history/HistoryWindow.h"

#include "common/NumberText.h"
#include "common/Prompts.h"
#include "survey/SummaryReport.h"
#include "windows/history/HistoryChart.h"
#include "windows/history/HistorySummaryPdf.h"
#include "windows/main/TrendStrips.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
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

// The record quantity of each series of the strips, in kTrendSeries order.
constexpr std::array<RecordQuantity, kTrendSeries.size()> kSeriesQuantities{
    RecordQuantity::Pmv,         RecordQuantity::WbgtIn,   RecordQuantity::WbgtOut, RecordQuantity::AirTemp,
    RecordQuantity::RadiantTemp, RecordQuantity::DewPoint, RecordQuantity::Rh,      RecordQuantity::Wind,
};

constexpr std::array<const char*, THistoryForm::kStrips> kStripNames{"PStripPMV", "PStripWBGT", "PStripAT", "PStripRH",
                                                                     "PStripWS"};
constexpr std::array<const char*, kTrendSeries.size()> kCursorNames{
    "LCurPMV", "LCurWBGTi", "LCurWBGTo", "LCurAirTemp", "LCurBGTemp", "LCurDewTemp", "LCurAirHumid", "LCurWindSpeed"};

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

QString DaysText(const QList<QDate>& days)
{
    QStringList texts;
    for (const QDate day : days)
        texts.append(day.toString(kDateFormat));
    return texts.join(QStringLiteral(", "));
}

// The export dialogs offer "<base>_<from>_<to>.<kind>" for the range on screen.
FileDialogOptions ExportDialog(const QString& title, const QString& kind, const QString& base, const QDate& from,
                               const QDate& to)
{
    const QString suffix = kind.toLower();
    FileDialogOptions options;
    options.title = title;
    options.filter = QStringLiteral("%1 (*.%2)").arg(kind, suffix);
    options.defaultSuffix = suffix;
    options.fileName =
        QStringLiteral("%1_%2_%3.%4")
            .arg(base, from.toString(QStringLiteral("yyyyMMdd")), to.toString(QStringLiteral("yyyyMMdd")), suffix);
    return options;
}

}  // namespace

THistoryForm::THistoryForm(QString dataFolder, Prompts& prompts, QWidget* parent)
    : QWidget(parent), dataFolder_(std::move(dataFolder)), prompts_(prompts)
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
    MSummary = new QPlainTextEdit();
    MSummary->setObjectName(QStringLiteral("MSummary"));
    MSummary->setAccessibleName(tr("サマリ"));
    MSummary->setReadOnly(true);
    MSummary->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    MSummary->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Wide enough for the table of minima, averages and maxima; the share lines may scroll.
    constexpr int kTableColumns = 52;
    MSummary->setMinimumWidth(QFontMetrics(MSummary->font()).horizontalAdvance(QString(kTableColumns, u'0')) + 24);
    split->addWidget(MSummary);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 0);
    split->setSizes({760, 340});
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

    connect(EFrom, &QDateEdit::dateChanged, this, [this] { RefreshPorts(); });
    connect(ETo, &QDateEdit::dateChanged, this, [this] { RefreshPorts(); });
    connect(BBLoad, &QPushButton::clicked, this, [this] { BBLoadClick(); });
    connect(BBCancel, &QPushButton::clicked, this, [this] { BBCancelClick(); });
    connect(BBFitAll, &QPushButton::clicked, this, [this] { BBFitAllClick(); });
    connect(BBSavePng, &QPushButton::clicked, this, [this] { BBSavePngClick(); });
    connect(BBSavePdf, &QPushButton::clicked, this, [this] { BBSavePdfClick(); });
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

    auto* split = new QSplitter(Qt::Vertical);
    split->setHandleWidth(3);
    split->setChildrenCollapsible(false);
    for (int c = 0; c < kStrips; ++c) {
        auto* chart = new HistoryChart(QString::fromLatin1(kTrendChartNames[static_cast<std::size_t>(c)]));
        charts_[static_cast<std::size_t>(c)] = chart;
        auto* strip = new QWidget();
        strip->setObjectName(QString::fromLatin1(kStripNames[static_cast<std::size_t>(c)]));
        auto* left = new QWidget(strip);
        left->setFixedWidth(150);
        auto* leftLayout = new QVBoxLayout(left);
        leftLayout->setContentsMargins(2, 2, 2, 2);
        leftLayout->setSpacing(0);
        for (std::size_t i = 0; i < kTrendSeries.size(); ++i) {
            const TrendSeriesStyle& def = kTrendSeries[i];
            if (def.chart != c)
                continue;
            chart->AddSeries(QString::fromLatin1(def.code), QColor(def.color));
            // The caption in the line's colour stands for a legend; the value is the cursor's.
            auto* caption = new QLabel(TrendCaption(def), left);
            caption->setStyleSheet(QStringLiteral("color: %1; font-weight: bold;").arg(QColor(def.color).name()));
            auto* value = new QLabel(QStringLiteral("-"), left);
            value->setObjectName(QString::fromLatin1(kCursorNames[i]));
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

        connect(chart, &HistoryChart::ZoomRequested, this, [this](double at, double steps) { ZoomAt(at, steps); });
        connect(chart, &HistoryChart::PanRequested, this, [this](double seconds) { PanBy(seconds); });
        connect(chart, &HistoryChart::CursorMoved, this, [this](double seconds) { SetCursorAt(seconds); });
        connect(chart, &HistoryChart::CursorLeft, this, [this] { ClearCursor(); });
        connect(chart, &HistoryChart::PlotResized, redrawTimer_, qOverload<>(&QTimer::start));
    }
    outer->addWidget(split, 1);
    return strips_;
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
    loader_ = std::make_unique<HistoryLoader>(
        folder, port, from, to, std::vector<RecordQuantity>(kSeriesQuantities.begin(), kSeriesQuantities.end()));
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
        loaded_ = std::make_unique<HistoryLoad>(std::move(*load));
        PBLoad->setValue(kProgressSteps);
        QStringList notes;
        notes.append(tr("%1 行").arg(loaded_->rows.Size()));
        if (!loaded_->minuteDays.isEmpty())
            notes.append(tr("分記録で表示: ") + DaysText(loaded_->minuteDays));
        if (!loaded_->missingDays.isEmpty())
            notes.append(tr("記録なし: ") + DaysText(loaded_->missingDays));
        for (const QString& error : loaded_->errors)
            notes.append(tr("読めません: ") + error);
        LStatus->setText(notes.join(QStringLiteral("  ")));
        ShowSummary();
        if (!loaded_->rows.Empty()) {
            viewFrom_ = static_cast<double>(loaded_->rows.SecondsAt(0));
            viewTo_ = static_cast<double>(loaded_->rows.SecondsAt(loaded_->rows.Size() - 1));
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
    const auto first = static_cast<double>(loaded_->rows.SecondsAt(0));
    const double last =
        std::max(first + kNarrowestView, static_cast<double>(loaded_->rows.SecondsAt(loaded_->rows.Size() - 1)));
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
        SetView(static_cast<double>(loaded_->rows.SecondsAt(0)),
                static_cast<double>(loaded_->rows.SecondsAt(loaded_->rows.Size() - 1)));
}

void THistoryForm::Redraw()
{
    if (!(viewTo_ > viewFrom_))
        return;
    // All strips share the width of their plots: one reduction serves them all.
    const int columns = std::max(1, static_cast<int>(charts_[0]->PlotRect().width()));
    std::vector<QList<QPointF>> reduced;
    if (loaded_)
        reduced = loaded_->rows.Reduce(viewFrom_, viewTo_, columns);
    reduced.resize(kTrendSeries.size());
    std::array<std::vector<QList<QPointF>>, kStrips> points;
    for (std::size_t i = 0; i < kTrendSeries.size(); ++i)
        points[static_cast<std::size_t>(kTrendSeries[i].chart)].push_back(std::move(reduced[i]));
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

void THistoryForm::ShowCursorValues()
{
    std::optional<std::size_t> row;
    if (cursor_ && loaded_) {
        // Off the rows, a value is read only within two pixel columns of one.
        const double perColumn = (viewTo_ - viewFrom_) / std::max(1.0, charts_[0]->PlotRect().width());
        row = loaded_->rows.RowAt(*cursor_, std::max(1.0, 2 * perColumn));
    }
    LCursorTime->setText(row ? TimeText(static_cast<double>(loaded_->rows.SecondsAt(*row)))
                             : (cursor_ ? TimeText(*cursor_) : QStringLiteral("-")));
    for (std::size_t i = 0; i < cursorValues_.size(); ++i) {
        cursorValues_[i]->setText(
            row ? FormatFloat(TrendFormat(kTrendSeries[i]),
                              static_cast<double>(loaded_->rows.ValueAt(static_cast<int>(i), *row)))
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
    QStringList lines = SummaryTable(loaded_->summary).split(u'\n');
    while (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    if (!loaded_->minuteDays.isEmpty())
        lines.append(QStringLiteral("minute rows   ") + DaysText(loaded_->minuteDays));
    if (!loaded_->missingDays.isEmpty())
        lines.append(QStringLiteral("no records    ") + DaysText(loaded_->missingDays));
    return lines;
}

void THistoryForm::ShowSummary() { MSummary->setPlainText(SummaryHeading() + u'\n' + SummaryLines().join(u'\n')); }

QImage THistoryForm::StripsImage() const { return strips_->grab().toImage(); }

void THistoryForm::BBSavePngClick()
{
    const QString path = prompts_.SaveFileName(
        ExportDialog(tr("PNG保存"), QStringLiteral("PNG"), QStringLiteral("History"), loadedFrom_, loadedTo_));
    if (path.isEmpty())
        return;
    if (!StripsImage().save(path, "PNG"))
        prompts_.Error(tr("%1 に保存できません").arg(path));
}

void THistoryForm::BBSavePdfClick()
{
    const QString path = prompts_.SaveFileName(
        ExportDialog(tr("PDF保存"), QStringLiteral("PDF"), QStringLiteral("HistorySummary"), loadedFrom_, loadedTo_));
    if (path.isEmpty())
        return;
    const QByteArray pdf = HistorySummaryPdf(SummaryHeading(), SummaryLines(), StripsImage());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit())
        prompts_.Error(tr("%1 に保存できません").arg(path));
}

}  // namespace qemra
