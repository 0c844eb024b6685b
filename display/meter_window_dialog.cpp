#include "config/dialog/form2.h"
#include "display/display.h"

namespace kestrin {

// The settings dialog opens on a press of the right button; the meter keeps running behind it,
// since its modal loop goes on delivering the capture's buffers.
void TForm1::FormMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
    (void)Shift;
    (void)X;
    (void)Y;
    if (Button != Qt::RightButton) {
        return;
    }
    Form2->exec();
}

}  // namespace kestrin
