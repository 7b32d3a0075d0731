// SystemSettingWindow.cpp: TSysSetForm, the system setting window.
#include "windows/system/SystemSettingWindow.h"

#include "common/NumberText.h"
#include "common/Prompts.h"
#include "core/AcquisitionCore.h"
#include "windows/link/CommunicationWindow.h"
#include "windows/system/CalibrationPage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace qemra {

namespace {

constexpr int kTableRows = 10;
const QString kSetpointFilter = QStringLiteral("qemra setpoint File (*.qemras)");

QLabel* Caption(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

QLabel* Heading(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

FileDialogOptions SetpointFileDialog(const QString& folder, bool confirmOverwrite)
{
    FileDialogOptions options;
    options.filter = kSetpointFilter;
    options.defaultSuffix = QStringLiteral("qemras");
    options.directory = folder;
    options.confirmOverwrite = confirmOverwrite;
    return options;
}

}  // namespace

const QString& TSysSetForm::kNotConvertible = kParameterNotConvertible;

TSysSetForm::TSysSetForm(AcquisitionCore& core, TCommCtrlForm& commCtrl, TWritePrm& prm, const Clock& clock,
                         Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window), core_(core), commCtrl_(commCtrl), state_(core.State()), prm_(prm), clock_(clock),
      prompts_(prompts), baseFolder_(core.BaseFolder())
{
    setObjectName(QStringLiteral("TSysSetForm"));
    setWindowTitle(QStringLiteral("System Setting"));

    // Left column: the communication group and the two calibration options.
    GBCom = new QGroupBox(tr("通信ポート設定"), this);
    GBCom->setObjectName(QStringLiteral("GBCom"));
    SBConnection = new QToolButton(GBCom);
    SBConnection->setObjectName(QStringLiteral("SBConnection"));
    SBConnection->setText(tr("通信開始"));
    SBDisconnection = new QToolButton(GBCom);
    SBDisconnection->setObjectName(QStringLiteral("SBDisconnection"));
    SBDisconnection->setText(tr("通信クローズ"));
    for (QToolButton* button : {SBConnection, SBDisconnection}) {
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    auto* pair = new QButtonGroup(this);
    pair->setExclusive(true);
    pair->addButton(SBConnection);
    pair->addButton(SBDisconnection);
    SBDisconnection->setChecked(true);
    // A port that closes by itself (hang-up, unplugged) or reopens by itself shows so here too.
    connect(&commCtrl_.ComPortM(), &TComPort::OnConnection, this,
            [this](bool open) { (open ? SBConnection : SBDisconnection)->setChecked(true); });
    BBComShowStd = new QPushButton(tr("ログ表示..."), GBCom);
    BBComShowStd->setObjectName(QStringLiteral("BBComShowStd"));
    BBComSetStd = new QPushButton(tr("ポート設定..."), GBCom);
    BBComSetStd->setObjectName(QStringLiteral("BBComSetStd"));
    auto* comLayout = new QVBoxLayout(GBCom);
    comLayout->addWidget(SBConnection);
    comLayout->addWidget(SBDisconnection);
    comLayout->addWidget(BBComShowStd);
    comLayout->addWidget(BBComSetStd);

    CBTempRevOnly = new QCheckBox(tr("気温補正のみ"), this);
    CBTempRevOnly->setObjectName(QStringLiteral("CBTempRevOnly"));
    CBATCheck = new QCheckBox(tr("温度素子異常確認"), this);
    CBATCheck->setObjectName(QStringLiteral("CBATCheck"));
    CBATCheck->setChecked(true);
    auto* left = new QVBoxLayout;
    left->addWidget(GBCom);
    left->addWidget(CBTempRevOnly);
    left->addWidget(CBATCheck);
    left->addStretch(1);

    // Above the pages: the serial number with its clear button.
    auto* serialPanel = new QWidget(this);
    serialPanel->setObjectName(QStringLiteral("PSNum"));
    ESNum = new QLineEdit(QStringLiteral("xxxxxx"), serialPanel);
    ESNum->setObjectName(QStringLiteral("ESNum"));
    QFont serialFont = ESNum->font();
    serialFont.setPointSizeF(serialFont.pointSizeF() * 1.6);
    ESNum->setFont(serialFont);
    BBSNClear = new QPushButton(QStringLiteral("✖"), serialPanel);
    BBSNClear->setObjectName(QStringLiteral("BBSNClear"));
    BBSNClear->setToolTip(tr("シリアル番号を消去"));
    BBSNClear->setFixedWidth(28);
    BBSNClear->setAutoDefault(false);
    auto* serialLayout = new QHBoxLayout(serialPanel);
    serialLayout->setContentsMargins(0, 0, 0, 0);
    serialLayout->addWidget(Caption(tr("シリアル番号"), ESNum, serialPanel));
    serialLayout->addWidget(ESNum);
    serialLayout->addWidget(BBSNClear);
    serialLayout->addStretch(1);

    PCMain = new QTabWidget(this);
    PCMain->setObjectName(QStringLiteral("PCMain"));
    PCMain->setDocumentMode(true);
    calibrationPage_ = new QWidget(PCMain);
    calibrationPage_->setObjectName(QStringLiteral("TSCalibration"));
    auto* calibrationLayout = new QVBoxLayout(calibrationPage_);
    calibrationLayout->setContentsMargins(0, 0, 0, 0);
    CalPageWindow window;
    window.SerialNumber = [this] { return SerialNumberText(); };
    window.TempRevOnly = [this] { return TempRevOnly(); };
    window.ATCheck = [this] { return ATCheck(); };
    window.FillDirectPage = [this] { FillDirectPage(); };
    calPage_ = new TCalPage(core_, prm_, clock_, prompts_, std::move(window), calibrationPage_);
    calibrationLayout->addWidget(calPage_);
    // The calibration runs whether or not this window is shown; tests may replace these entries.
    CalSecondStep = [this] { calPage_->SecondStep(); };
    CalWriteTick = [this] { calPage_->CalWriteTick(); };
    PCMain->addTab(calibrationPage_, tr("管理操作"));
    PCMain->addTab(BuildDirectPage(), tr("直接操作"));
    PCMain->setCurrentIndex(0);

    auto* right = new QVBoxLayout;
    right->addWidget(serialPanel);
    right->addWidget(PCMain, 1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right, 1);

    BBOk = new QPushButton(QStringLiteral("OK"), this);
    BBOk->setObjectName(QStringLiteral("BBOk"));
    BBOk->setDefault(true);
    BBCancel = new QPushButton(tr("キャンセル"), this);
    BBCancel->setObjectName(QStringLiteral("BBCancel"));
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(BBOk);
    bottom->addWidget(BBCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(bottom);

    connect(SBConnection, &QToolButton::clicked, this, [this] { SBConnectionClick(); });
    connect(SBDisconnection, &QToolButton::clicked, this, [this] { SBDisconnectionClick(); });
    connect(BBComShowStd, &QPushButton::clicked, this, [this] { BBComShowStdClick(); });
    connect(BBComSetStd, &QPushButton::clicked, this, [this] { BBComSetStdClick(); });
    connect(BBSNClear, &QPushButton::clicked, this, [this] { BBSNClearClick(); });
    connect(BBWrite, &QPushButton::clicked, this, [this] { BBWriteClick(); });
    connect(BBSetpointSave, &QPushButton::clicked, this, [this] { BBSetpointSaveClick(); });
    connect(BBSetpointLoad, &QPushButton::clicked, this, [this] { BBSetpointLoadClick(); });
    connect(BBOk, &QPushButton::clicked, this, [this] { BBOkClick(); });
    connect(BBCancel, &QPushButton::clicked, this, [this] { BBCancelClick(); });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { BBCancelClick(); });

    FormCreate();
}

QLineEdit* TSysSetForm::AddEdit(const char* name, const char* format, float TWritePrm::*field)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMinimumWidth(80);
    edit->setMaximumWidth(110);
    pageFields_.push_back({[edit] { return edit->text(); }, [edit](const QString& text) { edit->setText(text); },
                           [field](TWritePrm& prm) -> float& { return prm.*field; }, QString::fromLatin1(format)});
    return edit;
}

QWidget* TSysSetForm::BuildDirectPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TSDirect"));
    auto* group = new QGroupBox(tr("初期設定"), page);
    group->setObjectName(QStringLiteral("GBInitial"));

    // Created in read-back order, so the page fields list follows it.
    QLineEdit* difT0m = AddEdit("EDifT0m", "%1.2f", &TWritePrm::DifT0m);
    QLineEdit* adjWS = AddEdit("EAdjWS", "%1.2f", &TWritePrm::AdjWS);
    QLineEdit* adjDifT = AddEdit("EAdjDifT", "%1.2f", &TWritePrm::AdjDifT);
    QLineEdit* heater = AddEdit("EHeaterWatt", "%1.4f", &TWritePrm::HeaterWatt);

    SGRev = new QTableWidget(kTableRows, 2);
    SGRev->setObjectName(QStringLiteral("SGRev"));
    // Each row is one correction point of the table; a row number beside it would only mislead.
    SGRev->verticalHeader()->hide();
    SGRev->verticalHeader()->setDefaultSectionSize(22);
    SGRev->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SGRev->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    SGRev->setMinimumWidth(190);
    SGRev->setMinimumHeight(SGRev->horizontalHeader()->sizeHint().height() + kTableRows * 22 + 4);
    SGRev->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SGRev->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int r = 0; r < kTableRows; ++r) {
        for (int c = 0; c < 2; ++c) {
            SGRev->setItem(r, c, new QTableWidgetItem);
            QTableWidget* grid = SGRev;
            const auto i = static_cast<std::size_t>(r);
            pageFields_.push_back({[grid, r, c] { return grid->item(r, c)->text(); },
                                   [grid, r, c](const QString& text) { grid->item(r, c)->setText(text); },
                                   [i, c](TWritePrm& prm) -> float& { return c == 0 ? prm.DIV[i] : prm.VAL[i]; },
                                   QStringLiteral("%1.2f")});
        }
    }

    QLineEdit* atDif1 = AddEdit("EATDif1", "%1.3f", &TWritePrm::ATRevice0);
    QLineEdit* atDif2 = AddEdit("EATDif2", "%1.3f", &TWritePrm::ATRevice1);
    QLineEdit* wdDif1 = AddEdit("EWDDif1", "%1.3f", &TWritePrm::WDTRevice0);
    QLineEdit* wdDif2 = AddEdit("EWDDif2", "%1.3f", &TWritePrm::WDTRevice1);
    QLineEdit* bgtDif1 = AddEdit("EBGTDif1", "%1.3f", &TWritePrm::BGT_Revice0);
    QLineEdit* bgtDif2 = AddEdit("EBGTDif2", "%1.3f", &TWritePrm::BGT_Revice1);
    QLineEdit* bbtDif1 = AddEdit("EBBTDif1", "%1.3f", &TWritePrm::BBT_Revice0);
    QLineEdit* bbtDif2 = AddEdit("EBBTDif2", "%1.3f", &TWritePrm::BBT_Revice1);
    QLineEdit* bbtDif3 = AddEdit("EBBTDif3", "%1.3f", &TWritePrm::BBT_Revice2);
    QLineEdit* stdVolt = AddEdit("EStdVolt", "%1.3f", &TWritePrm::ChipStdV);
    QLineEdit* atRev = AddEdit("EATRev", "%1.3f", &TWritePrm::ATRev);
    QLineEdit* bgCoef = AddEdit("EBGCoef", "%1.3f", &TWritePrm::BGT_Coef);

    // Three columns: wind-speed calculation over the correction table, the instrument errors,
    // the system values.
    auto* wind = new QGridLayout;
    wind->addWidget(Heading(tr("風速算出"), group), 0, 0, 1, 2);
    const auto addRow = [group](QGridLayout* grid, int row, const QString& label, QLineEdit* edit) {
        grid->addWidget(Caption(label, edit, group), row, 0);
        grid->addWidget(edit, row, 1);
    };
    addRow(wind, 1, tr("0m/s.時温度差"), difT0m);
    addRow(wind, 2, tr("基準風速値"), adjWS);
    addRow(wind, 3, tr("基準時温度差"), adjDifT);
    addRow(wind, 4, tr("ヒータ出力"), heater);
    wind->addWidget(Heading(tr("特性補正式"), group), 5, 0, 1, 2);
    wind->addWidget(SGRev, 6, 0, 1, 2);
    wind->setRowStretch(7, 1);

    auto* errors = new QGridLayout;
    errors->addWidget(Heading(tr("器差補正"), group), 0, 0, 1, 2);
    int row = 1;
    for (const auto& [label, edit] :
         std::initializer_list<std::pair<const char*, QLineEdit*>>{{QT_TR_NOOP("気温器差-1"), atDif1},
                                                                   {QT_TR_NOOP("気温器差-2"), atDif2},
                                                                   {QT_TR_NOOP("風速器差-1"), wdDif1},
                                                                   {QT_TR_NOOP("風速器差-2"), wdDif2},
                                                                   {QT_TR_NOOP("器差-黒球1"), bgtDif1},
                                                                   {QT_TR_NOOP("器差-黒球2"), bgtDif2},
                                                                   {QT_TR_NOOP("器差-基板1"), bbtDif1},
                                                                   {QT_TR_NOOP("器差-基板2"), bbtDif2},
                                                                   {QT_TR_NOOP("器差-基板3"), bbtDif3}})
        addRow(errors, row++, tr(label), edit);
    errors->setRowStretch(row, 1);

    auto* system = new QGridLayout;
    system->addWidget(Heading(tr("システム設定値"), group), 0, 0, 1, 3);
    addRow(system, 1, tr("基準電圧"), stdVolt);
    system->addWidget(new QLabel(QStringLiteral("V"), group), 1, 2);
    addRow(system, 2, tr("気温補正"), atRev);
    addRow(system, 3, tr("黒球係数"), bgCoef);
    system->setRowStretch(4, 1);

    auto* groupLayout = new QHBoxLayout(group);
    groupLayout->addLayout(wind);
    groupLayout->addSpacing(12);
    groupLayout->addLayout(errors);
    groupLayout->addSpacing(12);
    groupLayout->addLayout(system);

    BBWrite = new QPushButton(tr("　設定送出"), page);
    BBWrite->setObjectName(QStringLiteral("BBWrite"));
    BBSetpointSave = new QPushButton(tr("設定保存..."), page);
    BBSetpointSave->setObjectName(QStringLiteral("BBSetpointSave"));
    BBSetpointLoad = new QPushButton(tr("設定読込..."), page);
    BBSetpointLoad->setObjectName(QStringLiteral("BBSetpointLoad"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BBWrite);
    buttons->addStretch(1);
    buttons->addWidget(BBSetpointSave);
    buttons->addWidget(BBSetpointLoad);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group, 1);
    layout->addLayout(buttons);

    // Tab order down each column, then the page's buttons.
    QWidget* previous = difT0m;
    for (QWidget* next : std::initializer_list<QWidget*>{adjWS, adjDifT, heater, SGRev, atDif1, atDif2, wdDif1, wdDif2,
                                                         bgtDif1, bgtDif2, bbtDif1, bbtDif2, bbtDif3, stdVolt, atRev,
                                                         bgCoef, BBWrite, BBSetpointSave, BBSetpointLoad}) {
        setTabOrder(previous, next);
        previous = next;
    }
    return page;
}

void TSysSetForm::FormCreate()
{
    // A first start has no file yet and takes the defaults without a word.
    const ParameterLoad load = LoadParameterFile(prm_, SettingsPath());
    if (load != ParameterLoad::Missing)
        ReportParameterLoad(load, SettingsPath(), prompts_, kNotConvertible);
}

void TSysSetForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FillDirectPage();
}

QString TSysSetForm::SettingsPath() const { return baseFolder_ + QStringLiteral("BaseSetpoint.ini"); }

QString TSysSetForm::SerialNumberText() const { return ESNum->text(); }

bool TSysSetForm::TempRevOnly() const { return CBTempRevOnly->isChecked(); }

bool TSysSetForm::ATCheck() const { return CBATCheck->isChecked(); }

void TSysSetForm::FillDirectPage()
{
    SGRev->setHorizontalHeaderLabels({tr("補正点"), tr("補正量")});
    for (const PageField& f : pageFields_)
        f.show(FormatFloat(f.format, static_cast<double>(f.field(prm_))));
}

void TSysSetForm::ReadDirectPage()
{
    for (const PageField& f : pageFields_) {
        float value = 0;
        // A value far beyond what the instrument holds could never be sent in one request.
        if (!TryTextToSingle(f.text(), value) || !ParameterValueWritable(value)) {
            prompts_.Warning(ParameterNotConvertibleMessage());
            return;
        }
        f.field(prm_) = value;
    }
}

bool TSysSetForm::ConnectPort()
{
    TCommCtrlForm& link = commCtrl_;
    // A settings file that failed to load has shown its error; opening the port with the old
    // settings would then connect somewhere the user did not ask for.
    if (!link.LoadPortSettings()) {
        SBDisconnection->setChecked(true);
        return false;
    }
    if (link.OpenLink()) {
        SBConnection->setChecked(true);
        return true;
    }
    // A port that did not open is said so, and the button shows the link closed; with automatic
    // reconnection the retries go on and the main window's status bar shows the wait.
    SBDisconnection->setChecked(true);
    prompts_.Error(tr("ポートを開けません: %1: %2").arg(link.ComPortM().Port(), link.ComPortM().ErrorText()));
    if (link.ComPortM().AutoReconnect())
        core_.ReconnectLater();
    return false;
}

void TSysSetForm::SecondStep()
{
    if (CalSecondStep)
        CalSecondStep();
}

void TSysSetForm::TickStep()
{
    if (GroupedWriteTick)
        GroupedWriteTick();
    // Counted from the first tick and never reset; it wraps at an even number, so the parity holds.
    ++tickCount_;
    if (tickCount_ % 2 == 0 && CalWriteTick)
        CalWriteTick();
}

bool TSysSetForm::PortOpen() { return commCtrl_.ComPortM().Connected(); }

void TSysSetForm::SBConnectionClick()
{
    ConnectPort();
    core_.Poll().Acquiring = true;
}

void TSysSetForm::SBDisconnectionClick()
{
    core_.StopReconnecting();
    commCtrl_.CloseLink();
    SBDisconnection->setChecked(true);
    core_.Poll().Acquiring = false;
}

void TSysSetForm::BBComShowStdClick()
{
    commCtrl_.show();
    commCtrl_.raise();
}

void TSysSetForm::BBComSetStdClick()
{
    if (PortOpen()) {
        prompts_.Information(tr("接続中は変更できません"));
        return;
    }
    commCtrl_.SetupPort();
}

void TSysSetForm::BBOkClick()
{
    ReadDirectPage();
    // The window stays open on a failed save, so the edits are not lost with it.
    if (!SaveParameterFile(prm_, SettingsPath())) {
        ShowFileError(SettingsPath());
        return;
    }
    close();
}

void TSysSetForm::ShowFileError(const QString& path)
{
    prompts_.Error(QStringLiteral("Cannot create file \"%1\".").arg(path));
}

void TSysSetForm::keyPressEvent(QKeyEvent* event)
{
    // Enter reaches the window only when the focused control has no use for it: OK is the default.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        event->accept();
        BBOk->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TSysSetForm::BBCancelClick() { close(); }

void TSysSetForm::BBWriteClick()
{
    ReadDirectPage();
    if (!PortOpen()) {
        prompts_.Information(tr("接続していないので、実行できません！"));
        return;
    }
    if (ShowGroupedWrite)
        ShowGroupedWrite();
}

void TSysSetForm::BBSetpointSaveClick()
{
    const QString path = prompts_.SaveFileName(SetpointFileDialog(baseFolder_, true));
    if (path.isEmpty())
        return;
    ReadDirectPage();
    if (!SaveParameterFile(prm_, path))
        ShowFileError(path);
}

void TSysSetForm::BBSetpointLoadClick()
{
    const QString path = prompts_.OpenFileName(SetpointFileDialog(baseFolder_, false));
    if (path.isEmpty())
        return;
    ReportParameterLoad(LoadParameterFile(prm_, path), path, prompts_, kNotConvertible);
    FillDirectPage();
}

void TSysSetForm::BBSNClearClick() { ESNum->clear(); }

}  // namespace qemra
