#include "authoring/FileChoice.h"

#include <QFileInfo>
#include <QSettings>

#include "app/Prompter.h"
#include "controls/PictureLoader.h"

const char* const FileChoice::kPictureFilter =
    "JPG(*.jpg)|*.jpg|位图文件(*.bmp)|*.bmp|图片文件(*.jpg;*.bmp)|*.jpg;*.bmp||";
const char* const FileChoice::kAllPicturesFilter =
    "所有图片(*.jpg;*.jpeg;*.png;*.gif;*.bmp;*.tif;*.tiff)|"
    "*.jpg;*.jpeg;*.png;*.gif;*.bmp;*.tif;*.tiff||";
const char* const FileChoice::kAnyFileFilter = "所有文件(*.*)|*.*||";

namespace {
QString StartFolder(const QString& current, const QString& fallback) {
    const QFileInfo info(current);
    if (!current.isEmpty() && info.exists()) return info.absolutePath();
    const QString last = FileChoice::LastPictureFolder();
    if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
    return fallback;
}

// The user's own settings (not the installation's config.ini, which belongs to the copy).
QSettings UserSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vistrel"),
                     QStringLiteral("Vistrel"));
}
const char* const kLastPictureFolder = "choosers/lastPictureFolder";

// The caption the platform gives its open-file chooser.
QString OpenCaption() {
    return QStringLiteral("打开");
}
}  // namespace

QString FileChoice::Picture(IPrompter& prompter, const QString& current,
                            const QString& startFolder) {
    return Picture(prompter, current, startFolder, QString::fromUtf8(kPictureFilter));
}

QString FileChoice::Picture(IPrompter& prompter, const QString& current, const QString& startFolder,
                            const QString& windowsFilter) {
    QString filter = windowsFilter;
    if (filter.endsWith(QLatin1String("||"))) filter.chop(1);
    filter += QString::fromUtf8(kAllPicturesFilter);
    const QString chosen =
        prompter.OpenFile(OpenCaption(), StartFolder(current, startFolder), QtFilter(filter));
    if (chosen.isEmpty()) return QString();
    if (PictureLoader::ReadSize(chosen).isEmpty()) {
        Tell(prompter, NotAPictureText(chosen));
        return QString();
    }
    UserSettings().setValue(QLatin1String(kLastPictureFolder), QFileInfo(chosen).absolutePath());
    return chosen;
}

QString FileChoice::NotAPictureText(const QString& path) {
    return QStringLiteral("不是可以显示的图片：%1").arg(QFileInfo(path).fileName());
}

QString FileChoice::LastPictureFolder() {
    return UserSettings().value(QLatin1String(kLastPictureFolder)).toString();
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
