#include "controls/LinkTarget.h"

LinkTarget::Result LinkTarget::Resolve(const QString& target) {
    Result result;
    QString text = target.trimmed();
    if (text.isEmpty()) {
        result.error = kEmptyTarget;
        return result;
    }
    // A company site is usually written without its scheme.
    if (text.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
        text.prepend(QLatin1String("http://"));

    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    bool allowed = false;
    if (url.isValid() && !url.isRelative()) {
        if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
            allowed = !url.host().isEmpty();
        else if (scheme == QLatin1String("mailto"))
            allowed = !url.path().isEmpty();
    }
    if (!allowed) {
        result.error = kRefusedTarget;
        return result;
    }
    result.ok = true;
    result.url = url;
    return result;
}

QString LinkTarget::ErrorText(int code) {
    switch (code) {
        case 0:
            return QStringLiteral("The operating system is out\nof memory or resources.");
        case 2:
            return QStringLiteral("The specified file was not found.");
        case 3:
            return QStringLiteral("The specified path was not found.");
        case 5:
            return QStringLiteral("The operating system denied\naccess to the specified file.");
        case 8:
            return QStringLiteral("There was not enough memory to complete the operation.");
        case 11:
            return QStringLiteral(
                "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
        case 26:
            return QStringLiteral("A sharing violation occurred. ");
        case 27:
            return QStringLiteral("The filename association is\nincomplete or invalid.");
        case 28:
            return QStringLiteral(
                "The DDE transaction could not\nbe completed because the request timed out.");
        case 29:
            return QStringLiteral("The DDE transaction failed.");
        case 30:
            return QStringLiteral(
                "The DDE transaction could not\nbe completed because other DDE "
                "transactions\nwere being processed.");
        case 31:
            return QStringLiteral(
                "There is no application associated\nwith the given filename extension.");
        case 32:
            return QStringLiteral("The specified dynamic-link library was not found.");
        default:
            return QStringLiteral("Unknown Error (%1) occurred.").arg(code);
    }
}

QString LinkTarget::ErrorMessage(int code) {
    return QStringLiteral("Unable to open hyperlink:\n\n") + ErrorText(code);
}
