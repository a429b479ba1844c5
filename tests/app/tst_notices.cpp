#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "ScriptedPrompter.h"
#include "app/CCatalogueApp.h"
#include "app/CMsgBoxDlg.h"
#include "app/DialogUnits.h"
#include "app/GbkCodec.h"
#include "app/MessageBox.h"
#include "app/WidgetPrompter.h"

namespace {
const QString kSeven = QStringLiteral("       ");

struct SeenNotice {
    bool found = false;
    QString title;
    QString text;
    QRect frame;
    int buttons = -1;
    bool visible = false;
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
            if (auto* label = dlg->findChild<QLabel*>(QStringLiteral("1012")))
                seen.text = label->text();
            seen.frame = dlg->frameGeometry();
            seen.buttons = int(dlg->findChildren<QAbstractButton*>().size());
            seen.visible = true;
        }
    });
    CMsgBoxDlg::ShowNotice(text, milliseconds);
    return seen;
}

bool NearlyCentred(const QRect& inner, const QRect& outer) {
    const QPoint d = inner.center() - outer.center();
    return qAbs(d.x()) <= 2 && qAbs(d.y()) <= 2;
}

// Answers the next message box that opens by clicking the button with `text`, or by Escape.
void AnswerNextBox(const QString& buttonText, QString* caption, QString* body,
                   QMessageBox::Icon* icon, QStringList* buttons) {
    QTimer::singleShot(0, qApp, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible()) box = b;
        }
        if (!box) return;
        *caption = box->windowTitle();
        *body = box->text();
        *icon = box->icon();
        for (QAbstractButton* b : box->buttons()) *buttons << b->text();
        if (buttonText.isEmpty()) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        for (QAbstractButton* b : box->buttons())
            if (b->text() == buttonText) {
                b->click();
                return;
            }
        box->done(0);
    });
}
}  // namespace

class TestNotices : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { theApp.m_pMainWnd = nullptr; }
    void shortNoticesGetSevenSpaces_data();
    void shortNoticesGetSevenSpaces();
    void otherStylesGoToTheStandardBox();
    void confirmationsAskWithCaptionTishi();
    void noticeWindowTemplate();
    void noticeBeforeMainWindowIsCentredOnScreen();
    void noticeCentredOnMainWindow();
    void noticeAfterMainWindowHasGone();
    void noticeLastsItsTimeAndGoes();
    void widgetPrompterStandardBoxes();
    void widgetPrompterConfirm();
};

void TestNotices::shortNoticesGetSevenSpaces_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("padded");
    QTest::newRow("增加成功 8 bytes") << QStringLiteral("增加成功") << true;
    QTest::newRow("抱歉 22 bytes") << QStringLiteral("抱歉，连接数据库失败！") << true;
    QTest::newRow("25 bytes") << QStringLiteral("请选择产品分类和产品名a") << true;
    QTest::newRow("26 bytes") << QStringLiteral("请选择产品分类和产品名称AB") << false;
    QTest::newRow("请选择产品分类和产品名称 24 bytes")
        << QStringLiteral("请选择产品分类和产品名称") << true;
    QTest::newRow("13 chinese 26 bytes") << QStringLiteral("一二三四五六七八九十一二三") << false;
    QTest::newRow("ascii 25") << QString(25, QLatin1Char('a')) << true;
    QTest::newRow("ascii 26") << QString(26, QLatin1Char('a')) << false;
    QTest::newRow("empty") << QString() << true;
}

void TestNotices::shortNoticesGetSevenSpaces() {
    QFETCH(QString, text);
    QFETCH(bool, padded);
    QCOMPARE(GbkCodec::ByteLength(text) < 26, padded);
    ScriptedPrompter prompter;
    QCOMPARE(AfxMessageBox(text, MB_NOTICE), IDOK);
    QCOMPARE(prompter.shown.size(), 1);
    QCOMPARE(prompter.shown[0].kind, QStringLiteral("notice"));
    QCOMPARE(prompter.shown[0].text, padded ? kSeven + text : text);
    QCOMPARE(CCatalogueApp::NoticeText(text), padded ? kSeven + text : text);
}

void TestNotices::otherStylesGoToTheStandardBox() {
    ScriptedPrompter prompter;
    prompter.boxAnswers << IDOK << IDCANCEL << IDYES;
    QCOMPARE(AfxMessageBox(QStringLiteral("打不开链接"), MB_OK), IDOK);
    QCOMPARE(AfxMessageBox(QStringLiteral("打不开链接"), MB_ICONEXCLAMATION), IDCANCEL);
    // Only exactly MB_NOTICE is a notice; combined with another flag it is a standard box.
    QCOMPARE(theApp.DoMessageBox(QStringLiteral("x"), MB_NOTICE | MB_YESNO), IDYES);
    QCOMPARE(prompter.Notices(), QStringList{});
    QCOMPARE(prompter.shown.size(), 3);
    for (const auto& s : prompter.shown) {
        QCOMPARE(s.kind, QStringLiteral("box"));
        QCOMPARE(s.caption, QStringLiteral("Vistrel"));
    }
    // The text goes unchanged, without the notice padding.
    QCOMPARE(prompter.shown[0].text, QStringLiteral("打不开链接"));
    QCOMPARE(prompter.shown[0].style, MB_OK);
    QCOMPARE(prompter.shown[1].style, MB_ICONEXCLAMATION);
    QCOMPARE(prompter.shown[2].style, MB_NOTICE | MB_YESNO);
}

void TestNotices::confirmationsAskWithCaptionTishi() {
    ScriptedPrompter prompter;
    prompter.confirmAnswers << true << false;
    QVERIFY(ConfirmYesNo(QStringLiteral("确认要删除吗?")));
    QVERIFY(!ConfirmYesNo(QStringLiteral("确认要修改吗?"), true));
    QVERIFY(!ConfirmYesNo(QStringLiteral("确认要删除吗?")));  // no answer queued: No
    QCOMPARE(prompter.shown.size(), 3);
    for (const auto& s : prompter.shown) {
        QCOMPARE(s.kind, QStringLiteral("confirm"));
        QCOMPARE(s.caption, QStringLiteral("提示"));
    }
    QCOMPARE(prompter.shown[0].text, QStringLiteral("确认要删除吗?"));
    QCOMPARE(prompter.shown[0].style, 0u);
    QCOMPARE(prompter.shown[1].style, MB_ICONQUESTION);
}

void TestNotices::noticeWindowTemplate() {
    CMsgBoxDlg dlg;
    QCOMPARE(dlg.objectName(), QStringLiteral("151"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("提示信息"));
    QVERIFY(dlg.findChildren<QAbstractButton*>().isEmpty());
    // A caption bar without system menu or close button.
    QVERIFY(dlg.windowFlags() & Qt::WindowTitleHint);
    QVERIFY(!(dlg.windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!(dlg.windowFlags() & Qt::WindowSystemMenuHint));
    const DialogUnits du(dlg.font());
    QCOMPARE(dlg.size(), du.Size(201, 82));
    auto* text = dlg.findChild<QLabel*>(QStringLiteral("1012"));
    QVERIFY(text);
    QCOMPARE(text->geometry(), du.Rect(46, 14, 143, 42));
    dlg.SetText(QStringLiteral("       增加成功"));
    QCOMPARE(dlg.Text(), QStringLiteral("       增加成功"));
    QCOMPARE(text->text(), QStringLiteral("       增加成功"));
    // The icon is there and drawn.
    bool icon = false;
    for (QLabel* l : dlg.findChildren<QLabel*>())
        if (l != text && !l->pixmap().isNull()) icon = true;
    QVERIFY(icon);
    // White ground inside a frame of its own, visible even without a window manager.
    const QImage shot = dlg.grab().toImage();
    QCOMPARE(shot.pixelColor(0, shot.height() / 2), QColor(0x5b, 0x7a, 0x99));
    QCOMPARE(shot.pixelColor(shot.width() - 1, 0), QColor(0x5b, 0x7a, 0x99));
    QCOMPARE(shot.pixelColor(3, 3), QColor(Qt::white));
    shot.save(QDir(QCoreApplication::applicationDirPath()).filePath("notice.png"));
}

void TestNotices::noticeBeforeMainWindowIsCentredOnScreen() {
    theApp.m_pMainWnd = nullptr;
    const SeenNotice seen = WatchNotice(QStringLiteral("       抱歉，连接数据库失败！"), 50);
    QVERIFY(seen.found);
    QCOMPARE(seen.title, QStringLiteral("提示信息"));
    QCOMPARE(seen.text, QStringLiteral("       抱歉，连接数据库失败！"));
    QCOMPARE(seen.buttons, 0);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY2(NearlyCentred(seen.frame, screen), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                               .arg(seen.frame.x())
                                                               .arg(seen.frame.y())
                                                               .arg(seen.frame.width())
                                                               .arg(seen.frame.height())));
}

void TestNotices::noticeCentredOnMainWindow() {
    QWidget main;
    main.setGeometry(30, 20, 460, 300);  // well away from the screen's centre
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    theApp.m_pMainWnd = &main;
    const SeenNotice seen = WatchNotice(QStringLiteral("       修改成功"), 50);
    QVERIFY(seen.found);
    QVERIFY(NearlyCentred(seen.frame, main.frameGeometry()));
    QVERIFY(!NearlyCentred(seen.frame, QGuiApplication::primaryScreen()->availableGeometry()));
}

void TestNotices::noticeAfterMainWindowHasGone() {
    {
        auto* main = new QWidget;
        main->setGeometry(30, 20, 460, 300);
        main->show();
        theApp.m_pMainWnd = main;
        delete main;
    }
    // The guarded pointer let go; the notice goes to the middle of the screen.
    QVERIFY(!theApp.m_pMainWnd);
    const SeenNotice seen = WatchNotice(QStringLiteral("       删除成功"), 30);
    QVERIFY(seen.found);
    QVERIFY(NearlyCentred(seen.frame, QGuiApplication::primaryScreen()->availableGeometry()));
}

void TestNotices::noticeLastsItsTimeAndGoes() {
    QElapsedTimer clock;
    clock.start();
    CMsgBoxDlg::ShowNotice(QStringLiteral("       下载完成"), 120);
    QVERIFY(clock.elapsed() >= 120);
    for (QWidget* w : QApplication::topLevelWidgets()) QVERIFY(!qobject_cast<CMsgBoxDlg*>(w));
}

void TestNotices::widgetPrompterStandardBoxes() {
    WidgetPrompter prompter;
    QString caption, body;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    AnswerNextBox(QString(), &caption, &body, &icon, &buttons);
    QCOMPARE(prompter.MessageBox(QStringLiteral("打不开链接"), QStringLiteral("Vistrel"),
                                 MB_ICONEXCLAMATION),
             IDOK);
    QCOMPARE(caption, QStringLiteral("Vistrel"));
    QCOMPARE(body, QStringLiteral("打不开链接"));
    QCOMPARE(icon, QMessageBox::Warning);
    QCOMPARE(buttons.size(), 1);

    buttons.clear();
    AnswerNextBox(QString(), &caption, &body, &icon, &buttons);
    QCOMPARE(prompter.MessageBox(QStringLiteral("继续?"), QStringLiteral("Vistrel"),
                                 MB_OKCANCEL | MB_ICONQUESTION),
             IDCANCEL);
    QCOMPARE(icon, QMessageBox::Question);
    QCOMPARE(buttons.size(), 2);
}

void TestNotices::widgetPrompterConfirm() {
    WidgetPrompter prompter;
    QString caption, body;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    AnswerNextBox(QStringLiteral("是(&Y)"), &caption, &body, &icon, &buttons);
    QVERIFY(prompter.Confirm(QStringLiteral("确认要删除吗?"), QStringLiteral("提示"), false));
    QCOMPARE(caption, QStringLiteral("提示"));
    QCOMPARE(body, QStringLiteral("确认要删除吗?"));
    QCOMPARE(icon, QMessageBox::NoIcon);
    QCOMPARE(buttons, (QStringList{QStringLiteral("是(&Y)"), QStringLiteral("否(&N)")}));

    AnswerNextBox(QStringLiteral("否(&N)"), &caption, &body, &icon, &buttons);
    QVERIFY(!prompter.Confirm(QStringLiteral("确认要修改吗?"), QStringLiteral("提示"), true));
    QCOMPARE(icon, QMessageBox::Question);
    // Escape answers No.
    AnswerNextBox(QString(), &caption, &body, &icon, &buttons);
    QVERIFY(!prompter.Confirm(QStringLiteral("确认要删除吗?"), QStringLiteral("提示"), false));
}

QTEST_MAIN(TestNotices)
#include "tst_notices.moc"
