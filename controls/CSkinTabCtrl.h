#pragma once

#include <QColor>
#include <QList>
#include <QMargins>
#include <QRect>
#include <QString>
#include <QWidget>

// A tab control that paints itself and whose tabs can be disabled one by one. A click on a
// disabled tab is refused: the selection stays and no change is reported. The pages are ordinary
// child widgets that the owner places at PageRect() and shows or hides on selectionChanged().
class CSkinTabCtrl : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTabStripHeight = 19;
    // Where the owner puts the pages inside the client rectangle.
    static constexpr QMargins kPageMargins{8, 20, 8, 8};
    static QColor GroundColor() { return QColor(240, 240, 240); }
    static QColor SelectedTabColor() { return QColor(224, 227, 234); }

    explicit CSkinTabCtrl(QWidget* parent = nullptr);

    // Inserts a tab (enabled) before `index` (clamped to 0..count); returns its index. The
    // selected tab keeps its selection; the first tab inserted into an empty control is selected.
    int InsertItem(int index, const QString& text);
    // Removes tab `index`; a removed selected tab passes the selection to the tab before it.
    bool DeleteItem(int index);
    void DeleteAllItems();
    int GetItemCount() const { return m_tabs.size(); }
    QString GetItemText(int index) const;
    void SetItemText(int index, const QString& text);

    int GetCurSel() const { return m_curSel; }
    // Selects a tab without reporting it (as the owner does); returns the previous selection,
    // or -1 when `index` is out of range (nothing changes then).
    int SetCurSel(int index);

    // Enables or disables a tab; a disabled tab cannot be chosen by the user.
    void EnableItem(int index, bool enable);
    bool IsItemEnabled(int index) const;

    // Rectangle of tab `index` in the strip; empty when out of range.
    QRect GetItemRect(int index) const;
    // Tab under `pos`, -1 if none.
    int HitTest(const QPoint& pos) const;
    // The control's client rectangle and the part of it where the owner puts the pages.
    QRect GetClientRect() const { return rect(); }
    QRect PageRect() const { return rect().marginsRemoved(kPageMargins); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The user chose another (enabled) tab by click or key; not sent for SetCurSel.
    void selectionChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Tab {
        QString text;
        bool enabled = true;
    };
    QFont TabFont() const;
    void ChooseByUser(int index);

    QList<Tab> m_tabs;
    int m_curSel = -1;
};
