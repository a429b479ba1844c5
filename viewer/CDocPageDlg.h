#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class CThumbListCtrl;
class DocPictureColumn;

// One document page of the main window's tab control (pages 133, 134 and 135): the product's
// introduction, added-processing or technical-reference picture at its own size (at most 3300
// pixels wide). A document stored as a folder shows the folder's pictures one below another.
class CDocPageDlg : public QWidget {
    Q_OBJECT
public:
    // `pageId` is 133, 134 or 135; the page's list gets id 1000, 1006 or 1040.
    CDocPageDlg(int pageId, QWidget* parent = nullptr);
    ~CDocPageDlg() override;

    int PageId() const { return m_pageId; }
    static int ListIdOf(int pageId);

    // Shows the document at `path` (a picture file or a folder of pictures); the page is left
    // empty when nothing readable exists at the path.
    void ShowPagePicture(const QString& path);

    // A folder that every picture of a document folder must really lie in (symbolic links
    // followed); others count as missing. Empty: no such rule.
    void SetPictureRoot(const QString& root) { m_root = root; }

    CThumbListCtrl* List() const { return m_list; }
    DocPictureColumn* Column() const { return m_column; }
    // The picture files the page shows now, in order.
    QStringList ShownFiles() const;
    bool ShowsFolder() const;

    // Scrolls to the top and the left end.
    void ScrollToOrigin();
    // Waits until what the page shows is drawn; false after the time-out.
    bool WaitForPictures(int timeoutMs = -1);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Layout();

    int m_pageId;
    CThumbListCtrl* m_list;
    DocPictureColumn* m_column;
    QStringList m_shown;
    QString m_root;
};
