#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QWidget>

namespace kestrin::test {

// For a callback that works a modal box from inside the box's own loop: whatever way the callback
// leaves (a failed ASSERT returns at once), the box that was open when it began is closed, so the
// call that showed it returns and the failure is reported instead of the test waiting for the
// runner's timeout. A box the callback closed itself is left alone.
class ModalCloser {
  public:
    explicit ModalCloser(QWidget* box = QApplication::activeModalWidget()) : m_box(box) {}
    ~ModalCloser() {
        if (!m_box || !m_box->isVisible()) return;
        if (auto* dialog = qobject_cast<QDialog*>(m_box.data())) {
            dialog->reject();
        } else {
            m_box->close();
        }
    }
    ModalCloser(const ModalCloser&) = delete;
    ModalCloser& operator=(const ModalCloser&) = delete;

  private:
    QPointer<QWidget> m_box;
};

}  // namespace kestrin::test
