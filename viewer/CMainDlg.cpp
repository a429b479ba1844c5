#include "viewer/CMainDlg.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegion>
#include <QScreen>
#include <QShortcut>
#include <QWindow>

#include "app/CAboutDlg.h"
#include "app/CIniFile.h"
#include "app/DocPathCache.h"
#include "app/InstallPaths.h"
#include "app/MessageBox.h"
#include "app/Prompter.h"
#include "authoring/CSettingDlg.h"
#include "controls/CButtonListBox.h"
#include "controls/CHoverButton.h"
#include "controls/CHyperLink.h"
#include "controls/CSearchEdit.h"
#include "controls/CSkinBtn.h"
#include "controls/CSkinTabCtrl.h"
#include "controls/CThumbListCtrl.h"
#include "controls/CTransparentStatic.h"
#include "controls/CWindowTap.h"
#include "controls/PictureLoader.h"
#include "controls/ShippedThumbnails.h"
#include "publish/CPublishDlg.h"
#include "store/CatalogueDb.h"
#include "viewer/CDocPageDlg.h"
#include "viewer/CModelPageDlg.h"
#include "viewer/DocPictures.h"

namespace {

const QStringList kTabCaptions = {QStringLiteral("产品介绍"), QStringLiteral("追加加工"),
                                  QStringLiteral("技术参考")};

// A font given as the windows give it: face, cell height in pixels and weight. The pixel size
// is chosen so that the line height matches the requested cell height.
QFont CellFont(const QString& face, int cellHeight, int weight) {
    QFont font(face);
    font.setWeight(static_cast<QFont::Weight>(weight));
    int size = cellHeight;
    for (; size > 6; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).height() <= cellHeight) break;
    }
    font.setPixelSize(size);
    return font;
}

// A rectangle as the frame draws it: filled with the brush and outlined with a one-pixel black
// pen, covering l..r-1 and t..b-1.
void FrameRectangle(QPainter& p, int l, int t, int r, int b, const QColor& fill) {
    if (r <= l || b <= t) return;
    p.fillRect(QRect(l, t, r - l, b - t), fill);
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(l, t, r - l - 1, b - t - 1));
}

// Where the navigation buttons sit: at y 14, 100 pixels apart from x 400. When the window is
// too narrow for the four of them left of the search box, the group moves left just enough.
int NavLeft(int clientRight, int visibleButtons) {
    constexpr int kPreferred = 400;
    const int searchLeft = clientRight - 330;
    const int needed = visibleButtons * 100 - 4 + 8;
    return std::max(270, std::min(kPreferred, searchLeft - needed));
}

}  // namespace

CMainDlg::CMainDlg(const AppParts& parts, QWidget* parent) : QDialog(parent), m_parts(parts) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint);
    setObjectName(QStringLiteral("102"));
    CreateControls();
    // Every key and click of the window passes the search box's rules first.
    m_tap = new CWindowTap(
        this, [this](QObject* watched, QEvent* event) { return PreTranslate(watched, event); });
    OnInitDialog();
}

CModelPageDlg* CMainDlg::ModelPage() const {
    return m_modelPage;
}

int CMainDlg::exec() {
    if (m_quitRequested) {
        setResult(0);
        return 0;
    }
    return QDialog::exec();
}

CMainDlg::~CMainDlg() {
    // The children go after this destructor, and their last events must not reach a window
    // that is no longer whole.
    delete m_tap;
    if (m_browser && m_browser->IsPublished()) ShippedThumbnails::Close();
}

void CMainDlg::CreateControls() {
    CreateButtons();
    CreateContent();
    ConnectControls();
}

void CMainDlg::CreateButtons() {
    auto skinButton = [this](int id) {
        auto* b = new CSkinBtn(this);
        b->setObjectName(QString::number(id));
        return b;
    };
    m_btnProducts = skinButton(1001);
    m_btnCompany = skinButton(1002);
    m_btnSettings = skinButton(1012);
    m_btnPublish = skinButton(1035);
    m_btnBack = skinButton(1036);
    m_btnSearch = skinButton(1003);
    m_btnChat = skinButton(1010);
    m_btnMin = skinButton(1006);
    m_btnMax = skinButton(1008);
    m_btnClose = skinButton(1007);
    m_btnMin->setText(QStringLiteral("最小化"));
    m_btnMax->setText(QStringLiteral("最大化"));
    m_btnClose->setText(QStringLiteral("关闭"));
    m_btnMin->setToolTip(QStringLiteral("最小化"));
    m_btnMax->setToolTip(QStringLiteral("最大化"));
    m_btnClose->setToolTip(QStringLiteral("关闭"));
    // The caption buttons never take the keyboard focus away from the content.
    for (CSkinBtn* b : {m_btnMin, m_btnMax, m_btnClose}) b->setFocusPolicy(Qt::NoFocus);
    // The skinned buttons show their caption only as a picture: screen readers read these.
    const std::pair<CSkinBtn*, const char*> names[] = {
        {m_btnProducts, "产品中心"}, {m_btnCompany, "企业介绍"}, {m_btnSettings, "系统设置"},
        {m_btnPublish, "系统发布"},  {m_btnBack, "返回"},        {m_btnSearch, "搜索"},
        {m_btnChat, "与企业QQ对话"}, {m_btnMin, "最小化"},       {m_btnMax, "最大化"},
        {m_btnClose, "关闭"}};
    for (const auto& [button, name] : names) button->setAccessibleName(QString::fromUtf8(name));

    m_btnAbout = new QPushButton(QStringLiteral("关于"), this);
    m_btnAbout->setObjectName(QStringLiteral("1005"));
    m_btnAbout->hide();
    m_btnAbout->setEnabled(false);
    m_btnAbout->setAutoDefault(false);
}

void CMainDlg::CreateContent() {
    m_classList = new CButtonListBox(this);
    m_classList->setObjectName(QStringLiteral("1041"));
    m_classList->setFrameShape(QFrame::StyledPanel);
    m_classList->setFrameShadow(QFrame::Sunken);

    m_productList = new CThumbListCtrl(m_parts.thumbListMode, this);
    m_startHint = new QLabel(QStringLiteral("这是一个新的产品目录，还没有产品类别。\n\n"
                                            "请点击上方的“系统设置”，先在“产品分类名”中添加类别，"
                                            "再用“添加产品”添加产品。"),
                             m_productList);
    m_startHint->setObjectName(QStringLiteral("startHint"));
    m_startHint->setAlignment(Qt::AlignCenter);
    m_startHint->setWordWrap(true);
    m_startHint->setMargin(40);
    m_startHint->hide();
    m_productList->setObjectName(QStringLiteral("1042"));
    m_productList->setFrameShape(QFrame::NoFrame);
    m_classList->setAccessibleName(QStringLiteral("产品类别"));
    m_productList->setAccessibleName(QStringLiteral("产品"));

    m_tab = new CSkinTabCtrl(this);
    m_tab->setObjectName(QStringLiteral("1004"));
    m_tab->setAccessibleName(QStringLiteral("产品文档"));

    m_searchEdit = new CSearchEdit(SEARCH_HINT, this);
    m_searchEdit->setObjectName(QStringLiteral("1013"));
    m_searchEdit->setAccessibleName(QStringLiteral("类型码搜索"));
    // Ctrl+F, as in every program that searches.
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] { FocusSearch(); });

    m_title = new CTransparentStatic(this);
    m_title->setObjectName(QStringLiteral("1090"));
    m_title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_companyText = new QPlainTextEdit(this);
    m_companyText->setObjectName(QStringLiteral("1029"));
    // The contact page is for reading; a visitor's typing would be lost anyway.
    m_companyText->setReadOnly(true);
    m_companyText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    m_webLink = new CHyperLink(this);
    m_webLink->setObjectName(QStringLiteral("1044"));
    m_webLink->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The link keeps the rectangle the layout gives it, so a click anywhere in it counts.
    m_webLink->SetAutoSize(false);
}

void CMainDlg::ConnectControls() {
    connect(m_btnProducts, &QAbstractButton::clicked, this, [this] { ShowProductCentre(); });
    connect(m_btnCompany, &QAbstractButton::clicked, this, [this] { ShowCompanyPages(); });
    connect(m_btnSettings, &QAbstractButton::clicked, this, [this] { OnSettings(); });
    connect(m_btnPublish, &QAbstractButton::clicked, this, [this] { OnPublish(); });
    connect(m_btnBack, &QAbstractButton::clicked, this, [this] { OnBack(); });
    connect(m_btnSearch, &QAbstractButton::clicked, this, [this] { SearchButtonClicked(); });
    connect(m_btnChat, &QAbstractButton::clicked, this, [this] { OpenChat(); });
    connect(m_btnMin, &QAbstractButton::clicked, this, [this] { showMinimized(); });
    connect(m_btnMax, &QAbstractButton::clicked, this, [this] { ToggleMaximize(); });
    connect(m_btnClose, &QAbstractButton::clicked, this, [this] { accept(); });
    connect(m_btnAbout, &QAbstractButton::clicked, this, [this] { OnAbout(); });
    connect(m_classList, &CButtonListBox::listItemClicked, this,
            [this](const QString& text) { OpenCategory(text); });
    connect(m_productList, &CThumbListCtrl::itemClicked, this, [this](int) { OpenProduct(); });
    connect(m_tab, &CSkinTabCtrl::selectionChanged, this, [this](int i) { OnTabChanged(i); });
    connect(m_searchEdit, &CSearchEdit::textTaken, this,
            [this](const QString& text) { m_searchText = text; });
}

bool CMainDlg::OnInitDialog() {
    m_viewMode = VIEW_PRODUCTS;
    m_tabCount = 3;
    setWindowIcon(QIcon(QStringLiteral(":/icons/app.png")));

    if (!LoadSkin()) {
        // Nothing sensible can be drawn without the bands: the rest of the start-up runs, then
        // the modal run ends at once.
        m_quitRequested = true;
    }
    SetUpFonts();

    m_maximized = false;
    move(0, 0);
    resize(kWidth, kHeight);
    m_clientRect = rect();
    LayoutCaptionButtons();

    const CIniFile config(m_parts.paths.configPath);
    m_contact = CompanyContact::FromConfig(config);
    m_btnChat->setVisible(m_contact.HasChat());
    CreatePages();

    m_classList->show();
    m_tab->hide();
    m_btnBack->hide();
    m_webLink->hide();
    m_companyText->hide();
    m_classList->SetItemHeight(40);

    ApplyPublishState(config);
    LayoutContent();

    ShowProductCentre();
    return true;
}

void CMainDlg::SetUpFonts() {
    m_textFont = CellFont(QStringLiteral("微软雅黑"), 22, 900);
    m_linkFont = CellFont(QStringLiteral("微软雅黑"), 29, 900);
    m_bandFont = CellFont(QStringLiteral("微软雅黑"), 18, 900);
    m_webLink->setFont(m_linkFont);
    m_companyText->setFont(m_textFont);
    m_title->setFont(m_textFont);

    // Edit 1029 and link 1044 sit on the light ground with black text.
    for (QWidget* w : {static_cast<QWidget*>(m_companyText), static_cast<QWidget*>(m_webLink)}) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Base, FrameColor());
        pal.setColor(QPalette::Window, FrameColor());
        pal.setColor(QPalette::Text, Qt::black);
        pal.setColor(QPalette::WindowText, Qt::black);
        w->setPalette(pal);
        w->setAutoFillBackground(true);
    }
}

void CMainDlg::CreatePages() {
    for (int i = 0; i < 3; ++i) {
        m_tab->InsertItem(i, kTabCaptions[i]);
        m_pages[i] = new CDocPageDlg(133 + i, m_tab);
    }
    PlacePages();
    m_tab->SetCurSel(0);
    ShowPage(0);
}

void CMainDlg::ApplyPublishState(const CIniFile& config) {
    m_publishState = config.GetString(QStringLiteral("SysInfo"), QStringLiteral("发布状态"));
    if (InstallPaths::IsPublishedState(m_publishState)) {
        m_btnSettings->hide();
        m_btnPublish->hide();
    }
    m_browser = std::make_unique<CatalogueBrowser>(m_parts.db, m_parts.paths, m_publishState);
    // A published copy shows nothing from outside its picture folder, not even through a link
    // inside a document folder.
    if (m_browser->IsPublished()) {
        for (CDocPageDlg* page : m_pages) page->SetPictureRoot(m_parts.paths.picFolder);
        // The thumbnails the copy was published with, where it has them.
        ShippedThumbnails::Open(CatalogueDb::CatalogueFile(m_parts.paths.dataFolder),
                                m_parts.paths.picFolder,
                                m_parts.db.Mode() == CatalogueDb::OpenMode::Immutable);
    }
}

bool CMainDlg::LoadSkin() {
    const QDir data(m_parts.paths.dataFolder);
    bool ok = true;
    for (auto [band, name] : {std::pair{&m_topBand, "top.bmp"}, {&m_bottomBand, "bottom.bmp"}}) {
        const QString path = data.filePath(QString::fromUtf8(name));
        *band = QPixmap::fromImage(PictureLoader::LoadFull(path));
        if (band->isNull()) {
            if (m_startupFailure.isEmpty())
                m_startupFailure =
                    path + (QFileInfo::exists(path) ? QStringLiteral(": bitmap cannot be read")
                                                    : QStringLiteral(": bitmap missing"));
            AfxMessageBox(QStringLiteral("Not Open SetImage Bitmap"), MB_NOTICE);
            ok = false;
        }
    }
    const std::pair<CSkinBtn*, const char*> buttons[] = {
        {m_btnMin, "min"},          {m_btnMax, "max"},           {m_btnClose, "close"},
        {m_btnSearch, "search"},    {m_btnChat, "QQ"},           {m_btnProducts, "产品中心"},
        {m_btnCompany, "企业介绍"}, {m_btnSettings, "系统设置"}, {m_btnPublish, "系统发布"},
        {m_btnBack, "返回"}};
    for (const auto& [button, base] : buttons) {
        const QString b = data.filePath(QString::fromUtf8(base));
        button->SetBitmaps(b + QStringLiteral(".bmp"), b + QStringLiteral("1.bmp"),
                           b + QStringLiteral("2.bmp"), b + QStringLiteral(".bmp"));
    }
    return ok;
}

// ---- frame -------------------------------------------------------------------------------

void CMainDlg::LayoutCaptionButtons() {
    const int top = m_clientRect.top();
    const int right = m_clientRect.right() + 1;
    for (CSkinBtn* b : {m_btnMin, m_btnMax, m_btnClose}) b->setText(QString());
    m_btnMin->setGeometry(right - 106, top + 5, 32, 19);
    m_btnMax->setGeometry(right - 74, top + 5, 34, 19);
    m_btnClose->setGeometry(right - 40, top + 5, 32, 19);
}

void CMainDlg::LayoutContent() {
    const int l = m_clientRect.left();
    const int t = m_clientRect.top();
    const int r = m_clientRect.right() + 1;
    const int b = m_clientRect.bottom() + 1;

    m_tab->setGeometry(QRect(QPoint(l + 80, t + 98), QPoint(r - 5 - 1, b - 35 - 1)));
    m_productList->setGeometry(QRect(QPoint(l + 260, t + 59), QPoint(r - 5 - 1, b - 35 - 1)));
    m_startHint->setGeometry(m_productList->rect());
    m_companyText->setGeometry(QRect(QPoint(l + 260, t + 59), QPoint(r - 5 - 1, b - 275 - 1)));
    m_webLink->setGeometry(QRect(QPoint(l + 260, b - 265), QPoint(r - 180 - 1, b - 200 - 1)));
    PlacePages();

    // The parts that follow the window's size: category list, title and back button of the
    // document view, the band buttons and the search box.
    m_classList->setGeometry(l + 76, t + 61, 183, (b - 25) - (t + 59) - 8);
    m_btnBack->setGeometry(l + 84, t + 65, 72, 28);
    m_title->setGeometry(l + 170, t + 61, std::max(0, r - 5 - (l + 170)), 36);
    const bool authoring = !InstallPaths::IsPublishedState(m_publishState);
    const int navLeft = NavLeft(r, authoring ? 4 : 2);
    m_btnProducts->setGeometry(navLeft, t + 14, 96, 36);
    m_btnCompany->setGeometry(navLeft + 100, t + 14, 96, 36);
    m_btnSettings->setGeometry(navLeft + 200, t + 14, 96, 36);
    m_btnPublish->setGeometry(navLeft + 300, t + 14, 96, 36);
    m_searchEdit->setGeometry(r - 330, t + 20, 180, 24);
    m_btnSearch->setGeometry(r - 145, t + 19, 28, 24);
    m_btnChat->setGeometry((r - l) / 2 - 48, b - 30, 96, 30);
    m_btnAbout->setGeometry(l + 8, b - 28, 60, 24);
}

void CMainDlg::FitToScreen(const QRect& available) {
    if (available.width() >= kWidth && available.height() >= kHeight) {
        // Clear of the panels a desktop keeps at its edges.
        move(available.topLeft());
        return;
    }
    // Still too small: maximised on that screen, as the maximise button does, and restoring
    // gives the largest window that fits.
    m_normalGeometry = QRect(available.topLeft(), QSize(std::min(kWidth, available.width()),
                                                        std::min(kHeight, available.height())));
    m_maximized = true;
    setWindowState(windowState() | Qt::WindowMaximized);
    setGeometry(available);
    m_btnMax->setToolTip(QStringLiteral("还原"));
    m_clientRect = rect();
    LayoutContent();
    LayoutCaptionButtons();
    PlacePages();
}

void CMainDlg::PlacePages() {
    const QRect page = m_tab->PageRect();
    for (CDocPageDlg* p : m_pages) {
        if (p) p->setGeometry(page);
    }
    if (m_tabCount == 4 && m_modelPage) m_modelPage->setGeometry(page);
}

void CMainDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    m_clientRect = rect();
    LayoutContent();
    LayoutCaptionButtons();
    UpdateWindowMask();
}

void CMainDlg::UpdateWindowMask() {
    const int w = width();
    const int h = height();
    if (m_maskSize == size() || w < 8 || h < 8) return;
    m_maskSize = size();
    // A rounded rectangle from (1, 1) to (w, h), right and bottom edges excluded, with corner
    // ellipses of 6 x 6.
    QRegion region(1 + 3, 1, w - 1 - 6, h - 1);
    region += QRegion(1, 1 + 3, w - 1, h - 1 - 6);
    region += QRegion(1, 1, 6, 6, QRegion::Ellipse);
    region += QRegion(w - 6, 1, 6, 6, QRegion::Ellipse);
    region += QRegion(1, h - 6, 6, 6, QRegion::Ellipse);
    region += QRegion(w - 6, h - 6, 6, 6, QRegion::Ellipse);
    setMask(region);
}

void CMainDlg::paintEvent(QPaintEvent*) {
    const int l = 0;
    const int t = 0;
    const int r = width();
    const int b = height();
    const qreal dpr = devicePixelRatioF();
    QPixmap buffer(QSize(r, b) * dpr);
    buffer.setDevicePixelRatio(dpr);
    {
        QPainter p(&buffer);
        FrameRectangle(p, l, t, r, b, FrameColor());
        FrameRectangle(p, l + 1, t + 59, l + 74, b - 25, SideColor());
        const QRect classRect(l + 76, t + 61, 183, (b - 25) - (t + 59) - 8);
        if (m_classList->geometry() != classRect) m_classList->setGeometry(classRect);
        FrameRectangle(p, r - 2, t, r, b, SideColor());

        if (!m_topBand.isNull()) {
            for (int y = t; y < kTopBandRows; y += m_topBand.height())
                for (int x = l; x < r; x += m_topBand.width()) p.drawPixmap(x, y, m_topBand);
        }
        if (!m_bottomBand.isNull()) {
            for (int y = b - kBottomBandRows; y < b; y += m_bottomBand.height())
                for (int x = l; x < r; x += m_bottomBand.width()) p.drawPixmap(x, y, m_bottomBand);
        }
        const QSize chat = m_btnChat->size();
        const QPoint chatPos((r - l) / 2 - chat.width() / 2, b - 30);
        if (m_btnChat->pos() != chatPos) m_btnChat->move(chatPos);

        // The white field behind the search box.
        const QRect field = m_searchEdit->geometry().adjusted(-4, -1, 4, 1);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(190, 205, 215));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(field).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
        p.setRenderHint(QPainter::Antialiasing, false);

        p.setPen(BandTextColor());
        p.setFont(m_bandFont);
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
        p.drawText(QRect(l + 60, b - 23, std::max(0, (r - l) / 2 - 60 - 60), 23), flags,
                   m_contact.companyName);
        p.drawText(QRect((r - l) / 2 + 50, b - 23, std::max(0, r - ((r - l) / 2 + 50)), 23), flags,
                   m_contact.ChatHint());
    }
    UpdateWindowMask();
    QPainter window(this);
    window.drawPixmap(l, t, buffer);
}

bool CMainDlg::InCaption(const QPoint& pos) const {
    return pos.x() >= 0 && pos.x() < width() && pos.y() >= 0 && pos.y() < kCaptionHeight;
}

void CMainDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && InCaption(event->position().toPoint()) &&
        !m_maximized) {
        // Let the window manager move the window; without one, move it ourselves.
        if (windowHandle() && windowHandle()->startSystemMove()) return;
        m_dragging = true;
        m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
        return;
    }
    QDialog::mousePressEvent(event);
}

void CMainDlg::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CMainDlg::mouseReleaseEvent(QMouseEvent* event) {
    m_dragging = false;
    QDialog::mouseReleaseEvent(event);
}

void CMainDlg::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && InCaption(event->position().toPoint())) {
        ToggleMaximize();
        return;
    }
    QDialog::mouseDoubleClickEvent(event);
}

void CMainDlg::contextMenuEvent(QContextMenuEvent* event) {
    if (!InCaption(event->pos())) {
        QDialog::contextMenuEvent(event);
        return;
    }
    QMenu* menu = CreateSystemMenu(this);
    menu->exec(event->globalPos());
    delete menu;
}

QMenu* CMainDlg::CreateSystemMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("systemMenu"));
    QAction* restore = menu->addAction(QStringLiteral("还原(&R)"), this, [this] {
        if (m_maximized) ToggleMaximize();
    });
    restore->setEnabled(m_maximized);
    menu->addAction(QStringLiteral("最小化(&N)"), this, [this] { showMinimized(); });
    QAction* maximize = menu->addAction(QStringLiteral("最大化(&X)"), this, [this] {
        if (!m_maximized) ToggleMaximize();
    });
    maximize->setEnabled(!m_maximized);
    menu->addSeparator();
    menu->addAction(QStringLiteral("关闭(&C)"), this, [this] { accept(); });
    menu->addSeparator();
    menu->addAction(QStringLiteral("关于 Pelor(&A)..."), this, [this] { OnAbout(); });
    return menu;
}

void CMainDlg::OnAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CMainDlg::ToggleMaximize() {
    m_maximized = !m_maximized;
    // The window manager is asked, and the geometry is set as well: a borderless window must
    // also maximise where no window manager acts on the request.
    if (m_maximized) {
        m_normalGeometry = geometry();
        showMaximized();
        if (QScreen* s = screen()) setGeometry(s->availableGeometry());
    } else {
        showNormal();
        if (m_normalGeometry.isValid()) setGeometry(m_normalGeometry);
    }
    m_btnMax->setToolTip(m_maximized ? QStringLiteral("还原") : QStringLiteral("最大化"));
    m_clientRect = rect();
    LayoutContent();
    LayoutCaptionButtons();
    PlacePages();
    update();
}

void CMainDlg::OnSettings() {
    CSettingDlg hub(m_parts.db, m_parts.paths, this);
    hub.exec();
    // The lists follow the edited catalogue.
    ShowProductCentre();
}

void CMainDlg::OnPublish() {
    CPublishDlg dlg(m_parts, this);
    dlg.exec();
}

void CMainDlg::keyPressEvent(QKeyEvent* event) {
    // Escape never closes the window and Enter never presses a default button.
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

bool CMainDlg::InsideTabPage(QObject* object) const {
    for (QWidget* page :
         {static_cast<QWidget*>(m_pages[0]), static_cast<QWidget*>(m_pages[1]),
          static_cast<QWidget*>(m_pages[2]), static_cast<QWidget*>(m_modelPage.data())}) {
        if (!page) continue;
        if (object == page ||
            (object->isWidgetType() && page->isAncestorOf(static_cast<QWidget*>(object))))
            return true;
    }
    return false;
}

bool CMainDlg::PreTranslate(QObject* watched, QEvent* event) {
    // Dialogs and menus opened from the window have rules of their own.
    if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != this) return false;
    const QEvent::Type type = event->type();
    if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease) &&
        watched != m_searchEdit && !m_searchEdit->hasFocus() &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (!m_searchEdit->ShowsHint()) m_searchEdit->ShowHint();
        return false;
    }
    if (type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) return true;
        // Right leaves the categories for their products.
        if (key == Qt::Key_Right && m_classList->isAncestorOf(static_cast<QWidget*>(watched)) &&
            m_productList->isVisible()) {
            m_productList->setFocus(Qt::TabFocusReason);
            return true;
        }
        // Enter in the product grid opens its current product; anywhere else it searches.
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !InsideTabPage(watched) &&
            watched != m_productList) {
            m_searchText = m_searchEdit->text();
            RunSearch();
            return true;
        }
    }
    return false;
}

void CMainDlg::SearchButtonClicked() {
    // The typed text is normally taken when the box loses the focus to the button; a click
    // that leaves the focus in the box takes it here and puts the placeholder back.
    if (m_searchEdit->hasFocus()) {
        m_searchText = m_searchEdit->text();
        m_searchEdit->ShowHint();
    }
    RunSearch();
}

// ---- content states ----------------------------------------------------------------------

void CMainDlg::ApplyProductListState(ViewMode mode) {
    m_classList->show();
    m_productList->show();
    m_tab->hide();
    m_btnBack->hide();
    m_title->hide();
    m_companyText->hide();
    m_webLink->hide();
    m_startHint->hide();
    m_viewMode = mode;
    m_parts.thumbListMode = mode == VIEW_COMPANY ? 2 : 1;
}

void CMainDlg::ApplyDocumentState() {
    m_title->show();
    m_classList->hide();
    m_tab->show();
    // The focus goes with the content instead of jumping to the next control (the search box).
    if (m_productList->hasFocus() || m_classList->isAncestorOf(QApplication::focusWidget()))
        m_tab->setFocus(Qt::OtherFocusReason);
    m_productList->hide();
    m_btnBack->show();
}

void CMainDlg::OnBack() {
    m_title->hide();
    m_classList->show();
    const bool focusInTab = m_tab->hasFocus() || m_tab->isAncestorOf(QApplication::focusWidget()) ||
                            m_btnBack->hasFocus();
    m_productList->show();
    if (focusInTab) m_productList->setFocus(Qt::OtherFocusReason);
    m_tab->hide();
    m_btnBack->hide();
}

void CMainDlg::ResetCategoryList() {
    m_classList->ResetContent();
}

void CMainDlg::FillCategoryList() {
    for (const QString& name : m_classNames)
        m_classList->AddString(CatalogueBrowser::EntryText(name, m_browser->ProductCount(name)));
    UpdateTabOrder();
}

void CMainDlg::UpdateTabOrder() {
    // Left to right along the top band, then the content from left to right, then the chat
    // link in the bottom band. The category entries come and go with the catalogue.
    QList<QWidget*> order = {m_btnProducts, m_btnCompany, m_btnSettings, m_btnPublish,
                             m_searchEdit,  m_btnSearch,  m_btnBack};
    for (int i = 0; i < m_classList->GetCount(); ++i) order << m_classList->ButtonAt(i);
    order << m_productList << m_tab << m_companyText << m_webLink << m_btnChat;
    for (int i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void CMainDlg::FocusSearch() {
    if (!m_searchEdit->isVisible()) return;
    m_searchEdit->setFocus(Qt::ShortcutFocusReason);
    m_searchEdit->selectAll();
}

void CMainDlg::FillProducts(const QList<ProductItem>& items) {
    // A product without a usable picture gets its blank cell: item i is always product i.
    for (int i = 0; i < items.size(); ++i)
        m_productList->AddThumbnail(items[i].picturePath, i, items[i].productName);
}

// ---- product centre ----------------------------------------------------------------------

void CMainDlg::ShowProductCentre() {
    ResetDocPathCache();
    m_viewMode = VIEW_PRODUCTS;
    m_parts.thumbListMode = 1;
    m_productList->SetThumbWidth(140);
    m_productList->SetThumbHeight(140);
    m_productList->InitThumbList();

    ApplyProductListState(VIEW_PRODUCTS);
    m_classList->hide();
    m_classList->show();
    ResetCategoryList();

    m_classNames = m_browser->CategoryNames();
    m_productList->DeleteAllItems();
    FillCategoryList();
    if (!m_classNames.isEmpty()) m_curClass = m_classList->GetText(0);
    OpenCategory(m_curClass);
    m_startHint->setVisible(m_classNames.isEmpty() && !m_browser->IsPublished());
    // The open category is the current entry of the list.
    if (!m_classNames.isEmpty() && m_classList->ButtonAt(0))
        m_classList->ButtonAt(0)->setFocus(Qt::OtherFocusReason);
}

void CMainDlg::OpenCategory(const QString& text) {
    m_curClass = text;
    m_productList->DeleteAllItems();
    m_searchActive = false;
    if (text == QStringLiteral("企业简介") || text == QStringLiteral("联系我们")) {
        ShowCompanyBranch(text);
        return;
    }
    m_curClass = CatalogueBrowser::EntryName(text);
    FillProducts(m_browser->ProductsOfCategory(m_curClass));
}

// ---- document view -----------------------------------------------------------------------

void CMainDlg::ShowPage(int index) {
    for (int i = 0; i < 3; ++i) m_pages[i]->setVisible(i == index);
    if (m_tabCount == 4 && m_modelPage) m_modelPage->setVisible(index == 3);
}

void CMainDlg::OpenProduct() {
    if (m_viewMode == VIEW_COMPANY) return;
    const int item = m_productList->GetSelectionMark();
    if (item < 0) return;
    m_curProduct = m_productList->GetItemText(item);
    if (m_searchActive && item < m_hitClass.size()) m_curClass = m_hitClass[item];

    ApplyDocumentState();
    m_tab->SetCurSel(0);
    ShowPage(0);

    if (const auto product = m_browser->FindProduct(m_curClass, m_curProduct)) {
        if (const auto tabs = m_browser->DocumentTabs(*product)) {
            m_tab->EnableItem(1, tabs->addProcess);
            m_tab->EnableItem(2, tabs->tecReference);
        }
    }
    for (CDocPageDlg* p : m_pages) p->ScrollToOrigin();

    if (m_tabCount == 4) {
        m_tab->DeleteItem(3);
        delete m_modelPage.data();
        m_tabCount = 3;
    }
    if (m_browser->HasModelFiles(m_curClass, m_curProduct)) {
        m_tab->InsertItem(3, QStringLiteral("3D模型"));
        m_modelPage = new CModelPageDlg(m_parts.db, m_parts.paths, m_parts.copies, m_tab);
        m_modelPage->setObjectName(QStringLiteral("136"));
        m_modelPage->setGeometry(m_tab->PageRect());
        m_modelPage->hide();
        m_tabCount = 4;
    }
    ShowCurrentDocument();
}

void CMainDlg::ShowCurrentDocument() {
    const int item = m_productList->GetSelectionMark();
    if (item < 0) return;
    m_curProduct = m_productList->GetItemText(item);
    m_title->setText(m_curClass + QStringLiteral("--") +
                     CatalogueBrowser::DisplayName(m_curProduct));
    if (m_tabCount == 4 && m_modelPage) {
        m_modelPage->SetProduct(m_curClass, m_curProduct);
        m_modelPage->Reload();
    }
    const auto product = m_browser->FindProduct(m_curClass, m_curProduct);
    if (!product) return;
    const int t = m_tab->GetCurSel();
    if (t >= 0 && t < 3) {
        const QString path = m_browser->DocumentPath(*product, t);
        if (path != docPathCache[t]) {
            m_pages[t]->ShowPagePicture(path);
            docPathCache[t] = path;
        }
    }
    for (CDocPageDlg* p : m_pages) p->ScrollToOrigin();
}

void CMainDlg::OnTabChanged(int index) {
    ShowPage(index);
    ShowCurrentDocument();
}

// ---- search ------------------------------------------------------------------------------

void CMainDlg::SearchFor(const QString& text) {
    m_searchText = text;
    RunSearch();
}

void CMainDlg::RunSearch() {
    if (m_searchText.isEmpty() || m_searchText == SEARCH_HINT) {
        AfxMessageBox(QStringLiteral("请输入类型码搜索!"), MB_NOTICE);
        return;
    }
    m_searchText = CatalogueBrowser::CleanSearchText(m_searchText);
    m_viewMode = VIEW_SEARCH;
    m_parts.thumbListMode = 1;

    ApplyProductListState(VIEW_SEARCH);
    m_classNames = m_browser->CategoryNames();
    // Entries that read as the list already shows them are kept: building and drawing the
    // buttons again would cost more than the search itself.
    QStringList entries;
    for (const QString& name : m_classNames)
        entries << CatalogueBrowser::EntryText(name, m_browser->ProductCount(name));
    if (entries != m_classList->Entries()) {
        ResetCategoryList();
        for (const QString& entry : entries) m_classList->AddString(entry);
    }
    if (m_classNames.isEmpty()) return;
    m_curClass = m_classNames.first();

    const QList<ProductItem> hits = m_browser->Search(m_searchText);
    // The list is re-initialised only now, so a search that stops early leaves it as it was.
    m_productList->DeleteAllItems();
    m_productList->SetThumbWidth(140);
    m_productList->SetThumbHeight(140);
    m_productList->InitThumbList();
    if (hits.isEmpty()) {
        AfxMessageBox(QStringLiteral("未找到相关产品"), MB_NOTICE);
        return;
    }
    m_searchActive = true;
    FillProducts(hits);
    // Every hit has its item (pictureless ones too), so entry i is the category of item i.
    m_hitClass.clear();
    for (const ProductItem& hit : hits) m_hitClass << hit.className;
}

// ---- company pages -----------------------------------------------------------------------

void CMainDlg::ShowCompanyPages() {
    m_productList->DeleteAllItems();
    m_viewMode = VIEW_COMPANY;
    m_parts.thumbListMode = 2;
    ApplyProductListState(VIEW_COMPANY);
    ResetCategoryList();
    m_classList->AddString(QStringLiteral("企业简介"));
    m_classList->AddString(QStringLiteral("联系我们"));

    const auto company = m_browser->Company();
    if (!company) return;
    const QString path = m_browser->CompanyPicturePath(*company);
    if (path.isEmpty() || !QFileInfo(path).isFile()) return;
    const QSize shown = DocPictures::ShownSize(PictureLoader::ReadSize(path));
    if (shown.isEmpty()) return;  // unreadable: nothing to show on the right
    m_productList->SetThumbWidth(shown.width());
    m_productList->SetThumbHeight(shown.height());
    m_productList->InitThumbList();
    m_productList->ShowPicture(path, QString());
}

void CMainDlg::ShowCompanyBranch(const QString& item) {
    const auto company = m_browser->Company();
    if (item == QStringLiteral("企业简介")) {
        m_productList->show();
        m_webLink->hide();
        m_companyText->hide();
        if (company) {
            const QString path = m_browser->CompanyPicturePath(*company);
            m_productList->DeleteAllItems();
            // A missing picture file still draws its white cell; a company without a picture
            // (or with a file we do not read) shows nothing.
            if (PictureLoader::IsAcceptedPicture(path))
                m_productList->AddThumbnail(path, 0, QString());
        }
        return;
    }
    m_productList->hide();
    m_webLink->show();
    m_companyText->show();
    if (company) {
        m_companyText->setPlainText(company->company);
        m_webLink->setText(company->web);
        m_webLink->SetHandCursor();
        m_webLink->SetTooltipText(QStringLiteral("浏览企业网站"));
        m_webLink->SetLinkUrl(CompanyContact::WebLinkTarget(company->web));
    }
}

void CMainDlg::OpenChat() {
    if (!m_contact.HasChat()) return;
    Prompter().OpenUrl(QUrl(m_contact.ChatAddress()));
}
