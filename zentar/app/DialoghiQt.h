#pragma once
// The dialog service of the program: Qt message boxes and file and folder dialogs, modal over
// the whole application, and the desktop's file manager.

#include "DialogService.h"

namespace zentar {

class DialoghiQt final : public DialogService {
public:
    Answer message(MessageKind kind, const QString& text, MessageButtons buttons) override;
    std::optional<QString> chooseFolder(const QString& title, const QString& startFolder) override;
    std::optional<QString> chooseFileToOpen(const QString& filter, int selectedFilter) override;
    std::optional<QString> chooseFileToSave(const QString& title, const QString& proposedName, const QString& filter,
                                            int selectedFilter) override;
    void showFolder(const QString& folder) override;
};

// The filters of the windows, "Name|pattern|Name|pattern", as Qt name filters
// ("Name (pattern)"), and the one chosen by index.
QStringList FiltriQt(const QString& filtro);

// A message's text as the box shows it: the windows write a line break as CR LF or as a lone
// CR, and each becomes one line break.
QString TestoDelMessaggio(const QString& testo);

}  // namespace zentar
