#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QUrl>
#include <cstdint>

namespace kestrin {

// A bar colour sample: a sunken panel filled with its colour, which reports the left button's
// presses and releases.
class ColourSwatch : public QFrame {
    Q_OBJECT
  public:
    explicit ColourSwatch(QWidget* parent);
    int32_t colour() const { return m_colour; }  // 0x00BBGGRR
    void setColour(int32_t colour);

  signals:
    void pressed();
    void released(bool inside);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    int32_t m_colour = 0;  // 0x00BBGGRR
};

// A label that reports double-clicks: the address of the about panel, which it shows and which
// a double-click opens.
class LinkLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;

    // Shows the address, sized to its text; an address wider than maxWidth pixels is shown
    // shortened in the middle, and is still opened whole.
    void setAddress(const QUrl& address, int maxWidth);
    const QUrl& address() const { return m_address; }

  signals:
    void doubleClicked();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    QUrl m_address;
};

// The lock check box. Reports every mouse release it receives, of any button, and every key
// released on it (whether the space bar, whether the box showed pressed down), after its own
// toggling has run: the lock decides the state.
class LockCheckBox : public QCheckBox {
    Q_OBJECT
  public:
    using QCheckBox::QCheckBox;

  signals:
    void mouseReleased();
    void keyReleased(bool space, bool pushed);

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
};

}  // namespace kestrin
