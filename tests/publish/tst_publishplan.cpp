// Where a published copy's files go. The demo's published copy (tst_installer) checks the
// common layout; here the rows it never has: empty columns, a folder document, no products.
#include <QTest>

#include "publish/PublishPlan.h"

class TestPublishPlan : public QObject {
    Q_OBJECT
private slots:
    void rowsGivePathsFoldersAndJobs() {
        PublishPlan plan;
        plan.AddCategory({.className = "空类"});
        const ProductRecord valve{.className = "阀门",
                                  .productName = "球阀 'Q'@Q41F",
                                  .opath = "/media/q41f.JPG",
                                  .oIntroduce = "/media/介绍/",  // a folder of pages
                                  .oTecReference = "参数.png"};
        const PublishPlan::ProductPaths p = plan.AddProduct(valve);
        QCOMPARE(p.picture, QStringLiteral("pic/阀门/q41f.JPG"));
        QCOMPARE(p.documents[0], QStringLiteral("pic/阀门/球阀 'Q'@Q41F/介绍"));
        QCOMPARE(p.documents[1], QString());  // empty source: column kept, nothing copied
        QCOMPARE(p.documents[2], QStringLiteral("pic/阀门/球阀 'Q'@Q41F/参数.png"));
        const QString model = plan.AddModel({.className = "阀门",
                                             .productName = valve.productName,
                                             .modelFile = "阀体.stp",
                                             .opath = "/m.stp"})
                                  .file;
        QCOMPARE(model, p.modelFolder + QStringLiteral("/阀体.stp"));
        QCOMPARE(plan.AddProduct({.className = "阀门", .productName = "闸阀@Z"}).picture, "");
        QCOMPARE(plan.AddCompany({.className = "企业"}).dpath, QString());
        plan.SetCover("/chosen/cover.jpg");
        plan.SetLogo(QString());

        QCOMPARE(plan.Folders(),
                 QStringList({"sysfile", "pic", "pic/空类", "pic/阀门", "pic/阀门/球阀 'Q'@Q41F",
                              "pic/阀门/球阀 'Q'@Q41F/3D模型", "pic/阀门/闸阀@Z",
                              "pic/阀门/闸阀@Z/3D模型", "pic/企业"}));
        QCOMPARE(plan.Jobs(), (QList<CopyJob>{{valve.opath, p.picture},
                                              {valve.oIntroduce, p.documents[0]},
                                              {valve.oTecReference, p.documents[2]},
                                              {"/m.stp", model},
                                              {"/chosen/cover.jpg", "sysfile/splash.jpg"}}));
        QCOMPARE(PublishPlan::CopyFolder("/mnt/盘"), QStringLiteral("/mnt/盘/Vistrel"));
    }

    // Two sources never share a destination: the first keeps its name, the next is numbered.
    void collidingNamesGetDistinctPaths() {
        PublishPlan plan;
        plan.AddCategory({.className = "x/y"});
        plan.AddCategory({.className = "x\\y"});
        const auto a = plan.AddProduct({.className = "x/y",
                                        .productName = "A",
                                        .opath = "/a/产品图.jpg",
                                        .oIntroduce = "/d/3D模型"});
        const auto b =
            plan.AddProduct({.className = "x/y", .productName = "B", .opath = "/b/产品图.jpg"});
        const auto c =
            plan.AddProduct({.className = "x/y", .productName = "C", .opath = "/c/产品图.JPG"});
        const auto shared =
            plan.AddProduct({.className = "x/y", .productName = "D", .opath = "/a/产品图.jpg"});
        const auto other =
            plan.AddProduct({.className = "x\\y", .productName = "A", .opath = "/a/产品图.jpg"});
        QCOMPARE(a.picture, QStringLiteral("pic/x_y/产品图.jpg"));
        QCOMPARE(b.picture, QStringLiteral("pic/x_y/产品图 (2).jpg"));
        QCOMPARE(c.picture, QStringLiteral("pic/x_y/产品图 (3).JPG"));  // a FAT stick ignores case
        QCOMPARE(shared.picture, a.picture);                            // one file, copied once
        QCOMPARE(other.folder, QStringLiteral("pic/x_y (2)/A"));
        QCOMPARE(other.picture, QStringLiteral("pic/x_y (2)/产品图.jpg"));
        // A document cannot take the model folder's name.
        QCOMPARE(a.modelFolder, QStringLiteral("pic/x_y/A/3D模型"));
        QCOMPARE(a.documents[0], QStringLiteral("pic/x_y/A/3D模型 (2)"));
        QCOMPARE(
            plan.AddModel({.className = "x\\y", .productName = "A", .modelFile = "m.stp"}).dpath,
            QStringLiteral("pic/x_y (2)/A/3D模型"));
        QSet<QString> destinations;
        for (const CopyJob& job : plan.Jobs()) destinations.insert(job.destination);
        QCOMPARE(plan.Jobs().size(), 6);
        QCOMPARE(destinations.size(), 5);  // the shared picture is copied to one file
    }

    // Overlong names are shortened within the bound, keep their extension and stay distinct.
    void overlongComponentsAreShortened() {
        PublishPlan plan;
        const QString longName = QString(92, QChar(0x4ea7));  // 276 bytes in UTF-8
        const auto first = plan.AddProduct({.className = "阀门",
                                            .productName = longName + "@1",
                                            .opath = "/p/" + longName + ".jpg"});
        const auto second = plan.AddProduct({.className = "阀门",
                                             .productName = longName + "@2",
                                             .opath = "/q/" + longName + ".jpg"});
        QVERIFY(first.folder != second.folder);
        QVERIFY(first.picture != second.picture);
        QVERIFY(first.picture.endsWith(".jpg") && second.picture.endsWith(" (2).jpg"));
        for (const QString& folder : plan.Folders())
            for (const QString& part : folder.split('/'))
                QVERIFY2(part.toUtf8().size() <= PublishPlan::kMaxComponentBytes, qPrintable(part));
        for (const CopyJob& job : plan.Jobs())
            for (const QString& part : job.destination.split('/'))
                QVERIFY2(part.toUtf8().size() <= PublishPlan::kMaxComponentBytes, qPrintable(part));
        // A character outside the basic plane is never cut in half.
        const QString emoji =
            PublishPlan::Component(QString(79, QChar(0x4ea7)) + QString::fromUcs4(U"😀😀😀"));
        QVERIFY(emoji.toUtf8().size() <= PublishPlan::kMaxComponentBytes);
        QCOMPARE(QString::fromUtf8(emoji.toUtf8()), emoji);
    }
};

QTEST_GUILESS_MAIN(TestPublishPlan)
#include "tst_publishplan.moc"
