#pragma once

#include <QStringList>

class QTextStream;

// `vistrel-install publish INSTALLATION ROOT [--cover FILE] [--logo FILE]`: the publish
// operation on an authoring installation, for catalogue makers who script their releases. It
// prints one line per copied file (a bar on a terminal), ends with the operation's own success
// or failure text and returns the process's exit code: 0 published, 1 failed, 2 wrong use.
class PublishCommand {
public:
    // `args` are the words after "publish".
    static int Run(const QStringList& args, QTextStream& out, QTextStream& err,
                   bool terminal = false);
    // `vistrel-install web INSTALLATION FOLDER`: the same publish into FOLDER/Vistrel without
    // the program and its runtime, for a quick look at the web catalogue (index.html).
    static int RunWeb(const QStringList& args, QTextStream& out, QTextStream& err,
                      bool terminal = false);

private:
    static int RunCommand(const QStringList& args, QTextStream& out, QTextStream& err,
                          bool terminal, bool web);
};
