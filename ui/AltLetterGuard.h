#pragma once
// An Alt+letter that no menu or button takes is a command that missed, not typing: without this, a
// text box would take the letter ("Alt+X" typing "x" into a name). Ctrl+Alt is left alone, some
// keyboards type with it.

class QWidget;

// Makes `editor` (a text box, a picker, a time entry) type nothing for such a key.
void ignoreUnclaimedAltLetters(QWidget *editor);
