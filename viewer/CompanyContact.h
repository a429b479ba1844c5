#pragma once

#include <QString>
#include <QUrl>

class CIniFile;

// The deployment values of the company shown by the main window: the name in the bottom band,
// the enterprise chat account and the chat host. They are optional keys of section [SysInfo]
// in config.ini; a missing or unusable value gives the default. A catalogue that names no company
// shows none: no name, and no chat link without an account number (0).
struct CompanyContact {
    static constexpr qint64 kNoQQ = 0;
    static constexpr const char* kDefaultChatHost = "wpa.qq.com";

    QString companyName;
    qint64 qqNumber = kNoQQ;
    QString chatHost = QString::fromLatin1(kDefaultChatHost);

    // Reads 企业名称, 企业QQ and 聊天服务器 of [SysInfo].
    static CompanyContact FromConfig(const CIniFile& config);
    // An enterprise chat number as typed: empty (the default is used) or digits only.
    static bool IsChatNumber(const QString& typed);
    // Writes the company name and chat number the editor typed; false when the file cannot be
    // written.
    static bool Save(CIniFile& config, const QString& name, const QString& qq);

    bool HasChat() const { return qqNumber != kNoQQ; }
    // The hint drawn in the bottom band: "点击与企业QQ(<number>)对话"; empty without a number.
    QString ChatHint() const;
    // "http://<host>/msgrd?v=3&uin=<number>&site=qq&menu=yes"; empty without a number.
    QString ChatAddress() const;

    // The address a company web-site text links to: from its first "www." to the end, or the
    // whole text when it holds no "www.".
    static QString WebLinkTarget(const QString& web);
};
