// Document folders, 3D-model files and company information, driven through their dialogs on a
// temporary catalogue; every step is checked against the rows.
#include <sys/stat.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "ControlIds.h"
#include "ScriptedPrompter.h"
#include "TestCatalogue.h"
#include "app/CIniFile.h"
#include "app/InstallPaths.h"
#include "authoring/CCompanyIntroDlg.h"
#include "authoring/CCompanySetDlg.h"
#include "authoring/CModelManageDlg.h"
#include "authoring/CProductParamDlg.h"
#include "publish/CFolderTreeCtrl.h"
#include "store/CatalogueDb.h"
#include "store/Statements.h"
#include "viewer/CompanyContact.h"

namespace {
// A name that breaks any statement it is pasted into.
const QString kOdd = QStringLiteral("螺栓'\"%_\\");

using Catalogue = TestCatalogue;

QStringList Trimmed(const QStringList& notices) {
    QStringList out;
    for (const QString& n : notices) out << n.trimmed();
    return out;
}
void Choose(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}
template <typename T>
T* Ctl(QWidget& dlg, const char* id) {
    return dlg.findChild<T*>(QString::fromLatin1(id));
}
}  // namespace

class TestAuthoringTools : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { FolderTree::SetRoots(std::nullopt); }

    void documentFolders() {
        Catalogue c;
        QVERIFY(c.ok);
        ScriptedPrompter prompter;
        c.db.ExecuteSql(Sql::InsertCategory, {kOdd});
        for (const QString& p : {QStringLiteral("六角@螺栓@M8"), QStringLiteral("垫圈")})
            c.db.ExecuteSql(Sql::InsertProduct, {1, kOdd, p, "", "", "", "", ""});
        for (const char* k : {"docs/intro", "docs/process", "docs/tech's"})
            QDir(c.dir.path()).mkpath(k);
        FolderTree::SetRoots(QList<FolderTree::Node>{FolderTree::FolderNode(c.dir.filePath("docs")),
                                                     FolderTree::ComputerNode()});
        const QString documents = "select OIntroduce, OAddProcess, OTecReference from [小类表]";

        CProductParamDlg dlg(c.db, c.paths);
        auto* tree = Ctl<CFolderTreeCtrl>(dlg, Ids::ProductParam::kTree);
        auto* path = Ctl<QLineEdit>(dlg, Ids::ProductParam::kPath);
        auto* cls = Ctl<QComboBox>(dlg, Ids::ProductParam::kClass);
        auto* product = Ctl<QComboBox>(dlg, Ids::ProductParam::kProduct);
        auto* kind = Ctl<QComboBox>(dlg, Ids::ProductParam::kKind);
        auto* save = Ctl<QPushButton>(dlg, Ids::ProductParam::kSave);
        QCOMPARE(path->text(), QString());  // the first folder is no choice
        QCOMPARE(cls->currentText(), QStringLiteral("请选择零件类别"));
        QCOMPARE(kind->currentText(), QStringLiteral("请选择属性"));
        tree->setCurrentItem(tree->topLevelItem(1));
        QCOMPARE(path->text(), QString());  // the computer has no path
        save->click();

        Choose(cls, 0);
        QCOMPARE(product->itemText(0), QStringLiteral("六角@螺栓"));
        QCOMPARE(product->currentIndex(), -1);
        product->setCurrentIndex(0);
        kind->setCurrentIndex(0);
        save->click();  // nothing picked: refused, not stored as an empty document
        QTreeWidgetItem* docs = tree->topLevelItem(0);
        for (int k = 0; k < 3; ++k) {
            tree->setCurrentItem(docs->child(k));
            product->setCurrentIndex(0);
            kind->setCurrentIndex(k);
            save->click();
        }
        const QString dir = c.dir.filePath("docs/");
        const QStringList assigned = {dir + "intro|" + dir + "process|" + dir + "tech's", "||"};
        QCOMPARE(c.Rows(documents, {0, 1, 2}), assigned);

        // Refused without writing: a typed kind, a typed-over category, a product gone since.
        tree->setCurrentItem(docs->child(0));
        kind->setEditText("其他");
        save->click();
        kind->setCurrentIndex(0);
        cls->setEditText("别的类");
        save->click();
        cls->setEditText(kOdd);
        c.db.ExecuteSql(Sql::DeleteProduct, {"垫圈", kOdd});
        product->setCurrentIndex(1);
        save->click();
        QCOMPARE(Trimmed(prompter.Notices()),
                 (QStringList{"请选择产品和属性", "请选择文件夹路径", "增加属性成功",
                              "增加属性成功", "增加属性成功", "请选择产品和属性",
                              "请选择产品和属性", "保存失败：该产品已不存在"}));
        QCOMPARE(c.Rows(documents, {0, 1, 2}), assigned.mid(0, 1));
        QVERIFY(c.failures.isEmpty());
    }

    void modelFiles() {
        Catalogue c;
        QVERIFY(c.ok);
        ScriptedPrompter prompter;
        c.db.ExecuteSql(Sql::InsertCategory, {"空类"});
        c.db.ExecuteSql(Sql::InsertCategory, {kOdd});
        c.db.ExecuteSql(Sql::InsertProduct, {1, kOdd, "法兰@F-1", "", "", "", "", ""});
        c.db.ExecuteSql(Sql::InsertProduct, {2, kOdd, "轴", "", "", "", "", ""});
        c.db.ExecuteSql(Sql::InsertModel, {kOdd, "法兰@F-1", "a.stp", 0, "/old/a.stp"});
        const QString pipe = c.dir.filePath("m/pipe.stp");
        const QStringList chosen = {c.Make("m/a.stp"), c.Make("m/b.igs"),
                                    (::mkfifo(QFile::encodeName(pipe).constData(), 0600), pipe),
                                    c.dir.filePath("m/missing.stp"), c.Make("m/c'x%.x_t")};
        const QString models = "select * from [3D模型表] order by Number";

        CModelManageDlg dlg(c.db, c.paths);
        auto* cls = Ctl<QComboBox>(dlg, Ids::ModelManage::kClass);
        auto* product = Ctl<QComboBox>(dlg, Ids::ModelManage::kProduct);
        auto* files = Ctl<QListWidget>(dlg, Ids::ModelManage::kFiles);
        auto* note = Ctl<QLineEdit>(dlg, Ids::ModelManage::kNote);
        auto* add = Ctl<QPushButton>(dlg, Ids::ModelManage::kAdd);
        auto* up = Ctl<QPushButton>(dlg, Ids::ModelManage::kUp);
        QVERIFY(!add->isEnabled() && !up->isEnabled());
        Choose(cls, 0);  // a category without products
        QVERIFY(product->count() == 0 && !add->isEnabled());
        Choose(cls, 1);
        QCOMPARE(product->itemText(0) + product->itemText(1), QStringLiteral("法兰轴"));
        QVERIFY(add->isEnabled());
        QCOMPARE(files->count(), 1);

        prompter.filesAnswers << chosen;
        add->click();
        QCOMPARE(Trimmed(prompter.Notices()), (QStringList{"此零件名已含有此文件", "添加成功"}));
        QCOMPARE(c.Rows(models, {3, 4}), (QStringList{"a.stp=1", "b.igs=2", "c'x%.x_t=3"}));
        QCOMPARE(c.Rows(models, {5})[1], chosen[1]);

        files->setCurrentRow(2);
        up->click();
        QCOMPARE(files->currentRow(), 1);
        QCOMPARE(c.Rows(models, {3, 4}), (QStringList{"a.stp=1", "c'x%.x_t=2", "b.igs=3"}));
        files->setCurrentRow(0);
        up->click();
        QCOMPARE(prompter.Notices().last().trimmed(), QStringLiteral("已经到第一个了"));

        files->setCurrentRow(1);
        note->setText(kOdd + "备注");
        Ctl<QPushButton>(dlg, Ids::ModelManage::kSetNote)->click();
        QCOMPARE(prompter.Notices().last().trimmed(), QStringLiteral("更改备注成功"));
        note->clear();
        files->setCurrentRow(0);
        files->setCurrentRow(1);
        QCOMPARE(note->text(), kOdd + "备注");
        files->clearSelection();  // a click that deselects
        QCOMPARE(prompter.Notices().last().trimmed(), QStringLiteral("请选中一项"));
        files->setCurrentRow(1);

        // Deleting asks first, and renumbers what stays, so the order has no holes.
        prompter.confirmAnswers << false << true;
        Ctl<QPushButton>(dlg, Ids::ModelManage::kDelete)->click();
        QCOMPARE(files->count(), 3);
        Ctl<QPushButton>(dlg, Ids::ModelManage::kDelete)->click();
        QCOMPARE(prompter.Notices().last().trimmed(), QStringLiteral("删除成功"));
        QCOMPARE(c.Rows(models, {3, 4}), (QStringList{"a.stp=1", "b.igs=2"}));

        // A failing statement is reported, nothing claims success, the dialog carries on.
        QSqlQuery(c.db.Database()).exec("drop table [3D模型表]");
        const qsizetype told = prompter.shown.size();
        files->setCurrentRow(0);
        prompter.confirmAnswers << true;
        Ctl<QPushButton>(dlg, Ids::ModelManage::kDelete)->click();
        QVERIFY(c.failures.last().contains("no such table"));
        QCOMPARE(prompter.shown.size(), told + 1);  // the question, and no success
        QCOMPARE(files->count(), 2);
    }

    // Names stored long ago, longer than an editor may type today, leave the dialogs their size.
    void longNamesLeaveTheDialogsTheirSize() {
        Catalogue c;
        ScriptedPrompter prompter;
        const QString name = QString(92, QChar(0x6cf5)) + "@P1";
        c.db.ExecuteSql(Sql::InsertCategory, {QString(92, QChar(0x9600))});
        c.db.ExecuteSql(Sql::InsertProduct,
                        {1, QString(92, QChar(0x9600)), name, "k", "/o.jpg", "/i.jpg", "", ""});
        CProductParamDlg docs(c.db, c.paths);
        Choose(Ctl<QComboBox>(docs, Ids::ProductParam::kClass), 0);
        CModelManageDlg models(c.db, c.paths);
        Choose(Ctl<QComboBox>(models, Ids::ModelManage::kClass), 0);
        for (QWidget* dlg : {static_cast<QWidget*>(&docs), static_cast<QWidget*>(&models)}) {
            dlg->show();
            QVERIFY2(dlg->width() < 900, qPrintable(QString::number(dlg->width())));
        }
    }

    void companyInformation() {
        Catalogue c;
        QVERIFY(c.ok);
        ScriptedPrompter prompter;
        const QString company = "select * from [企业表]";
        const QStringList first = {c.Picture("p/logo.jpg"), kOdd + "\n第二行", "http://a.example"};
        const QStringList second = {"", "", "http://b.example"};
        for (bool emptyTable : {false, true}) {
            if (emptyTable) QSqlQuery(c.db.Database()).exec("delete from [企业表]");
            for (const QStringList& values : {first, second}) {
                CCompanySetDlg dlg(c.db, c.paths);
                prompter.fileAnswers << values[0];
                Ctl<QPushButton>(dlg, Ids::CompanySet::kChoose)->click();
                if (values[0].isEmpty()) Ctl<QLineEdit>(dlg, Ids::CompanySet::kPicture)->clear();
                Ctl<QPlainTextEdit>(dlg, Ids::CompanySet::kInformation)->setPlainText(values[1]);
                Ctl<QLineEdit>(dlg, Ids::CompanySet::kWeb)->setText(values[2]);
                Ctl<QPushButton>(dlg, Ids::CompanySet::kSave)->click();
                QCOMPARE(prompter.Notices().last().trimmed(), QStringLiteral("增加成功"));
                QCOMPARE(c.Rows(company, {3, 5, 6}), QStringList{values.join("|")});
            }
        }

        // 企业设置 starts with what is stored, so saving the address alone keeps the rest; it
        // also keeps the company name and chat number that the main window shows.
        {
            CCompanySetDlg dlg(c.db, c.paths);
            QCOMPARE(Ctl<QLineEdit>(dlg, Ids::CompanySet::kWeb)->text(), second[2]);
            Ctl<QLineEdit>(dlg, Ids::CompanySet::kWeb)->setText("http://c.example");
            Ctl<QLineEdit>(dlg, Ids::CompanySet::kName)->setText("新公司");
            Ctl<QLineEdit>(dlg, Ids::CompanySet::kChatNumber)->setText("12ab");
            Ctl<QPushButton>(dlg, Ids::CompanySet::kSave)->click();
            QCOMPARE(c.Rows(company, {6}), QStringList{second[2]});
            Ctl<QLineEdit>(dlg, Ids::CompanySet::kChatNumber)->setText("123456");
            Ctl<QPushButton>(dlg, Ids::CompanySet::kSave)->click();
            QCOMPARE(c.Rows(company, {3, 5, 6}), QStringList{"||http://c.example"});
            const CompanyContact contact = CompanyContact::FromConfig(CIniFile(c.paths.configPath));
            QCOMPARE(contact.companyName, QStringLiteral("新公司"));
            QCOMPARE(contact.qqNumber, 123456);
            CCompanySetDlg again(c.db, c.paths);
            QCOMPARE(Ctl<QLineEdit>(again, Ids::CompanySet::kChatNumber)->text(), "123456");
        }

        // 修改: needs a selected row, asks, writes only on Yes.
        prompter.shown.clear();
        {
            CCompanyIntroDlg dlg(c.db, c.paths);
            auto* list = Ctl<QTableWidget>(dlg, Ids::CompanyIntro::kList);
            auto* modify = Ctl<QPushButton>(dlg, Ids::CompanyIntro::kModify);
            QVERIFY(list->rowCount() == 1 && list->isColumnHidden(0) && !list->isColumnHidden(4));
            modify->click();
            list->selectRow(0);
            emit list->cellClicked(0, 2);
            QCOMPARE(Ctl<QLineEdit>(dlg, Ids::CompanyIntro::kWeb)->text(), "http://c.example");
            Ctl<QLineEdit>(dlg, Ids::CompanyIntro::kPicture)->setText(first[0]);
            modify->click();
            QCOMPARE(c.Rows(company, {3}), QStringList{""});
            prompter.confirmAnswers << true;
            modify->click();
            QCOMPARE(c.Rows(company, {3, 5, 6}), QStringList{first[0] + "||http://c.example"});
            QCOMPARE(list->item(0, 2)->text(), first[0]);
        }
        QCOMPARE(Trimmed(prompter.Notices()), (QStringList{"请选择要修改的项", "修改成功"}));
        QCOMPARE(prompter.shown[1].caption, QStringLiteral("提示"));

        // With no row, 修改 makes the one row.
        QSqlQuery(c.db.Database()).exec("delete from [企业表]");
        CCompanyIntroDlg dlg(c.db, c.paths);
        Ctl<QPlainTextEdit>(dlg, Ids::CompanyIntro::kInformation)->setPlainText(first[1]);
        prompter.confirmAnswers << true;
        Ctl<QPushButton>(dlg, Ids::CompanyIntro::kModify)->click();
        QCOMPARE(c.Rows(company, {3, 5, 6}), QStringList{"|" + first[1] + "|"});
        QCOMPARE(Ctl<QTableWidget>(dlg, Ids::CompanyIntro::kList)->rowCount(), 1);
        QVERIFY(c.failures.isEmpty());
    }
};

QTEST_MAIN(TestAuthoringTools)
#include "tst_authoring_tools.moc"
