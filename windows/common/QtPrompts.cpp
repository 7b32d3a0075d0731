// QtPrompts.cpp: QtPrompts, the real message boxes and file dialogs.
#include "windows/common/QtPrompts.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace qemra {

namespace {

QString ChooseFile(QWidget* parent, const FileDialogOptions& options, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, options.title, options.directory, options.filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(options.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !options.confirmOverwrite);
    if (!options.fileName.isEmpty())
        dialog.selectFile(options.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.front();
}

}  // namespace

void QtPrompts::Message(Kind kind, const QString& text)
{
    const QString caption = QCoreApplication::applicationName();
    switch (kind) {
    case Kind::Information:
        QMessageBox::information(parent_, caption, text, QMessageBox::Ok);
        break;
    case Kind::Warning:
        QMessageBox::warning(parent_, caption, text, QMessageBox::Ok);
        break;
    case Kind::Error:
        QMessageBox::critical(parent_, caption, text, QMessageBox::Ok);
        break;
    }
}

QString QtPrompts::OpenFileName(const FileDialogOptions& options)
{
    return ChooseFile(parent_, options, QFileDialog::AcceptOpen);
}

QString QtPrompts::SaveFileName(const FileDialogOptions& options)
{
    return ChooseFile(parent_, options, QFileDialog::AcceptSave);
}

}  // namespace qemra
