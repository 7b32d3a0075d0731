#include "settings/Prmset.h"

#include "acquisition/Main.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace qemra {

TPrmSetForm::TPrmSetForm(TMainForm& main, SharedState& state, QWidget* parent)
    : QDialog(parent), main_(main), state_(state)
{
    setObjectName(QStringLiteral("TPrmSetForm"));
    setWindowTitle(QStringLiteral("Operation Setpoint"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("PButtons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(buttons);
}

}  // namespace qemra
