// MonitorListWindow.h: TMonForm, the monitor list window.
#pragma once

#include "acquisition/SharedState.h"

#include <QString>
#include <QWidget>
#include <functional>

class QTableWidget;
class QPushButton;

namespace qemra {

class AcquisitionCore;

// The monitor list ("Monitor List"): every quantity of CurMes, refreshed once per second by the
// core while shown (a hidden list catches up when shown). It saves the recording setting when it
// closes and at the end of the run; closing it only hides it.
class TMonForm : public QWidget {
    Q_OBJECT

public:
    explicit TMonForm(AcquisitionCore& core, QWidget* parent = nullptr);
    ~TMonForm() override;

    // The two exports of the history ring: graph data (main window's save button) and short log.
    std::function<void()> SaveGraphDataHook;
    std::function<void()> SaveShortLogHook;

    // Once per new wall-clock second, before the record rows.
    void SecondRefresh();
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
    SharedState& state_;
    QString settingsPath_;
    QTableWidget* SGList = nullptr;
    QPushButton* BBSaveFile = nullptr;
    QPushButton* BBClose = nullptr;
};

}  // namespace qemra
