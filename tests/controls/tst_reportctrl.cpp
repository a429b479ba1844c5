#include <QHeaderView>
#include <QImage>
#include <QRandomGenerator>
#include <QSet>
#include <QSignalSpy>
#include <QToolTip>
#include <QtTest>
#include <algorithm>

#include "controls/CReportCtrl.h"
#include "controls/ReportSort.h"

namespace {

QStringList Sorted(const QStringList& texts, bool ascending = true,
                   const QLocale& locale = QLocale::c()) {
    const QList<int> order = ReportSort(locale).Order(texts, ascending);
    QStringList out;
    for (int i : order) out << texts[i];
    return out;
}

bool IsPermutation(QList<int> order, int n) {
    if (order.size() != n) return false;
    std::sort(order.begin(), order.end());
    for (int i = 0; i < n; ++i)
        if (order[i] != i) return false;
    return true;
}

QStringList Column(const CReportCtrl& list, int column) {
    QStringList out;
    for (int r = 0; r < list.GetItemCount(); ++r) out << list.GetItemText(r, column);
    return out;
}

// A list laid out like the model download page: download icon, file name, note, number.
void FillLikeDownloadPage(CReportCtrl& list) {
    QIcon download(QStringLiteral(":/icons/download.png"));
    list.SetImageList({download}, QSize(24, 24));
    list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_GRIDLINES);
    list.InsertColumn(0, QStringLiteral("下载"), LVCFMT_CENTER, 70);
    list.InsertColumn(1, QStringLiteral("   文件名   "), LVCFMT_CENTER, 200);
    list.InsertColumn(2, QStringLiteral("备注"), LVCFMT_CENTER, 140);
    list.InsertColumn(3, QStringLiteral("NO."), LVCFMT_CENTER, 60);
    const QStringList names{QStringLiteral("阀体.step"), QStringLiteral("alpha.igs"),
                            QStringLiteral("北京支架.stp"), QStringLiteral("Zeta.x_t")};
    const QStringList notes{QStringLiteral("天津"), QStringLiteral("上海"), QStringLiteral("北京"),
                            QStringLiteral("")};
    for (int r = 0; r < names.size(); ++r) {
        list.InsertItem(r, QString());
        list.SetItemImage(r, 0, 0);
        list.SetItemText(r, 1, names[r]);
        list.SetItemText(r, 2, notes[r]);
        list.SetItemText(r, 3, QString::number(r + 1));
    }
}

QPoint HeaderPoint(const CReportCtrl& list, int logical) {
    const QHeaderView* header = list.GetHeaderCtrl();
    return QPoint(header->sectionViewportPosition(logical) + header->sectionSize(logical) / 2,
                  header->height() / 2);
}

void ClickHeader(CReportCtrl& list, int logical) {
    QTest::mouseClick(list.GetHeaderCtrl()->viewport(), Qt::LeftButton, {},
                      HeaderPoint(list, logical));
}

}  // namespace

class TestReportCtrl : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        Q_INIT_RESOURCE(vistrel);
        QVERIFY(QFile::exists(QStringLiteral(":/icons/download.png")));
    }

    // --- the comparison rules ---
    void hexRuleComesFirst() {
        QCOMPARE(Sorted({"10", "A", "9"}), QStringList({"9", "A", "10"}));
        QCOMPARE(Sorted({"cafe", "dab"}), QStringList({"dab", "cafe"}));
        QCOMPARE(Sorted({"0x1F", "20", "0X10"}), QStringList({"0X10", "0x1F", "20"}));
    }

    void hexReadings_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isHex");
        QTest::addColumn<quint32>("value");
        QTest::newRow("digits") << "10" << true << 16u;
        QTest::newRow("letters") << "ff" << true << 255u;
        QTest::newRow("prefix") << "0x1F" << true << 31u;
        QTest::newRow("leading blanks") << " \t A" << true << 10u;
        QTest::newRow("plus") << "+a" << true << 10u;
        QTest::newRow("max") << "FFFFFFFF" << true << 0xFFFFFFFFu;
        QTest::newRow("past 32 bits") << "100000000" << false << 0u;
        QTest::newRow("minus") << "-1" << false << 0u;
        QTest::newRow("bare prefix") << "0x" << false << 0u;
        QTest::newRow("trailing blank") << "1 " << false << 0u;
        QTest::newRow("empty") << "" << false << 0u;
        QTest::newRow("not hex") << "1g" << false << 0u;
        QTest::newRow("chinese") << QStringLiteral("十") << false << 0u;
    }
    void hexReadings() {
        QFETCH(QString, text);
        QFETCH(bool, isHex);
        QFETCH(quint32, value);
        quint32 v = 12345;
        QCOMPARE(ReportSort::ParseHex(text, &v), isHex);
        if (isHex) QCOMPARE(v, value);
    }

    void decimalRule() {
        QCOMPARE(Sorted({"2", "1.5", "10%"}), QStringList({"1.5", "2", "10%"}));
        QCOMPARE(Sorted({"10%", "9.5%", "100%"}), QStringList({"9.5%", "10%", "100%"}));
        // Negative numbers sort below the positive ones instead of wrapping round.
        QCOMPARE(Sorted({"3", "-5", "-10", "0"}), QStringList({"-10", "-5", "0", "3"}));
        // Numbers too long for 32 bits still compare by value, not as equals.
        QCOMPARE(Sorted({"13900139000", "4294967296", "13800138000"}),
                 QStringList({"4294967296", "13800138000", "13900139000"}));
    }

    void decimalReadings_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<double>("value");
        QTest::newRow("fraction") << "1.5" << true << 1.5;
        QTest::newRow("percent") << "10%" << true << 10.0;
        QTest::newRow("exponent") << "1e3" << true << 1000.0;
        QTest::newRow("blank in front") << " 2.5" << true << 2.5;
        QTest::newRow("negative") << "-3" << true << -3.0;
        QTest::newRow("two percent signs") << "10%%" << false << 0.0;
        QTest::newRow("percent alone") << "%" << false << 0.0;
        QTest::newRow("blank before percent") << "2 %" << false << 0.0;
        QTest::newRow("comma") << "1,5" << false << 0.0;
        QTest::newRow("nan") << "nan" << false << 0.0;
        QTest::newRow("word") << "abc" << false << 0.0;
        QTest::newRow("full-width digits") << QStringLiteral("１２") << false << 0.0;
    }
    void decimalReadings() {
        QFETCH(QString, text);
        QFETCH(bool, isNumber);
        QFETCH(double, value);
        double v = -99;
        QCOMPARE(ReportSort::ParseNumber(text, &v), isNumber);
        if (isNumber) QCOMPARE(v, value);
    }

    void textRule() {
        QCOMPARE(
            Sorted({QStringLiteral("天津"), QStringLiteral("上海"), QStringLiteral("北京")}),
            QStringList({QStringLiteral("北京"), QStringLiteral("上海"), QStringLiteral("天津")}));
        // Byte order: capitals before small letters, ASCII before Chinese.
        QCOMPARE(Sorted({"apple", "Zoo", QStringLiteral("中国"), "Apple"}),
                 QStringList({"Apple", "Zoo", "apple", QStringLiteral("中国")}));
        // Empty cells are never numbers or dates and come first.
        QCOMPARE(Sorted({"b", "", "0", "", QStringLiteral("阿")}),
                 QStringList({"", "", "0", "b", QStringLiteral("阿")}));
        QVERIFY(ReportSort().CompareTexts(QStringLiteral("x"), QStringLiteral("x")) == 0);
    }

    void isoDates() {
        QCOMPARE(Sorted({"2024/5/2", "2024-05-01 23:59", "2024-05-01", "2023-12-31T08:00"}),
                 QStringList({"2023-12-31T08:00", "2024-05-01", "2024-05-01 23:59", "2024/5/2"}));
        QCOMPARE(Sorted({"2024/5/1 10:00", "2024/5/1 9:30:15", "2024/5/1 9:30"}),
                 QStringList({"2024/5/1 9:30", "2024/5/1 9:30:15", "2024/5/1 10:00"}));
        QCOMPARE(Sorted({QStringLiteral("2024年5月10日"), QStringLiteral("2024年5月9日")}),
                 QStringList({QStringLiteral("2024年5月9日"), QStringLiteral("2024年5月10日")}));
        QCOMPARE(Sorted({"10:00", "9:05"}), QStringList({"9:05", "10:00"}));
        // Impossible dates are not dates: they fall through to text order.
        qint64 ms = 0;
        QVERIFY(!ReportSort().ParseDateTime(QStringLiteral("2024-02-30"), &ms));
        QVERIFY(!ReportSort().ParseDateTime(QStringLiteral("2024-13-01"), &ms));
        QVERIFY(!ReportSort().ParseDateTime(QStringLiteral("2024-05/01"), &ms));
        QVERIFY(!ReportSort().ParseDateTime(QStringLiteral("25:00"), &ms));
        QCOMPARE(Sorted({"2024-13-01", "2024-02-30"}), QStringList({"2024-02-30", "2024-13-01"}));
    }

    void localeDates() {
        // In text order "1/15/24" would come first; as dates December 2023 does.
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        QCOMPARE(Sorted({"1/15/24", "12/1/23"}, true, us), QStringList({"12/1/23", "1/15/24"}));
        const QLocale de(QLocale::German, QLocale::Germany);
        QCOMPARE(Sorted({"01.02.24", "02.01.24", "31.12.29", "01.01.30"}, true, de),
                 QStringList({"01.01.30", "02.01.24", "01.02.24", "31.12.29"}));
        const QLocale cn(QLocale::Chinese, QLocale::China);
        qint64 a = 0, b = 0;
        const ReportSort sort(cn);
        QVERIFY(sort.ParseDateTime(cn.toString(QDate(2024, 5, 1), QLocale::ShortFormat), &a));
        QVERIFY(sort.ParseDateTime(cn.toString(QDate(2023, 11, 9), QLocale::ShortFormat), &b));
        QVERIFY(b < a);
        QVERIFY(us.dateFormat(QLocale::ShortFormat) != cn.dateFormat(QLocale::ShortFormat));

        // Long forms with month and day names count too.
        const QString may6 = us.toString(QDate(2024, 5, 6), QLocale::LongFormat);
        const QString apr30 = us.toString(QDate(2024, 4, 30), QLocale::LongFormat);
        QVERIFY(may6 < apr30);  // text order would be wrong
        QCOMPARE(Sorted({may6, apr30}, true, us), QStringList({apr30, may6}));
        const QString oct1 = cn.toString(QDate(2024, 10, 1), QLocale::LongFormat);
        const QString sep1 = cn.toString(QDate(2024, 9, 1), QLocale::LongFormat);
        QCOMPARE(Sorted({oct1, sep1}, true, cn), QStringList({sep1, oct1}));
        qint64 morning = 0, evening = 0;
        QVERIFY(sort.ParseDateTime(oct1 + " " + cn.toString(QTime(9, 0), QLocale::ShortFormat),
                                   &morning));
        QVERIFY(sort.ParseDateTime(oct1 + " " + cn.toString(QTime(20, 0), QLocale::ShortFormat),
                                   &evening));
        QCOMPARE(evening - morning, qint64(11) * 3600 * 1000);
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
        QStringList texts;
        for (int i = 0; i < 300; ++i)
            texts << "B"
                  << "11.5"
                  << "10"
                  << ""
                  << "2024-1-1";
        QVERIFY(IsPermutation(ReportSort().Order(texts, true), int(texts.size())));
        QVERIFY(IsPermutation(ReportSort().Order(texts, false), int(texts.size())));

        QRandomGenerator rng(7);
        const QStringList pool{"A",    "9",        "1.5",   "10%", "ff",
                               "-3",   "2024/1/2", "x",     "",    QStringLiteral("北京"),
                               "0x10", "1e2",      "12:00", "cafe"};
        for (int round = 0; round < 20; ++round) {
            QStringList mixed;
            const int n = int(rng.bounded(1, 400));
            for (int i = 0; i < n; ++i) mixed << pool[int(rng.bounded(int(pool.size())))];
            QVERIFY(IsPermutation(ReportSort().Order(mixed, round % 2 == 0), n));
        }
    }

    void consistentColumnsComeOutSorted() {
        QRandomGenerator rng(11);
        QStringList numbers;
        for (int i = 0; i < 2000; ++i) numbers << QString::number(rng.bounded(100000));
        const QStringList sorted = Sorted(numbers);
        for (int i = 1; i < sorted.size(); ++i) QVERIFY(sorted[i - 1].toInt() <= sorted[i].toInt());
        QCOMPARE(Sorted({}), QStringList());
        QCOMPARE(Sorted({"only"}), QStringList({"only"}));
    }

    // --- the control ---
    void headerClicksSortAndSignal() {
        CReportCtrl list;
        list.resize(600, 300);
        FillLikeDownloadPage(list);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QSignalSpy spy(&list, &CReportCtrl::sorted);
        QCOMPARE(list.GetSortColumn(), -1);

        ClickHeader(list, 2);
        QCOMPARE(Column(list, 2), QStringList({"", QStringLiteral("北京"), QStringLiteral("上海"),
                                               QStringLiteral("天津")}));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.last().at(0).toInt(), 2);
        QCOMPARE(spy.last().at(1).toBool(), true);

        ClickHeader(list, 2);
        QCOMPARE(Column(list, 2), QStringList({QStringLiteral("天津"), QStringLiteral("上海"),
                                               QStringLiteral("北京"), ""}));
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.last().at(1).toBool(), false);
        QVERIFY(!list.IsSortAscending());

        ClickHeader(list, 1);
        QCOMPARE(spy.last().at(0).toInt(), 1);
        QCOMPARE(spy.last().at(1).toBool(), true);
        QCOMPARE(Column(list, 1).first(), QStringLiteral("Zeta.x_t"));
        QCOMPARE(list.GetHeaderCtrl()->sortIndicatorSection(), 1);
        QCOMPARE(list.GetHeaderCtrl()->sortIndicatorOrder(), Qt::AscendingOrder);

        // A new row makes the old order meaningless: the next click sorts ascending again.
        list.InsertItem(list.GetItemCount(), QString());
        QCOMPARE(list.GetSortColumn(), -1);
        QVERIFY(!list.GetHeaderCtrl()->isSortIndicatorShown());
        ClickHeader(list, 1);
        QCOMPARE(spy.last().at(1).toBool(), true);
        ClickHeader(list, 1);
        QCOMPARE(spy.last().at(1).toBool(), false);
        list.SetItemText(0, 2, QStringLiteral("x"));
        QCOMPARE(list.GetSortColumn(), -1);
        QVERIFY(list.IsSortAscending());
        ClickHeader(list, 1);
        QCOMPARE(spy.last().at(1).toBool(), true);
    }

    void rowsKeepEverythingThroughSort() {
        CReportCtrl list;
        list.SetImageList({QIcon(QStringLiteral(":/icons/download.png")),
                           QIcon(QStringLiteral(":/icons/link.png"))});
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
            QCOMPARE(list.item(r, 1)->icon().isNull(), false);
        }
        QCOMPARE(list.GetSelectedItems(), QList<int>({2, 3}));
        QCOMPARE(list.GetFocusedItem(), 0);

        list.SortItems(0, false);
        QCOMPARE(Column(list, 0), QStringList({"40", "30", "20", "10"}));
        QCOMPARE(list.GetSelectedItems(), QList<int>({0, 1}));
        QCOMPARE(list.GetFocusedItem(), 3);
        QCOMPARE(list.GetItemData(0), 1040u);
    }

    void sortIsRefusedWithoutButtonHeader() {
        CReportCtrl list;
        list.InsertColumn(0, "a");
        for (const char* t : {"b", "a", "c"}) list.InsertItem(list.GetItemCount(), t);
        QSignalSpy spy(&list, &CReportCtrl::sorted);

        list.SortItems(1, true);
        list.SortItems(-1, true);
        list.GetHeaderCtrl()->hide();
        list.SortItems(0, true);
        list.GetHeaderCtrl()->show();
        list.GetHeaderCtrl()->setSectionsClickable(false);
        list.SortItems(0, true);
        QCOMPARE(spy.count(), 0);
        QCOMPARE(list.GetSortColumn(), -1);
        QCOMPARE(Column(list, 0), QStringList({"b", "a", "c"}));

        list.GetHeaderCtrl()->setSectionsClickable(true);
        list.SortItems(0, true);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(Column(list, 0), QStringList({"a", "b", "c"}));
    }

    void columnsAndRows() {
        CReportCtrl list;
        QCOMPARE(list.InsertColumn(0, "first", LVCFMT_LEFT, 50), 0);
        QCOMPARE(list.InsertColumn(5, "last", LVCFMT_RIGHT, 60), 1);  // clamped to the end
        QCOMPARE(list.InsertItem(10, "r0"), 0);
        QCOMPARE(list.InsertItem(0, "r1"), 0);
        QCOMPARE(Column(list, 0), QStringList({"r1", "r0"}));
        QCOMPARE(list.GetItemData(0), 0u);
        const QColor text = list.palette().color(QPalette::Text);
        const QColor base = list.palette().color(QPalette::Base);
        QCOMPARE(list.GetItemTextColor(1, 1), text);
        QCOMPARE(list.GetItemBkColor(1, 1), base);
        QCOMPARE(list.GetItemImage(1, 1), -1);
        QVERIFY(list.item(1, 1)->textAlignment() & Qt::AlignRight);

        // A column inserted between others brings its own colour pair to every row; the
        // colours already set move with their column.
        list.SetItemBkColor(0, 1, Qt::yellow);
        list.SortItems(1, true);
        QCOMPARE(list.InsertColumn(1, "middle", LVCFMT_CENTER, 40), 1);
        QCOMPARE(list.GetColumnCount(), 3);
        QCOMPARE(list.GetSortColumn(), 2);
        QCOMPARE(list.GetItemBkColor(0, 2), QColor(Qt::yellow));
        QCOMPARE(list.GetItemBkColor(0, 1), base);
        QCOMPARE(list.GetItemTextColor(1, 1), text);
        QVERIFY(list.item(0, 1)->textAlignment() & Qt::AlignHCenter);

        QVERIFY(!list.SetItemText(5, 0, "x"));
        QVERIFY(!list.SetItemText(0, 3, "x"));
        QVERIFY(!list.SetItemImage(0, -1, 0));
        QVERIFY(!list.SetItemData(2, 1));
        QCOMPARE(list.GetItemText(9, 9), QString());

        QVERIFY(list.DeleteItem(0));
        QVERIFY(!list.DeleteItem(4));
        QCOMPARE(Column(list, 0), QStringList({"r0"}));
        list.DeleteAllItems();
        QCOMPARE(list.GetItemCount(), 0);
        QCOMPARE(list.GetColumnCount(), 3);
        QVERIFY(list.updatesEnabled());
    }

    void extendedStyleAndImages() {
        CReportCtrl list;
        list.SetExtendedStyle(LVS_EX_GRIDLINES);
        QCOMPARE(list.GetExtendedStyle(),
                 LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES);
        QVERIFY(list.showGrid());
        list.SetExtendedStyle(0);
        QVERIFY(!list.showGrid());
        QCOMPARE(list.GetExtendedStyle(), LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES);
        QCOMPARE(list.selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(list.editTriggers(), QAbstractItemView::NoEditTriggers);

        list.InsertColumn(0, "a");
        list.InsertItem(0, "x");
        // An image index set before the image list exists shows once the list arrives.
        list.SetItemImage(0, 0, 0);
        QVERIFY(list.item(0, 0)->icon().isNull());
        list.SetImageList({QIcon(QStringLiteral(":/icons/download.png"))}, QSize(24, 24));
        QVERIFY(!list.item(0, 0)->icon().isNull());
        QCOMPARE(list.iconSize(), QSize(24, 24));
        QVERIFY(list.rowHeight(0) >= 28);
        list.SetItemImage(0, 0, 5);  // out of range: no picture, but the index is kept
        QVERIFY(list.item(0, 0)->icon().isNull());
        QCOMPARE(list.GetItemImage(0, 0), 5);
        list.SetItemImage(0, 0, -1);
        QCOMPARE(list.GetItemImage(0, 0), -1);
    }

    void columnOrderAndCellClicks() {
        CReportCtrl list;
        list.resize(600, 300);
        FillLikeDownloadPage(list);
        QList<int> order = list.GetColumnOrderArray();
        QCOMPARE(order, QList<int>({0, 1, 2, 3}));
        std::swap(order.first(), order.last());
        QVERIFY(list.SetColumnOrderArray(order));
        QCOMPARE(list.GetColumnOrderArray(), QList<int>({3, 1, 2, 0}));
        QCOMPARE(list.GetHeaderCtrl()->logicalIndex(0), 3);
        QVERIFY(!list.SetColumnOrderArray({0, 0, 1, 2}));
        QVERIFY(!list.SetColumnOrderArray({0, 1, 2}));
        QCOMPARE(list.GetColumnOrderArray(), QList<int>({3, 1, 2, 0}));

        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        // The download column, now shown last, still reports itself as column 0.
        QSignalSpy clicks(&list, &QTableWidget::cellClicked);
        const QRect cell = list.visualItemRect(list.item(2, 0));
        QVERIFY(cell.left() > list.visualItemRect(list.item(2, 3)).left());
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(clicks.last().at(0).toInt(), 2);
        QCOMPARE(clicks.last().at(1).toInt(), 0);
        QVERIFY(list.IsItemSelected(2));

        // The header section shown first is "NO." and sorts that column.
        QSignalSpy spy(&list, &CReportCtrl::sorted);
        QTest::mouseClick(list.GetHeaderCtrl()->viewport(), Qt::LeftButton, {},
                          QPoint(list.GetHeaderCtrl()->sectionSize(3) / 2, 5));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.last().at(0).toInt(), 3);
        QCOMPARE(Column(list, 3), QStringList({"1", "2", "3", "4"}));
    }

    void spaceKeyIsIgnored() {
        CReportCtrl list;
        list.resize(300, 200);
        list.InsertColumn(0, "a", LVCFMT_LEFT, 100);
        for (const char* t : {"a", "b", "c"}) list.InsertItem(list.GetItemCount(), t);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.setFocus();
        list.SetItemSelected(0, true);
        list.SetFocusedItem(2);
        QTest::keyClick(&list, Qt::Key_Space);
        QCOMPARE(list.GetSelectedItems(), QList<int>({0}));
        QTest::keyClick(&list, Qt::Key_Up);
        QCOMPARE(list.GetFocusedItem(), 1);
    }

    void checkBoxClickSelectsThatRow() {
        CReportCtrl list;
        list.resize(300, 200);
        list.InsertColumn(0, "a", LVCFMT_LEFT, 150);
        for (const char* t : {"a", "b", "c"}) list.InsertItem(list.GetItemCount(), t);
        QVERIFY(!list.SetCheck(0, true));  // no check boxes yet
        list.SetExtendedStyle(LVS_EX_CHECKBOXES);
        QVERIFY(list.SetCheck(0, true));
        QVERIFY(list.GetCheck(0));
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.SetItemSelected(0, true);
        QSignalSpy spy(&list, &CReportCtrl::checkClicked);
        // Find the check box by clicking along the left of row 2.
        const QRect cell = list.visualItemRect(list.item(2, 0));
        for (int x = cell.left() + 1; x < cell.left() + 40 && !list.GetCheck(2); ++x)
            QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(x, cell.center().y()));
        QVERIFY(list.GetCheck(2));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.last().at(0).toInt(), 2);
        QCOMPARE(list.GetSelectedItems(), QList<int>({2}));
        QCOMPARE(list.GetFocusedItem(), 2);
        // Check marks travel with their rows.
        list.SortItems(0, false);
        QCOMPARE(Column(list, 0), QStringList({"c", "b", "a"}));
        QVERIFY(list.GetCheck(0) && !list.GetCheck(1) && list.GetCheck(2));
    }

    // A note longer than its column is drawn cut short; hovering the cell shows it whole.
    void cutShortTextIsShownWholeInATooltip() {
        CReportCtrl list;
        list.resize(560, 220);
        FillLikeDownloadPage(list);
        const QString longNote = QStringLiteral("STEP AP214 通用格式，适用于各类三维软件");
        list.SetItemText(1, 2, longNote);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const auto hover = [&](int row, int column) {
            const QPoint at = list.visualItemRect(list.item(row, column)).center();
            QHelpEvent help(QEvent::ToolTip, at, list.viewport()->mapToGlobal(at));
            QApplication::sendEvent(list.viewport(), &help);
        };

        // Texts that fit get no tooltip.
        hover(0, 2);
        hover(0, 1);
        QTest::qWait(20);
        QVERIFY(!QToolTip::isVisible());

        hover(1, 2);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), longNote);
        QToolTip::hideText();
    }

    void drawsCellColoursAndCentredIcon() {
        CReportCtrl list;
        list.resize(560, 220);
        FillLikeDownloadPage(list);
        list.SetItemBkColor(1, 2, QColor(255, 230, 150));
        list.SetItemTextColor(1, 1, QColor(200, 0, 0));
        list.SetItemBkColor(3, 3, QColor(190, 220, 255));
        list.SetItemTextColor(3, 2, QColor(0, 120, 0));
        QList<int> order = list.GetColumnOrderArray();
        std::swap(order.first(), order.last());
        list.SetColumnOrderArray(order);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        ClickHeader(list, 1);
        list.SetItemSelected(list.GetItemCount() - 1, true);
        list.clearFocus();

        const QImage shot = list.viewport()->grab().toImage();
        const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/gallery");
        QDir().mkpath(folder);
        QVERIFY(list.grab().save(folder + QStringLiteral("/reportctrl.png")));
        // Find the row that now holds the yellow cell and probe its right edge (no text there).
        int yellowRow = -1;
        for (int r = 0; r < list.GetItemCount(); ++r)
            if (list.GetItemBkColor(r, 2) == QColor(255, 230, 150)) yellowRow = r;
        QVERIFY(yellowRow >= 0);
        QVERIFY(!list.IsItemSelected(yellowRow));
        const QRect yellow = list.visualItemRect(list.item(yellowRow, 2));
        QCOMPARE(QColor(shot.pixel(yellow.right() - 4, yellow.center().y())),
                 QColor(255, 230, 150));

        // The download icon sits in the middle of its cell, not at its left edge: count the
        // inked pixels in the middle band and in the left band of the (unselected) cell.
        const QRect icon = list.visualItemRect(list.item(0, 0));
        QVERIFY(!list.IsItemSelected(0));
        const QColor ground = list.GetItemBkColor(0, 0);
        auto inked = [&](int x0, int x1) {
            int n = 0;
            for (int x = x0; x <= x1; ++x)
                for (int y = icon.top() + 2; y < icon.bottom() - 1; ++y)
                    n += QColor(shot.pixel(x, y)) != ground;
            return n;
        };
        QVERIFY(inked(icon.center().x() - 4, icon.center().x() + 4) > 10);
        QCOMPARE(inked(icon.left() + 2, icon.left() + 12), 0);
    }
};

QTEST_MAIN(TestReportCtrl)
#include "tst_reportctrl.moc"
