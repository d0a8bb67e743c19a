#pragma once
// The main window's controls as designed, described once: each control's name, kind, caption, the
// frame it stands in, its place and size in twips and its place in the tab order. The widgets, the
// design geometry and the tab order are all made from this table.

#include "ui/LoggerLayout.h"

#include <array>

namespace layout {

enum class Kind : unsigned char {
    Frame,        // a titled frame holding other controls
    Picker,       // an editable drop-down list of names
    Button,
    Label,        // a caption
    ValueLabel,   // a caption in a frame, ending next to its value
    CheckBox,     // ticked at design
    TimePicker,   // a time of day, "HH:mm:ss"
    CommentList,
    TextBox,
    EnterButton,  // the window's default button
    EventButton,  // a custom event button
};

struct ControlDesign {
    Control id;
    const char *name;  // the objectName the code and the tests know it by
    Kind kind;
    const char *caption;
    Control frame;     // the frame it stands in; ControlCount for the window itself
    Rect design;       // in its container, twips
    int tabIndex;      // focus moves among the controls in this order; frames and labels take none
};

// Indexed by Control; frames come before the controls they hold.
extern const std::array<ControlDesign, ControlCount> kLoggerDesign;

}  // namespace layout
