#include "app/Program.h"
#include "common/DateTime.h"
#include "common/Prompts.h"
#include "common/UiLanguage.h"
#include "tests/support/TempFolder.h"
#include "translations/UiTranslation.h"
#include "windows/history/HistoryWindow.h"
#include "windows/link/CommunicationWindow.h"
#include "windows/link/PortSetupDialog.h"
#include "windows/main/MainWindow.h"
#include "windows/recording/MonitorListWindow.h"
#include "windows/settings/GroupedWriteDialog.h"
#include "windows/settings/SetpointDialog.h"
#include "windows/system/CalibrationPage.h"
#include "windows/system/SystemSettingWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTabWidget>
#include <QTableWidget>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace qemra;

namespace {

// Kana, ideographs, CJK punctuation and the fullwidth forms; ℃ and the box-drawing rules are not
// among them.
bool IsCjk(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x2E80 && u <= 0x2FDF) || (u >= 0x3000 && u <= 0x30FF) || (u >= 0x3400 && u <= 0x4DBF) ||
           (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF);
}

bool HasCjk(const QString& text)
{
    for (const QChar c : text)
        if (IsCjk(c))
            return true;
    return false;
}

QString Describe(const QWidget& widget)
{
    QString text;
    if (auto* label = qobject_cast<const QLabel*>(&widget))
        text = label->text();
    else if (auto* button = qobject_cast<const QAbstractButton*>(&widget))
        text = button->text();
    return QStringLiteral("%1 (%2, \"%3\")")
        .arg(widget.objectName(), QString::fromLatin1(widget.metaObject()->className()), text);
}

// Every text a person reads on a widget itself, its hint and what a screen reader says included.
QStringList TextsOf(QWidget& widget)
{
    QStringList texts{widget.toolTip(), widget.accessibleName()};
    if (widget.isWindow())
        texts << widget.windowTitle();
    if (auto* label = qobject_cast<QLabel*>(&widget))
        texts << label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(&widget))
        texts << button->text();
    if (auto* group = qobject_cast<QGroupBox*>(&widget))
        texts << group->title();
    if (auto* edit = qobject_cast<QLineEdit*>(&widget))
        texts << edit->placeholderText();
    if (auto* tabs = qobject_cast<QTabWidget*>(&widget))
        for (int i = 0; i < tabs->count(); ++i)
            texts << tabs->tabText(i);
    if (auto* combo = qobject_cast<QComboBox*>(&widget))
        for (int i = 0; i < combo->count(); ++i)
            texts << combo->itemText(i);
    if (auto* memo = qobject_cast<QPlainTextEdit*>(&widget))
        texts << memo->toPlainText();
    if (auto* table = qobject_cast<QTableWidget*>(&widget)) {
        for (int c = 0; c < table->columnCount(); ++c)
            if (const QTableWidgetItem* header = table->horizontalHeaderItem(c))
                texts << header->text();
        for (int r = 0; r < table->rowCount(); ++r)
            for (int c = 0; c < table->columnCount(); ++c)
                if (const QTableWidgetItem* item = table->item(r, c))
                    texts << item->text();
    }
    return texts;
}

// How much wider the widget's text is than the room it has; 0 when it fits.
int Overflow(QWidget& widget)
{
    if (!widget.isVisible())
        return 0;
    if (auto* label = qobject_cast<QLabel*>(&widget)) {
        if (label->wordWrap() || label->text().isEmpty() || label->textFormat() == Qt::RichText)
            return 0;
        int widest = 0;
        for (const QString& line : label->text().split(QLatin1Char('\n')))
            widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
        const int room =
            label->contentsRect().width() - 2 * std::max(0, label->margin()) - std::max(0, label->indent());
        return std::max(0, widest - room);
    }
    if (auto* push = qobject_cast<QPushButton*>(&widget)) {
        if (push->text().isEmpty())
            return 0;
        // The text and icon against the room inside the button's margins; a push button's size hint
        // has a minimum width of its own that says nothing about its text.
        const int margin = push->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, push);
        const int icon = push->icon().isNull() ? 0 : push->iconSize().width() + 4;
        return std::max(0, push->fontMetrics().horizontalAdvance(push->text()) + icon + margin - push->width());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(&widget)) {
        if (button->text().isEmpty())
            return 0;
        return std::max(0, button->sizeHint().width() - button->width());
    }
    if (auto* group = qobject_cast<QGroupBox*>(&widget)) {
        if (group->title().isEmpty())
            return 0;
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.subControls = QStyle::SC_GroupBoxLabel;
        const QRect title =
            group->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
        return std::max(0, title.left() + group->fontMetrics().horizontalAdvance(group->title()) - group->width());
    }
    return 0;
}

// The cells whose text is wider than the columns they span, between the item view's margins.
QStringList ClippedCells(QTableWidget& table)
{
    QStringList clipped;
    if (!table.isVisible())
        return clipped;
    const int margin = 2 * (table.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &table) + 1);
    for (int r = 0; r < table.rowCount(); ++r) {
        for (int c = 0; c < table.columnCount(); ++c) {
            const QTableWidgetItem* item = table.item(r, c);
            if (item == nullptr || item->text().isEmpty() || table.isColumnHidden(c))
                continue;
            int room = 0;
            for (int k = c; k < c + table.columnSpan(r, c); ++k)
                room += table.columnWidth(k);
            const QFont font = item->data(Qt::FontRole).isValid() ? item->font() : table.font();
            const int over = QFontMetrics(font).horizontalAdvance(item->text()) + margin - room;
            if (over > 0)
                clipped << QStringLiteral("%1 cell \"%2\" is %3 px too narrow")
                               .arg(table.objectName(), item->text())
                               .arg(over);
        }
    }
    return clipped;
}

struct Screen {
    const char* name;
    std::function<QWidget&()> window;
};

class EnglishScreensTest : public ::testing::Test {
protected:
    // The test runs with LANGUAGE=en, so the language comes from the environment as at start; the
    // translator is there before any window is made.
    std::unique_ptr<QTranslator> translation = InstallUiTranslation(SystemUiLanguage());
    TempFolder folder;
    FakeClock clock{EncodeDateTime(2024, 1, 15, 9, 5, 7)};
    RecordingPrompts prompts;
    std::unique_ptr<Program> program = std::make_unique<Program>(clock, prompts, folder.path());
    std::unique_ptr<TComSetupFrm> portSetup;
    std::unique_ptr<THistoryForm> history;

    // Each widget of the window, every page of every tab shown in turn.
    void CheckWindow(QWidget& window, QStringList& faults)
    {
        window.show();
        QApplication::processEvents();
        // The calibration grid writes its labels with its first statistics.
        for (TCalPage* page : window.findChildren<TCalPage*>())
            page->SecondStep();
        QList<QTabWidget*> tabs = window.findChildren<QTabWidget*>();
        const auto checkAll = [&] {
            QList<QWidget*> widgets = window.findChildren<QWidget*>();
            widgets.prepend(&window);
            for (QWidget* widget : widgets) {
                for (const QString& text : TextsOf(*widget))
                    if (HasCjk(text))
                        faults << QStringLiteral("%1 reads \"%2\"").arg(Describe(*widget), text);
                if (const int over = Overflow(*widget))
                    faults << QStringLiteral("%1 is %2 px too narrow").arg(Describe(*widget)).arg(over);
                if (auto* table = qobject_cast<QTableWidget*>(widget))
                    faults << ClippedCells(*table);
            }
        };
        checkAll();
        for (QTabWidget* tab : tabs) {
            for (int i = 1; i < tab->count(); ++i) {
                tab->setCurrentIndex(i);
                QApplication::processEvents();
                checkAll();
            }
            tab->setCurrentIndex(0);
        }
        window.hide();
    }
};

TEST_F(EnglishScreensTest, ShowsNoJapaneseAndNoClippedTextOnAnyWindow)
{
    ASSERT_EQ(SystemUiLanguage(), UiLanguage::English) << "run with LANGUAGE=en";
    ASSERT_NE(translation, nullptr) << "the English translation is embedded";
    portSetup = std::make_unique<TComSetupFrm>(program->Main().CommCtrl().ComPortM());
    history = std::make_unique<THistoryForm>(folder.path(), prompts);
    const Screen screens[] = {
        {"main window", [&]() -> QWidget& { return program->Main(); }},
        {"communication window", [&]() -> QWidget& { return program->Main().CommCtrl(); }},
        {"port setup dialog", [&]() -> QWidget& { return *portSetup; }},
        {"system setting window", [&]() -> QWidget& { return program->SysSet(); }},
        {"monitor list", [&]() -> QWidget& { return program->Mon(); }},
        {"grouped write dialog", [&]() -> QWidget& { return program->Write(); }},
        {"operation setpoint dialog", [&]() -> QWidget& { return program->PrmSet(); }},
        {"history window", [&]() -> QWidget& { return *history; }},
    };
    for (const Screen& screen : screens) {
        SCOPED_TRACE(screen.name);
        QStringList faults;
        CheckWindow(screen.window(), faults);
        EXPECT_TRUE(faults.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();
    }
}

}  // namespace
