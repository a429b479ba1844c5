#include "viewer/CompanyContact.h"

#include "app/CIniFile.h"

namespace {
// A host name may hold letters, digits, dots, dashes and a port; anything else (a slash, a
// query, blanks) would change the address, so such a value is not used.
bool IsPlainHost(const QString& host) {
    if (host.isEmpty()) return false;
    for (QChar c : host) {
        const bool ok = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                        (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                        (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.') ||
                        c == QLatin1Char('-') || c == QLatin1Char(':');
        if (!ok) return false;
    }
    return true;
}
}  // namespace

CompanyContact CompanyContact::FromConfig(const CIniFile& config) {
    CompanyContact c;
    const QString section = QStringLiteral("SysInfo");
    const QString name = config.GetString(section, QStringLiteral("企业名称")).trimmed();
    if (!name.isEmpty()) c.companyName = name;
    bool ok = false;
    const qint64 qq = config.GetString(section, QStringLiteral("企业QQ")).trimmed().toLongLong(&ok);
    if (ok && qq > 0) c.qqNumber = qq;
    const QString host = config.GetString(section, QStringLiteral("聊天服务器")).trimmed();
    if (IsPlainHost(host)) c.chatHost = host;
    return c;
}

QString CompanyContact::ChatHint() const {
    if (!HasChat()) return QString();
    return QStringLiteral("点击与企业QQ(") + QString::number(qqNumber) + QStringLiteral(")对话");
}

QString CompanyContact::ChatAddress() const {
    if (!HasChat()) return QString();
    return QStringLiteral("http://") + chatHost + QStringLiteral("/msgrd?v=3&uin=") +
           QString::number(qqNumber) + QStringLiteral("&site=qq&menu=yes");
}

QString CompanyContact::WebLinkTarget(const QString& web) {
    const qsizetype www = web.indexOf(QLatin1String("www."));
    return www < 0 ? web : web.mid(www);
}
