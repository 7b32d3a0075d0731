#include "settings/Setwrite.h"

#include "acquisition/Main.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace qemra {

TWriteForm::TWriteForm(TMainForm& main, SharedState& state, QWidget* parent)
    : QDialog(parent), main_(main), state_(state)
{
    setObjectName(QStringLiteral("TWriteForm"));
    setWindowTitle(QStringLiteral("設定送出"));
    auto* close = new QPushButton(QStringLiteral("終了"), this);
    close->setObjectName(QStringLiteral("BBClose"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(close);
}

void TWriteForm::WriteTick() {}

}  // namespace qemra
