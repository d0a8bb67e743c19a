#pragma once
// Access keys: the letter after a single "&" of a caption, pressed with Alt.

#include <QChar>
#include <QString>
#include <QStringList>

// The titles of the main window's menus; their access keys are the menus' own.
// The last, the VCR timer's source, stands before Help.
inline constexpr const char *kMenuTitles[] = {"&File", "&Edit", "&Custom Event Buttons", "&Help", "&VCR Timer"};

// Every access key of the main window that an event button must not take: the menus' and the Set Up
// buttons', with what has it.
struct TakenAccessKey {
    const char *caption;
    const char *owner;
};
inline constexpr TakenAccessKey kWindowAccessKeys[] = {{"&File", "the File menu"},
                                                       {"&Edit", "the Edit menu"},
                                                       {"&Custom Event Buttons", "the Custom Event Buttons menu"},
                                                       {"&Help", "the Help menu"},
                                                       {"&VCR Timer", "the VCR Timer menu"},
                                                       {"Set &Up...", "the Set Up button of the scenarios"},
                                                       {"Set U&p...", "the Set Up button of the participants"}};

// The letter after a single "&" of a caption ("&&" is an ampersand shown as such), upper case;
// none when the caption marks no access key.
QChar accessKeyOf(const QString &caption);
// The event buttons' captions as shown, in the buttons' order: a button keeps the access key of its
// name only when no menu and no button before it has that letter (two on one key would each only
// take the focus), and shows no second key.
QStringList eventButtonCaptions(const QStringList &names);
