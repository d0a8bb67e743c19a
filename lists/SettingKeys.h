#pragma once
// Every section and key of the settings store, with the default a read gives, in one place.

namespace settingkeys {

struct Key {
    const char *section;
    const char *key;
    const char *defaultValue;  // nullptr: a missing key reads as the empty string
};

inline constexpr Key Maximized{"Settings", "Maximized", nullptr};
inline constexpr Key MainWidth{"Settings", "MainWidth", "9000"};
inline constexpr Key MainHeight{"Settings", "MainHeight", "6000"};
inline constexpr Key VCRReminder{"Reminders", "VCR Reminder", "1"};
inline constexpr Key ScenarioReminder{"Reminders", "Scenario Reminder", "1"};

// Recently used log files: keys "0", "1", ... in list order, "0" the newest.
inline constexpr const char *MRUSection = "MRUFiles";

// A stored name list: the count key holds the index of the last item ("-1": saved empty);
// item i is stored under the item word, one blank and i.
struct NameList {
    const char *section;
    const char *countKey;
    const char *itemWord;
    const char *countDefault;  // nullptr: none; the list is then read only when a count is stored
};

inline constexpr NameList Scenarios{"Scenarios", "Number Of Scenarios", "Scenario", nullptr};
inline constexpr NameList Participants{"Participants", "Number Of Participants", "Participant", nullptr};
inline constexpr NameList Buttons{"Buttons", "Number Of Buttons", "Button", "-1"};

// The VCR timer's source, and how to reach it: read and written only by the tape source.
namespace tape {
inline constexpr Key Source{"Tape", "Source", "Manual"};  // "Manual", "OBS" or "Player"
inline constexpr Key ObsHost{"Tape", "OBS Host", "localhost"};
inline constexpr Key ObsPort{"Tape", "OBS Port", "4455"};
inline constexpr Key ObsPassword{"Tape", "OBS Password", nullptr};
inline constexpr Key Player{"Tape", "Player", nullptr};  // the player's name on the session bus
}  // namespace tape

}  // namespace settingkeys
