#include "authoring/ProductImport.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QtConcurrent/QtConcurrentMap>
#include <map>
#include <vector>

#include "authoring/CsvSheet.h"
#include "authoring/NameRules.h"
#include "store/CatalogueDb.h"
#include "store/CatalogueRecordset.h"
#include "store/Statements.h"

namespace {
using Action = ImportRow::Action;
using Key = QPair<QString, QString>;  // category, stored product name

// A model file with its note in one statement: a note set afterwards by condition would scan
// the table once per file.
const char* const kInsertModelWithNote =
    "insert into [3D模型表](ClassName,ProductName,[3DModel],[Number],[Opath],[Dpath],[Note]) "
    "values (?,?,?,?,?,'',?)";

// The add-product dialog's required fields, in the order a refusal names them.
const ProductSheet::Column kRequired[] = {ProductSheet::kCategory, ProductSheet::kName,
                                          ProductSheet::kTypeCode, ProductSheet::kKey,
                                          ProductSheet::kPicture,  ProductSheet::kIntroduce};

// What a path names, asked once per path for the whole sheet: a sheet names thousands of
// files, and each question is a system call.
struct FileState {
    bool file = false, folder = false, readable = false;
};

class FileChecks {
public:
    // A folder holding at least this many of the sheet's files is listed once instead of
    // asking after each file: a listing costs a fraction of a call per entry.
    static constexpr int kListAtLeast = 64;

    void Examine(const QSet<QString>& paths) {
        QHash<QString, QList<QString>> byFolder;
        for (const QString& path : paths) {
            const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
            const QString folder = slash > 0    ? path.left(slash)
                                   : slash == 0 ? QStringLiteral("/")
                                                : QStringLiteral(".");
            byFolder[folder] << path;
        }
        struct Job {
            int folder;
            QByteArray name;
            unsigned char type;
        };
        QList<Job> jobs;
        QList<QString> jobPaths;
        // Root reads every file; anyone else is asked about each, with the effective ids.
        const bool root = ::geteuid() == 0;
        for (auto it = byFolder.cbegin(); it != byFolder.cend(); ++it) {
            const int fd =
                ::open(QFile::encodeName(it.key()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd < 0) {
                for (const QString& path : *it) m_known.insert(path, {});
                continue;
            }
            m_folders.push_back(fd);
            QHash<QByteArray, unsigned char> listed;
            bool listing = false;
            if (it->size() >= kListAtLeast) {
                if (DIR* dir = ::fdopendir(::dup(fd))) {
                    listing = true;
                    listed.reserve(it->size());
                    while (const dirent* entry = ::readdir(dir))
                        listed.insert(QByteArray(entry->d_name), entry->d_type);
                    ::closedir(dir);
                }
            }
            for (const QString& path : *it) {
                const QByteArray name =
                    QFile::encodeName(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
                unsigned char type = DT_UNKNOWN;
                if (listing) {
                    const auto found = listed.constFind(name);
                    if (found == listed.constEnd()) {
                        m_known.insert(path, {});
                        continue;
                    }
                    type = *found;
                }
                // Listed as a file or folder, and root: nothing left to ask.
                if (root && (type == DT_REG || type == DT_DIR)) {
                    m_known.insert(path, {type == DT_REG, type == DT_DIR, true});
                    continue;
                }
                jobs.append({fd, name, type});
                jobPaths << path;
            }
        }
        const QList<FileState> states = QtConcurrent::blockingMapped(jobs, [root](const Job& j) {
            FileState state;
            unsigned char type = j.type;
            // Only regular files (or a folder of pictures for a document): a FIFO would hang
            // the publish that copies it. Links and unknown types are followed and asked.
            if (type != DT_REG && type != DT_DIR) {
                struct stat st;
                if (::fstatat(j.folder, j.name.constData(), &st, 0) != 0) return state;
                type = S_ISREG(st.st_mode) ? DT_REG : S_ISDIR(st.st_mode) ? DT_DIR : DT_UNKNOWN;
            }
            state.file = type == DT_REG;
            state.folder = type == DT_DIR;
            state.readable =
                root || ::faccessat(j.folder, j.name.constData(), R_OK, AT_EACCESS) == 0;
            return state;
        });
        for (qsizetype i = 0; i < jobPaths.size(); ++i) m_known.insert(jobPaths[i], states[i]);
        for (int fd : m_folders) ::close(fd);
        m_folders.clear();
    }
    bool Readable(const QString& path, bool folderAllowed) const {
        const FileState state = m_known.value(path);
        return state.readable && (state.file || (folderAllowed && state.folder));
    }

private:
    QHash<QString, FileState> m_known;
    std::vector<int> m_folders;
};

// Prepared statements, each prepared once for the whole write.
class Statements {
public:
    explicit Statements(QSqlDatabase db) : m_db(db) {}
    bool Exec(const char* sql, const QVariantList& params) {
        auto it = m_queries.find(sql);
        if (it == m_queries.end()) {
            it = m_queries.emplace(sql, QSqlQuery(m_db)).first;
            if (!it->second.prepare(QString::fromUtf8(sql))) {
                m_error = it->second.lastError();
                return false;
            }
        }
        CatalogueDb::BindAll(it->second, params);
        if (it->second.exec()) return true;
        m_error = it->second.lastError();
        return false;
    }
    QSqlError Error() const { return m_error; }
    void Finish() { m_queries.clear(); }

private:
    QSqlDatabase m_db;
    std::map<const char*, QSqlQuery> m_queries;
    QSqlError m_error;
};
}  // namespace

const QStringList& ProductSheet::Headers() {
    static const QStringList headers{QStringLiteral("类别"),     QStringLiteral("产品名称"),
                                     QStringLiteral("型号"),     QStringLiteral("关键字"),
                                     QStringLiteral("产品图片"), QStringLiteral("产品介绍"),
                                     QStringLiteral("追加加工"), QStringLiteral("技术参考"),
                                     QStringLiteral("3D模型"),   QStringLiteral("备注")};
    return headers;
}

QString ImportRow::Shown() const {
    if (action == Action::Category) return product.className;
    const StoredProductName split = StoredProductName::Split(product.productName);
    QStringList parts{split.name, split.typeCode};
    parts.removeAll(QString());
    return parts.join(QLatin1Char(' '));
}

int ImportPlan::Count(ImportRow::Action action) const {
    int n = 0;
    for (const ImportRow& row : rows) n += row.action == action ? 1 : 0;
    return n;
}

bool ImportPlan::HasWrites() const {
    return error.isEmpty() &&
           (!newCategories.isEmpty() || Count(Action::Add) > 0 || Count(Action::Update) > 0);
}

QString ImportPlan::Summary() const {
    if (!error.isEmpty()) return error;
    return QStringLiteral("添加 %1 个产品，更新 %2 个，拒绝 %3 行，新建 %4 个类别")
        .arg(Count(Action::Add))
        .arg(Count(Action::Update))
        .arg(Count(Action::Refuse))
        .arg(newCategories.size());
}

QStringList ImportPlan::Report() const {
    QStringList lines;
    lines << QStringLiteral("表格：%1").arg(QDir::toNativeSeparators(sheet));
    if (!error.isEmpty()) {
        lines << error;
        return lines;
    }
    lines << QStringLiteral("编码 %1，分隔符 %2，%3 行数据")
                 .arg(encoding, separator)
                 .arg(rows.size());
    lines << Summary();
    if (!newCategories.isEmpty())
        lines << QStringLiteral("新建类别：%1").arg(newCategories.join(QStringLiteral("、")));
    if (!unknownColumns.isEmpty())
        lines << QStringLiteral("未知的列（已忽略）：%1")
                     .arg(unknownColumns.join(QStringLiteral("、")));
    for (const ImportRow& row : rows)
        if (row.action == Action::Refuse)
            lines << QStringLiteral("第 %1 行 %2：%3").arg(row.line).arg(row.Shown(), row.reason);
    return lines;
}

ProductImport::ProductImport(CatalogueDb& db) : m_db(db) {}

ImportPlan ProductImport::Preview(const QString& sheetPath, bool updateExisting) {
    QFile file(sheetPath);
    if (!file.open(QIODevice::ReadOnly)) {
        ImportPlan plan;
        plan.sheet = sheetPath;
        plan.error = QStringLiteral("无法读取表格：%1").arg(file.errorString());
        return plan;
    }
    ImportPlan plan =
        PreviewBytes(file.readAll(), QFileInfo(sheetPath).absolutePath(), updateExisting);
    plan.sheet = sheetPath;
    return plan;
}

ImportPlan ProductImport::PreviewBytes(const QByteArray& bytes, const QString& sheetFolder,
                                       bool updateExisting) {
    using namespace ProductSheet;
    ImportPlan plan;
    CsvSheet sheet;
    if (!sheet.Parse(bytes, &plan.error, Headers())) return plan;
    plan.encoding = sheet.EncodingName();
    plan.separator = sheet.SeparatorName();
    const QList<CsvRecord>& records = sheet.Records();
    if (records.isEmpty()) {
        plan.error = QStringLiteral("表格是空的");
        return plan;
    }

    // Headers by name, in any order; the first of two equal headers counts.
    QList<int> columnOf(kColumnCount, -1);
    const QStringList& header = records[0].fields;
    for (int c = 0; c < header.size(); ++c) {
        const QString name = header[c].trimmed();
        const int known = static_cast<int>(Headers().indexOf(name));
        if (known >= 0 && columnOf[known] < 0)
            columnOf[known] = c;
        else if (!name.isEmpty() && !plan.unknownColumns.contains(name))
            plan.unknownColumns << name;
    }
    QStringList missing;
    for (Column c : kRequired)
        if (columnOf[c] < 0) missing << Headers()[c];
    if (!missing.isEmpty()) {
        plan.error = QStringLiteral("表格缺少列：%1").arg(missing.join(QStringLiteral("、")));
        return plan;
    }

    // The catalogue as it stands, read once.
    CatalogueRecordset rs(&m_db);
    QSet<QString> categories;
    rs.OpenRecordset(Sql::SelectCategories);
    for (; !rs.IsEOF(); rs.MoveNext()) categories.insert(CategoryRecord::Read(rs).className);
    QHash<Key, ProductRecord> products;
    QHash<QString, int> lastNumber;  // per category
    rs.OpenRecordset(Sql::SelectAllProducts);
    for (; !rs.IsEOF(); rs.MoveNext()) {
        const ProductRecord p = ProductRecord::Read(rs);
        products.insert({p.className, p.productName}, p);
        int& last = lastNumber[p.className];
        last = qMax(last, p.number.toInt());
    }
    QHash<Key, QList<ModelFileRecord>> models;
    rs.OpenRecordset(Sql::SelectAllModels);
    for (; !rs.IsEOF(); rs.MoveNext()) {
        const ModelFileRecord m = ModelFileRecord::Read(rs);
        models[{m.className, m.productName}].append(m);
    }

    const QDir folder(sheetFolder);
    auto resolve = [&](const QString& text) {
        if (text.isEmpty()) return QString();
        // Sheets made on Windows write "\" between folders.
        QString path = QString(text).replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (!path.startsWith(QLatin1Char('/'))) path = folder.filePath(path);
        // Most paths are clean already, and cleaning costs as much as the rest of a row.
        if (path.contains(QLatin1String("/.")) || path.contains(QLatin1String("//")) ||
            path.endsWith(QLatin1Char('/')))
            path = QDir::cleanPath(path);
        return path;
    };
    auto cellOf = [&](const CsvRecord& record, Column c) {
        const int at = columnOf[c];
        return at >= 0 && at < record.fields.size() ? record.fields[at] : QString();
    };
    // Every path of the sheet first, so that the files are examined together.
    struct Paths {
        QString documents[4];  // picture, introduction, added processing, technical reference
        QStringList models;
    };
    QList<Paths> pathsOf(records.size());
    QSet<QString> named;
    for (qsizetype r = 1; r < records.size(); ++r) {
        Paths& paths = pathsOf[r];
        for (int d = 0; d < 4; ++d) {
            paths.documents[d] = resolve(cellOf(records[r], Column(kPicture + d)));
            if (!paths.documents[d].isEmpty()) named.insert(paths.documents[d]);
        }
        for (const QString& model : CsvSheet::SplitList(cellOf(records[r], kModels), false)) {
            paths.models << resolve(model);
            named.insert(paths.models.back());
        }
    }
    FileChecks files;
    files.Examine(named);

    QHash<Key, int> lineOf;
    for (qsizetype r = 1; r < records.size(); ++r) {
        const CsvRecord& record = records[r];
        auto cell = [&](Column c) { return cellOf(record, c); };
        ImportRow row;
        row.line = record.line;
        ProductRecord& p = row.product;
        // The names obey the dialogs' rules: no surrounding blanks, within the length a file
        // name in the published copy allows.
        p.className = NameRules::Clean(cell(kCategory));
        const QString name = NameRules::Clean(cell(kName)),
                      code = NameRules::Clean(cell(kTypeCode));
        const bool tooLong = p.className.size() > NameRules::kMaxLength ||
                             name.size() > NameRules::kMaxLength ||
                             code.size() > NameRules::kMaxLength;

        bool onlyCategory = !p.className.isEmpty();
        for (int c = kName; c < kColumnCount && onlyCategory; ++c)
            onlyCategory = cell(Column(c)).isEmpty();
        if (onlyCategory && !tooLong) {
            // A category of its own, with no product in it (as an export writes one).
            row.action = Action::Category;
            if (!categories.contains(p.className) && !plan.newCategories.contains(p.className))
                plan.newCategories << p.className;
            plan.rows << std::move(row);
            continue;
        }

        QStringList reasons;
        p.productName = StoredProductName::Join(name, code);
        if (name.isEmpty()) reasons << QStringLiteral("缺少产品名称");
        if (tooLong) reasons << NameRules::TooLongText();
        QStringList empty;
        for (Column c : kRequired)
            if (c != kName && cell(c).isEmpty()) empty << Headers()[c];
        if (!empty.isEmpty())
            reasons << QStringLiteral("数据未填全：%1").arg(empty.join(QStringLiteral("、")));

        p.key = cell(kKey);
        p.opath = pathsOf[r].documents[0];
        p.oIntroduce = pathsOf[r].documents[1];
        p.oAddProcess = pathsOf[r].documents[2];
        p.oTecReference = pathsOf[r].documents[3];
        if (!p.opath.isEmpty() && !files.Readable(p.opath, false))
            reasons << QStringLiteral("图片不存在或不可读：%1").arg(p.opath);
        for (const QString* doc : {&p.oIntroduce, &p.oAddProcess, &p.oTecReference})
            if (!doc->isEmpty() && !files.Readable(*doc, true))
                reasons << QStringLiteral("图片不存在或不可读：%1").arg(*doc);

        const QStringList& modelPaths = pathsOf[r].models;
        const QStringList notes = CsvSheet::SplitList(cell(kNotes), true);
        QList<ModelFileRecord> listed;
        QSet<QString> names;
        for (int m = 0; m < modelPaths.size(); ++m) {
            const QString& path = modelPaths[m];
            if (!files.Readable(path, false)) {
                reasons << QStringLiteral("模型文件不存在或不可读：%1").arg(path);
                continue;
            }
            ModelFileRecord file;
            file.className = p.className;
            file.productName = p.productName;
            file.modelFile = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
            file.opath = path;
            file.note = m < notes.size() ? notes[m] : QString();
            // Of two files of one name the first is recorded, as the add-product dialog does.
            if (names.contains(file.modelFile)) continue;
            names.insert(file.modelFile);
            listed << file;
        }

        const Key key{p.className, p.productName};
        if (reasons.isEmpty() && lineOf.contains(key))
            reasons << QStringLiteral("与第 %1 行的产品重复").arg(lineOf[key]);
        const auto stored = products.constFind(key);
        const bool exists = stored != products.constEnd();
        if (reasons.isEmpty() && exists && !updateExisting)
            reasons << QStringLiteral("该产品已存在");

        if (!reasons.isEmpty()) {
            row.action = Action::Refuse;
            row.reason = reasons.join(QStringLiteral("；"));
            plan.rows << std::move(row);
            continue;
        }
        lineOf.insert(key, row.line);
        if (exists) {
            // An update keeps the product's place, its published paths and its recorded files;
            // files new to it are added after them, and notes the sheet gives replace theirs.
            row.action = Action::Update;
            p.number = stored->number;
            p.dpath = stored->dpath;
            const QList<ModelFileRecord>& recorded = models.value(key);
            int last = 0;
            QHash<QString, const ModelFileRecord*> byName;
            for (const ModelFileRecord& m : recorded) {
                last = qMax(last, m.number.toInt());
                byName.insert(m.modelFile, &m);
            }
            for (ModelFileRecord& file : listed) {
                const auto old = byName.constFind(file.modelFile);
                if (old != byName.constEnd()) {
                    if (!file.note.isEmpty() && file.note != (*old)->note) row.notes << file;
                    continue;
                }
                file.number = QString::number(++last);
                row.models << file;
            }
        } else {
            row.action = Action::Add;
            p.number = QString::number(++lastNumber[p.className]);
            for (int m = 0; m < listed.size(); ++m) listed[m].number = QString::number(m + 1);
            row.models = listed;
            if (!categories.contains(p.className) && !plan.newCategories.contains(p.className))
                plan.newCategories << p.className;
        }
        plan.rows << std::move(row);
    }
    return plan;
}

ProductImport::Outcome ProductImport::Write(const ImportPlan& plan, const Progress& progress) {
    m_error.clear();
    if (!plan.error.isEmpty()) {
        m_error = plan.error;
        return Outcome::Failed;
    }
    if (!m_db.IsOpen()) {
        m_error = QStringLiteral("未连接数据库");
        return Outcome::Failed;
    }
    const int total = static_cast<int>(plan.newCategories.size()) + plan.Count(Action::Add) +
                      plan.Count(Action::Update);
    int done = 0;
    auto report = [&](bool force) {
        if (!progress || (!force && done % 100 != 0)) return true;
        return progress(done, total);
    };
    if (!report(true)) {
        m_error = QStringLiteral("导入已取消，没有写入任何数据");
        return Outcome::Cancelled;
    }

    // The current order of the categories, read before the transaction opens.
    QStringList order;
    {
        CatalogueRecordset rs(&m_db);
        rs.OpenRecordset(Sql::SelectCategoriesByNumberBracketed);
        for (; !rs.IsEOF(); rs.MoveNext()) order << CategoryRecord::Read(rs).className;
    }

    QSqlDatabase db = m_db.Database();
    m_db.BeforeWrite();
    if (!db.transaction()) {
        m_db.Failed(db.lastError());
        m_error = CatalogueDb::FailureText(db.lastError().text());
        return Outcome::Failed;
    }
    Statements sql(db);
    auto fail = [&](const QSqlError& error) {
        sql.Finish();
        db.rollback();
        m_db.Failed(error);
        m_error = QStringLiteral("导入失败，没有写入任何数据：%1").arg(error.text());
        return Outcome::Failed;
    };
    auto cancel = [&] {
        sql.Finish();
        db.rollback();
        m_db.Succeeded();
        m_error = QStringLiteral("导入已取消，没有写入任何数据");
        return Outcome::Cancelled;
    };

    // New categories go after the existing ones in sheet order; the whole list is then
    // numbered 1 … n as the category list numbers it.
    for (const QString& name : plan.newCategories) {
        if (order.contains(name)) continue;
        if (!sql.Exec(Sql::InsertCategory, {name})) return fail(sql.Error());
        order << name;
        ++done;
        if (!report(false)) return cancel();
    }
    if (!plan.newCategories.isEmpty())
        for (int i = 0; i < order.size(); ++i)
            if (!sql.Exec(Sql::SetCategoryNumber, {i + 1, order[i]})) return fail(sql.Error());

    for (const ImportRow& row : plan.rows) {
        const ProductRecord& p = row.product;
        if (row.action == Action::Add) {
            if (!sql.Exec(Sql::InsertProduct,
                          {p.number.toInt(), p.className, p.productName, p.key, p.opath,
                           p.oIntroduce, p.oAddProcess, p.oTecReference}))
                return fail(sql.Error());
        } else if (row.action == Action::Update) {
            if (!sql.Exec(Sql::UpdateProduct, {p.number.toInt(), p.productName, p.className, p.key,
                                               p.opath, p.dpath, p.oIntroduce, p.oAddProcess,
                                               p.oTecReference, p.productName, p.className}))
                return fail(sql.Error());
            for (const ModelFileRecord& m : row.notes)
                if (!sql.Exec(Sql::SetModelNote, {m.note, m.className, m.productName, m.modelFile}))
                    return fail(sql.Error());
        } else {
            continue;
        }
        for (const ModelFileRecord& m : row.models)
            if (!sql.Exec(kInsertModelWithNote, {m.className, m.productName, m.modelFile,
                                                 m.number.toInt(), m.opath, m.note}))
                return fail(sql.Error());
        ++done;
        if (!report(false)) return cancel();
    }
    if (!report(true)) return cancel();
    sql.Finish();
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        db.rollback();
        m_db.Failed(error);
        m_error = QStringLiteral("导入失败，没有写入任何数据：%1").arg(error.text());
        return Outcome::Failed;
    }
    m_db.Succeeded();
    return Outcome::Written;
}
