#pragma once

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QUrl>

#include "app/MessageBox.h"

// A prompter for tests: records everything shown and answers from queues, never blocking.
// While alive it is the installed prompter; the previous one comes back on destruction.
class ScriptedPrompter : public IPrompter {
public:
    struct Shown {
        QString kind;     // "notice", "confirm", "box", "openfile", "openfiles", "folder", "url"
        QString text;     // the text, caption of a chooser, or the address
        QString caption;  // for a file chooser: its filter
        unsigned style = 0;
        QString folder{};  // where a chooser opens
    };

    ScriptedPrompter();
    ~ScriptedPrompter() override;

    void Notice(const QString& text) override;
    bool Confirm(const QString& text, const QString& caption, unsigned icon) override;
    int MessageBox(const QString& text, const QString& caption, unsigned style) override;
    QString OpenFile(const QString& caption, const QString& folder, const QString& filter) override;
    QStringList OpenFiles(const QString& caption, const QString& folder,
                          const QString& filter) override;
    QString ChooseFolder(const QString& caption, const QString& folder) override;
    int OpenUrl(const QUrl& url) override;
    void Beep() override { ++beeps; }

    // Texts of the notices shown, in order.
    QStringList Notices() const;
    // Everything shown, in order.
    QList<Shown> shown;

    // Answers; when a queue is empty: No, IDOK, "" (cancel), and success (42) for links.
    QQueue<bool> confirmAnswers;
    QQueue<int> boxAnswers;
    QQueue<QString> fileAnswers;
    QQueue<QStringList> filesAnswers;
    QQueue<QString> folderAnswers;
    QQueue<int> urlResults;
    int beeps = 0;

private:
    IPrompter* m_previous;
};
