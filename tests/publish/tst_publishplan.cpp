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
};

QTEST_GUILESS_MAIN(TestPublishPlan)
#include "tst_publishplan.moc"
