#include "publish/CProgressDlg.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include "app/DialogUnits.h"
#include "app/MessageBox.h"
#include "publish/CopyQueue.h"

namespace {

// A one-line label that shortens a long path in the middle when drawing; its text stays whole.
class ElidedLabel : public QLabel {
public:
    explicit ElidedLabel(QWidget* parent) : QLabel(parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect area = contentsRect();
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width());
        style()->drawItemText(&painter, area, alignment(), palette(), isEnabled(), shown,
                              foregroundRole());
    }
};

}  // namespace

CProgressDlg::CProgressDlg(CopyQueue& queue, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_queue(queue) {
    setObjectName(QStringLiteral("152"));
    setWindowTitle(QStringLiteral("正在处理文件，请稍后..."));
    setFont(QFont(QStringLiteral("宋体"), 9));
    setModal(true);
    const DialogUnits du(font());
    setFixedSize(du.Size(250, 68));

    m_status = new ElidedLabel(this);
    m_status->setObjectName(QStringLiteral("1002"));
    m_status->setGeometry(du.Rect(10, 8, 230, 10));
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_fileLine = new ElidedLabel(this);
    m_fileLine->setObjectName(QStringLiteral("1004"));
    m_fileLine->setGeometry(du.Rect(10, 21, 230, 10));
    m_fileLine->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("1003"));
    m_bar->setGeometry(du.Rect(10, 34, 230, 9));
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    m_bar->hide();

    m_cancel = new QPushButton(QStringLiteral("取消"), this);
    m_cancel->setObjectName(QStringLiteral("2"));
    m_cancel->setGeometry(du.Rect(190, 49, 50, 14));
    connect(m_cancel, &QPushButton::clicked, this, &CProgressDlg::reject);

    m_pollTimer = new QTimer(this);
    connect(m_pollTimer, &QTimer::timeout, this, &CProgressDlg::OnTimer);
    m_closeTimer = new QTimer(this);
    m_closeTimer->setSingleShot(true);
    connect(m_closeTimer, &QTimer::timeout, this, [this] { Finish(QDialog::Accepted); });
}

CProgressDlg::~CProgressDlg() {
    // Stops a worker that is still running and waits for it, before the labels go away.
    m_worker.reset();
}

int CProgressDlg::DoModal() {
    return DoModal(m_queue.jobs);
}

int CProgressDlg::DoModal(const CopyJobList& jobs) {
    m_worker.reset();
    m_results = QList<CopyOutcome>(jobs.GetCount());
    m_cancelled = false;
    m_ending = false;
    m_cancel->setEnabled(true);
    m_bar->hide();
    m_bar->setValue(0);
    SetFileText(QString());
    SetStatus(QStringLiteral("复制中，请勿退出程序"));

    m_queue.finished.store(false);
    m_worker = std::make_unique<CopyWorker>(jobs.Jobs(), &m_queue.finished);
    if (m_chunkSize > 0) m_worker->SetChunkSize(m_chunkSize);
    if (m_clock) m_worker->SetClock(m_clock);
    if (m_observer) m_worker->SetChunkObserver(m_observer);
    CopyWorker* worker = m_worker.get();
    // Queued: the worker thread never calls into the widgets.
    connect(worker, &CopyWorker::copyStarted, this, &CProgressDlg::OnCopyStarted,
            Qt::QueuedConnection);
    connect(worker, &CopyWorker::fileStarted, this, &CProgressDlg::OnFileStarted,
            Qt::QueuedConnection);
    connect(worker, &CopyWorker::percentChanged, this, &CProgressDlg::OnPercentChanged,
            Qt::QueuedConnection);
    connect(worker, &CopyWorker::fileCopied, this, &CProgressDlg::OnFileCopied,
            Qt::QueuedConnection);
    connect(worker, &CopyWorker::fileFailed, this, &CProgressDlg::OnFileFailed,
            Qt::QueuedConnection);
    connect(worker, &QThread::finished, this, &CProgressDlg::OnWorkerEnded, Qt::QueuedConnection);
    worker->start();
    m_pollTimer->start(m_pollMs);
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

bool CProgressDlg::AllCopied() const {
    for (const CopyOutcome& outcome : m_results)
        if (outcome.status != CopyOutcome::Copied) return false;
    return true;
}

int CProgressDlg::CopiedCount() const {
    int count = 0;
    for (const CopyOutcome& outcome : m_results)
        if (outcome.status == CopyOutcome::Copied) ++count;
    return count;
}

void CProgressDlg::reject() {
    m_cancelled = true;
    if (m_worker && !m_ending) {
        // The dialog closes once the worker has stopped, after the chunk it is copying.
        m_worker->RequestCancel();
        m_cancel->setEnabled(false);
        return;
    }
    Finish(QDialog::Rejected);
}

void CProgressDlg::OnTimer() {
    if (m_queue.finished.load()) OnWorkerEnded();
}

void CProgressDlg::OnWorkerEnded() {
    if (m_ending || !m_worker) return;
    m_ending = true;
    m_pollTimer->stop();
    m_worker->wait();
    // The worker's last reports may still be queued; show them before the pause.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    m_results = m_worker->Outcomes();
    if (m_cancelled)
        Finish(QDialog::Rejected);
    else
        m_closeTimer->start(m_closeDelayMs);  // the last texts stay readable
}

void CProgressDlg::Finish(int result) {
    m_pollTimer->stop();
    m_closeTimer->stop();
    if (m_worker) {
        m_worker->RequestCancel();
        m_worker->wait();
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        if (!m_ending) m_results = m_worker->Outcomes();
        m_worker.reset();
    }
    m_ending = false;
    QDialog::done(result);
}

void CProgressDlg::SetStatus(const QString& text) {
    m_status->setText(text);
    emit statusTextChanged(text);
}

void CProgressDlg::SetFileText(const QString& text) {
    m_fileLine->setText(text);
    emit fileTextChanged(text);
}

void CProgressDlg::OnCopyStarted() {
    SetStatus(QStringLiteral("复制中，请勿退出程序"));
}

void CProgressDlg::OnFileStarted(int, const QString& source) {
    SetFileText(QStringLiteral("正在复制 %1 文件").arg(source));
    m_bar->show();
}

void CProgressDlg::OnPercentChanged(int, int percent) {
    m_bar->setValue(percent);
    SetStatus(QStringLiteral("已复制%1%，请勿退出程序").arg(percent));
}

void CProgressDlg::OnFileCopied(int, int seconds, int cumulativeSeconds) {
    m_bar->hide();
    m_bar->setValue(0);
    SetStatus(QStringLiteral("当前文件复制，花费%1秒").arg(seconds));
    SetFileText(QStringLiteral("当前累计复制文件，花费%1秒").arg(cumulativeSeconds));
}

void CProgressDlg::OnFileFailed(int, const QString&) {
    m_bar->hide();
    m_bar->setValue(0);
    SetStatus(QStringLiteral("复制出错，请检查路径是否正确"));
}
