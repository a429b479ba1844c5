// The settings hub and category management, driven through their controls with a scripted
// prompter on a catalogue in a temporary folder.

#include <QGroupBox>
#include <QListWidget>
#include <QSqlRecord>
#include <QtTest>

#include "CatalogueFixture.h"
#include "ControlIds.h"
#include "ScopedInstallation.h"
#include "authoring/CClassManageDlg.h"
#include "authoring/CSettingDlg.h"
#include "authoring/NameRules.h"
#include "store/Statements.h"
#include "viewer/CMainDlg.h"

namespace {
QStringList Entries(QListWidget* list) {
    QStringList names;
    for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
    return names;
}
}  // namespace

class TestCategories : public QObject {
    Q_OBJECT

private slots:
    void hubShowsEveryCommand() {
        CatalogueFixture f;
        CSettingDlg hub(f.db, f.paths);
        const struct {
            int id;
            const char *caption, *group, *opens;
        } commands[] = {{1032, "产品分类名", "产品中心设置", "产品分类管理界面"},
                        {1002, "添加产品", "产品中心设置", "产品图片信息管理界面"},
                        {1034, "产品明细参数", "产品中心设置", "产品详细信息管理界面"},
                        {1003, "产品参数设置", "产品中心设置", "产品参数设置界面"},
                        {1004, "3D模型", "产品中心设置", "3D模型管理界面"},
                        {1035, "企业介绍修改", "企业介绍设置", "企业介绍管理界面"},
                        {1001, "企业设置", "企业介绍设置", "企业设置界面"}};
        for (const auto& c : commands) {
            QPushButton* button = hub.CommandButton(c.id);
            QVERIFY2(button && button->isVisibleTo(&hub) && button->isEnabled(), c.caption);
            QCOMPARE(button->text(), QString::fromUtf8(c.caption));
            QCOMPARE(qobject_cast<QGroupBox*>(button->parentWidget())->title(),
                     QString::fromUtf8(c.group));
            // A click opens the command's dialog, which reads the catalogue without a word.
            QString opened;
            OnNextModal([&](QWidget* w) { opened = w ? w->windowTitle() : QString(); });
            button->click();
            QCOMPARE(opened, QString::fromUtf8(c.opens));
        }
        QVERIFY(f.prompter.shown.isEmpty());
        QVERIFY(!hub.RunCommand(2));
    }

    void categoryLifecycle() {
        CatalogueFixture f;
        QVERIFY(f.catalogue.ok);
        const QString odd = QStringLiteral("齿轮'\"%_\\");
        CClassManageDlg dlg(f.db, f.paths);
        auto* list = Ctl<QListWidget>(dlg, Ids::ClassManage::kList);
        const QStringList company = f.Rows("select * from [企业表]");

        // Each new category comes first, the others move down.
        for (const QString& name : {QStringLiteral("轴承"), odd, QStringLiteral("法兰")}) {
            Type(dlg, Ids::ClassManage::kName, name);
            Press(dlg, Ids::ClassManage::kAdd);
        }
        QCOMPARE(f.TakeNotices(), QStringList(3, QStringLiteral("增加成功")));
        QCOMPARE(Entries(list), QStringList({"法兰", odd, "轴承"}));
        QCOMPARE(f.Tables(), QStringList({"1|法兰", "2|" + odd, "3|轴承"}) + company);
        Type(dlg, Ids::ClassManage::kName, odd);
        Press(dlg, Ids::ClassManage::kAdd);
        Type(dlg, Ids::ClassManage::kName, QString());
        Press(dlg, Ids::ClassManage::kAdd);
        QCOMPARE(f.TakeNotices(), QStringList({"该类名已存在", "数据不能为空"}));
        // Blanks around a name are dropped; an overlong name is refused.
        for (const QString& name : {QStringLiteral("   "), QStringLiteral(" 轴承 "),
                                    QString(NameRules::kMaxLength + 1, QChar(0x9f7f))}) {
            Type(dlg, Ids::ClassManage::kName, name);
            Press(dlg, Ids::ClassManage::kAdd);
        }
        QCOMPARE(f.TakeNotices(),
                 QStringList({"数据不能为空", "该类名已存在", NameRules::TooLongText()}));
        QCOMPARE(Entries(list).size(), 3);

        // Moves store the order at once; the selection follows the moved entry.
        list->setCurrentRow(2);
        QCOMPARE(Ctl(dlg, Ids::ClassManage::kName)->text(), QStringLiteral("轴承"));
        QCOMPARE(Ctl(dlg, Ids::ClassManage::kNumber)->text(), QStringLiteral("3"));
        Press(dlg, Ids::ClassManage::kUp);
        QCOMPARE(list->currentRow(), 1);
        QCOMPARE(f.Tables(), QStringList({"1|法兰", "2|轴承", "3|" + odd}) + company);
        list->setCurrentRow(0);
        Press(dlg, Ids::ClassManage::kUp);
        list->setCurrentRow(2);
        Press(dlg, Ids::ClassManage::kDown);
        list->setCurrentRow(-1);
        Press(dlg, Ids::ClassManage::kDown);
        QCOMPARE(f.TakeNotices(),
                 QStringList({"已经到第一个了", "已经到最后一个了", "请选中一项"}));

        // A rename reaches the category's products and model files, and only theirs.
        f.db.ExecuteSql(Sql::InsertProduct, {1, odd, "泵@P1", "k", "/p.jpg", "/i.jpg", "", ""});
        f.db.ExecuteSql(Sql::InsertModel, {odd, "泵@P1", "p1.step", 0, "/m/p1.step"});
        f.db.ExecuteSql(Sql::InsertProduct, {1, "法兰", "盘@F1", "f", "/f.jpg", "/i.jpg", "", ""});
        f.db.ExecuteSql(Sql::InsertModel, {"法兰", "盘@F1", "f1.step", 0, "/m/f1.step"});
        const QStringList before = f.Tables();
        list->setCurrentRow(2);
        Type(dlg, Ids::ClassManage::kName, QStringLiteral("齿轮"));
        f.prompter.confirmAnswers << false << true;
        Press(dlg, Ids::ClassManage::kRename);
        QCOMPARE(f.Tables(), before);
        Press(dlg, Ids::ClassManage::kRename);
        QCOMPARE(f.prompter.shown.first().caption, QStringLiteral("提示"));
        QCOMPARE(f.TakeNotices(), QStringList({"修改成功"}));
        QCOMPARE(Entries(list), QStringList({"法兰", "轴承", "齿轮"}));
        QCOMPARE(f.Tables(), QString(before.join('\n')).replace(odd, "齿轮").split('\n'));

        // A delete takes the category's products and model files with it.
        list->setCurrentRow(2);
        f.prompter.confirmAnswers << true;
        Press(dlg, Ids::ClassManage::kDelete);
        QCOMPARE(f.prompter.shown.first().text,
                 QStringLiteral("确认要删除吗?\n将一并删除 1 个产品和 1 个模型文件。"));
        QCOMPARE(f.TakeNotices(), QStringList({"删除成功"}));
        QCOMPARE(Ctl(dlg, Ids::ClassManage::kName)->text(), QString());
        QCOMPARE(Ctl(dlg, Ids::ClassManage::kNumber)->text(), QStringLiteral("0"));
        QCOMPARE(f.Tables(), QStringList({"1|法兰", "2|轴承", before[3], before[5]}) + company);
        Type(dlg, Ids::ClassManage::kName, QStringLiteral("无此类"));
        Press(dlg, Ids::ClassManage::kDelete);
        QCOMPARE(f.TakeNotices(), QStringList({"没有要删除的记录"}));
    }

    void failedCascadeChangesNothing() {
        CatalogueFixture f;
        f.db.ExecuteSql(Sql::InsertCategory, {"泵"});
        f.db.ExecuteSql(Sql::InsertProduct, {1, "泵", "泵@P1", "k", "/p.jpg", "/i.jpg", "", ""});
        f.db.ExecuteSql(Sql::InsertModel, {"泵", "泵@P1", "p1.step", 0, "/m/p1.step"});
        CClassManageDlg dlg(f.db, f.paths);
        auto* list = Ctl<QListWidget>(dlg, Ids::ClassManage::kList);
        // The last statement of each cascade fails, after the others have run.
        f.Exec(
            "create trigger lock_u before update on [3D模型表] begin select raise(abort, "
            "'locked'); end");
        f.Exec(
            "create trigger lock_d before delete on [3D模型表] begin select raise(abort, "
            "'locked'); end");
        const QStringList before = f.Tables();
        f.TakeNotices();
        list->setCurrentRow(0);
        Type(dlg, Ids::ClassManage::kName, QStringLiteral("水泵"));
        f.prompter.confirmAnswers << true << true;
        Press(dlg, Ids::ClassManage::kRename);
        QCOMPARE(f.Tables(), before);
        const QStringList notices = f.TakeNotices();
        QVERIFY2(notices.size() == 1 && notices[0].startsWith("数据库操作失败") &&
                     notices[0].contains("locked"),
                 qPrintable(notices.join('\n')));
        Type(dlg, Ids::ClassManage::kName, QStringLiteral("泵"));
        Press(dlg, Ids::ClassManage::kDelete);
        QCOMPARE(f.Tables(), before);
        QCOMPARE(f.TakeNotices().mid(1), QStringList({"删除失败"}));
        // The dialog stays usable.
        f.Exec("drop trigger lock_u");
        list->setCurrentRow(0);
        Type(dlg, Ids::ClassManage::kName, QStringLiteral("水泵"));
        f.prompter.confirmAnswers << true;
        Press(dlg, Ids::ClassManage::kRename);
        QCOMPARE(f.TakeNotices(), QStringList({"修改成功"}));
        QCOMPARE(f.Rows("select ClassName from [3D模型表]"), QStringList({"水泵"}));
    }

    void settingsRefreshesTheMainWindow() {
        ScopedInstallation installation;
        ScriptedPrompter prompter;
        CMainDlg main(installation.Parts());
        OnNextModal([](QWidget* hub) {
            OnNextModal([](QWidget* categories) {
                Type(*categories, Ids::ClassManage::kName, QStringLiteral("新类"));
                Press(*categories, Ids::ClassManage::kAdd);
            });
            Press(*hub, Ids::Hub::kCategories);
        });
        main.OnSettings();
        QCOMPARE(main.ClassNames(), QStringList({"新类"}));
    }
};

QTEST_MAIN(TestCategories)
#include "tst_categories.moc"
