#include "publish/CPublishDlg.h"

#include <QDir>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <memory>

#include "app/DialogUnits.h"
#include "app/MessageBox.h"
#include "app/Prompter.h"
#include "publish/CFolderTreeCtrl.h"
#include "publish/CProgressDlg.h"
#include "publish/CopyQueue.h"
#include "publish/PublishOperation.h"

namespace {
QPushButton* Button(QWidget* parent, const char* id, const QString& text, const QRect& rect) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(id));
    button->setGeometry(rect);
    button->setAutoDefault(false);
    return button;
}
}  // namespace

CPublishDlg::CPublishDlg(const AppParts& parts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_parts(parts) {
    setObjectName(QStringLiteral("145"));
    setWindowTitle(QStringLiteral("信息发布界面"));
    setFont(QFont(QStringLiteral("宋体"), 9));
    const DialogUnits du(font());
    setFixedSize(du.Size(330, 210));

    auto* label = new QLabel(QStringLiteral("请选择要发布的根目录:"), this);
    label->setGeometry(du.Rect(7, 7, 160, 10));
    m_tree = new CFolderTreeCtrl(this);
    m_tree->setObjectName(QStringLiteral("1033"));
    m_tree->setGeometry(du.Rect(7, 19, 170, 184));

    auto* coverGroup = new QGroupBox(QStringLiteral("设置启动封面图片"), this);
    coverGroup->setGeometry(du.Rect(186, 15, 137, 50));
    m_cover = new QLineEdit(coverGroup);
    m_cover->setObjectName(QStringLiteral("1096"));
    m_cover->setGeometry(du.Rect(7, 13, 123, 13));
    m_btnCover = Button(coverGroup, "1097", QStringLiteral("选择图片..."), du.Rect(80, 30, 50, 14));

    auto* logoGroup = new QGroupBox(QStringLiteral("设置LOGO图片"), this);
    logoGroup->setGeometry(du.Rect(186, 73, 137, 50));
    m_logo = new QLineEdit(logoGroup);
    m_logo->setObjectName(QStringLiteral("1014"));
    m_logo->setGeometry(du.Rect(7, 13, 123, 13));
    m_btnLogo = Button(logoGroup, "1003", QStringLiteral("选择图片..."), du.Rect(80, 30, 50, 14));

    // Where the copy goes, said before it is made; nothing is chosen until the editor picks.
    auto* rootGroup = new QGroupBox(QStringLiteral("发布位置"), this);
    rootGroup->setGeometry(du.Rect(186, 127, 137, 55));
    m_rootLabel = new QLabel(rootGroup);
    m_rootLabel->setObjectName(QStringLiteral("publishRoot"));
    m_rootLabel->setGeometry(du.Rect(7, 11, 123, 22));
    m_rootLabel->setWordWrap(true);
    m_rootLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_btnNewFolder =
        Button(rootGroup, "newFolder", QStringLiteral("新建文件夹"), du.Rect(80, 36, 50, 14));
    m_btnNewFolder->setToolTip(QStringLiteral("在选中的文件夹中新建一个文件夹"));

    m_btnPublish = Button(this, "1001", QStringLiteral("系统发布"), du.Rect(243, 186, 80, 17));
    m_progress = new CProgressDlg(m_parts.copies, this);

    connect(m_tree, &CFolderTreeCtrl::SelectionChanged, this, &CPublishDlg::OnSelchangedTree);
    connect(m_btnCover, &QPushButton::clicked, this, &CPublishDlg::OnSelectCover);
    connect(m_btnLogo, &QPushButton::clicked, this, &CPublishDlg::OnSelectLogo);
    connect(m_btnPublish, &QPushButton::clicked, this, &CPublishDlg::OnPublish);
    connect(m_btnNewFolder, &QPushButton::clicked, this, &CPublishDlg::OnNewFolder);
    connect(m_tree, &CFolderTreeCtrl::RenameFailed, this,
            [](const QString& why) { Tell(Prompter(), why); });

    // The first folder of the tree is no choice: the root is what the editor picks (or picked
    // earlier in this run).
    m_tree->AttachSystemIcons();
    m_tree->FillFromDesktop(false);
    ShowRoot();
}

void CPublishDlg::ShowRoot() {
    const QString& root = m_parts.publishRoot;
    const QString text = root.isEmpty() ? QStringLiteral("尚未选择根目录")
                                        : QDir(root).filePath(QStringLiteral("Vistrel"));
    m_rootLabel->setToolTip(text);
    // Long paths keep their end, which names the folder.
    const QFontMetrics metrics(m_rootLabel->font());
    const int width = m_rootLabel->width();
    QString shown = text;
    if (metrics.horizontalAdvance(text) > width * 2)
        shown = metrics.elidedText(text, Qt::ElideLeft, width * 2 - metrics.averageCharWidth());
    m_rootLabel->setText(shown);
}

void CPublishDlg::OnNewFolder() {
    QString why;
    if (!m_tree->MakeFolderInSelection(&why)) Tell(Prompter(), why);
}

CPublishDlg::~CPublishDlg() = default;

void CPublishDlg::OnSelchangedTree() {
    m_tree->GetSelectedPath(m_parts.publishRoot);  // a node without a path keeps the last root
    ShowRoot();
}

void CPublishDlg::OnSelectCover() {
    const QString file = Prompter().OpenFile(QStringLiteral("打开"), QString(),
                                             QStringLiteral("JPG(*.jpg);;图片文件(*.jpg)"));
    if (!file.isEmpty()) m_cover->setText(file);
}

void CPublishDlg::OnSelectLogo() {
    const QString file = Prompter().OpenFile(QStringLiteral("打开"), QString(),
                                             QStringLiteral("位图文件(*.bmp);;图片文件(*.bmp)"));
    if (!file.isEmpty()) m_logo->setText(file);
}

void CPublishDlg::OnPublish() {
    m_root = m_parts.publishRoot;
    PublishOperation operation(m_parts.db, m_parts.paths);
    operation.SetCover(m_cover->text().trimmed());
    operation.SetLogo(m_logo->text().trimmed());
    // Making the thumbnails runs on this thread after the copies: a window-modal bar keeps the
    // window painted and tells the editor how far it is.
    std::unique_ptr<QProgressDialog> thumbnails;
    operation.SetThumbnailProgress([this, &thumbnails](int done, int total) {
        if (!thumbnails) {
            thumbnails = std::make_unique<QProgressDialog>(QStringLiteral("正在生成缩略图……"),
                                                           QString(), 0, total, this);
            thumbnails->setWindowTitle(windowTitle());
            thumbnails->setWindowModality(Qt::WindowModal);
            thumbnails->setMinimumDuration(0);
        }
        thumbnails->setValue(done);  // also handles the window's pending events
        if (done >= total) thumbnails.reset();
    });
    const PublishOperation::Outcome outcome = operation.Run(
        m_root,
        [this](const QList<CopyJob>& jobs) {
            CopyJobList& list = m_parts.copies.jobs;
            list.RemoveAll();
            for (const CopyJob& job : jobs) list.Append(job);
            return m_progress->DoModal() == IDOK && m_progress->AllCopied();
        },
        [](const QString& text) { Tell(Prompter(), text); });
    operation.FollowUp(outcome, Prompter());
}
