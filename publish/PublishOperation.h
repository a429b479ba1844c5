#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "app/InstallPaths.h"
#include "publish/CopyJob.h"
#include "publish/ThumbnailMaker.h"
#include "publish/WebPictures.h"

class CatalogueDb;
class IPrompter;

// Turns the authoring installation into a published copy under a root folder, without any
// window. The copy is built in a staging folder under the root and takes the place of
// <root>/Vistrel only once all of it succeeded, so a failure or a kill leaves the earlier copy
// whole (or none); the next run removes what a killed one left. Files an earlier copy holds
// unchanged are hard-linked from it rather than copied again. In this order: lay out the copy,
// write the relative paths into the catalogue (one transaction), copy the company picture, queue
// the copy jobs, copy the data folder (the catalogue through SQLite), mark the copy published, copy
// the executable with the Qt runtime it needs (RuntimeBundle), run the jobs, wait for the
// thumbnails of the product pictures (ThumbnailMaker, busy since the catalogue was copied), write
// the web catalogue (index.html and web/) beside them, and report. The publish dialog and the
// command line differ only in how they run the jobs and show the notices.
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
    // Without the web catalogue the copy is the desktop program's alone, as copies were before
    // there was one; what the web catalogue adds to a publish is measured against that.
    void SetWebCatalogue(bool withWeb) { m_withWeb = withWeb; }
    void SetThumbnailProgress(Progress progress) { m_thumbnailProgress = std::move(progress); }

    // Publishes into `root` and shows exactly one notice: success only when every folder, path,
    // direct copy and job succeeded. Thumbnails only save the viewer time: a picture without
    // one, or a catalogue they cannot be written to, is listed in Errors but fails nothing.
    Outcome Run(const QString& root, const RunJobs& runJobs, const Notify& notify);

    // A root that would break the installation or its copy: inside the data folder, one whose
    // Vistrel folder is or holds the installation, or an authoring installation itself.
    static bool IsRefusedRoot(const QString& root, const InstallPaths& paths);

    // The copy of the last successful run (<root>/Vistrel); empty before one.
    const QString& CopyFolder() const { return m_published; }
    // The names under a root that a publish makes and removes again: its staging folder, and
    // the earlier copy while it is being replaced.
    static bool IsWorkFolderName(const QString& name);

    // What failed in the last run, one line each.
    const QStringList& Errors() const { return m_errors; }
    // The last run's queued jobs, with full paths.
    const QList<CopyJob>& Jobs() const { return m_jobs; }
    // Where the last run's shipped thumbnails came from.
    ThumbnailMaker::Counts ThumbnailsMade() const { return m_thumbnails.Made(); }

    static QString NoRootText() { return QStringLiteral("选择要发布的根目录"); }
    static QString RefusedText() { return QStringLiteral("不能发布到程序所在的文件夹"); }
    static QString SuccessText() { return QStringLiteral("发布系统成功！"); }
    static QString FailureText() { return QStringLiteral("发布系统失败！"); }
    // Follows the success text where no Qt runtime could be bundled with the copy.
    static QString NeedsQtText() {
        return QStringLiteral("此副本未附带 Qt 运行库，只能在已安装 Qt 6 的计算机上运行。");
    }
    // What follows the notice of a run, in a window that stays until it is closed: the first
    // reasons of a failure and how many more there are; or where the copy went, with the offer
    // to open that folder.
    void FollowUp(Outcome outcome, IPrompter& prompter) const;
    static QString FailureDetails(const QStringList& errors, int shown = 5);
    static QString SuccessDetails(const QString& copyFolder) {
        return QStringLiteral("发布的副本位于：\n%1\n\n是否打开此文件夹？").arg(copyFolder);
    }

    // Why the last successful copy carries no Qt runtime; empty when it does.
    const QString& NoRuntimeReason() const { return m_noRuntime; }

    ~PublishOperation();
    PublishOperation(const PublishOperation&) = delete;
    PublishOperation& operator=(const PublishOperation&) = delete;

private:
    // Locks the root against a second publish, removes what a killed run left and makes an
    // empty staging folder.
    bool Stage(const QString& root);
    // Puts the staged copy in the place of <root>/Vistrel and removes the earlier one.
    bool Replace();
    void Unstage();
    bool Prepare();
    bool Fail(const QString& why);
    bool MakeFolder(const QString& folder);
    // Queues a file, or (where folders are allowed) a folder's files with its sub-folders made;
    // other sources are skipped.
    bool Queue(const QString& source, const QString& destination, bool folderToo);
    // Starts the web catalogue's conversions from the sources, or the thumbnails.
    void StartPictureWork(bool thumbnails);
    // Where the conversions go, inside the staging folder.
    QString ConvertedFolder() const;
    bool CopyDataFolder(const QString& destination);
    bool CopyFile(const QString& source, const QString& destination);
    // Hard-links the earlier copy's files for the jobs that it holds unchanged, and drops them.
    void LinkUnchangedJobs();
    // Hard-links the earlier copy's file for `destination` where it is unchanged.
    bool LinkFromPrevious(const QString& source, const QString& destination);
    // Waits for the thumbnails of the product pictures in the copy's catalogue.
    void FinishThumbnails();
    // Bundles the executable and its runtime on a thread of its own, beside the copies: they
    // share no file, and a first publish would otherwise wait for the loader and the libraries
    // before it copies anything.
    void StartRuntime();
    // Waits for it; false, with the reason in the errors, when it failed.
    bool FinishRuntime();

    CatalogueDb& m_db;
    InstallPaths m_paths;
    QString m_cover;
    QString m_logo;
    QString m_copy;      // the copy being built: the staging folder, links resolved
    QString m_final;     // <root>/Vistrel
    QString m_previous;  // the earlier copy to link unchanged files from, or ""
    QString m_published;
    int m_rootLock = -1;
    QStringList m_errors;
    QString m_noRuntime;
    QList<CopyJob> m_jobs;
    QList<ThumbnailMaker::Picture> m_pictures;  // the product pictures, one per key
    QList<WebPictures::Picture> m_shown;        // the pictures the web catalogue shows
    // Picture work beside the copies: one thread while they run, every core after.
    QThreadPool m_background;
    ThumbnailMaker m_thumbnails{m_background};
    // The web catalogue's conversions keep a thread of their own, so that the thumbnails the
    // copy's catalogue waits for never queue behind them.
    QThreadPool m_conversions;
    WebPictures m_webPictures{m_conversions};
    Progress m_thumbnailProgress;
    struct RuntimeOutcome {
        QString error;      // empty when the program and its runtime are in place
        QString noRuntime;  // why there is no runtime to bundle, when there is none
    };
    QThreadPool m_runtimePool;
    QFuture<RuntimeOutcome> m_runtime;
    bool m_withProgram = true;
    bool m_withWeb = true;
};
