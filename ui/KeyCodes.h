#pragma once
// Key codes and shift states as the comment box's key handler takes them: Enter is 13, F1 112,
// letters and digits their upper-case character codes; shift 1, control 2, alt 4.

#include <Qt>

class QKeyEvent;

inline constexpr int kKeyEnter = 13;
inline constexpr int kKeyF1 = 112;

inline constexpr int kShiftCtrl = 2;
inline constexpr int kShiftAlt = 4;

int keyCodeOf(const QKeyEvent &event);
// Shift, Ctrl, Alt (AltGr too) and the system keys, pressed alone.
bool isModifierKeyCode(int keyCode);
int shiftStateOf(Qt::KeyboardModifiers modifiers);
