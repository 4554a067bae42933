#pragma once
// Every message box and file or folder dialog of Zentar goes through this service, and so does
// opening a folder in the desktop's file manager. The program gives it a QMessageBox/QFileDialog
// implementation; tests give it scripted answers.

#include <optional>

#include <QString>

namespace zentar {

enum class MessageKind { Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

class DialogService {
public:
    virtual ~DialogService() = default;

    // Shows a modal message box and returns the button the operator pressed.
    virtual Answer message(MessageKind kind, const QString& text, MessageButtons buttons) = 0;

    // Folder selection: the chosen folder's full path, or nothing when cancelled.
    virtual std::optional<QString> chooseFolder(const QString& title, const QString& startFolder) = 0;

    // File selection for reading (existing files only). `filter` uses the "Name|pattern|..."
    // pairs of the windows; `selectedFilter` counts them from 0.
    virtual std::optional<QString> chooseFileToOpen(const QString& filter, int selectedFilter) = 0;

    // File selection for writing, proposing `proposedName`.
    virtual std::optional<QString> chooseFileToSave(const QString& title, const QString& proposedName,
                                                    const QString& filter, int selectedFilter) = 0;

    // Opens an existing folder in the desktop's file manager.
    virtual void showFolder(const QString& folder) = 0;
};

}  // namespace zentar
