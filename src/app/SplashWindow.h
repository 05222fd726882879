#pragma once
// The start-up picture: shown for three seconds over the main window; any key or mouse press hides it.
// Unlike a blocking splash it never holds the window: the main window keeps painting behind it.

#include <QWidget>

namespace vyx::gui {

class SplashWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kShowMilliseconds = 3000;

    explicit SplashWindow(QWidget* owner);
    ~SplashWindow() override;
    // Shows it centred over the owner's screen and starts the timer.
    void ShowCentred();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPixmap m_picture;
};

}  // namespace vyx::gui
