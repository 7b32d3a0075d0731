#pragma once

#include "acquisition/SharedState.h"
#include "common/DateTime.h"

#include <QString>
#include <QWidget>
#include <functional>

class QTableWidget;
class QPushButton;

namespace qemra {

// Label and value text of every row of the monitor list, row 0 being the header ("Name", "Data").
// Plain code, so the texts can be checked without the window.
class MonitorListTable {
public:
    static constexpr int kRows = 42;
    static QString Label(int row);
    // The value cell of a row formatted from the record; empty for the header and section rows.
    static QString Value(int row, const TMesData& record);
};

// Turns the 200 ms ticks into one event per new wall-clock second. The first call always counts as
// new; a second without any tick is skipped, not caught up.
class SecondTicker {
public:
    bool NewSecond(TDateTime now);

private:
    TDateTime lastTick_ = 0;
};

// The monitor list ("Monitor List"): every quantity of CurMes, refreshed once per second whether
// shown or not. It also carries the once-per-second recording step and the recording setting,
// so it lives for the whole run; closing it only hides it.
class TMonForm : public QWidget {
    Q_OBJECT

public:
    TMonForm(SharedState& state, const Clock& clock, QString baseFolder, QWidget* parent = nullptr);
    ~TMonForm() override;

    // Once per second after the list refresh: the daily record files.
    std::function<void()> RecordSecondHook;
    // The two exports of the history ring: graph data (main window's save button) and short log.
    std::function<void()> SaveGraphDataHook;
    std::function<void()> SaveShortLogHook;

    // Called by the main window's timer on every tick, connected or not: once a second the list
    // (while the window is shown; it catches up when shown) and the record files.
    void CheckSecond();
    void RefreshList();
    void SaveGraphData();
    void BBSaveFileClick();

    QString SettingsPath() const;
    // Rows of the list including the header row, and the text of one cell (row 0 is the header).
    int ListRowCount() const;
    QString ListText(int row, int column) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();

    SharedState& state_;
    const Clock& clock_;
    QString baseFolder_;
    SecondTicker ticker_;
    QTableWidget* SGList = nullptr;
    QPushButton* BBSaveFile = nullptr;
    QPushButton* BBClose = nullptr;
};

}  // namespace qemra
