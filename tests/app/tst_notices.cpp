// Notices, standard boxes and confirmations: which window each takes, its text and where it goes.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "ControlIds.h"
#include "ScriptedPrompter.h"
#include "app/CCatalogueApp.h"
#include "app/CMsgBoxDlg.h"
#include "app/MessageBox.h"

namespace {
const QString kSeven = QStringLiteral("       ");

struct SeenNotice {
    bool found = false;
    QString title;
    QString text;
    QRect frame;
    int buttons = -1;
};

// Looks at the notice window while ShowNotice holds it on screen.
SeenNotice WatchNotice(const QString& text, int milliseconds) {
    SeenNotice seen;
    QTimer::singleShot(0, qApp, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dlg = qobject_cast<CMsgBoxDlg*>(w);
            if (!dlg || !dlg->isVisible()) continue;
            seen.found = true;
            seen.title = dlg->windowTitle();
            if (auto* label = dlg->findChild<QLabel*>(Ids::Notice::kText))
                seen.text = label->text();
            seen.frame = dlg->frameGeometry();
            seen.buttons = int(dlg->findChildren<QAbstractButton*>().size());
        }
    });
    CMsgBoxDlg::ShowNotice(text, milliseconds);
    return seen;
}

bool NearlyCentred(const QRect& inner, const QRect& outer) {
    const QPoint d = inner.center() - outer.center();
    return qAbs(d.x()) <= 2 && qAbs(d.y()) <= 2;
}

}  // namespace

class TestNotices : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { theApp.m_pMainWnd = nullptr; }
    void shortNoticesGetSevenSpaces_data();
    void shortNoticesGetSevenSpaces();
    void otherStylesAndConfirmations();
    void noticeIsCentredOnTheMainWindowOrTheScreen();
    void noticeLastsItsTimeAndGoes();
};

void TestNotices::shortNoticesGetSevenSpaces_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("padded");
    QTest::newRow("抱歉 22 bytes") << QStringLiteral("抱歉，连接数据库失败！") << true;
    QTest::newRow("25 bytes") << QStringLiteral("请选择产品分类和产品名a") << true;
    QTest::newRow("26 bytes") << QStringLiteral("请选择产品分类和产品名称AB") << false;
    QTest::newRow("ascii 25") << QString(25, QLatin1Char('a')) << true;
    QTest::newRow("x sign is two bytes")
        << QString(24, QLatin1Char('a')) + QStringLiteral("×") << false;
    QTest::newRow("empty") << QString() << true;
}

void TestNotices::shortNoticesGetSevenSpaces() {
    QFETCH(QString, text);
    QFETCH(bool, padded);
    ScriptedPrompter prompter;
    QCOMPARE(AfxMessageBox(text, MB_NOTICE), IDOK);
    QCOMPARE(prompter.Notices(), QStringList{padded ? kSeven + text : text});
}

void TestNotices::otherStylesAndConfirmations() {
    ScriptedPrompter prompter;
    prompter.boxAnswers << IDCANCEL << IDYES;
    QCOMPARE(AfxMessageBox(QStringLiteral("打不开链接"), MB_ICONEXCLAMATION), IDCANCEL);
    // Only exactly MB_NOTICE is a notice; combined with another flag it is a standard box.
    QCOMPARE(theApp.DoMessageBox(QStringLiteral("x"), MB_NOTICE | MB_YESNO), IDYES);
    QCOMPARE(prompter.Notices(), QStringList{});
    QCOMPARE(prompter.shown.size(), 2);
    QCOMPARE(prompter.shown[0].kind, QStringLiteral("box"));
    QCOMPARE(prompter.shown[0].caption, QStringLiteral("Vistrel"));
    QCOMPARE(prompter.shown[0].text, QStringLiteral("打不开链接"));  // without the padding
    QCOMPARE(prompter.shown[0].style, MB_ICONEXCLAMATION);

    prompter.confirmAnswers << true << false;
    QVERIFY(ConfirmYesNo(QStringLiteral("确认要删除吗?")));
    QVERIFY(!ConfirmYesNo(QStringLiteral("确认要修改吗?"), MB_ICONQUESTION));
    QVERIFY(!ConfirmYesNo(QStringLiteral("确认要删除吗?")));  // no answer queued: No
    QCOMPARE(prompter.shown[2].kind, QStringLiteral("confirm"));
    QCOMPARE(prompter.shown[2].caption, QStringLiteral("提示"));
    QCOMPARE(prompter.shown[3].style, MB_ICONQUESTION);
}

void TestNotices::noticeIsCentredOnTheMainWindowOrTheScreen() {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    SeenNotice seen = WatchNotice(QStringLiteral("       抱歉，连接数据库失败！"), 50);
    QVERIFY(seen.found);
    QCOMPARE(seen.title, QStringLiteral("提示信息"));
    QCOMPARE(seen.text, QStringLiteral("       抱歉，连接数据库失败！"));
    QCOMPARE(seen.buttons, 0);
    QVERIFY(NearlyCentred(seen.frame, screen));

    auto* main = new QWidget;
    main->setGeometry(30, 20, 460, 300);  // well away from the screen's centre
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main));
    theApp.m_pMainWnd = main;
    seen = WatchNotice(QStringLiteral("       修改成功"), 50);
    QVERIFY(NearlyCentred(seen.frame, main->frameGeometry()));
    QVERIFY(!NearlyCentred(seen.frame, screen));
    // Once the main window has gone, the guarded pointer lets go: the screen's middle again.
    delete main;
    QVERIFY(!theApp.m_pMainWnd);
    seen = WatchNotice(QStringLiteral("       删除成功"), 30);
    QVERIFY(NearlyCentred(seen.frame, screen));
}

void TestNotices::noticeLastsItsTimeAndGoes() {
    QElapsedTimer clock;
    clock.start();
    CMsgBoxDlg::ShowNotice(QStringLiteral("       下载完成"), 120);
    QVERIFY(clock.elapsed() >= 120);
    for (QWidget* w : QApplication::topLevelWidgets()) QVERIFY(!qobject_cast<CMsgBoxDlg*>(w));
    // White ground inside a frame of its own, visible even without a window manager.
    CMsgBoxDlg dlg;
    const QImage shot = dlg.grab().toImage();
    QCOMPARE(shot.pixelColor(0, shot.height() / 2), QColor(0x5b, 0x7a, 0x99));
    QCOMPARE(shot.pixelColor(3, 3), QColor(Qt::white));
}

QTEST_MAIN(TestNotices)
#include "tst_notices.moc"
