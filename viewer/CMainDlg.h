#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>

#include "app/AppParts.h"
#include "controls/CSearchEdit.h"
#include "viewer/CatalogueBrowser.h"
#include "viewer/CompanyContact.h"

class CButtonListBox;
class CDocPageDlg;
class CHyperLink;
class CModelPageDlg;
class CWindowTap;
class CIniFile;
class CSkinBtn;
class CSkinTabCtrl;
class CThumbListCtrl;
class CTransparentStatic;
class QLabel;
class QLineEdit;
class QMenu;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The application's one top-level window: a borderless, skinned dialog with the category list,
// the product thumbnails, the document tabs of an open product, the company pages, the search
// box and the chat link. It owns all viewer state.
class CMainDlg : public QDialog {
    Q_OBJECT
public:
    // Window size at start.
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 700;
    // Height of the top band area that drags the window and takes the double click.
    static constexpr int kCaptionHeight = 66;
    static constexpr int kTopBandRows = 59;
    static constexpr int kBottomBandRows = 30;
    // The brushes of the frame.
    static QColor SideColor() { return QColor(2, 78, 122); }
    static QColor FrameColor() { return QColor(240, 240, 240); }
    static QColor BandTextColor() { return QColor(225, 225, 225); }

    // The window reads the catalogue and the installation it is given, and switches the
    // application's thumbnail mode as its views change.
    explicit CMainDlg(const AppParts& parts, QWidget* parent = nullptr);
    ~CMainDlg() override;

    // True when start-up could not load a band bitmap: the window is then never shown.
    bool QuitRequested() const { return m_quitRequested; }
    // Why: the bitmap and what is wrong with it ("" when start-up went well).
    QString StartupFailure() const { return m_startupFailure; }
    // The modal run; returns 0 at once when start-up asked to quit.
    int exec() override;

    // Content actions.
    void ShowProductCentre();
    void OpenCategory(const QString& text);
    void OpenProduct();
    void ShowCurrentDocument();
    void ShowCompanyPages();
    void RunSearch();
    // Takes `text` as the search text and runs the search, as Enter does on a typed text.
    void SearchFor(const QString& text);
    void OpenChat();
    void OnBack();
    void OnTabChanged(int index);
    void ToggleMaximize();

    void LayoutContent();
    void LayoutCaptionButtons();

    // Runs the settings hub; the product centre then shows the edited catalogue.
    void OnSettings();
    // Opens the publish dialog.
    void OnPublish();

    // The context menu of the top band (the window's system menu).
    QMenu* CreateSystemMenu(QWidget* parent);
    void OnAbout();

    // What the window shows, for the pages and tests.
    ViewMode View() const { return m_viewMode; }
    int TabCount() const { return m_tabCount; }
    bool IsMaximized() const { return m_maximized; }
    const QStringList& ClassNames() const { return m_classNames; }
    const QString& CurClass() const { return m_curClass; }
    const QString& CurProduct() const { return m_curProduct; }
    const QStringList& HitClass() const { return m_hitClass; }
    bool SearchActive() const { return m_searchActive; }
    const QString& PublishState() const { return m_publishState; }
    const QString& SearchText() const { return m_searchText; }

    CSkinBtn* ProductsButton() const { return m_btnProducts; }
    CSkinBtn* CompanyButton() const { return m_btnCompany; }
    CSkinBtn* SettingsButton() const { return m_btnSettings; }
    CSkinBtn* PublishButton() const { return m_btnPublish; }
    CSkinBtn* BackButton() const { return m_btnBack; }
    CSkinBtn* SearchButton() const { return m_btnSearch; }
    CSkinBtn* ChatButton() const { return m_btnChat; }
    CSkinBtn* CloseButton() const { return m_btnClose; }
    CButtonListBox* ClassList() const { return m_classList; }
    CThumbListCtrl* ProductList() const { return m_productList; }
    CSkinTabCtrl* Tab() const { return m_tab; }
    CSearchEdit* SearchEdit() const { return m_searchEdit; }
    CTransparentStatic* Title() const { return m_title; }
    QPlainTextEdit* CompanyText() const { return m_companyText; }
    CHyperLink* WebLink() const { return m_webLink; }
    // Where to begin, over the product area of an authoring copy without categories.
    QLabel* StartHint() const { return m_startHint; }
    CDocPageDlg* Page(int index) const { return m_pages[index]; }
    const std::array<CDocPageDlg*, 3>& Pages() const { return m_pages; }
    CModelPageDlg* ModelPage() const;

    const CompanyContact& Contact() const { return m_contact; }
    // Places the window on a screen whose free area is `available`: at its top-left corner where
    // 1024 x 700 fits (the program scales itself down to fit at start-up), otherwise maximised.
    void FitToScreen(const QRect& available);
    // Ctrl+F: the keyboard goes to the search box, its text selected.
    void FocusSearch();
    CatalogueBrowser& Browser() { return *m_browser; }
    const QPixmap& TopBand() const { return m_topBand; }
    const QPixmap& BottomBand() const { return m_bottomBand; }

protected:
    bool OnInitDialog();
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Keys and clicks anywhere in the window, before the control they are for: Enter searches
    // (outside the tab pages and the product grid, where it opens), Escape does nothing, Right
    // goes from the categories to the products, and a click elsewhere puts the search box's
    // placeholder back.
    bool PreTranslate(QObject* watched, QEvent* event);
    void UpdateTabOrder();
    void CreateControls();
    void CreateButtons();
    void CreateContent();
    void ConnectControls();
    void SetUpFonts();
    void CreatePages();
    void ApplyPublishState(const CIniFile& config);
    bool LoadSkin();
    void ApplyProductListState(ViewMode mode);
    void ApplyDocumentState();
    void PlacePages();
    void ShowPage(int index);
    void ResetCategoryList();
    void FillCategoryList();
    void FillProducts(const QList<ProductItem>& items);
    void ShowCompanyBranch(const QString& item);
    void UpdateWindowMask();
    bool InCaption(const QPoint& pos) const;
    bool InsideTabPage(QObject* object) const;
    void SearchButtonClicked();

    // The window's state.
    ViewMode m_viewMode = VIEW_PRODUCTS;
    int m_tabCount = 3;
    bool m_maximized = false;
    bool m_searchActive = false;
    QRect m_clientRect;
    QStringList m_classNames;
    QString m_curClass;
    QString m_curProduct;
    QStringList m_hitClass;
    QString m_publishState;
    QString m_searchText;

    CSkinBtn* m_btnProducts;        // 1001
    CSkinBtn* m_btnCompany;         // 1002
    CSkinBtn* m_btnSettings;        // 1012
    CSkinBtn* m_btnPublish;         // 1035
    CSkinBtn* m_btnBack;            // 1036
    CSkinBtn* m_btnSearch;          // 1003
    CSkinBtn* m_btnChat;            // 1010
    CSkinBtn* m_btnMin;             // 1006
    CSkinBtn* m_btnMax;             // 1008
    CSkinBtn* m_btnClose;           // 1007
    QPushButton* m_btnAbout;        // 1005
    CButtonListBox* m_classList;    // 1041
    CThumbListCtrl* m_productList;  // 1042
    CSkinTabCtrl* m_tab;            // 1004
    CSearchEdit* m_searchEdit;      // 1013
    CTransparentStatic* m_title;    // 1090
    QPlainTextEdit* m_companyText;  // 1029
    CHyperLink* m_webLink;          // 1044
    QLabel* m_startHint;
    std::array<CDocPageDlg*, 3> m_pages;  // 133, 134, 135
    QPointer<CModelPageDlg> m_modelPage;  // 136 while the product has model files

    CWindowTap* m_tap = nullptr;
    AppParts m_parts;
    std::unique_ptr<CatalogueBrowser> m_browser;
    CompanyContact m_contact;
    QPixmap m_topBand;
    QPixmap m_bottomBand;
    QFont m_textFont;
    QFont m_linkFont;
    QFont m_bandFont;
    bool m_quitRequested = false;
    QString m_startupFailure;
    bool m_dragging = false;
    QPoint m_dragOffset;
    QRect m_normalGeometry;
    QSize m_maskSize;
};
