#pragma once

#include <QString>
#include <QStringList>

class IPrompter;

// The file choosers of the editing dialogs, asked through the prompter they are handed.
class FileChoice {
public:
    // One picture. The chooser opens at the folder of `current` when that is an existing path,
    // otherwise at `startFolder`. Empty when the editor cancels.
    // A file that is not a picture the program can read is refused with a word. The folder of
    // the last picture chosen is remembered across runs, in the user's own settings, and the
    // chooser opens there when `current` gives no folder.
    static QString Picture(IPrompter& prompter, const QString& current, const QString& startFolder);
    // The same with a filter of its own (Windows form) before the "all pictures" entry.
    static QString Picture(IPrompter& prompter, const QString& current, const QString& startFolder,
                           const QString& windowsFilter);
    static QString NotAPictureText(const QString& path);
    // Where the last picture was chosen ("" before the first).
    static QString LastPictureFolder();
    // Any number of files of any kind; empty when the editor cancels.
    static QStringList AnyFiles(IPrompter& prompter, const QString& startFolder);

    // A Windows filter list ("JPG(*.jpg)|*.jpg|...||") in the form Qt's file dialogs read:
    // entries joined by ";;", each label followed by its patterns separated by blanks. "*.*"
    // means every file, which is "*" here (names without a dot included).
    static QString QtFilter(const QString& windowsFilter);

    static const char* const kPictureFilter;
    // Every format the program shows.
    static const char* const kAllPicturesFilter;
    static const char* const kAnyFileFilter;
};
