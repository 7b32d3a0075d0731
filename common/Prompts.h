#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

namespace qemra {

struct FileDialogOptions {
    QString title;
    QString filter;         // as the toolkit takes it: "CSV File (*.csv)"
    QString defaultSuffix;  // without the dot: "csv"
    QString directory;
    QString fileName;
    bool confirmOverwrite = true;
};

// Every message box and file dialog goes through here, so tests can see the texts and choose the
// answers. Message boxes have one OK button.
class Prompts {
public:
    enum class Kind { Information, Warning, Error };

    virtual ~Prompts() = default;
    virtual void Message(Kind kind, const QString& text) = 0;
    // The chosen path, or an empty text when the user cancelled.
    virtual QString OpenFileName(const FileDialogOptions& options) = 0;
    virtual QString SaveFileName(const FileDialogOptions& options) = 0;

    void Information(const QString& text) { Message(Kind::Information, text); }
    void Warning(const QString& text) { Message(Kind::Warning, text); }
    void Error(const QString& text) { Message(Kind::Error, text); }
};

// For tests: remembers every message and dialog, answers dialogs from a queue (empty = cancel).
class RecordingPrompts final : public Prompts {
public:
    struct Shown {
        Kind kind;
        QString text;
    };
    std::vector<Shown> messages;
    std::vector<FileDialogOptions> dialogs;
    std::deque<QString> fileAnswers;

    void Message(Kind kind, const QString& text) override { messages.push_back({kind, text}); }
    QString OpenFileName(const FileDialogOptions& options) override { return answer(options); }
    QString SaveFileName(const FileDialogOptions& options) override { return answer(options); }
    QStringList texts() const;

private:
    QString answer(const FileDialogOptions& options);
};

}  // namespace qemra
