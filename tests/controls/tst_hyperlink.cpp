#include <QSignalSpy>
#include <QtTest>

#include "ScriptedPrompter.h"
#include "controls/CHyperLink.h"
#include "controls/LinkTarget.h"

namespace {

const QString kFirstLine = QStringLiteral("Unable to open hyperlink:\n\n");

int CountKind(const ScriptedPrompter& p, const char* kind) {
    int n = 0;
    for (const auto& s : p.shown) n += s.kind == QLatin1String(kind);
    return n;
}

}  // namespace

class TestHyperLink : public QObject {
    Q_OBJECT

private slots:
    // Only web and mail addresses reach the opener; anything that could start a program or read
    // a local file is refused with a beep and the "denied" text.
    void opensOnlyWebAddresses_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("url");  // empty: refused
        QTest::newRow("https with path") << "https://shop.example.cn/a/b?x=1#top"
                                         << "https://shop.example.cn/a/b?x=1#top";
        QTest::newRow("capital scheme") << "HTTPS://example.com"
                                        << "https://example.com";
        QTest::newRow("mailto") << "mailto:sales@example.com"
                                << "mailto:sales@example.com";
        QTest::newRow("WWW with blanks") << "  WWW.Example.com/cn/ \n"
                                         << "http://www.example.com/cn/";
        QTest::newRow("file") << "file:///etc/passwd"
                              << "";
        QTest::newRow("javascript") << "javascript:alert(1)"
                                    << "";
        QTest::newRow("program") << "/usr/bin/xterm"
                                 << "";
        QTest::newRow("scheme merely starting with http") << "httpx://example.com"
                                                          << "";
        QTest::newRow("http without host") << "http:/etc/passwd"
                                           << "";
        QTest::newRow("mailto nobody") << "mailto:"
                                       << "";
        QTest::newRow("site without www") << "example.com"
                                          << "";
    }
    void opensOnlyWebAddresses() {
        QFETCH(QString, target);
        QFETCH(QString, url);
        const LinkTarget::Result r = LinkTarget::Resolve(target);
        QCOMPARE(r.ok, !url.isEmpty());
        if (r.ok) QCOMPARE(r.url.toString(), url);

        ScriptedPrompter prompter;
        CHyperLink link(QStringLiteral("site"));
        link.SetLinkUrl(target);
        link.OpenTarget();
        QCOMPARE(CountKind(prompter, "url"), r.ok ? 1 : 0);
        QCOMPARE(link.GetVisited(), r.ok);
        QCOMPARE(prompter.beeps, r.ok ? 0 : 1);
        if (!r.ok)
            QCOMPARE(prompter.shown.last().text,
                     kFirstLine + "The operating system denied\naccess to the specified file.");
    }

    // What the opener answers: 33 and above is success; 32 and below a failure with its text.
    void openerResult_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");  // empty: opened
        QTest::newRow("33 opens") << 33 << "";
        QTest::newRow("0") << 0 << "The operating system is out\nof memory or resources.";
        QTest::newRow("32") << 32 << "The specified dynamic-link library was not found.";
        QTest::newRow("unknown") << 12 << "Unknown Error (12) occurred.";
        QTest::newRow("negative") << -7 << "Unknown Error (-7) occurred.";
    }
    void openerResult() {
        QFETCH(int, code);
        QFETCH(QString, text);
        ScriptedPrompter prompter;
        prompter.urlResults << code << 2;
        CHyperLink link(QStringLiteral("企业网站"));
        link.SetLinkUrl(QStringLiteral("www.example.com"));
        QSignalSpy spy(&link, &CHyperLink::linkClicked);
        link.OpenTarget();
        QCOMPARE(prompter.shown[0].text, QStringLiteral("http://www.example.com"));
        QCOMPARE(link.GetVisited(), text.isEmpty());
        QCOMPARE(spy.last().at(0).toBool(), text.isEmpty());
        QCOMPARE(prompter.beeps, text.isEmpty() ? 0 : 1);
        if (!text.isEmpty()) {
            QCOMPARE(prompter.shown.size(), 2);
            QCOMPARE(prompter.shown[1].text, kFirstLine + text);
            QCOMPARE(prompter.shown[1].style, 0x30u);
        }
        // A later failure is reported but never takes back an earlier visit.
        link.OpenTarget();
        QCOMPARE(link.GetVisited(), text.isEmpty());
        // An empty target is "not found" and never reaches the opener.
        link.SetLinkUrl(QStringLiteral("   "));
        link.OpenTarget();
        QCOMPARE(prompter.shown.last().text, kFirstLine + "The specified file was not found.");
        QCOMPARE(CountKind(prompter, "url"), 2);
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
        QTest::mouseClick(&link, Qt::RightButton, {}, QPoint(3, 3));
        QTest::mousePress(&link, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseRelease(&link, Qt::LeftButton, {}, QPoint(link.width() + 20, 3));
        QCOMPARE(CountKind(prompter, "url"), 1);
    }

    void textAndTooltipAreNeverMarkup() {
        CHyperLink link;
        link.setText(QStringLiteral("<a href='file:///bin/sh'>http://www.example.com</a>"));
        QCOMPARE(link.textFormat(), Qt::PlainText);
        QCOMPARE(link.openExternalLinks(), false);
        link.SetLinkUrl(QStringLiteral("<b>www.d.com</b>"));
        QVERIFY(link.toolTip().contains(QStringLiteral("&lt;b&gt;")));
        // The tooltip shows the target until a text of its own is set.
        link.SetTooltipText(QStringLiteral("浏览企业网站"));
        link.SetLinkUrl(QStringLiteral("www.c.com"));
        QCOMPARE(link.toolTip(), QStringLiteral("浏览企业网站"));
        link.SetTooltipText(QString());
        QCOMPARE(link.toolTip(), QStringLiteral("www.c.com"));
    }

    // The label shrinks round its text inside the room it was given, keeping its alignment.
    void fitsRoundItsText() {
        QWidget parent;
        auto make = [&](Qt::Alignment align) {
            auto* link = new CHyperLink(QStringLiteral("www.example.com"), &parent);
            link->setAlignment(align);
            link->setGeometry(20, 20, 300, 60);
            link->SetLinkUrl(QStringLiteral("www.example.com"));
            return link;
        };
        const QSize hint = make(Qt::AlignLeft | Qt::AlignTop)->sizeHint();
        QVERIFY(hint.width() < 300 && hint.height() < 60);
        QCOMPARE(make(Qt::AlignLeft | Qt::AlignTop)->geometry(), QRect(QPoint(20, 20), hint));
        const QRect right = make(Qt::AlignRight | Qt::AlignBottom)->geometry();
        QCOMPARE(right.bottomRight(), QPoint(319, 79));
        QCOMPARE(right.size(), hint);
        QCOMPARE(make(Qt::AlignCenter)->geometry().center(), QRect(20, 20, 300, 60).center());
        CHyperLink* narrow = new CHyperLink(QStringLiteral("a very long company address"), &parent);
        narrow->setGeometry(20, 100, 40, 10);
        narrow->SetTooltipText(QStringLiteral("tip"));
        QCOMPARE(narrow->geometry(), QRect(20, 100, 40, 10));
    }
};

QTEST_MAIN(TestHyperLink)
#include "tst_hyperlink.moc"
