#pragma once

#include <QColor>
#include <QLineEdit>
#include <QString>

// The search box of the main window. While it holds exactly its placeholder, the placeholder is
// drawn grey. Clicking into it empties it for typing; leaving it by a click or Tab puts the
// placeholder back, while focus moved away by the program (the list after a search) leaves the
// searched text until the next click. Whenever the box gives up its text it tells it with
// textTaken, which is the text a search then runs on.
class CSearchEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CSearchEdit(const QString& hint, QWidget* parent = nullptr);

    static QColor HintColor() { return QColor(192, 192, 192); }

    bool ShowsHint() const { return text() == m_hint; }
    void ShowHint() { setText(m_hint); }

signals:
    void textTaken(const QString& text);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void TakeAndEmpty();
    void UpdateColour();

    QString m_hint;
};
