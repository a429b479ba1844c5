#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "app/InstallPaths.h"
#include "publish/CopyJob.h"

class CatalogueDb;

// Turns the authoring installation into a published copy under a root folder, without any
// window, in this order: lay out <root>/Vistrel, write the relative paths into the catalogue
// (one transaction), copy the company picture, queue the copy jobs, copy the data folder (the
// catalogue through SQLite), mark the copy published, copy the executable with the Qt runtime it
// needs (RuntimeBundle), run the jobs, write a thumbnail of every copied product picture into the
// copy's catalogue, write the web catalogue (index.html and web/) beside them, and report. The
// publish dialog and the command line differ only in how they run the jobs and show the notices.
class PublishOperation {
public:
    enum class Outcome { Published, NoRoot, Refused, Failed };

    // Copies the jobs in order and returns true only when every one was copied.
    using RunJobs = std::function<bool(const QList<CopyJob>&)>;
    // Shows one of the operation's notices.
    using Notify = std::function<void(const QString&)>;
    // Told how many of the product pictures have their thumbnail made, and of how many.
    using Progress = std::function<void(int done, int total)>;

    PublishOperation(CatalogueDb& db, const InstallPaths& paths);

    // The start-up cover and LOGO pictures that replace the data folder's own; empty for none.
    void SetCover(const QString& file) { m_cover = file; }
    void SetLogo(const QString& file) { m_logo = file; }
    // Without the program and its runtime the copy is the web catalogue alone (a preview).
    void SetProgram(bool withProgram) { m_withProgram = withProgram; }
    void SetThumbnailProgress(Progress progress) { m_thumbnailProgress = std::move(progress); }

    // Publishes into `root` and shows exactly one notice: success only when every folder, path,
    // direct copy and job succeeded. Thumbnails only save the viewer time: a picture without
    // one, or a catalogue they cannot be written to, is listed in Errors but fails nothing.
    Outcome Run(const QString& root, const RunJobs& runJobs, const Notify& notify);

    // A root that would break the installation or its copy: inside the data folder, one whose
    // Vistrel folder is or holds the installation, or an authoring installation itself.
    static bool IsRefusedRoot(const QString& root, const InstallPaths& paths);

    // What failed in the last run, one line each.
    const QStringList& Errors() const { return m_errors; }
    // The last run's queued jobs, with full paths.
    const QList<CopyJob>& Jobs() const { return m_jobs; }

    static QString NoRootText() { return QStringLiteral("选择要发布的根目录"); }
    static QString RefusedText() { return QStringLiteral("不能发布到程序所在的文件夹"); }
    static QString SuccessText() { return QStringLiteral("发布系统成功！"); }
    static QString FailureText() { return QStringLiteral("发布系统失败！"); }
    // Follows the success text where no Qt runtime could be bundled with the copy.
    static QString NeedsQtText() {
        return QStringLiteral("此副本未附带 Qt 运行库，只能在已安装 Qt 6 的计算机上运行。");
    }
    // Why the last successful copy carries no Qt runtime; empty when it does.
    const QString& NoRuntimeReason() const { return m_noRuntime; }

private:
    bool Prepare(const QString& root);
    bool Fail(const QString& why);
    bool MakeFolder(const QString& folder);
    // Queues a file, or (where folders are allowed) a folder's files with its sub-folders made;
    // other sources are skipped.
    bool Queue(const QString& source, const QString& destination, bool folderToo);
    bool CopyDataFolder(const QString& destination);
    bool CopyFile(const QString& source, const QString& destination);
    // Writes the thumbnails of the copied product pictures into the copy's catalogue.
    bool WriteThumbnails();

    CatalogueDb& m_db;
    InstallPaths m_paths;
    QString m_cover;
    QString m_logo;
    QString m_copy;  // <root>/Vistrel, links resolved
    QStringList m_errors;
    QString m_noRuntime;
    QList<CopyJob> m_jobs;
    QStringList m_pictures;  // the copy's product pictures, full paths
    Progress m_thumbnailProgress;
    bool m_withProgram = true;
};
