#include <QAccessible>
#include <QDir>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <memory>
#include <numeric>

#include "TestFiles.h"
#include "app/CCatalogueApp.h"
#include "controls/CThumbListCtrl.h"
#include "controls/PictureLoader.h"
#include "controls/ThumbnailCache.h"
#include "controls/ThumbnailRenderer.h"

using Kind = ThumbnailRenderer::Kind;

namespace {

bool IsRed(QRgb c) {
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}
bool IsWhite(QRgb c) {
    return qRed(c) == 255 && qGreen(c) == 255 && qBlue(c) == 255;
}
// The light-grey frame over white: alpha 200 of C0 on FF gives about CE.
bool IsFrame(QRgb c) {
    return qRed(c) >= 200 && qRed(c) <= 210 && qGreen(c) == qRed(c) && qBlue(c) == qRed(c);
}

// Smallest rectangle holding every pixel of `image` inside `area` that satisfies `pick`.
template <typename Pick>
QRect BoundingBox(const QImage& image, const QRect& area, Pick pick) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (pick(image.pixel(x, y))) box |= QRect(x, y, 1, 1);
    return box;
}

// The part of a cell above the caption, which the name line does not touch.
QImage AboveCaption(const QImage& image, const QRect& icon) {
    return image.copy(QRect(icon.topLeft(), QSize(icon.width(), icon.height() - 20)));
}

QImage GrabViewport(CThumbListCtrl& list) {
    return list.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

class TestThumbList : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_mode = 1;  // the owner's thumbnail mode the lists follow

    QString Path(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

    QString WriteSolid(const QString& name, int w, int h, const QColor& colour) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = Path(name);
        if (!image.save(path)) qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    std::unique_ptr<CThumbListCtrl> NewList(int width = 640, int height = 480) {
        auto list = std::make_unique<CThumbListCtrl>(m_mode, nullptr);
        list->setFrameShape(QFrame::NoFrame);
        list->resize(width, height);
        list->SetThumbWidth(140);
        list->SetThumbHeight(140);
        list->InitThumbList();
        list->show();
        if (!QTest::qWaitForWindowExposed(list.get())) qWarning("window not exposed");
        return list;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        CCatalogueApp::RegisterFontSubstitutions();
    }
    void init() { m_mode = 1; }

    void acceptedExtensions() {
        for (const char* yes : {"/a/photo.JPG", "/a/photo.jpeg", "/a/scan.TIFF", "x.Gif", "x.bmp"})
            QVERIFY2(PictureLoader::IsAcceptedPicture(QString::fromUtf8(yes)), yes);
        for (const char* no :
             {"/a/notes.txt", "/a/photojpg", "/a/photo.xjpg", "/a/b.jpg/photo", ""})
            QVERIFY2(!PictureLoader::IsAcceptedPicture(QString::fromUtf8(no)), no);
    }

    void fitting_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QRect>("thumbnail");   // where AddThumbnail draws
        QTest::addColumn<QRect>("picture_at");  // where ShowPicture draws
        QTest::newRow("wide") << QSize(1000, 500) << QSize(140, 140) << QRect(10, 50, 120, 60)
                              << QRect(0, 65, 140, 70);
        QTest::newRow("tall") << QSize(500, 1000) << QSize(140, 140) << QRect(45, 15, 50, 130)
                              << QRect(35, 30, 70, 140);
        QTest::newRow("small") << QSize(100, 80) << QSize(140, 140) << QRect(30, 45, 80, 70)
                               << QRect(20, 60, 100, 80);
        QTest::newRow("square in wide box") << QSize(400, 400) << QSize(200, 100)
                                            << QRect(60, 15, 80, 90) << QRect(50, 30, 100, 100);
        // Too small for the inset: nothing drawn rather than a mirrored picture.
        QTest::newRow("tiny") << QSize(15, 8) << QSize(140, 140) << QRect() << QRect(62, 96, 15, 8);
        QTest::newRow("empty") << QSize(0, 0) << QSize(140, 140) << QRect() << QRect();
    }
    void fitting() {
        QFETCH(QSize, picture);
        QFETCH(QSize, box);
        QFETCH(QRect, thumbnail);
        QFETCH(QRect, picture_at);
        QCOMPARE(ThumbnailRenderer::DrawRect(picture, box.width(), box.height(), Kind::Thumbnail),
                 thumbnail);
        QCOMPARE(ThumbnailRenderer::DrawRect(picture, box.width(), box.height(), Kind::Picture),
                 picture_at);
    }

    // A product cell on the screen: the ground and frame while loading, then the picture in its
    // rectangle and white elsewhere inside the frame; mode 2 draws no frame.
    void cellOnTheScreen_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("framed") << 1;
        QTest::newRow("mode 2: no frame") << 2;
    }
    void cellOnTheScreen() {
        QFETCH(int, mode);
        m_mode = mode;
        const QString path = WriteSolid(QStringLiteral("red.png"), 1000, 500, Qt::red);
        auto list = NewList();
        list->AddThumbnail(path, 0, QStringLiteral("红色@R-1"));
        QVERIFY(!list->IsThumbnailReady(0));
        const QImage early = list->ItemImage(0);
        QCOMPARE(AboveCaption(GrabViewport(*list), list->IconRect(0)),
                 AboveCaption(early, early.rect()));
        QVERIFY(list->WaitForThumbnails(20000));
        const QImage screen = GrabViewport(*list);
        const QRect icon = list->IconRect(0);
        QCOMPARE(icon.size(), QSize(140, 175));
        const QRect picture = QRect(10, 50, 120, 60).translated(icon.topLeft());
        for (const QImage& img : {early, screen.copy(icon)}) {
            int frame = 0;
            for (int x = 0; x < 140; ++x)
                frame += IsFrame(img.pixel(x, 10)) + IsFrame(img.pixel(x, 149));
            for (int y = 11; y < 149; ++y)
                frame += IsFrame(img.pixel(0, y)) + IsFrame(img.pixel(139, y));
            QCOMPARE(frame, mode == 2 ? 0 : 140 * 2 + 138 * 2);
            QCOMPARE(BoundingBox(img, QRect(0, 0, 140, 10), [](QRgb c) { return !IsWhite(c); }),
                     QRect());
        }
        for (int y = icon.top() + 11; y < icon.top() + 149; ++y)
            for (int x = icon.left() + 1; x < icon.left() + 139; ++x)
                if (picture.contains(x, y) ? !IsRed(screen.pixel(x, y))
                                           : !IsWhite(screen.pixel(x, y)))
                    QFAIL(qPrintable(QStringLiteral("unexpected pixel at %1,%2").arg(x).arg(y)));
        // The name line sits under the frame and is drawn.
        QVERIFY(list->NameBand(0).top() > icon.top() + 149);
        QVERIFY(
            BoundingBox(screen, list->NameBand(0), [](QRgb c) { return qGray(c) < 90; }).isValid());
    }

    // Missing, damaged and hostile files: a white framed cell, quickly, never a huge allocation.
    void badFilesGiveBlankCells() {
        QByteArray bmp(54, '\0');  // a header claiming 20000 x 20000 pixels, then nothing
        bmp[0] = 'B';
        bmp[1] = 'M';
        qToLittleEndian<quint32>(54, bmp.data() + 10);
        qToLittleEndian<quint32>(40, bmp.data() + 14);
        qToLittleEndian<qint32>(20000, bmp.data() + 18);
        qToLittleEndian<qint32>(20000, bmp.data() + 22);
        qToLittleEndian<quint16>(1, bmp.data() + 26);
        qToLittleEndian<quint16>(24, bmp.data() + 28);
        const QList<QByteArray> contents = {
            QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(500, 0x7f), "this is not a picture",
            bmp};
        const QStringList names = {"corrupt.png", "text.jpg", "huge.bmp"};
        QElapsedTimer t;
        t.start();
        auto list = NewList();
        list->AddThumbnail(Path("does-not-exist.jpg"), 0, QStringLiteral("缺失@M-1"));
        for (int i = 0; i < names.size(); ++i) {
            QVERIFY(TestFiles::WriteFile(Path(names[i]), contents[i]));
            list->AddThumbnail(Path(names[i]), i + 1, names[i]);
        }
        // A path that names no picture we read, or nothing, keeps its item too.
        list->AddThumbnail(Path("notes.txt"), 4, QStringLiteral("文本@T-2"));
        list->AddThumbnail(QString(), 5, QStringLiteral("无图@N-1"));
        QCOMPARE(list->GetItemCount(), 6);
        QCOMPARE(PictureLoader::ReadSize(Path("huge.bmp")), QSize(0, 0));
        QVERIFY(PictureLoader::LoadFull(Path("huge.bmp")).isNull());
        QVERIFY(list->WaitForThumbnails(20000));
        const QImage blank = ThumbnailRenderer::Blank(140, 140, Kind::Thumbnail, true);
        for (int i = 0; i < 6; ++i) QCOMPARE(list->ItemImage(i), blank);
        QVERIFY(t.elapsed() < 5000);
        // Absurd targets and cells are refused rather than allocated.
        const QString ok = WriteSolid(QStringLiteral("ok.png"), 40, 30, Qt::red);
        QVERIFY(PictureLoader::LoadScaled(ok, QSize(40000, 10)).isNull());
        QCOMPARE(PictureLoader::LoadScaled(ok, QSize(20, 15)).size(), QSize(20, 15));
        QVERIFY(ThumbnailRenderer::Render({ok, 30000, 30000, Kind::Picture, false}).isNull());
    }

    // Every real-world file, sound or damaged: decoded or cleanly empty, through the loader and
    // through the list, and what the pool delivers is what an in-line rendering gives.
    void everyTestPicture() {
        const QDir dir(QStringLiteral(VISTREL_TESTDATA_IMAGES));
        const QStringList files = dir.entryList(QDir::Files, QDir::Name);
        QVERIFY(files.size() >= 30);
        auto list = NewList(900, 600);
        QStringList accepted;
        int decoded = 0;
        for (const QString& name : files) {
            const QString path = dir.filePath(name);
            QElapsedTimer t;
            t.start();
            const QSize size = PictureLoader::ReadSize(path);
            const QImage full = PictureLoader::LoadFull(path);
            QVERIFY2(size.isEmpty() || PictureLoader::WithinLimits(size), qPrintable(name));
            if (!full.isNull()) {
                QCOMPARE(full.size(), size);
                ++decoded;
            }
            QVERIFY2(t.elapsed() < 5000, qPrintable(name));
            if (PictureLoader::IsAcceptedPicture(path)) {
                list->AddThumbnail(path, int(accepted.size()), name);
                accepted << name;
            }
        }
        QVERIFY(decoded >= 20);
        // The upright portrait and its orientation-tagged twins look alike once turned.
        const QImage upright = PictureLoader::LoadFull(dir.filePath("hopper.jpg"));
        QVERIFY(!upright.isNull());
        for (int o : {3, 6, 8}) {
            const QImage img = PictureLoader::LoadFull(
                dir.filePath(QStringLiteral("hopper_orientation_%1.jpg").arg(o)));
            QCOMPARE(img.size(), upright.size());
            qint64 diff = 0;
            for (int y = 0; y < img.height(); y += 2)
                for (int x = 0; x < img.width(); x += 2)
                    diff += std::abs(qGray(img.pixel(x, y)) - qGray(upright.pixel(x, y)));
            QVERIFY2(diff < 12 * (img.height() / 2) * (img.width() / 2),
                     qPrintable(QString::number(o)));
        }
        QVERIFY(list->WaitForThumbnails(60000));
        const QImage blank = ThumbnailRenderer::Blank(140, 140, Kind::Thumbnail, true);
        int withPicture = 0;
        for (int i = 0; i < list->GetItemCount(); ++i) {
            const QImage cell = list->ItemImage(i);
            withPicture += cell != blank;
            QVERIFY2(cell == ThumbnailRenderer::Render(
                                 {dir.filePath(accepted[i]), 140, 140, Kind::Thumbnail, true}),
                     qPrintable(accepted[i]));
        }
        QVERIFY(withPicture >= 20);
    }

    // Items inserted in between while pictures load: every finished cell lands on its own item,
    // and each item is reported drawn once.
    void insertedItemsKeepTheirCells() {
        const QString red = WriteSolid(QStringLiteral("ins_red.png"), 300, 200, Qt::red);
        const QString green = WriteSolid(QStringLiteral("ins_green.png"), 300, 200, Qt::green);
        auto list = NewList();
        QList<int> drawn;
        connect(list.get(), &CThumbListCtrl::thumbnailDrawn, this, [&](int i) {
            drawn << i;
            QVERIFY(list->IsThumbnailReady(i));
            QCOMPARE(IsRed(list->ItemImage(i).pixel(70, 80)), list->GetItemText(i) == "red");
        });
        for (int i = 0; i < 30; ++i)
            list->AddThumbnail(i % 2 ? red : green, i, i % 2 ? "red" : "green");
        list->AddThumbnail(red, 3, QStringLiteral("red"));
        QVERIFY(list->PendingThumbnails() > 10);
        QVERIFY(list->WaitForThumbnails(20000));
        std::sort(drawn.begin(), drawn.end());
        QList<int> each(31);
        std::iota(each.begin(), each.end(), 0);
        QCOMPARE(drawn, each);
        for (int i = 0; i < 31; ++i)
            QCOMPARE(IsRed(list->ItemImage(i).pixel(70, 80)), list->GetItemText(i) == "red");
    }

    // A long list holds pictures only near the screen: far cells show the blank ground and get
    // their picture when scrolled to, those left behind give theirs back, an item inserted
    // near the top pushes the last kept one out, and a list of 500 holds no more pictures
    // than one of 50.
    void onlyCellsNearTheScreenKeepTheirPictures() {
        const QString red = WriteSolid(QStringLiteral("keep_red.png"), 300, 200, Qt::red);
        const QString green = WriteSolid(QStringLiteral("keep_green.png"), 300, 200, Qt::green);
        const QImage blank = ThumbnailRenderer::Blank(140, 140, Kind::Thumbnail, true);
        auto ready = [](CThumbListCtrl& list) {
            int n = 0;
            for (int i = 0; i < list.GetItemCount(); ++i) n += list.IsThumbnailReady(i);
            return n;
        };
        auto shortList = NewList();
        for (int i = 0; i < 50; ++i) shortList->AddThumbnail(red, i, QStringLiteral("red"));
        QVERIFY(shortList->WaitForThumbnails(20000));
        const int shortKept = ready(*shortList);
        QCOMPARE(shortKept, std::min(50, shortList->KeptRange().second + 1));

        auto list = NewList();
        for (int i = 0; i < 500; ++i) list->AddThumbnail(i % 2 ? red : green, i, "x");
        QVERIFY(list->WaitForThumbnails(20000));
        const int kept = ready(*list);
        QCOMPARE(kept, list->KeptRange().second + 1);
        QVERIFY(kept >= CThumbListCtrl::kMinKeptCells && kept <= shortKept);
        QCOMPARE(list->ItemImage(499), blank);

        list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
        QVERIFY(list->PendingThumbnails() > 0);
        QVERIFY(list->WaitForThumbnails(20000));
        QVERIFY(list->IsThumbnailReady(499) && IsRed(list->ItemImage(499).pixel(70, 80)));
        QCOMPARE(list->ItemImage(0), blank);

        list->ScrollToOrigin();
        QVERIFY(list->WaitForThumbnails(20000));
        QCOMPARE(ready(*list), kept);
        const int last = list->KeptRange().second;
        list->AddThumbnail(red, 1, QStringLiteral("red"));
        QVERIFY(list->WaitForThumbnails(20000));
        QCOMPARE(list->KeptRange().second, last);
        QVERIFY(!list->IsThumbnailReady(last + 1));
        for (int i = 0; i <= last; ++i)
            QCOMPARE(IsRed(list->ItemImage(i).pixel(70, 80)), i == 1 || (i > 1 && i % 2 == 0));
    }

    void reinitialisingDropsPendingResults() {
        QStringList slow;
        for (int i = 0; i < 3; ++i)
            slow << WriteSolid(QStringLiteral("slow%1.jpg").arg(i), 2000, 1500,
                               QColor::fromHsv(100 * i, 200, 200));
        const QString green = WriteSolid(QStringLiteral("green.png"), 300, 300, Qt::green);
        auto list = NewList();
        for (int round = 0; round < 3; ++round) {
            for (int i = 0; i < 20; ++i)
                list->AddThumbnail(slow[i % 3], i, QStringLiteral("old%1@x").arg(i));
            QTest::qWait(round * 15);  // some results arrive after the list changed
            list->DeleteAllItems();
            list->SetThumbWidth(100 + round);
            list->SetThumbHeight(80);
            list->InitThumbList();
            QCOMPARE(list->PendingThumbnails(), 0);
            for (int i = 0; i < 3; ++i) list->AddThumbnail(green, i, QStringLiteral("new@y"));
            QVERIFY(list->WaitForThumbnails(30000));
            QTest::qWait(50);  // stale loads of the old list keep arriving; none may land here
            QCOMPARE(list->GetItemCount(), 3);
            const QImage expected =
                ThumbnailRenderer::Render({green, 100 + round, 80, Kind::Thumbnail, true});
            for (int i = 0; i < 3; ++i) QCOMPARE(list->ItemImage(i), expected);
        }
        // A list destroyed with loads in flight neither crashes nor receives them.
        auto doomed = NewList();
        for (int k = 0; k < 20; ++k) doomed->AddThumbnail(slow[k % 3], k, QStringLiteral("d"));
        doomed.reset();
        QTest::qWait(10);
    }

    // Going back to a category shows cells from the cache; a file changed meanwhile is decoded
    // afresh, and document-sized cells are not kept.
    void cachedCells() {
        ThumbnailCache::Instance().Clear();
        const QString path = WriteSolid(QStringLiteral("changing.png"), 300, 200, Qt::red);
        auto list = NewList();
        auto show = [&](const QString& file, int w, int h, bool picture) {
            list->DeleteAllItems();
            list->SetThumbWidth(w);
            list->SetThumbHeight(h);
            list->InitThumbList();
            if (picture)
                list->ShowPicture(file, QString());
            else
                list->AddThumbnail(file, 0, QStringLiteral("a@1"));
            return list->WaitForThumbnails(20000);
        };
        QVERIFY(show(path, 140, 140, false));
        const QImage first = list->ItemImage(0);
        QCOMPARE(ThumbnailCache::Instance().Count(), 1);
        QVERIFY(show(path, 140, 140, false));
        QCOMPARE(list->ItemImage(0), first);
        QCOMPARE(ThumbnailCache::Instance().Count(), 1);

        QImage blue(200, 300, QImage::Format_RGB32);
        blue.fill(Qt::blue);
        QVERIFY(blue.save(path, "PNG"));
        QVERIFY(show(path, 140, 140, false));
        QCOMPARE(list->ItemImage(0),
                 ThumbnailRenderer::Render({path, 140, 140, Kind::Thumbnail, true}));
        QVERIFY(list->ItemImage(0) != first);

        const int before = ThumbnailCache::Instance().Count();
        QVERIFY(show(WriteSolid(QStringLiteral("wide_doc.png"), 3300, 1000, Qt::red), 3300, 1000,
                     true));
        QCOMPARE(BoundingBox(list->ItemImage(0), QRect(0, 0, 3300, 1035), IsRed),
                 QRect(0, 30, 3300, 1000));
        QCOMPARE(ThumbnailCache::Instance().Count(), before);
        QVERIFY(list->horizontalScrollBar()->maximum() > 0);  // wider than the page: scrolls
    }

    void clicksAndItems() {
        auto list = NewList(400, 480);
        QSignalSpy clicked(list.get(), &CThumbListCtrl::itemClicked);
        list->AddThumbnail(Path("a.jpg"), 0, QStringLiteral("A@1"));
        list->AddThumbnail(Path("c.jpg"), 5, QStringLiteral("C@3"));  // past the end: appended
        list->AddThumbnail(Path("b.jpg"), 1, QStringLiteral("B@2"));  // inserted between
        QCOMPARE(list->GetItemText(1), QStringLiteral("B@2"));
        QCOMPARE(list->GetItemText(2), QStringLiteral("C@3"));
        QVERIFY(list->WaitForThumbnails(20000));
        // Two cells fit side by side in 400 pixels: the third starts a new row.
        QVERIFY(list->ItemRect(2).top() > list->ItemRect(0).bottom());
        for (int i = 0; i < 3; ++i) QCOMPARE(list->IndexAt(list->ItemRect(i).center()), i);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->IconRect(2).center());
        QCOMPARE(list->GetSelectionMark(), 2);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->TypeBand(0).center());
        QCOMPARE(clicked.size(), 2);
        QCOMPARE(clicked.at(1).at(0).toInt(), 0);
        // The empty place after the last item and the ground beside the columns choose nothing.
        const QPoint empty = list->ItemRect(3 - 1).translated(list->ItemRect(1).x(), 0).center();
        QCOMPARE(list->IndexAt(empty), -1);
        QCOMPARE(list->IndexAt(QPoint(list->ItemRect(1).right() + 50, 50)), -1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, empty);
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, list->IconRect(1).center());
        QCOMPARE(clicked.size(), 2);
        QCOMPARE(list->GetSelectionMark(), -1);
    }

    // The keyboard alone: a current item with a focus frame, moved by the arrows, Page Up/Down
    // and Home/End, opened with Enter; and what a screen reader reads of it.
    void keyboardAndScreenReader() {
        auto list = NewList(640, 480);  // four columns, two whole rows
        QSignalSpy clicked(list.get(), &CThumbListCtrl::itemClicked);
        QTest::keyClick(list.get(), Qt::Key_Down);  // nothing to move to yet
        QCOMPARE(list->CurrentIndex(), -1);
        for (int i = 0; i < 30; ++i)
            list->AddThumbnail(QString(), i, QStringLiteral("产品%1@T-%1").arg(i));
        list->setFocus();
        QVERIFY(list->hasFocus());
        const auto press = [&](Qt::Key key) {
            QTest::keyClick(list.get(), key);
            return list->CurrentIndex();
        };
        QCOMPARE(press(Qt::Key_Right), 0);  // the first key picks the first item
        QCOMPARE(press(Qt::Key_Left), 0);   // and stops at the ends
        QCOMPARE(press(Qt::Key_Right), 1);
        QCOMPARE(press(Qt::Key_Down), 5);
        QCOMPARE(press(Qt::Key_Up), 1);
        QCOMPARE(press(Qt::Key_Up), 0);  // a row above the first: the first item
        QCOMPARE(press(Qt::Key_PageDown), 8);
        QCOMPARE(press(Qt::Key_End), 29);
        QCOMPARE(press(Qt::Key_Down), 29);
        // The current item is always scrolled into view.
        QVERIFY(list->viewport()->rect().contains(list->ItemRect(29)));
        QCOMPARE(press(Qt::Key_PageUp), 21);
        QCOMPARE(press(Qt::Key_Home), 0);
        QCOMPARE(list->verticalScrollBar()->value(), 0);
        QTest::keyClick(list.get(), Qt::Key_Right);
        QTest::keyClick(list.get(), Qt::Key_Return);
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(clicked.at(0).at(0).toInt(), 1);
        QCOMPARE(list->GetSelectionMark(), 1);

        // The focus frame is drawn in the selection colour around the current cell only while
        // the list has the focus.
        const QColor highlight = list->palette().color(QPalette::Highlight);
        const auto frameColour = [&](int index) {
            const QRect r = list->ItemRect(index);
            return list->viewport()->grab().toImage().pixelColor(r.center().x(), r.top() - 2);
        };
        QCOMPARE(frameColour(1), highlight);
        QCOMPARE(frameColour(2), QColor(Qt::white));
        QWidget other;
        other.show();
        other.activateWindow();
        list->clearFocus();
        QCOMPARE(frameColour(1), QColor(Qt::white));

        // Screen readers: a list of the products, each item named by its caption.
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(list.get());
        QVERIFY(iface);
        QCOMPARE(iface->role(), QAccessible::List);
        QCOMPARE(iface->childCount(), 30);
        QAccessibleInterface* item = iface->child(3);
        QVERIFY(item && item->isValid());
        QCOMPARE(item->role(), QAccessible::ListItem);
        QCOMPARE(item->text(QAccessible::Name), QStringLiteral("产品3 T-3"));
        const QRect onScreen(list->viewport()->mapToGlobal(list->ItemRect(3).topLeft()),
                             list->ItemRect(3).size());
        QCOMPARE(item->rect(), onScreen);
        QVERIFY(iface->child(1)->state().selected);
        QVERIFY(!item->state().selected);
        QVERIFY(iface->child(29)->state().offscreen);
    }
};

QTEST_MAIN(TestThumbList)
#include "tst_thumblist.moc"
