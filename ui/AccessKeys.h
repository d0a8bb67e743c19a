#pragma once
// Access keys: the letter after a single "&" of a caption, pressed with Alt.

#include <QChar>
#include <QString>
#include <QStringList>

// The titles of the main window's menus; their access keys are the menus' own.
// The last, the VCR timer's source, stands before Help.
inline constexpr const char *kMenuTitles[] = {"&File", "&Edit", "&Custom Event Buttons", "&Help", "&VCR Timer"};

// The letter after a single "&" of a caption ("&&" is an ampersand shown as such), upper case;
// none when the caption marks no access key.
QChar accessKeyOf(const QString &caption);
// The event buttons' captions as shown: a button keeps the access key of its name only when no
// menu and no other button has that letter; two of them on one key would each only take focus.
QStringList eventButtonCaptions(const QStringList &names);
