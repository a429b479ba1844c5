#pragma once

#include <QStringList>

class QTextStream;

// `vistrel-install import INSTALLATION SHEET.csv [--update]` and
// `vistrel-install export INSTALLATION SHEET.csv`: the product sheet import and export of the
// settings hub, for catalogue makers who script them. The import prints the preview's report,
// writes, and prints the outcome. Exit codes: 0 everything the report announced was written
// and no row was refused; 3 written, but rows were refused (listed); 1 nothing written (the
// sheet or catalogue cannot be used, or the write failed and was rolled back); 2 wrong use.
class SheetCommand {
public:
    // `args` are the words after "import" or "export".
    static int Import(const QStringList& args, QTextStream& out, QTextStream& err);
    static int Export(const QStringList& args, QTextStream& out, QTextStream& err);
};
