#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QString>
#include <functional>

class QTimer;

// A push button drawn entirely from bitmaps: one per state (normal, hover, pressed, disabled).
// The parent shows through wherever the state's bitmap does not cover the button, so a skin
// bitmap smaller than the button sits at the top-left corner on the parent's own background; a
// larger one is shrunk onto the button. Clicks are reported with clicked() like any button.
class CSkinBtn : public QAbstractButton {
    Q_OBJECT
public:
    enum State { Normal = 0, Hover = 1, Pressed = 2, Disabled = 3 };

    // How often the pointer is checked while hovering, in milliseconds.
    static constexpr int kHoverPollMs = 10;
    // Where the caption's top-left corner goes.
    static constexpr int kCaptionX = 21;
    static constexpr int kCaptionY = 0;

    explicit CSkinBtn(QWidget* parent = nullptr);
    ~CSkinBtn() override;

    // Loads the four bitmaps from files. Each file is loaded on its own: a file that is missing
    // or unreadable leaves only its own state without a picture. Returns true when all loaded.
    bool SetBitmaps(const QString& normal, const QString& hover, const QString& pressed,
                    const QString& disabled);
    // The same with pictures already in memory; a null pixmap leaves its state without one.
    void SetBitmaps(const QPixmap& normal, const QPixmap& hover, const QPixmap& pressed,
                    const QPixmap& disabled);
    QPixmap Bitmap(State state) const;

    // Caption colours: normal for states normal and disabled, active for hover and pressed.
    void SetTextColors(const QColor& normal, const QColor& active);
    QColor NormalTextColor() const { return m_normalTextColor; }
    QColor ActiveTextColor() const { return m_activeTextColor; }
    // Caption font ("Arial", 9 point unless changed).
    void SetTextFont(const QFont& font);
    QFont TextFont() const { return m_textFont; }

    // The state the button is drawn in now.
    State GetState() const;
    bool IsHovering() const { return m_hovering; }
    bool IsHoverEnabled() const { return m_hoverEnabled; }

    // Hover polling: the timer runs only while hovering. Tests read it, may shorten it and may
    // replace where the pointer position comes from (global screen coordinates).
    QTimer* HoverTimer() const { return m_hoverTimer; }
    void SetCursorSource(std::function<QPoint()> globalCursorPos);

    QSize sizeHint() const override;

public slots:
    // One tick of the hover timer: ends the hover when the pointer is no longer over the button.
    void OnHoverTimer();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void BeginHover();
    void EndHover();
    QPoint CursorPos() const;

    QPixmap m_bitmaps[4];
    QColor m_normalTextColor;
    QColor m_activeTextColor;
    bool m_hovering = false;
    // A dotted frame marks the button while the keyboard brought the focus to it; a click
    // leaves the skin as drawn.
    bool m_keyboardFocus = false;
    bool m_hoverEnabled = true;
    QFont m_textFont;
    QTimer* m_hoverTimer;
    std::function<QPoint()> m_cursorSource;
};
