#pragma once

#include <QCursor>
#include <QLabel>
#include <QString>

// A text label that behaves as a link: a hand cursor and a tooltip while the mouse is over it,
// and a click opens its target in the desktop's default handler. Only web addresses are opened
// (see LinkTarget); a failure beeps and shows "Unable to open hyperlink:" with the reason.
// The label draws its text as any label does.
class CHyperLink : public QLabel {
    Q_OBJECT

public:
    explicit CHyperLink(QWidget* parent = nullptr);
    explicit CHyperLink(const QString& text, QWidget* parent = nullptr);
    ~CHyperLink() override;

    void SetLinkUrl(const QString& target);
    QString GetLinkUrl() const { return m_target; }
    // While the tooltip text is empty the tooltip shows the target.
    void SetTooltipText(const QString& text);
    QString GetTooltipText() const { return m_tooltipText; }

    // The cursor shown over the label; without an argument the default link cursor.
    void SetHandCursor(const QCursor& cursor);
    void SetHandCursor();
    QCursor GetLinkCursor() const { return cursor(); }
    // The default link cursor: :/icons/link.png with its fingertip as hot spot, or the
    // system's pointing hand when the picture is missing.
    static QCursor DefaultLinkCursor();

    void SetVisited(bool visited = true);
    bool GetVisited() const { return m_visited; }
    bool IsHovering() const { return m_hovering; }

    // Whether target and tooltip changes shrink the label to its contents rectangle.
    void SetAutoSize(bool fit = true) { m_fitToClient = fit; }
    bool GetAutoSize() const { return m_fitToClient; }
    void FitToClient();

    // Opens a target through the prompt seam: a value greater than 32 on success, otherwise an
    // error code (refused targets included).
    static int OpenLink(const QString& target);
    // Shows the error box for a code (the caller beeps).
    static void ShowOpenError(int code);

    // What a click does; public so that owners can trigger it (e.g. from a keyboard shortcut).
    void OpenTarget();

signals:
    // After a click: whether the target was opened.
    void linkClicked(bool opened);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void UpdateTooltip();

    bool m_hovering = false;
    bool m_visited = false;
    bool m_fitToClient = true;
    bool m_pressed = false;
    QString m_target;
    QString m_tooltipText;
};
