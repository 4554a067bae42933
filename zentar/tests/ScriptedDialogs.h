#pragma once
// A dialog service that answers message boxes, file and folder dialogs from scripts and records
// them. A message box or dialog the script did not foresee fails the test and is cancelled.

#include <deque>
#include <optional>
#include <vector>

#include <QStringList>

#include <gtest/gtest.h>

#include "DialogService.h"
#include "QtPrinters.h"

class ScriptedDialogs final : public zentar::DialogService {
public:
    struct Shown {
        zentar::MessageKind kind;
        QString text;
        zentar::MessageButtons buttons;
    };

    // A file dialog as it was asked for; the open dialog has no title and no proposed name.
    struct FileDialog {
        bool save;
        QString title;
        QString proposedName;
        QString filter;
        int selectedFilter;
    };

    std::deque<zentar::Answer> answers;  // next answers to message boxes
    std::vector<Shown> shown;            // every message box, in order
    QStringList foldersShown;            // every folder opened in the file manager
    // Next answers to folder dialogs: the chosen folder, or nothing for a cancel.
    std::deque<std::optional<QString>> folderAnswers;
    struct FolderDialog {
        QString title;
        QString startFolder;
    };
    std::vector<FolderDialog> folderDialogs;  // every folder dialog, in order
    // Next answers to file dialogs, open or save: the chosen path, or nothing for a cancel.
    std::deque<std::optional<QString>> fileAnswers;
    std::vector<FileDialog> fileDialogs;  // every file dialog, in order

    zentar::Answer message(zentar::MessageKind kind, const QString& text, zentar::MessageButtons buttons) override
    {
        shown.push_back({kind, text, buttons});
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected message box: " << text.toStdString();
            return zentar::Answer::Cancel;
        }
        const zentar::Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::optional<QString> chooseFolder(const QString& title, const QString& startFolder) override
    {
        folderDialogs.push_back({title, startFolder});
        if (folderAnswers.empty())
            return unexpected(title);
        const std::optional<QString> answer = folderAnswers.front();
        folderAnswers.pop_front();
        return answer;
    }
    std::optional<QString> chooseFileToOpen(const QString& filter, int selectedFilter) override
    {
        return fileDialog({false, QString(), QString(), filter, selectedFilter});
    }
    std::optional<QString> chooseFileToSave(const QString& title, const QString& proposedName, const QString& filter,
                                            int selectedFilter) override
    {
        return fileDialog({true, title, proposedName, filter, selectedFilter});
    }

    void showFolder(const QString& folder) override { foldersShown << folder; }

    // The texts of the message boxes shown so far.
    QStringList texts() const
    {
        QStringList all;
        for (const Shown& s : shown)
            all << s.text;
        return all;
    }

private:
    std::optional<QString> fileDialog(const FileDialog& asked)
    {
        fileDialogs.push_back(asked);
        if (fileAnswers.empty())
            return unexpected(asked.save ? asked.title : asked.filter);
        const std::optional<QString> answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }

    static std::optional<QString> unexpected(const QString& what)
    {
        ADD_FAILURE() << "unexpected file or folder dialog: " << what.toStdString();
        return std::nullopt;
    }
};
