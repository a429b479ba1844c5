#include "viewer/CompanyContact.h"

#include <algorithm>

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

bool CompanyContact::IsChatNumber(const QString& typed) {
    const QString t = typed.trimmed();
    if (t.isEmpty()) return true;
    bool ok = false;
    return t.size() <= 15 && t.toLongLong(&ok) > 0 && ok &&
           std::all_of(t.begin(), t.end(), [](QChar c) { return c.isDigit(); });
}

bool CompanyContact::Save(CIniFile& config, const QString& name, const QString& qq) {
    const QString section = QStringLiteral("SysInfo");
    return config.WriteString(section, QStringLiteral("企业名称"), name.trimmed()) &&
           config.WriteString(section, QStringLiteral("企业QQ"), qq.trimmed());
}
