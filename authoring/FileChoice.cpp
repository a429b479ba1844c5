#include "authoring/FileChoice.h"

#include <QFileInfo>

#include "app/Prompter.h"

const char* const FileChoice::kPictureFilter =
    "JPG(*.jpg)|*.jpg|位图文件(*.bmp)|*.bmp|图片文件(*.jpg;*.bmp)|*.jpg;*.bmp||";
const char* const FileChoice::kAnyFileFilter = "所有文件(*.*)|*.*||";

namespace {
QString StartFolder(const QString& current, const QString& fallback) {
    const QFileInfo info(current);
    if (!current.isEmpty() && info.exists()) return info.absolutePath();
    return fallback;
}

// The caption the platform gives its open-file chooser.
QString OpenCaption() {
    return QStringLiteral("打开");
}
}  // namespace

QString FileChoice::Picture(IPrompter& prompter, const QString& current,
                            const QString& startFolder) {
    return prompter.OpenFile(OpenCaption(), StartFolder(current, startFolder),
                             QtFilter(QString::fromUtf8(kPictureFilter)));
}

QStringList FileChoice::AnyFiles(IPrompter& prompter, const QString& startFolder) {
    return prompter.OpenFiles(OpenCaption(), startFolder,
                              QtFilter(QString::fromUtf8(kAnyFileFilter)));
}

QString FileChoice::QtFilter(const QString& windowsFilter) {
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts[i];
        if (label.isEmpty()) break;  // the "||" that ends the list
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            if (p == QLatin1String("*.*")) p = QStringLiteral("*");
        }
        const qsizetype open = label.lastIndexOf(QLatin1Char('('));
        if (open > 0 && label.endsWith(QLatin1Char(')'))) label.truncate(open);
        entries << label + QLatin1Char('(') + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}
