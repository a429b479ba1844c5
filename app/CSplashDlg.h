#pragma once

#include <QDialog>
#include <QImage>
#include <QList>

class QTimer;

// The cover window: fades the cover picture in from 20 % to full opacity over white, holds it,
// fades it out and closes itself. The picture is drawn 1:1 from its top-left corner.
class CSplashDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSplashDlg(const QString& picturePath, QWidget* parent = nullptr);

    void SetStepInterval(int ms);
    void SetHoldTime(int ms) { m_holdMs = ms; }
    float Opacity() const { return m_opacity; }
    // Opacities in the order they were drawn (for checks of the fade).
    const QList<int>& DrawnOpacities() const { return m_drawn; }
    // The frame as drawn at the current opacity.
    QImage RenderFrame() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Step();

    QImage m_picture;
    float m_opacity = 20.0f;
    bool m_fadingIn = true;
    int m_holdMs = 500;
    QTimer* m_timer;
    QList<int> m_drawn;
};
