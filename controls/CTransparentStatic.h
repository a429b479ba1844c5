#pragma once

#include <QColor>
#include <QLabel>

// A label that draws only its text, never a background, in a colour of its own, honouring its
// alignment (left, centre or right; top, vertical centre or bottom). Text that does not fit on
// one line ends in an ellipsis unless that is turned off. '&' is shown as it is.
class CTransparentStatic : public QLabel {
    Q_OBJECT
public:
    explicit CTransparentStatic(QWidget* parent = nullptr);
    explicit CTransparentStatic(const QString& text, QWidget* parent = nullptr);

    void SetTextColor(const QColor& color);
    QColor TextColor() const { return m_textColor; }
    void SetEllipsis(bool on);
    bool Ellipsis() const { return m_ellipsis; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_textColor = Qt::black;
    bool m_ellipsis = true;
};
