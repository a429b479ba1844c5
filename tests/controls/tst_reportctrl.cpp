// Report list: the rules a column sorts by, and what a sort keeps, shows and ignores.
#include <QHeaderView>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>
#include <algorithm>

#include "controls/CReportCtrl.h"
#include "controls/ReportSort.h"

namespace {

QStringList Sorted(const QStringList& texts, bool ascending = true,
                   const QLocale& locale = QLocale::c()) {
    QStringList out;
    for (int i : ReportSort(locale).Order(texts, ascending)) out << texts[i];
    return out;
}

bool IsPermutation(QList<int> order, int n) {
    std::sort(order.begin(), order.end());
    for (int i = 0; i < order.size(); ++i)
        if (order[i] != i) return false;
    return order.size() == n;
}

QStringList Column(const CReportCtrl& list, int column) {
    QStringList out;
    for (int r = 0; r < list.GetItemCount(); ++r) out << list.GetItemText(r, column);
    return out;
}

// A list laid out like the model download page: download icon, file name, note, number.
void FillLikeDownloadPage(CReportCtrl& list) {
    list.SetImageList({QIcon(QStringLiteral(":/icons/download.png"))}, QSize(24, 24));
    list.InsertColumn(0, QStringLiteral("下载"), LVCFMT_CENTER, 70);
    list.InsertColumn(1, QStringLiteral("   文件名   "), LVCFMT_CENTER, 200);
    list.InsertColumn(2, QStringLiteral("备注"), LVCFMT_CENTER, 140);
    list.InsertColumn(3, QStringLiteral("NO."), LVCFMT_CENTER, 60);
    const QStringList names{QStringLiteral("阀体.step"), QStringLiteral("alpha.igs"),
                            QStringLiteral("北京支架.stp"), QStringLiteral("Zeta.x_t")};
    const QStringList notes{QStringLiteral("天津"), QStringLiteral("上海"), QStringLiteral("北京"),
                            QString()};
    for (int r = 0; r < names.size(); ++r) {
        list.InsertItem(r, QString());
        list.SetItemImage(r, 0, 0);
        list.SetItemText(r, 1, names[r]);
        list.SetItemText(r, 2, notes[r]);
        list.SetItemText(r, 3, QString::number(r + 1));
    }
}

void ClickHeader(CReportCtrl& list, int logical) {
    const QHeaderView* header = list.GetHeaderCtrl();
    const QPoint at(header->sectionViewportPosition(logical) + header->sectionSize(logical) / 2,
                    header->height() / 2);
    QTest::mouseClick(list.GetHeaderCtrl()->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace

class TestReportCtrl : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Q_INIT_RESOURCE(vistrel); }

    void sortRules_data() {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("hex first") << QStringList{"10", "A", "9"} << QStringList{"9", "A", "10"};
        QTest::newRow("hex prefix") << QStringList{"0x1F", "20", "0X10", "cafe", "dab"}
                                    << QStringList{"0X10", "0x1F", "20", "dab", "cafe"};
        QTest::newRow("decimal and percent") << QStringList{"2", "1.5", "10%", "9.5%", "100%"}
                                             << QStringList{"1.5", "2", "9.5%", "10%", "100%"};
        QTest::newRow("negative below positive")
            << QStringList{"3", "-5", "-10", "0"} << QStringList{"-10", "-5", "0", "3"};
        QTest::newRow("past 32 bits by value")
            << QStringList{"13900139000", "4294967296", "13800138000", "2"}
            << QStringList{"2", "4294967296", "13800138000", "13900139000"};
        QTest::newRow("pinyin") << QStringList{"天津", "上海", "北京"}
                                << QStringList{"北京", "上海", "天津"};
        QTest::newRow("bytes") << QStringList{"apple", "Zoo", "中国", "Apple"}
                               << QStringList{"Apple", "Zoo", "apple", "中国"};
        QTest::newRow("empty first")
            << QStringList{"b", "", "0", "", "阿"} << QStringList{"", "", "0", "b", "阿"};
        // × and ° are GBK symbols (A1C1, A1E3): before Chinese text, not by their Latin-1 codes.
        QTest::newRow("gbk symbols")
            << QStringList{"中", "°C", "×2"} << QStringList{"×2", "°C", "中"};
        QTest::newRow("iso dates")
            << QStringList{"2024/5/2", "2024-05-01 23:59", "2024-05-01", "2023-12-31T08:00"}
            << QStringList{"2023-12-31T08:00", "2024-05-01", "2024-05-01 23:59", "2024/5/2"};
        QTest::newRow("chinese dates") << QStringList{"2024年5月10日", "2024年5月9日"}
                                       << QStringList{"2024年5月9日", "2024年5月10日"};
        QTest::newRow("impossible dates are text")
            << QStringList{"2024-13-01", "2024-02-30"} << QStringList{"2024-02-30", "2024-13-01"};
    }
    void sortRules() {
        QFETCH(QStringList, texts);
        QFETCH(QStringList, expected);
        QCOMPARE(Sorted(texts), expected);
    }

    void readings_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("hex");     // -1: not hex
        QTest::addColumn<double>("number");  // -99: not a number
        QTest::newRow("max") << "FFFFFFFF" << qint64(0xFFFFFFFF) << -99.0;
        QTest::newRow("past 32 bits") << "100000000" << qint64(-1) << 1e8;
        QTest::newRow("minus") << "-1" << qint64(-1) << -1.0;
        QTest::newRow("exponent") << "1e3" << qint64(0x1e3) << 1000.0;
        QTest::newRow("two percent signs") << "10%%" << qint64(-1) << -99.0;
        QTest::newRow("nan") << "nan" << qint64(-1) << -99.0;
        QTest::newRow("full-width digits") << QStringLiteral("１２") << qint64(-1) << -99.0;
    }
    void readings() {
        QFETCH(QString, text);
        QFETCH(qint64, hex);
        QFETCH(double, number);
        quint32 h = 12345;
        QCOMPARE(ReportSort::ParseHex(text, &h), hex >= 0);
        if (hex >= 0) QCOMPARE(qint64(h), hex);
        double d = -99;
        QCOMPARE(ReportSort::ParseNumber(text, &d), number != -99.0);
        QCOMPARE(d, number);
    }

    void descendingAndTies() {
        QCOMPARE(Sorted({"9", "A", "10"}, false), QStringList({"10", "A", "9"}));
        // Equal cells keep their rows' order in both directions.
        const QStringList texts{"b", "a", "b", "a", "b"};
        QCOMPARE(ReportSort().Order(texts, true), QList<int>({1, 3, 0, 2, 4}));
        QCOMPARE(ReportSort().Order(texts, false), QList<int>({0, 2, 4, 1, 3}));
    }

    void inconsistentComparisonsStayInRange() {
        // B < 10 (hex), 10 < 11.5 (decimal), 11.5 < B (text): a cycle. The sort must still
        // return every row exactly once.
        QRandomGenerator rng(7);
        const QStringList pool{"B",  "11.5", "10",       "",  "2024-1-1", "9",   "10%",
                               "ff", "-3",   "2024/1/2", "x", "北京",     "0x10"};
        for (int round = 0; round < 20; ++round) {
            QStringList mixed;
            const int n = round == 0 ? 1500 : int(rng.bounded(1, 400));
            for (int i = 0; i < n; ++i)
                mixed << pool[round == 0 ? i % 5 : int(rng.bounded(int(pool.size())))];
            QVERIFY(IsPermutation(ReportSort().Order(mixed, round % 2 == 0), n));
        }
        QCOMPARE(Sorted({}), QStringList());
    }

    // --- the control ---
    void headerClicksSortAndSignal() {
        CReportCtrl list;
        list.resize(600, 300);
        FillLikeDownloadPage(list);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QSignalSpy spy(&list, &CReportCtrl::sorted);
        ClickHeader(list, 2);
        QCOMPARE(Column(list, 2), QStringList({"", "北京", "上海", "天津"}));
        ClickHeader(list, 2);
        QCOMPARE(Column(list, 2), QStringList({"天津", "上海", "北京", ""}));
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.last(), (QVariantList{2, false}));
        ClickHeader(list, 1);
        QCOMPARE(spy.last(), (QVariantList{1, true}));
        QCOMPARE(list.GetHeaderCtrl()->sortIndicatorSection(), 1);

        // A changed row makes the old order meaningless: the next click sorts ascending again.
        list.SetItemText(0, 2, QStringLiteral("x"));
        QCOMPARE(list.GetSortColumn(), -1);
        QVERIFY(!list.GetHeaderCtrl()->isSortIndicatorShown());
        ClickHeader(list, 1);
        QCOMPARE(spy.last(), (QVariantList{1, true}));

        // No sort without a clickable header.
        list.GetHeaderCtrl()->setSectionsClickable(false);
        list.SortItems(3, false);
        list.SortItems(7, true);
        QCOMPARE(spy.count(), 4);
    }

    void rowsKeepEverythingThroughSort() {
        CReportCtrl list;
        list.SetImageList({QIcon(QStringLiteral(":/icons/download.png")),
                           QIcon(QStringLiteral(":/icons/link.png"))});
        list.SetExtendedStyle(LVS_EX_CHECKBOXES);
        list.InsertColumn(0, "a");
        list.InsertColumn(1, "b");
        const QStringList keys{"30", "10", "20", "40"};
        for (int r = 0; r < keys.size(); ++r) {
            list.InsertItem(r, keys[r]);
            list.SetItemText(r, 1, QStringLiteral("row%1").arg(keys[r]));
            list.SetItemImage(r, 1, r % 2);
            list.SetItemData(r, 1000u + quint32(keys[r].toInt()));
            list.SetItemBkColor(r, 1, QColor(keys[r].toInt(), 0, 0));
            list.SetItemTextColor(r, 0, QColor(0, keys[r].toInt(), 0));
            list.SetCheck(r, keys[r] == "30");
        }
        list.SetItemSelected(0, true);  // "30"
        list.SetItemSelected(3, true);  // "40"
        list.SetFocusedItem(1);         // "10"

        list.SortItems(0, true);
        QCOMPARE(Column(list, 0), QStringList({"10", "20", "30", "40"}));
        for (int r = 0; r < 4; ++r) {
            const int key = list.GetItemText(r, 0).toInt();
            QCOMPARE(list.GetItemText(r, 1), QStringLiteral("row%1").arg(key));
            QCOMPARE(list.GetItemData(r), 1000u + quint32(key));
            QCOMPARE(list.GetItemBkColor(r, 1), QColor(key, 0, 0));
            QCOMPARE(list.GetItemTextColor(r, 0), QColor(0, key, 0));
            QCOMPARE(list.GetItemImage(r, 1), keys.indexOf(QString::number(key)) % 2);
            QCOMPARE(list.GetCheck(r), key == 30);
        }
        QCOMPARE(list.GetSelectedItems(), QList<int>({2, 3}));
        QCOMPARE(list.GetFocusedItem(), 0);
        list.SortItems(0, false);
        QCOMPARE(list.GetSelectedItems(), QList<int>({0, 1}));
        QCOMPARE(list.GetFocusedItem(), 3);
    }

    void columnOrderAndCellClicks() {
        CReportCtrl list;
        list.resize(600, 300);
        FillLikeDownloadPage(list);
        QVERIFY(!list.SetColumnOrderArray({0, 0, 1, 2}));
        QVERIFY(!list.SetColumnOrderArray({0, 1, 2}));
        QVERIFY(list.SetColumnOrderArray({3, 1, 2, 0}));
        QCOMPARE(list.GetColumnOrderArray(), QList<int>({3, 1, 2, 0}));
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        // The download column, now shown last, still reports itself as column 0.
        QSignalSpy clicks(&list, &QTableWidget::cellClicked);
        const QRect cell = list.visualItemRect(list.item(2, 0));
        QVERIFY(cell.left() > list.visualItemRect(list.item(2, 3)).left());
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(clicks.last(), (QVariantList{2, 0}));
        QVERIFY(list.IsItemSelected(2));
        // Space would toggle the focused row's selection; the list ignores it.
        list.setFocus();
        list.SetFocusedItem(0);
        QTest::keyClick(&list, Qt::Key_Space);
        QCOMPARE(list.GetSelectedItems(), QList<int>({2}));
    }
};

QTEST_MAIN(TestReportCtrl)
#include "tst_reportctrl.moc"
