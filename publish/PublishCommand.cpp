#include "publish/PublishCommand.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include "app/CIniFile.h"
#include "app/InstallPaths.h"
#include "publish/CopyWorker.h"
#include "publish/PublishOperation.h"
#include "publish/PublishPlan.h"
#include "store/CatalogueDb.h"

namespace {

int Usage(QTextStream& err, const QString& why, bool web = false) {
    if (web) {
        err << "vistrel-install web: " << why << "\n"
            << "usage: vistrel-install web INSTALLATION FOLDER\n";
        return 2;
    }
    err << "vistrel-install publish: " << why << "\n"
        << "usage: vistrel-install publish INSTALLATION ROOT [--cover FILE.jpg] [--logo "
           "FILE.bmp]\n";
    return 2;
}

// Copies the jobs on the copy worker, printing each file as it starts: one line each, or one
// redrawn bar on a terminal.
bool RunJobs(const QList<CopyJob>& jobs, QTextStream& out, QTextStream& err, bool terminal) {
    CopyWorker worker(jobs, nullptr);
    const int total = static_cast<int>(jobs.size());
    QObject::connect(
        &worker, &CopyWorker::fileStarted, &worker,
        [&](int index, const QString& source) {
            if (!terminal) {
                out << QStringLiteral("[%1/%2] %3").arg(index + 1).arg(total).arg(source) << "\n";
            } else {
                constexpr int kWidth = 30;
                const int filled = total ? (index + 1) * kWidth / total : kWidth;
                out << "\r[" << QString(filled, QLatin1Char('#'))
                    << QString(kWidth - filled, QLatin1Char('.'))
                    << QStringLiteral("] %1/%2 ").arg(index + 1).arg(total)
                    << QFileInfo(source).fileName().left(40) << "\x1b[K";
            }
            out.flush();
        },
        Qt::DirectConnection);
    QObject::connect(
        &worker, &CopyWorker::fileFailed, &worker,
        [&](int index, const QString& error) {
            if (terminal) out << "\n";
            err << QStringLiteral("复制出错，请检查路径是否正确: %1 -> %2: %3")
                       .arg(jobs[index].source, jobs[index].destination, error)
                << "\n";
        },
        Qt::DirectConnection);
    worker.start();
    worker.wait();
    if (terminal && total > 0) out << "\n";
    for (const CopyOutcome& outcome : worker.Outcomes())
        if (outcome.status != CopyOutcome::Copied) return false;
    return true;
}

}  // namespace

int PublishCommand::Run(const QStringList& args, QTextStream& out, QTextStream& err,
                        bool terminal) {
    return RunCommand(args, out, err, terminal, false);
}

int PublishCommand::RunWeb(const QStringList& args, QTextStream& out, QTextStream& err,
                           bool terminal) {
    if (args.size() != 2) return Usage(err, QStringLiteral("INSTALLATION and FOLDER needed"), true);
    return RunCommand(args, out, err, terminal, true);
}

int PublishCommand::RunCommand(const QStringList& args, QTextStream& out, QTextStream& err,
                               bool terminal, bool web) {
    QStringList positional;
    QString cover, logo;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--cover") || a == QLatin1String("--logo")) {
            if (i + 1 >= args.size()) return Usage(err, a + QStringLiteral(" needs a file"));
            const QString file = args[++i];
            if (!QFileInfo(file).isFile()) return Usage(err, file + QStringLiteral(" is no file"));
            (a == QLatin1String("--cover") ? cover : logo) = QFileInfo(file).absoluteFilePath();
        } else {
            positional << a;
        }
    }
    if (positional.size() != 2) return Usage(err, QStringLiteral("INSTALLATION and ROOT needed"));
    const QString installation = QFileInfo(positional[0]).absoluteFilePath();
    const InstallPaths paths =
        InstallPaths::FromExecutable(QDir(installation).filePath(QStringLiteral("vistrel")));
    if (CIniFile(paths.configPath)
            .GetString(QStringLiteral("SysInfo"), QStringLiteral("发布状态")) == QLatin1String("1"))
        return Usage(err, installation + QStringLiteral(" is a published copy"), web);

    CatalogueDb db;
    QString why;
    if (!db.Open(CatalogueDb::CatalogueFile(paths.dataFolder), &why)) {
        err << QStringLiteral("抱歉，连接数据库失败！") << " " << why << "\n";
        return 1;
    }
    db.SetFailureHandler([&err](const QString& message) {
        err << QStringLiteral("数据库操作失败：") << message << "\n";
    });
    PublishOperation operation(db, paths);
    operation.SetCover(cover);
    operation.SetLogo(logo);
    operation.SetProgram(!web);
    operation.SetThumbnailProgress([&](int done, int total) {
        const QString text = QStringLiteral("缩略图 %1/%2").arg(done).arg(total);
        if (terminal)
            out << "\r" << text << "\x1b[K" << (done == total ? "\n" : "");
        else
            out << text << "\n";
        out.flush();
    });
    const auto outcome = operation.Run(
        QFileInfo(positional[1]).absoluteFilePath(),
        [&](const QList<CopyJob>& jobs) { return RunJobs(jobs, out, err, terminal); },
        [&](const QString& text) {
            for (const QString& line : operation.Errors()) err << line << "\n";
            if (!operation.NoRuntimeReason().isEmpty())
                err << "no Qt runtime bundled: " << operation.NoRuntimeReason() << "\n";
            err.flush();
            out << text << "\n";
        });
    // Where the thumbnails came from: a republish that decodes again is worth noticing.
    if (outcome == PublishOperation::Outcome::Published) {
        const ThumbnailMaker::Counts made = operation.ThumbnailsMade();
        out << QStringLiteral("缩略图：沿用上次发布 %1，桌面缓存 %2，相机缩略图 %3，解码 %4")
                   .arg(made.earlier)
                   .arg(made.cache)
                   .arg(made.embedded)
                   .arg(made.decoded)
            << "\n";
    }
    if (web && outcome == PublishOperation::Outcome::Published)
        out << QDir(PublishPlan::CopyFolder(QFileInfo(positional[1]).absoluteFilePath()))
                   .filePath(QStringLiteral("index.html"))
            << "\n";
    out.flush();
    err.flush();
    return outcome == PublishOperation::Outcome::Published ? 0 : 1;
}
