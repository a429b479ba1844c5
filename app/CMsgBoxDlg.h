#pragma once

#include <QDialog>

class QLabel;

// The notice window: a small captioned box with an icon and a text, shown for a fixed time
// without buttons while user input is held back.
class CMsgBoxDlg : public QDialog {
    Q_OBJECT
public:
    explicit CMsgBoxDlg(QWidget* parent = nullptr);
    void SetText(const QString& text);
    QString Text() const;

    // Shows a notice for `milliseconds`, centred on the main window (or the screen before
    // there is one), repainting but processing no input meanwhile.
    static void ShowNotice(const QString& text, int milliseconds);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_icon;
    QLabel* m_text;
};
