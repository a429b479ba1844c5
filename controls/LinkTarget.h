#pragma once

#include <QString>
#include <QUrl>

// Which targets the hyperlink label may open. Only web addresses are opened: http, https and
// mailto; an address starting with "www." is taken as http. Anything else (programs, paths,
// file:, javascript:) is refused, so a catalogue can never make a click start a program.
class LinkTarget {
public:
    // Codes handed to the error box when a target is refused.
    static constexpr int kEmptyTarget = 2;    // "The specified file was not found."
    static constexpr int kRefusedTarget = 5;  // "The operating system denied access ..."

    struct Result {
        bool ok = false;
        QUrl url;       // the address to open when ok
        int error = 0;  // the code to report when not ok
    };

    static Result Resolve(const QString& target);

    // The text of an open-error code, as the error box shows it after its first line.
    static QString ErrorText(int code);
    // The whole message of the error box.
    static QString ErrorMessage(int code);
};
