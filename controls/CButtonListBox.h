#pragma once

#include <QAbstractScrollArea>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

class CHoverButton;

// The category list: every entry is a CHoverButton child, 32 pixels high and as wide as the
// list, placed at the top of its item; items are GetItemHeight() apart and scroll vertically
// when they do not fit. Each entry button gets the next child id of a process-wide counter
// (the first one ever created is 1002) as its objectName.
//
// The buttons sit in blocks of kBlockSize, one plain child of the viewport each: showing a
// widget makes Qt look through all its siblings, so with every button a direct child adding n
// entries would cost n * n. Scrolling moves the blocks.
class CButtonListBox : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int kButtonHeight = 32;
    static constexpr int kDefaultItemHeight = 32;
    static constexpr int kFirstButtonId = 1002;
    static constexpr int kBlockSize = 64;

    explicit CButtonListBox(QWidget* parent = nullptr);
    ~CButtonListBox() override;

    // Appends an entry ("name|count") with its button; returns its index.
    int AddString(const QString& text);
    // Removes every entry and destroys its button (safe from inside an entry's click handler).
    void ResetContent();
    int GetCount() const { return m_entries.size(); }
    // Text of entry `index`; empty when out of range.
    QString GetText(int index) const;
    QStringList Entries() const { return m_entries; }
    // The button of entry `index`; nullptr when out of range.
    CHoverButton* ButtonAt(int index) const;
    // Index of the entry whose button has the focus, -1 if none.
    int FocusedIndex() const;

    // Distance between the tops of consecutive entries (32 unless changed; at least 1).
    void SetItemHeight(int height);
    int GetItemHeight() const { return m_itemHeight; }
    // Scrolls so that entry `index` is fully visible.
    void EnsureVisible(int index);

    // Buttons created by all lists of the process so far.
    static int ButtonsCreated();

signals:
    // An entry was clicked; carries its full text ("name|count").
    void listItemClicked(const QString& text);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnButtonClicked();
    void LayoutButtons();
    // Places block `block` and sizes it to hold exactly its buttons, so the ground below the
    // last entry stays the list's own.
    void PlaceBlock(int block);
    void UpdateScrollRange();

    QStringList m_entries;
    QList<QPointer<CHoverButton>> m_buttons;
    QList<QPointer<QWidget>> m_blocks;
    int m_itemHeight = kDefaultItemHeight;
};
