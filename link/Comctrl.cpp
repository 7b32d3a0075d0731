#include "link/Comctrl.h"

#include "common/AppFolder.h"
#include "common/Prompts.h"
#include "link/Cportctl.h"
#include "link/Cportsetup.h"

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

const QString kSendPrefix = QStringLiteral("Snd->>: ");
const QString kReceivePrefix = QStringLiteral("<<-Rcv: ");
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

// Frames are 8-bit text: each byte shows as the character with the same code.
QString ByteText(const QByteArray& bytes) { return QString::fromLatin1(bytes); }

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

TCommCtrlForm::TCommCtrlForm(QString& openPortName, const Clock& clock, Prompts& prompts, QString baseFolder,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), openPortName_(openPortName), prompts_(prompts), baseFolder_(std::move(baseFolder)),
      comLog_(baseFolder_, QStringLiteral("QemraCom.log"), clock),
      dialogRunner_([](TComSetupFrm& dialog) { return dialog.exec(); })
{
    setObjectName("CommCtrlForm");
    setWindowTitle("ComPort 通信状態");
    BuildWindow();

    scanner_.SetOnChecked([this](bool good) { FrameChecked(good); });
    connect(&comPort_, &TComPort::OnRxChar, this, &TCommCtrlForm::ComPortMRxChar);
    // A vanished device (hang-up, unplugged) is a closed link for everyone who asks.
    connect(&comPort_, &TComPort::OnLinkLost, this, [this] { CloseLink(); });
}

TCommCtrlForm::~TCommCtrlForm() { CloseLink(); }

void TCommCtrlForm::BuildWindow()
{
    resize(474, 478);

    QFrame* top = MakePanel(this, "PTop");
    auto* topLayout = new QHBoxLayout(top);
    const auto addLamp = [&](TLedSignal kind, const char* name, const QString& label) {
        auto* lamp = new TComLed(kind, top);
        lamp->setObjectName(name);
        lamp->Bind(comPort_);
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
    splitter->addWidget(MakeLogPane(splitter, "PSend", "CBSendLog", "送信ログ", "MSend", cbSendLog_, mSend_));
    splitter->addWidget(MakeLogPane(splitter, "PRecive", "CBReciveLog", "受信ログ", "MRecive", cbReciveLog_, mRecive_));

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

bool TCommCtrlForm::OpenLink()
{
    if (!comPort_.Open())
        return false;
    linkOpen_ = true;
    openPortName_ = comPort_.Port();
    return true;
}

bool TCommCtrlForm::CloseLink()
{
    linkOpen_ = false;
    comPort_.Close();
    openPortName_.clear();
    return true;
}

void TCommCtrlForm::BBSetupClick()
{
    if (comPort_.Connected()) {
        prompts_.Information("接続中は変更できません");
        return;
    }
    SetupPort();
}

void TCommCtrlForm::SetupPort()
{
    {
        TComSetupFrm dialog(comPort_, this);
        dialogRunner_(dialog);
    }
    // Stored after "Cancel" too, so the file always shows what the port holds.
    SavePortSettings();
}

QString TCommCtrlForm::PortSettingsPath() const
{
    return WithTrailingSlash(baseFolder_) + "Port" + QString::number(WindowNumber) + ".ini";
}

bool TCommCtrlForm::LoadPortSettings()
{
    if (comPort_.LoadSettings(PortSettingsPath()))
        return true;
    prompts_.Error(comPort_.ErrorText());
    return false;
}

void TCommCtrlForm::SavePortSettings()
{
    if (!comPort_.StoreSettings(PortSettingsPath()))
        prompts_.Error(comPort_.ErrorText());
}

bool TCommCtrlForm::Connected() const { return comPort_.Connected(); }

void TCommCtrlForm::SendFrame(const QByteArray& payload)
{
    const std::optional<QByteArray> framed = FramePayload(payload);
    if (!framed)
        return;
    if (ForceLog || cbSendLog_->isChecked())
        LogSend(*framed);
    if (linkOpen_ && !comPort_.WriteStr(*framed + "\r\n"))
        CloseLink();
}

void TCommCtrlForm::ComPortMRxChar(int count)
{
    QByteArray piece;
    comPort_.ReadStr(piece, count);
    ReceivePiece(piece);
}

void TCommCtrlForm::ReceivePiece(const QByteArray& piece)
{
    // Whatever goes wrong while a piece is handled ends that piece; the link goes on.
    try {
        scanner_.Feed(piece);
    } catch (...) {
    }
}

void TCommCtrlForm::FrameChecked(bool good)
{
    if (!good) {
        if (cbReciveLog_->isChecked())
            AppendMemoLine(*mRecive_, kSumCheckError + ByteText(scanner_.RxBuf()), kMaxSumCheckMemoLines);
        return;
    }
    if (ForceLog || cbReciveLog_->isChecked())
        LogReceive(scanner_.RxBuf());
    if (onFrame_)
        onFrame_();
}

void TCommCtrlForm::LogSend(const QByteArray& text)
{
    AppendMemoLine(*mSend_, ByteText(text));
    WriteComLog(kSendPrefix + ByteText(text));
}

void TCommCtrlForm::LogReceive(const QByteArray& text)
{
    AppendMemoLine(*mRecive_, ByteText(text));
    WriteComLog(kReceivePrefix + ByteText(text));
}

void TCommCtrlForm::WriteComLog(const QString& text) { comLog_.Write(text); }

}  // namespace qemra
