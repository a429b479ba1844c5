#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QString>

// One entry of the category list: a gradient face, the caption split into the category name and
// its product count, an orange frame while the pointer is over it and a blue frame with a dotted
// focus rectangle while it holds the focus (the focused entry is the current category).
class CHoverButton : public QAbstractButton {
    Q_OBJECT
public:
    // Left edge of the name, distance of the count's right edge from the button's right edge,
    // and the top-left corner of the grey marker.
    static constexpr int kNameX = 25;
    static constexpr int kCountRightMargin = 20;
    static constexpr int kMarkerX = 8;
    static constexpr int kMarkerY = 9;
    static constexpr int kFontPixelSize = 12;

    explicit CHoverButton(const QString& text, QWidget* parent = nullptr);

    // Colour i (0..63) of the face gradient for the given look.
    static QColor GradientColor(int i, bool hovered, bool focused);
    // Index into the gradient for row y of a face h pixels high.
    static int GradientIndex(int y, int h) { return h > 0 ? 63 * y / h : 0; }
    // The caption split at its last "|": name before it, count after it. A text without a bar
    // is all name.
    struct Caption {
        QString name;
        QString count;
    };
    static Caption SplitCaption(const QString& text);
    // Colours of the caption parts.
    static QColor MarkerColor() { return QColor(163, 163, 163); }
    static QColor FocusedCountColor() { return QColor(255, 0, 0); }

    bool IsHovered() const { return m_hovered; }
    // True while this button is its window's focus widget (kept while the window is inactive).
    bool IsFocusedEntry() const;
    // Caption colour for the name and, when not focused, the count (black unless changed).
    void SetNormalTextColor(const QColor& color);
    QColor NormalTextColor() const { return m_textColor; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool m_hovered = false;
    QColor m_textColor = Qt::black;
};
