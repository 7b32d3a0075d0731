#pragma once

#include "survey/HistoryLoader.h"
#include "survey/HistoryView.h"
#include "survey/SurveySelection.h"
#include "windows/history/HistorySummaryPdf.h"

#include <QDate>
#include <QImage>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTableWidget;
class QThread;
class QTimer;

namespace qemra {

struct FileDialogOptions;
class HistoryChart;
class Prompts;

// THistoryForm, the history window: the strips of the main window over a range of days read back
// from the record files of the data folder, with the survey figures beside them, and two strips a
// surveyor adds with their boxes: the operative temperature, and the draught rate against the
// limits of categories A, B and C. The days are
// reduced on threads of the loader (or taken from the reduction cache in `cacheFolder`, none when
// empty) while a progress bar shows how far it got and "中止" stops it; the strips draw the
// per-pixel extremes of the blocks, or of the rows read again for a view finer than the blocks.
class THistoryForm : public QWidget {
    Q_OBJECT

public:
    static constexpr int kStrips = 7;

    THistoryForm(QString dataFolder, Prompts& prompts, QWidget* parent = nullptr, QString cacheFolder = QString());
    ~THistoryForm() override;

    // The range of the date edits, both days included.
    void SetRange(QDate from, QDate to);
    // Fills the port list from the record files of the range; the list is open to a choice only
    // when there are several.
    void RefreshPorts();

    void BBLoadClick();
    void BBCancelClick();
    void BBFitAllClick();
    void BBSavePngClick();
    void BBSavePdfClick();
    // Writes the survey report of the loaded range, port and selection where the save dialog says,
    // in the background; ReportWritten tells when it is done.
    void BBReportClick();
    bool WritingReport() const { return reportWorker_ != nullptr; }

    // The occupied hours, days, category and outdoor file the comfort figures are counted with.
    SurveySelection Selection() const;
    void SetSelection(const SurveySelection& selection);
    // The comfort figures of the loaded range as the summary's command line prints them; they are
    // worked out again in the background after a load and whenever the selection changes.
    QString ComfortFiguresText() const;
    bool ComputingComfortFigures() const { return figuresWorker_ != nullptr; }

    bool Loading() const { return worker_ != nullptr; }
    // The reduction and figures shown; null before the first load that finished.
    const HistoryLoad* Loaded() const { return loaded_.get(); }
    // Whether the strips wait for rows read in the background.
    bool WaitingForRows() const { return waitingForRows_; }

    // The visible time range in chart seconds (local seconds since 1899-12-30).
    double ViewFrom() const { return viewFrom_; }
    double ViewTo() const { return viewTo_; }
    // Kept within the loaded rows; at least a few seconds wide.
    void SetView(double from, double to);
    // `steps` > 0 zooms in around `atSeconds`, which stays where it is on the plot.
    void ZoomAt(double atSeconds, double steps);
    void PanBy(double seconds);
    // Places the cursor and reads the values under it, as a mouse move over a strip does.
    void SetCursorAt(double seconds);
    void ClearCursor();

    HistoryChart& Chart(int index) { return *charts_.at(static_cast<std::size_t>(index)); }
    // The strips as the window shows them.
    QImage StripsImage() const;
    // The picture "PNG保存..." writes: a line with the visible range, the port and the cursor's
    // time above the strips, no placeholder where a value is missing.
    QImage ExportImage();
    QString ExportCaption() const;
    // The heading and lines of the summary, as shown beside the strips and written to the PDF.
    QString SummaryHeading() const;
    QStringList SummaryLines() const;
    // The tables beside the strips: per quantity its least, average and greatest value, and the
    // shares of the comfort categories and heat-stress levels.
    PdfTable QuantityTable() const;
    PdfTable ShareTable() const;

signals:
    // A load ended; `loaded` false when it was cancelled. The strips have their new points.
    void LoadFinished(bool loaded);
    // Rows read in the background are drawn.
    void RowsDrawn();
    // The comfort figures of the latest selection are shown.
    void ComfortFiguresShown();
    // A report asked for with the button is written, or `written` false when it could not be.
    void ReportWritten(bool written);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildWindow();
    QWidget* BuildTopBar();
    QWidget* BuildStrips();
    void LoadDone(std::optional<HistoryLoad> load);
    void ShowProgress();
    void SetBusy(bool busy);
    // New points for all strips from the loaded rows over the visible range.
    void Redraw();
    void ShowCursorValues();
    void ShowSummary();
    QWidget* BuildSelection();
    void ComputeComfortFigures();
    void ComfortFiguresDone();
    void BBSelOutdoorClick();
    void ReportDone(const QString& path);
    // Rows read in the background are there: drawn when the strips still wait for them.
    void RowsArrived();

    // The export dialogs start in the data folder.
    FileDialogOptions ExportDialog(const QString& title, const QString& kind, const QString& base) const;

    QString dataFolder_;
    Prompts& prompts_;
    HistoryCache cache_;
    bool rangeChosen_ = false;
    bool waitingForRows_ = false;

    std::unique_ptr<HistoryLoader> loader_;
    std::unique_ptr<QThread> worker_;
    std::optional<HistoryLoad> pending_;  // the worker's result, taken on this thread when it ends
    std::unique_ptr<HistoryLoad> loaded_;
    std::unique_ptr<HistoryView> view_;  // over loaded_->rows
    QDate loadedFrom_;
    QDate loadedTo_;
    QString loadedPort_;

    double viewFrom_ = 0;
    double viewTo_ = 0;
    std::optional<double> cursor_;

    QDateEdit* EFrom = nullptr;
    QDateEdit* ETo = nullptr;
    QComboBox* CBPort = nullptr;
    QPushButton* BBLoad = nullptr;
    QProgressBar* PBLoad = nullptr;
    QPushButton* BBCancel = nullptr;
    QPushButton* BBFitAll = nullptr;
    QPushButton* BBSavePng = nullptr;
    QPushButton* BBSavePdf = nullptr;
    QLabel* LStatus = nullptr;
    QLabel* LCursorTime = nullptr;
    QWidget* strips_ = nullptr;
    QLabel* LSummary = nullptr;
    QTableWidget* TSummary = nullptr;
    QTableWidget* TShares = nullptr;
    std::array<HistoryChart*, kStrips> charts_{};
    std::vector<QLabel*> cursorValues_;
    QTimer* progressTimer_ = nullptr;
    QTimer* redrawTimer_ = nullptr;

    std::unique_ptr<QThread> figuresWorker_;
    bool figuresAgain_ = false;  // the selection changed while the figures were worked out
    QString figuresOut_;         // the worker's output, taken on this thread when it ends
    QString figuresErr_;
    int figuresStatus_ = 0;
    std::unique_ptr<QThread> reportWorker_;
    int reportStatus_ = 0;
    QString reportErr_;
    QLineEdit* ESelHours = nullptr;
    QLineEdit* ESelDays = nullptr;
    QComboBox* CBSelCategory = nullptr;
    QLineEdit* ESelOutdoor = nullptr;
    QPushButton* BBSelOutdoor = nullptr;
    QPushButton* BBReport = nullptr;
    QPlainTextEdit* LComfort = nullptr;
};

}  // namespace qemra
