// MonitorListWindow.cpp: TMonForm, the monitor list window.
#include "windows/recording/MonitorListWindow.h"

#include "core/AcquisitionCore.h"
#include "recording/RecordSettings.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>


namespace qemra {

namespace {

constexpr int kRowsBeforeFirstRefresh = 16;
constexpr int kColumnWidth = 90;
constexpr int kRowHeight = 20;

}  // namespace

TMonForm::TMonForm(AcquisitionCore& core, QWidget* parent)
    : QWidget(parent, Qt::Tool), state_(core.State()), settingsPath_(core.SettingsPath())
{
    setObjectName(QStringLiteral("TMonForm"));
    setWindowTitle(QStringLiteral("Monitor List"));
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    font.setPointSize(8);
    setFont(font);

    SGList = new QTableWidget(kRowsBeforeFirstRefresh - 1, 2, this);
    SGList->setObjectName(QStringLiteral("SGList"));
    // Row 0 of the list is the table's header, so it stays in place while the rows scroll.
    SGList->setHorizontalHeaderLabels({MonitorListTable::Label(0), QStringLiteral("Data")});
    SGList->verticalHeader()->hide();
    SGList->verticalHeader()->setDefaultSectionSize(kRowHeight);
    SGList->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    SGList->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SGList->horizontalHeader()->setStretchLastSection(true);
    SGList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SGList->setSelectionMode(QAbstractItemView::ContiguousSelection);
    SGList->setShowGrid(false);
    SGList->setStyleSheet(QStringLiteral("QTableWidget::item { border-bottom: 1px solid #c8c8c8; }"));

    auto* console = new QWidget(this);
    console->setObjectName(QStringLiteral("PConsole"));
    console->setFixedHeight(41);
    BBSaveFile =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), QStringLiteral("Save Short Log."), console);
    BBSaveFile->setObjectName(QStringLiteral("BBSaveFile"));
    BBClose = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Close"), console);
    BBClose->setObjectName(QStringLiteral("BBClose"));
    auto* buttons = new QHBoxLayout(console);
    buttons->setContentsMargins(6, 4, 6, 4);
    buttons->addWidget(BBSaveFile);
    buttons->addStretch();
    buttons->addWidget(BBClose);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(SGList, 1);
    layout->addWidget(console);

    connect(BBSaveFile, &QPushButton::clicked, this, [this] { BBSaveFileClick(); });
    connect(BBClose, &QPushButton::clicked, this, [this] { close(); });

    resize(212, 474);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().topLeft());
    // The core loaded the recording setting; this window refreshes once a second with the rows.
    core.hooks.ShowSecond = [this] { SecondRefresh(); };
}

TMonForm::~TMonForm() { SaveRecordSettings(SettingsPath(), state_.MySts); }

QString TMonForm::SettingsPath() const { return settingsPath_; }

void TMonForm::closeEvent(QCloseEvent* event)
{
    SaveRecordSettings(SettingsPath(), state_.MySts);
    event->accept();
}

void TMonForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    RefreshList();
}

void TMonForm::SecondRefresh()
{
    // A hidden list is left until it is shown, when it catches up at once.
    if (isVisible())
        RefreshList();
}

void TMonForm::RefreshList()
{
    if (SGList->rowCount() != MonitorListTable::kRows - 1) {
        SGList->setRowCount(MonitorListTable::kRows - 1);
        // Section titles may use the value column too: their value cell is never written.
        for (int row = 1; row < MonitorListTable::kRows; ++row) {
            if (MonitorListTable::Value(row, TMesData{}).isEmpty())
                SGList->setSpan(row - 1, 0, 1, 2);
        }
    }
    const TMesData& record = state_.CurMes;
    for (int row = 1; row < MonitorListTable::kRows; ++row) {
        const QString texts[2] = {MonitorListTable::Label(row), MonitorListTable::Value(row, record)};
        for (int column = 0; column < 2; ++column) {
            QTableWidgetItem* item = SGList->item(row - 1, column);
            if (item == nullptr) {
                SGList->setItem(row - 1, column, new QTableWidgetItem(texts[column]));
            } else if (item->text() != texts[column]) {
                item->setText(texts[column]);
            }
        }
    }
}

void TMonForm::SaveGraphData()
{
    if (SaveGraphDataHook)
        SaveGraphDataHook();
}

void TMonForm::BBSaveFileClick()
{
    if (SaveShortLogHook)
        SaveShortLogHook();
}

int TMonForm::ListRowCount() const { return SGList->rowCount() + 1; }

QString TMonForm::ListText(int row, int column) const
{
    if (row == 0) {
        const QTableWidgetItem* header = SGList->horizontalHeaderItem(column);
        return header != nullptr ? header->text() : QString();
    }
    const QTableWidgetItem* item = SGList->item(row - 1, column);
    return item != nullptr ? item->text() : QString();
}

}  // namespace qemra
