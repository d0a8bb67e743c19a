#include "ui/KeyCodes.h"

#include <QKeyEvent>

int keyCodeOf(const QKeyEvent &event) {
    const int key = event.key();
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return kKeyF1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return kKeyEnter;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt:
    case Qt::Key_AltGr: return 18;
    case Qt::Key_Meta:
    case Qt::Key_Super_L: return 91;
    case Qt::Key_Super_R: return 92;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    default:
        break;
    }
    // Letters, digits and the blank carry their character codes; other keys are told apart by
    // nothing the program looks at.
    return key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde ? key : 0;
}

int shiftStateOf(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

bool isModifierKeyCode(int keyCode) { return keyCode == 16 || keyCode == 17 || keyCode == 18 || keyCode == 91 || keyCode == 92; }
