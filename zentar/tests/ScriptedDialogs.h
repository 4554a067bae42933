#pragma once
// A dialog service that answers message boxes from a script and records them. A message box
// the script did not foresee, and any file or folder dialog, fails the test and is cancelled.

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

    std::deque<zentar::Answer> answers;  // next answers to message boxes
    std::vector<Shown> shown;            // every message box, in order
    QStringList foldersShown;            // every folder opened in the file manager

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

    std::optional<QString> chooseFolder(const QString& title, const QString&) override { return unexpected(title); }
    std::optional<QString> chooseFileToOpen(const QString& filter, int) override { return unexpected(filter); }
    std::optional<QString> chooseFileToSave(const QString& title, const QString&, const QString&, int) override
    {
        return unexpected(title);
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
    static std::optional<QString> unexpected(const QString& what)
    {
        ADD_FAILURE() << "unexpected file or folder dialog: " << what.toStdString();
        return std::nullopt;
    }
};
