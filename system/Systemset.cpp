#include "system/Systemset.h"

#include "acquisition/Main.h"
#include "common/Prompts.h"
#include "link/Comctrl.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace qemra {

TSysSetForm::TSysSetForm(TMainForm& main, SharedState& state, TWritePrm& prm, const Clock& clock,
                         Prompts& prompts, QString baseFolder, QWidget* parent)
    : QWidget(parent, Qt::Window),
      main_(main),
      state_(state),
      prm_(prm),
      clock_(clock),
      prompts_(prompts),
      baseFolder_(std::move(baseFolder))
{
    setObjectName(QStringLiteral("TSysSetForm"));
    setWindowTitle(QStringLiteral("System Setting"));

    GBCom = new QGroupBox(QStringLiteral("通信ポート設定"), this);
    GBCom->setObjectName(QStringLiteral("GBCom"));
    SBConnection = new QToolButton(GBCom);
    SBConnection->setObjectName(QStringLiteral("SBConnection"));
    SBConnection->setText(QStringLiteral("通信開始"));
    SBDisconnection = new QToolButton(GBCom);
    SBDisconnection->setObjectName(QStringLiteral("SBDisconnection"));
    SBDisconnection->setText(QStringLiteral("通信クローズ"));
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
    BBComShowStd = new QPushButton(QStringLiteral("ログ表示..."), GBCom);
    BBComShowStd->setObjectName(QStringLiteral("BBComShowStd"));
    BBComSetStd = new QPushButton(QStringLiteral("ポート設定..."), GBCom);
    BBComSetStd->setObjectName(QStringLiteral("BBComSetStd"));

    auto* comLayout = new QVBoxLayout(GBCom);
    comLayout->addWidget(SBConnection);
    comLayout->addWidget(SBDisconnection);
    comLayout->addWidget(BBComShowStd);
    comLayout->addWidget(BBComSetStd);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GBCom);
    layout->addStretch(1);

    connect(SBConnection, &QToolButton::clicked, this, [this] { SBConnectionClick(); });
    connect(SBDisconnection, &QToolButton::clicked, this, [this] { SBDisconnectionClick(); });
    connect(BBComShowStd, &QPushButton::clicked, this, [this] { BBComShowStdClick(); });
    connect(BBComSetStd, &QPushButton::clicked, this, [this] { BBComSetStdClick(); });

    FormCreate();
}

void TSysSetForm::FormCreate()
{
    LoadParameterFile(prm_, SettingsPath());
}

QString TSysSetForm::SettingsPath() const
{
    return baseFolder_ + QStringLiteral("BaseSetpoint.ini");
}

void TSysSetForm::ConnectPort()
{
    TCommCtrlForm& link = main_.CommCtrl();
    link.LoadPortSettings();
    link.OpenLink();
    SBConnection->setChecked(true);
}

void TSysSetForm::SecondStep() {}

void TSysSetForm::TickStep() {}

void TSysSetForm::SBConnectionClick()
{
    ConnectPort();
    main_.Poll().Acquiring = true;
}

void TSysSetForm::SBDisconnectionClick()
{
    main_.CommCtrl().CloseLink();
    SBDisconnection->setChecked(true);
    main_.Poll().Acquiring = false;
}

void TSysSetForm::BBComShowStdClick()
{
    main_.CommCtrl().show();
    main_.CommCtrl().raise();
}

void TSysSetForm::BBComSetStdClick()
{
    if (main_.CommCtrl().ComPortM().Connected()) {
        prompts_.Information(QStringLiteral("接続中は変更できません"));
        return;
    }
    main_.CommCtrl().SetupPort();
}

}  // namespace qemra
