#pragma once
// Keys go to the focus widget of the active window, as on a desktop: tests that press keys first
// make their window the active one.

#include <QApplication>
#include <QTest>
#include <QWidget>

inline bool showActive(QWidget *window) {
    window->show();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

// The modal dialog open now, once it is active; null when none opens.
template <typename Dialog>
Dialog *activeDialog() {
    Dialog *dialog = nullptr;
    (void)QTest::qWaitFor(
        [&] { return (dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget())) != nullptr; }, 2000);
    if (dialog)
        (void)QTest::qWaitForWindowActive(dialog);
    return dialog;
}
