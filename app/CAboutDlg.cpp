#include "app/CAboutDlg.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "app/DialogUnits.h"

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("100"));
    setWindowTitle(QStringLiteral("关于 Vistrel"));
    setFont(QFont(QStringLiteral("宋体"), 9));
    const DialogUnits du(font());
    setFixedSize(du.Size(235, 65));

    auto* icon = new QLabel(this);
    icon->setGeometry(du.Rect(11, 17, 21, 21));
    icon->setPixmap(QIcon(QStringLiteral(":/icons/app.png")).pixmap(icon->size()));

    auto* name = new QLabel(QStringLiteral("Vistrel 1.0 版"), this);
    name->setGeometry(du.Rect(40, 10, 119, 8));
    auto* notice = new QLabel(QStringLiteral("产品目录的浏览、编辑与发布"), this);
    notice->setGeometry(du.Rect(40, 25, 119, 8));
    auto* contact = new QLabel(QStringLiteral("技术支持：目录管理员"), this);
    contact->setGeometry(du.Rect(40, 40, 119, 8));

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setGeometry(du.Rect(178, 7, 50, 14));
    ok->setDefault(true);
    ok->setAutoDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
