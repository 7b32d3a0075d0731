// CommunicationWindow.cpp: TCommCtrlForm, the communication control window.
#include "windows/link/CommunicationWindow.h"

#include "common/Prompts.h"
#include "windows/link/PortLamp.h"
#include "windows/link/PortSetupDialog.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

namespace qemra {

namespace {

const QString kSumCheckError = QStringLiteral("SumCheck Error! : ");
// Checksum error lines are added without the 101-line trim, which the next logged good frame
// applies. A line that brings nothing but bad frames must still not fill the memo for days.
constexpr int kMaxSumCheckMemoLines = 1000;

QFrame* MakePanel(QWidget* parent, const char* name)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::StyledPanel);
    return panel;
}

// A log pane: check box above a memo that starts with the line "Memo1".
QFrame* MakeLogPane(QWidget* parent, const char* paneName, const char* boxName, const QString& boxText,
                    const char* memoName, QCheckBox*& box, QPlainTextEdit*& memo)
{
    QFrame* pane = MakePanel(parent, paneName);
    box = new QCheckBox(boxText, pane);
    box->setObjectName(boxName);
    memo = new QPlainTextEdit(pane);
    memo->setObjectName(memoName);
    memo->setReadOnly(true);
    // A log memo is never edited; an undo history would keep every line ever added or trimmed.
    memo->setUndoRedoEnabled(false);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setPlainText("Memo1");
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(box);
    layout->addWidget(memo);
    return pane;
}

}  // namespace

void AppendMemoLine(QPlainTextEdit& memo, const QString& line, int maxLines)
{
    QTextDocument* document = memo.document();
    while (document->blockCount() > maxLines - 1 && document->blockCount() > 1) {
        // Remove the second line together with the line break before it; the first stays.
        QTextCursor cursor(document->findBlockByNumber(0));
        cursor.movePosition(QTextCursor::EndOfBlock);
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    memo.appendPlainText(line);
}

TCommCtrlForm::TCommCtrlForm(SerialLink& link, Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window), link_(link), prompts_(prompts),
      dialogRunner_([](TComSetupFrm& dialog) { return dialog.exec(); })
{
    setObjectName("CommCtrlForm");
    setWindowTitle(tr("ComPort 通信状態"));
    BuildWindow();

    connect(cbSendLog_, &QCheckBox::toggled, this, [this](bool on) { link_.SendLog = on; });
    connect(cbReciveLog_, &QCheckBox::toggled, this, [this](bool on) { link_.ReceiveLog = on; });
    connect(&link_, &SerialLink::FrameSent, this, [this](const QString& text) { AppendMemoLine(*mSend_, text); });
    connect(&link_, &SerialLink::FrameReceived, this,
            [this](const QString& text) { AppendMemoLine(*mRecive_, text); });
    connect(&link_, &SerialLink::BadFrame, this, [this](const QString& text) {
        AppendMemoLine(*mRecive_, kSumCheckError + text, kMaxSumCheckMemoLines);
    });
}

TCommCtrlForm::~TCommCtrlForm() = default;
void TCommCtrlForm::BuildWindow()
{
    resize(474, 478);

    QFrame* top = MakePanel(this, "PTop");
    auto* topLayout = new QHBoxLayout(top);
    const auto addLamp = [&](TLedSignal kind, const char* name, const QString& label) {
        auto* lamp = new TComLed(kind, top);
        lamp->setObjectName(name);
        lamp->Bind(link_.ComPortM());
        topLayout->addWidget(lamp);
        topLayout->addWidget(new QLabel(label, top));
        topLayout->addSpacing(8);
    };
    addLamp(TLedSignal::lsConn, "ComLed2", "Connection");
    addLamp(TLedSignal::lsTx, "ComLedTxD", "TxD");
    addLamp(TLedSignal::lsRx, "ComLedRxD", "RxD");
    topLayout->addStretch();
    auto* setup = new QPushButton("Com Setup..", top);
    setup->setObjectName("BBSetup");
    topLayout->addWidget(setup);
    connect(setup, &QPushButton::clicked, this, &TCommCtrlForm::BBSetupClick);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName("Splitter1");
    splitter->addWidget(MakeLogPane(splitter, "PSend", "CBSendLog", tr("送信ログ"), "MSend", cbSendLog_, mSend_));
    splitter->addWidget(
        MakeLogPane(splitter, "PRecive", "CBReciveLog", tr("受信ログ"), "MRecive", cbReciveLog_, mRecive_));

    QFrame* console = MakePanel(this, "PConsole");
    auto* consoleLayout = new QHBoxLayout(console);
    auto* picture = new QLabel(console);
    picture->setObjectName("Image1");
    picture->setFrameShape(QFrame::Panel);
    picture->setFrameShadow(QFrame::Sunken);
    picture->setFixedSize(32, 24);
    consoleLayout->addWidget(picture);
    consoleLayout->addStretch();
    auto* close = new QPushButton("Close", console);
    close->setObjectName("BBClose");
    consoleLayout->addWidget(close);
    // Closing only hides the window; the link keeps working.
    connect(close, &QPushButton::clicked, this, &QWidget::hide);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(top);
    layout->addWidget(splitter, 1);
    layout->addWidget(console);
}

void TCommCtrlForm::BBSetupClick()
{
    if (link_.Connected()) {
        prompts_.Information(tr("接続中は変更できません"));
        return;
    }
    SetupPort();
}

void TCommCtrlForm::SetupPort()
{
    {
        TComSetupFrm dialog(link_.ComPortM(), this);
        dialogRunner_(dialog);
    }
    // Stored after "Cancel" too, so the file always shows what the port holds.
    SavePortSettings();
}

bool TCommCtrlForm::LoadPortSettings()
{
    if (link_.LoadPortSettings())
        return true;
    prompts_.Error(link_.ComPortM().ErrorText());
    return false;
}

void TCommCtrlForm::SavePortSettings()
{
    if (!link_.SavePortSettings())
        prompts_.Error(link_.ComPortM().ErrorText());
}

}  // namespace qemra
