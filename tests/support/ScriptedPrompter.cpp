#include "ScriptedPrompter.h"

#include "app/MessageBox.h"

ScriptedPrompter::ScriptedPrompter() : m_previous(SetPrompter(this)) {}

ScriptedPrompter::~ScriptedPrompter() {
    SetPrompter(m_previous);
}

void ScriptedPrompter::Notice(const QString& text) {
    shown.append({"notice", text, {}, 0});
}

bool ScriptedPrompter::Confirm(const QString& text, const QString& caption, unsigned icon) {
    shown.append({"confirm", text, caption, icon});
    return confirmAnswers.isEmpty() ? false : confirmAnswers.dequeue();
}

int ScriptedPrompter::MessageBox(const QString& text, const QString& caption, unsigned style) {
    shown.append({"box", text, caption, style});
    return boxAnswers.isEmpty() ? IDOK : boxAnswers.dequeue();
}

QString ScriptedPrompter::OpenFile(const QString& caption, const QString& folder,
                                   const QString& filter) {
    shown.append({"openfile", caption, filter, 0, folder});
    return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
}

QStringList ScriptedPrompter::OpenFiles(const QString& caption, const QString&, const QString&) {
    shown.append({"openfiles", caption, {}, 0});
    return filesAnswers.isEmpty() ? QStringList() : filesAnswers.dequeue();
}

QString ScriptedPrompter::ChooseFolder(const QString& caption, const QString& folder) {
    shown.append({"folder", caption, {}, 0, folder});
    return folderAnswers.isEmpty() ? QString() : folderAnswers.dequeue();
}

int ScriptedPrompter::OpenUrl(const QUrl& url) {
    shown.append({"url", url.toString(), {}, 0});
    return urlResults.isEmpty() ? 42 : urlResults.dequeue();
}

QStringList ScriptedPrompter::Notices() const {
    QStringList out;
    for (const Shown& s : shown)
        if (s.kind == QLatin1String("notice")) out << s.text;
    return out;
}
