#include "viewer/CDocPageDlg.h"

#include <QKeyEvent>

#include "controls/CThumbListCtrl.h"
#include "controls/PictureLoader.h"
#include "viewer/DocPictureColumn.h"
#include "viewer/DocPictures.h"

int CDocPageDlg::ListIdOf(int pageId) {
    switch (pageId) {
        case 133:
            return 1000;
        case 134:
            return 1006;
        case 135:
            return 1040;
        default:
            return 0;
    }
}

CDocPageDlg::CDocPageDlg(int pageId, QWidget* parent)
    : QWidget(parent),
      m_pageId(pageId),
      m_list(new CThumbListCtrl(this)),
      m_column(new DocPictureColumn(this)) {
    setObjectName(QString::number(pageId));
    m_list->setObjectName(QString::number(ListIdOf(pageId)));
    m_column->setObjectName(QString::number(ListIdOf(pageId)) + QStringLiteral("-folder"));
    m_column->hide();
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(240, 240, 240));
    setPalette(pal);
    Layout();
}

CDocPageDlg::~CDocPageDlg() = default;

void CDocPageDlg::ShowPagePicture(const QString& path) {
    // A missing document leaves the page empty: what it showed belongs to another product.
    const bool exists = DocPictures::Exists(path);
    m_list->DeleteAllItems();
    m_column->Clear();
    m_shown.clear();
    if (DocPictures::IsFolder(path)) {
        const QList<DocPictures::Picture> pictures = DocPictures::Resolve(path, m_root);
        for (const DocPictures::Picture& p : pictures) m_shown << p.path;
        m_list->hide();
        m_column->show();
        m_column->SetPictures(pictures);
        return;
    }

    m_column->hide();
    m_list->show();
    // An unreadable picture has no size: the page stays empty.
    const QSize shown = DocPictures::ShownSize(exists ? PictureLoader::ReadSize(path) : QSize());
    if (shown.isEmpty()) return;
    m_list->SetThumbWidth(shown.width());
    m_list->SetThumbHeight(shown.height());
    m_list->InitThumbList();
    m_list->ShowPicture(path, QString());
    if (m_list->GetItemCount() > 0) m_shown << path;
}

QStringList CDocPageDlg::ShownFiles() const {
    return m_shown;
}

bool CDocPageDlg::ShowsFolder() const {
    return !m_column->isHidden();
}

void CDocPageDlg::ScrollToOrigin() {
    m_list->ScrollToOrigin();
    m_column->ScrollToOrigin();
}

bool CDocPageDlg::WaitForPictures(int timeoutMs) {
    if (ShowsFolder()) return m_column->WaitForPictures(timeoutMs);
    return m_list->WaitForThumbnails(timeoutMs);
}

void CDocPageDlg::Layout() {
    // The list keeps its place at the top-left and reaches to 5 pixels before the right edge
    // and to the bottom edge.
    const QRect area(0, 0, std::max(0, width() - 5), height());
    m_list->setGeometry(area);
    m_column->setGeometry(area);
}

void CDocPageDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Layout();
}

void CDocPageDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->accept();  // a page never closes or acts on these
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}
