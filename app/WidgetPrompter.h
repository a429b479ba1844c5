#pragma once

#include "app/Prompter.h"

// The product's prompter: real windows, dialogs and the desktop's URL handler.
class WidgetPrompter : public IPrompter {
public:
    void Notice(const QString& text) override;
    bool Confirm(const QString& text, const QString& caption, unsigned icon) override;
    int MessageBox(const QString& text, const QString& caption, unsigned style) override;
    QString OpenFile(const QString& caption, const QString& folder, const QString& filter) override;
    QStringList OpenFiles(const QString& caption, const QString& folder,
                          const QString& filter) override;
    QString ChooseFolder(const QString& caption, const QString& folder) override;
    int OpenUrl(const QUrl& url) override;
    void Beep() override;
};
