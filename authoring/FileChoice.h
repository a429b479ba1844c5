#pragma once

#include <QString>
#include <QStringList>

class IPrompter;

// The file choosers of the editing dialogs, asked through the prompter they are handed.
class FileChoice {
public:
    // One picture. The chooser opens at the folder of `current` when that is an existing path,
    // otherwise at `startFolder`. Empty when the editor cancels.
    static QString Picture(IPrompter& prompter, const QString& current, const QString& startFolder);
    // Any number of files of any kind; empty when the editor cancels.
    static QStringList AnyFiles(IPrompter& prompter, const QString& startFolder);

    // A Windows filter list ("JPG(*.jpg)|*.jpg|...||") in the form Qt's file dialogs read:
    // entries joined by ";;", each label followed by its patterns separated by blanks. "*.*"
    // means every file, which is "*" here (names without a dot included).
    static QString QtFilter(const QString& windowsFilter);

    static const char* const kPictureFilter;
    static const char* const kAnyFileFilter;
};
