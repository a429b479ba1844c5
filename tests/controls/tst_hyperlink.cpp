#include <QEnterEvent>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

#include "ScriptedPrompter.h"
#include "app/MessageBox.h"
#include "controls/CHyperLink.h"
#include "controls/LinkTarget.h"

namespace {

const QString kFirstLine = QStringLiteral("Unable to open hyperlink:\n\n");

int CountKind(const ScriptedPrompter& p, const char* kind) {
    int n = 0;
    for (const auto& s : p.shown) n += s.kind == QLatin1String(kind);
    return n;
}

void Hover(CHyperLink& link, bool enter) {
    if (enter) {
        QEnterEvent event(QPointF(2, 2), QPointF(2, 2), link.mapToGlobal(QPointF(2, 2)));
        QCoreApplication::sendEvent(&link, &event);
    } else {
        QEvent event(QEvent::Leave);
        QCoreApplication::sendEvent(&link, &event);
    }
}

}  // namespace

class TestHyperLink : public QObject {
    Q_OBJECT

private slots:
    void opensOnlyWebAddresses_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("url");  // empty: refused
        QTest::newRow("http") << "http://www.example.com"
                              << "http://www.example.com";
        QTest::newRow("https with path") << "https://shop.example.cn/a/b?x=1#top"
                                         << "https://shop.example.cn/a/b?x=1#top";
        QTest::newRow("capital scheme") << "HTTPS://example.com"
                                        << "https://example.com";
        QTest::newRow("mailto") << "mailto:sales@example.com"
                                << "mailto:sales@example.com";
        QTest::newRow("www") << "www.example.com"
                             << "http://www.example.com";
        QTest::newRow("WWW with path") << "WWW.Example.com/cn/"
                                       << "http://www.example.com/cn/";
        QTest::newRow("blanks round it") << "  www.example.com \n"
                                         << "http://www.example.com";
        QTest::newRow("file") << "file:///etc/passwd"
                              << "";
        QTest::newRow("javascript") << "javascript:alert(1)"
                                    << "";
        QTest::newRow("relative path") << "docs/index.htm"
                                       << "";
        QTest::newRow("program") << "/usr/bin/xterm"
                                 << "";
        QTest::newRow("bare name") << "xterm"
                                   << "";
        QTest::newRow("windows program") << "C:\\Windows\\notepad.exe"
                                         << "";
        QTest::newRow("ftp") << "ftp://example.com/file"
                             << "";
        QTest::newRow("http without host") << "http://"
                                           << "";
        QTest::newRow("http path only") << "http:/etc/passwd"
                                        << "";
        QTest::newRow("mailto nobody") << "mailto:"
                                       << "";
        QTest::newRow("site without www") << "example.com"
                                          << "";
        QTest::newRow("data") << "data:text/html,<script>x</script>"
                              << "";
    }
    void opensOnlyWebAddresses() {
        QFETCH(QString, target);
        QFETCH(QString, url);
        const LinkTarget::Result r = LinkTarget::Resolve(target);
        QCOMPARE(r.ok, !url.isEmpty());
        if (r.ok) {
            QCOMPARE(r.url.toString(), url);
        } else {
            QCOMPARE(r.error, LinkTarget::kRefusedTarget);
        }

        // Through the label: a refused target never reaches the opener.
        ScriptedPrompter prompter;
        CHyperLink link(QStringLiteral("site"));
        link.SetLinkUrl(target);
        link.OpenTarget();
        QCOMPARE(CountKind(prompter, "url"), r.ok ? 1 : 0);
        QCOMPARE(link.GetVisited(), r.ok);
        QCOMPARE(prompter.beeps, r.ok ? 0 : 1);
        if (!r.ok) {
            QCOMPARE(prompter.shown.last().kind, QStringLiteral("box"));
            QCOMPARE(prompter.shown.last().text,
                     kFirstLine + "The operating system denied\naccess to the specified file.");
        }
    }

    void emptyTargetIsNotFound() {
        ScriptedPrompter prompter;
        CHyperLink link;
        for (const QString& t : {QString(), QStringLiteral("   ")}) {
            link.SetLinkUrl(t);
            link.OpenTarget();
            QCOMPARE(prompter.shown.last().text, kFirstLine + "The specified file was not found.");
        }
        QCOMPARE(CountKind(prompter, "url"), 0);
        QCOMPARE(prompter.beeps, 2);
    }

    void everyErrorText_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "The operating system is out\nof memory or resources.";
        QTest::newRow("2") << 2 << "The specified file was not found.";
        QTest::newRow("3") << 3 << "The specified path was not found.";
        QTest::newRow("5") << 5 << "The operating system denied\naccess to the specified file.";
        QTest::newRow("8") << 8 << "There was not enough memory to complete the operation.";
        QTest::newRow("11") << 11
                            << "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
        QTest::newRow("26") << 26 << "A sharing violation occurred. ";
        QTest::newRow("27") << 27 << "The filename association is\nincomplete or invalid.";
        QTest::newRow("28")
            << 28 << "The DDE transaction could not\nbe completed because the request timed out.";
        QTest::newRow("29") << 29 << "The DDE transaction failed.";
        QTest::newRow("30") << 30
                            << "The DDE transaction could not\nbe completed because other DDE "
                               "transactions\nwere being processed.";
        QTest::newRow("31")
            << 31 << "There is no application associated\nwith the given filename extension.";
        QTest::newRow("32") << 32 << "The specified dynamic-link library was not found.";
        QTest::newRow("1") << 1 << "Unknown Error (1) occurred.";
        QTest::newRow("12") << 12 << "Unknown Error (12) occurred.";
        QTest::newRow("negative") << -7 << "Unknown Error (-7) occurred.";
    }
    void everyErrorText() {
        QFETCH(int, code);
        QFETCH(QString, text);
        ScriptedPrompter prompter;
        prompter.urlResults.enqueue(code);
        CHyperLink link(QStringLiteral("企业网站"));
        link.SetLinkUrl(QStringLiteral("http://www.example.com"));
        QSignalSpy spy(&link, &CHyperLink::linkClicked);
        link.OpenTarget();
        QCOMPARE(prompter.shown.size(), 2);
        QCOMPARE(prompter.shown[0].kind, QStringLiteral("url"));
        QCOMPARE(prompter.shown[0].text, QStringLiteral("http://www.example.com"));
        QCOMPARE(prompter.shown[1].kind, QStringLiteral("box"));
        QCOMPARE(prompter.shown[1].text, kFirstLine + text);
        QCOMPARE(prompter.shown[1].style, 0x30u);
        QCOMPARE(prompter.beeps, 1);
        QVERIFY(!link.GetVisited());
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.last().at(0).toBool(), false);
    }

    void successMarksVisited() {
        ScriptedPrompter prompter;
        prompter.urlResults << 33 << 2 << 42;
        CHyperLink link(QStringLiteral("www.example.com"));
        link.SetLinkUrl(QStringLiteral("www.example.com"));
        QVERIFY(!link.GetVisited());
        link.OpenTarget();  // 33 is the smallest success
        QVERIFY(link.GetVisited());
        QCOMPARE(prompter.beeps, 0);
        QCOMPARE(CountKind(prompter, "box"), 0);
        QCOMPARE(prompter.shown.last().text, QStringLiteral("http://www.example.com"));
        // A later failure is reported but does not take back the earlier visit.
        link.OpenTarget();
        QCOMPARE(prompter.beeps, 1);
        QVERIFY(link.GetVisited());
        link.OpenTarget();
        QCOMPARE(prompter.beeps, 1);
        QCOMPARE(CountKind(prompter, "url"), 3);
    }

    void clickOpensOnlyWhenReleasedOver() {
        ScriptedPrompter prompter;
        QWidget parent;
        parent.resize(300, 100);
        CHyperLink link(QStringLiteral("www.example.com"), &parent);
        link.setGeometry(10, 10, 200, 30);
        link.SetLinkUrl(QStringLiteral("https://example.com"));
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));

        QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(CountKind(prompter, "url"), 1);
        QTest::mouseClick(&link, Qt::RightButton, {}, QPoint(3, 3));
        QTest::mouseClick(&link, Qt::MiddleButton, {}, QPoint(3, 3));
        QCOMPARE(CountKind(prompter, "url"), 1);
        // Pressed on the link, released beside it: no click.
        QTest::mousePress(&link, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseRelease(&link, Qt::LeftButton, {}, QPoint(link.width() + 20, 3));
        QCOMPARE(CountKind(prompter, "url"), 1);
        QVERIFY(link.GetVisited());
    }

    void tooltipFollowsTargetUntilSet() {
        CHyperLink link(QStringLiteral("企业网站"));
        QCOMPARE(link.toolTip(), QString());
        link.SetLinkUrl(QStringLiteral("www.a.com"));
        QCOMPARE(link.toolTip(), QStringLiteral("www.a.com"));
        link.SetLinkUrl(QStringLiteral("www.b.com"));
        QCOMPARE(link.toolTip(), QStringLiteral("www.b.com"));
        QCOMPARE(link.GetTooltipText(), QString());
        link.SetTooltipText(QStringLiteral("浏览企业网站"));
        QCOMPARE(link.toolTip(), QStringLiteral("浏览企业网站"));
        link.SetLinkUrl(QStringLiteral("www.c.com"));
        QCOMPARE(link.toolTip(), QStringLiteral("浏览企业网站"));
        QCOMPARE(link.GetLinkUrl(), QStringLiteral("www.c.com"));
        link.SetTooltipText(QString());
        QCOMPARE(link.toolTip(), QStringLiteral("www.c.com"));
        // Markup in a stored address is shown as written, never interpreted.
        link.SetLinkUrl(QStringLiteral("<b>www.d.com</b>"));
        QVERIFY(link.toolTip().contains(QStringLiteral("&lt;b&gt;")));
    }

    void cursorAndHover() {
        CHyperLink link(QStringLiteral("link"));
        const QCursor c = link.cursor();
        QCOMPARE(c.shape(), Qt::BitmapCursor);
        const QImage picture = c.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        QVERIFY(!picture.isNull());
        // The hot spot is on the fingertip: a visible pixel with nothing visible above it.
        const QPoint hot = c.hotSpot();
        QVERIFY(picture.rect().contains(hot));
        QVERIFY(qAlpha(picture.pixel(hot)) >= 128);
        for (int y = 0; y < hot.y(); ++y)
            for (int x = 0; x < picture.width(); ++x) QVERIFY(qAlpha(picture.pixel(x, y)) < 128);

        link.SetHandCursor(QCursor(Qt::IBeamCursor));
        QCOMPARE(link.cursor().shape(), Qt::IBeamCursor);
        link.SetHandCursor();
        QCOMPARE(link.cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(link.cursor().hotSpot(), hot);

        QVERIFY(!link.IsHovering());
        Hover(link, true);
        QVERIFY(link.IsHovering());
        Hover(link, false);
        QVERIFY(!link.IsHovering());
    }

    void showsTextAsWritten() {
        CHyperLink link;
        link.setText(QStringLiteral("<a href='file:///bin/sh'>http://www.example.com</a>"));
        QCOMPARE(link.textFormat(), Qt::PlainText);
        QCOMPARE(link.openExternalLinks(), false);
    }

    void fitsRoundItsText() {
        QWidget parent;
        parent.resize(400, 200);
        auto make = [&](Qt::Alignment align) {
            auto* link = new CHyperLink(QStringLiteral("www.example.com"), &parent);
            link->setAlignment(align);
            link->setGeometry(20, 20, 300, 60);
            link->SetLinkUrl(QStringLiteral("www.example.com"));
            return link;
        };
        CHyperLink* left = make(Qt::AlignLeft | Qt::AlignTop);
        const QSize hint = left->sizeHint();
        QVERIFY(hint.width() < 300 && hint.height() < 60);
        QCOMPARE(left->geometry(), QRect(20, 20, hint.width(), hint.height()));
        left->FitToClient();
        QCOMPARE(left->geometry(), QRect(20, 20, hint.width(), hint.height()));

        CHyperLink* right = make(Qt::AlignRight | Qt::AlignBottom);
        QCOMPARE(right->geometry().right(), 20 + 300 - 1);
        QCOMPARE(right->geometry().bottom(), 20 + 60 - 1);
        QCOMPARE(right->width(), hint.width());

        CHyperLink* centre = make(Qt::AlignCenter);
        QCOMPARE(centre->geometry().center().x(), QRect(20, 20, 300, 60).center().x());
        QCOMPARE(centre->geometry().center().y(), QRect(20, 20, 300, 60).center().y());

        // Never grows past the room it was given.
        CHyperLink* narrow = new CHyperLink(QStringLiteral("a very long company address"), &parent);
        narrow->setGeometry(20, 100, 40, 10);
        narrow->SetTooltipText(QStringLiteral("tip"));
        QCOMPARE(narrow->geometry(), QRect(20, 100, 40, 10));

        CHyperLink* fixed = make(Qt::AlignLeft);
        fixed->setGeometry(20, 20, 300, 60);
        fixed->SetAutoSize(false);
        fixed->SetLinkUrl(QStringLiteral("www.other.com"));
        QCOMPARE(fixed->geometry(), QRect(20, 20, 300, 60));
    }

    void gallery() {
        QWidget panel;
        panel.setAutoFillBackground(true);
        QPalette pal = panel.palette();
        pal.setColor(QPalette::Window, Qt::white);
        panel.setPalette(pal);
        panel.resize(320, 60);
        CHyperLink link(QStringLiteral("http://www.vistrel-example.com"), &panel);
        link.setGeometry(16, 10, 290, 40);
        link.SetTooltipText(QStringLiteral("浏览企业网站"));
        link.SetLinkUrl(QStringLiteral("www.vistrel-example.com"));
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        const QImage shot = panel.grab().toImage();
        // Some text is drawn inside the label.
        bool ink = false;
        for (int x = link.x(); x <= link.geometry().right() && !ink; ++x)
            for (int y = link.y(); y <= link.geometry().bottom() && !ink; ++y)
                ink = QColor(shot.pixel(x, y)).lightness() < 128;
        QVERIFY(ink);
        const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/gallery");
        QDir().mkpath(folder);
        QImage withCursor = shot;
        QPainter painter(&withCursor);
        painter.drawPixmap(link.geometry().center() - link.cursor().hotSpot(),
                           link.cursor().pixmap());
        painter.end();
        QVERIFY(withCursor.save(folder + QStringLiteral("/hyperlink.png")));
    }
};

QTEST_MAIN(TestHyperLink)
#include "tst_hyperlink.moc"
