// GroupedWriteDialog.cpp: TWriteForm, the grouped parameter write dialog.
#include "windows/settings/GroupedWriteDialog.h"

#include "acquisition/PollCycle.h"
#include "settings/GroupedWrite.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QShowEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qemra {

TWriteForm::TWriteForm(PollCycle& poll, const TWritePrm& prm, QWidget* parent) : QDialog(parent, Qt::Tool), poll_(poll)
{
    setObjectName(QStringLiteral("TWriteForm"));
    setWindowTitle(tr("設定送出"));
    sequence_ = std::make_unique<GroupedWrite>(poll_, prm, [this](const QString& line) { AddLine(line); });
    sequence_->OnCompleted = [this] {
        BBClose->setEnabled(true);
        BBCancel->setEnabled(false);
    };

    MSts = new QPlainTextEdit(this);
    MSts->setObjectName(QStringLiteral("MSts"));
    MSts->setReadOnly(true);
    MSts->setUndoRedoEnabled(false);
    MSts->setMinimumSize(360, 320);
    BBDo = new QPushButton(tr("　書込み実行"), this);
    BBDo->setObjectName(QStringLiteral("BBDo"));
    BBClose = new QPushButton(tr("終了"), this);
    BBClose->setObjectName(QStringLiteral("BBClose"));
    BBCancel = new QPushButton(tr("中止"), this);
    BBCancel->setObjectName(QStringLiteral("BBCancel"));
    for (QPushButton* button : {BBDo, BBClose, BBCancel})
        button->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BBDo);
    buttons->addStretch(1);
    buttons->addWidget(BBClose);
    buttons->addWidget(BBCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MSts, 1);
    layout->addLayout(buttons);

    connect(BBDo, &QPushButton::clicked, this, [this] { BBDoClick(); });
    connect(BBClose, &QPushButton::clicked, this, [this] { BBCloseClick(); });
    connect(BBCancel, &QPushButton::clicked, this, [this] { BBCancelClick(); });
    BBClose->setEnabled(false);
}

TWriteForm::~TWriteForm() = default;

void TWriteForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // A minimised dialog that is restored gets a spontaneous show: the write goes on untouched.
    if (!event->spontaneous())
        FormShow();
}

void TWriteForm::keyPressEvent(QKeyEvent* event)
{
    // Escape would close the dialog half way and leave the instrument unlocked; only 中止 may.
    if (event->key() == Qt::Key_Escape && sequence_->Running()) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TWriteForm::FormShow()
{
    sequence_->Reset();
    MSts->clear();
    BBClose->setEnabled(false);
    BBCancel->setEnabled(true);
}

void TWriteForm::BBDoClick() { sequence_->Start(); }

void TWriteForm::WriteTick()
{
    if (!isVisible())
        return;
    sequence_->Tick();
}

void TWriteForm::CloseByButton()
{
    // Polling resumes, unless another writer's write has taken over the lists and still runs.
    sequence_->ReleaseOnClose();
    if (!poll_.WriteQueueHeld())
        poll_.Acquiring = true;
    done(kResultAbort);
}

void TWriteForm::BBCancelClick() { CloseByButton(); }

void TWriteForm::BBCloseClick() { CloseByButton(); }

void TWriteForm::reject()
{
    // A sequence that is running or stopped after a failure has suspended polling; closed this way
    // nothing would resume it. Otherwise polling is left as it is.
    if (sequence_->ReleaseOnClose())
        poll_.Acquiring = true;
    QDialog::reject();
}

void TWriteForm::AddLine(const QString& line) { MSts->appendPlainText(line); }

}  // namespace qemra
