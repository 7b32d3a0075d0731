#include "common/Prompts.h"

namespace qemra {

QStringList RecordingPrompts::texts() const
{
    QStringList all;
    for (const Shown& shown : messages)
        all << shown.text;
    return all;
}

QString RecordingPrompts::answer(const FileDialogOptions& options)
{
    dialogs.push_back(options);
    if (fileAnswers.empty())
        return {};
    QString chosen = fileAnswers.front();
    fileAnswers.pop_front();
    return chosen;
}

}  // namespace qemra
