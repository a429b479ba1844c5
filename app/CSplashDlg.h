#pragma once

#include <QDialog>
#include <QImage>
#include <QList>

class QTimer;

// The cover window: fades the cover picture in from 20 % to full opacity over white in steps
// of 5, holds it, fades it out and closes itself at 15 %. The picture is drawn 1:1 from its
// top-left corner; a missing or unreadable picture leaves the window white for the same time.
// The user cannot close it earlier.
class CSplashDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSplashDlg(const QString& picturePath, QWidget* parent = nullptr);

    // The window's size: 626 x 397 dialog units of its font. A cover picture of this size
    // fills it.
    static QSize WindowSize();

    // Time of one fade step (about 15 ms in the product) and of the hold at full opacity.
    void SetStepInterval(int ms);
    void SetHoldTime(int ms) { m_holdMs = qMax(0, ms); }
    float Opacity() const { return m_opacity; }
    // The opacities of the frames drawn, in order, each change recorded once.
    const QList<int>& DrawnOpacities() const { return m_drawn; }
    // The frame as drawn at the current opacity.
    QImage RenderFrame() const;
    // The frame as it is drawn at `opacity` percent.
    QImage RenderFrameAt(float opacity) const;
    bool HasPicture() const { return !m_picture.isNull(); }

    // Escape does not close it before the fade has run.
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Step();

    QImage m_picture;
    float m_opacity = 20.0f;
    bool m_fadingIn = true;
    bool m_finished = false;
    bool m_started = false;
    int m_holdMs = 500;
    QTimer* m_timer;
    QList<int> m_drawn;
};
