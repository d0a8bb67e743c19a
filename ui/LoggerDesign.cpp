#include "ui/LoggerDesign.h"

namespace layout {
namespace {

constexpr Control kWindow = ControlCount;

constexpr ControlDesign eventButtonDesign(int k, const char *name) {
    return {eventButton(k), name, Kind::EventButton, name, kWindow, {120.0f + 840.0f * static_cast<float>(k), 4560, 735, 375},
            k == 0 ? 36 : 26 + k};
}

}  // namespace

const std::array<ControlDesign, ControlCount> kLoggerDesign = {{
    {frameParticipant, "frameParticipant", Kind::Frame, "Participant Name", kWindow, {120, 120, 2775, 2055}, 0},
    {cmbParticipants, "cmbParticipants", Kind::Picker, "cmbParticipants", frameParticipant, {120, 720, 1815, 315}, 25},
    {cmdSetUpParticipants, "cmdSetUpParticipants", Kind::Button, "Set U&p...", frameParticipant, {2040, 720, 855, 315}, 24},
    {lblPCTimeLabel, "lblPCTimeLabel", Kind::ValueLabel, "PC Time:", frameParticipant, {120, 1680, 1455, 255}, 21},
    {lblPCTime, "lblPCTime", Kind::ValueLabel, "lblPCTime", frameParticipant, {1680, 1680, 975, 255}, 20},
    {frameVCR, "frameVCR", Kind::Frame, "VCR Timer", kWindow, {3000, 120, 2775, 2055}, 1},
    {chkVCRTimeReminder, "chkVCRTimeReminder", Kind::CheckBox, "Remind me to start VCR Timer", frameVCR, {120, 240, 2775, 375}, 2},
    {lblSetVCRTimeLabel, "lblSetVCRTimeLabel", Kind::ValueLabel, "VCR Time:", frameVCR, {240, 720, 1215, 255}, 17},
    {dtpVCRTime, "dtpVCRTime", Kind::TimePicker, "", frameVCR, {1560, 720, 1335, 375}, 3},
    {cmdStartVCR, "cmdStartVCR", Kind::Button, "Start", frameVCR, {120, 1200, 855, 375}, 4},
    {cmdPauseVCR, "cmdPauseVCR", Kind::Button, "Pause", frameVCR, {1080, 1200, 855, 375}, 5},
    {cmdStopVCR, "cmdStopVCR", Kind::Button, "Stop", frameVCR, {2040, 1200, 855, 375}, 6},
    {lblVCRTimeLabel, "lblVCRTimeLabel", Kind::ValueLabel, "Elapsed VCR Time:", frameVCR, {120, 1680, 1575, 255}, 22},
    {lblVCRTime, "lblVCRTime", Kind::ValueLabel, "lblVCRTime", frameVCR, {1800, 1680, 855, 255}, 23},
    {frameScenario, "frameScenario", Kind::Frame, "Scenario Timer", kWindow, {5880, 120, 2775, 2055}, 7},
    {chkScenarioTimeReminder, "chkScenarioTimeReminder", Kind::CheckBox, "Remind me to start Scenario Timer",
     frameScenario, {120, 240, 2775, 375}, 8},
    {cmbScenarios, "cmbScenarios", Kind::Picker, "cmbScenarios", frameScenario, {120, 720, 1815, 315}, 10},
    {cmdSetUpScenarios, "cmdSetUpScenarios", Kind::Button, "Set &Up...", frameScenario, {2040, 720, 855, 315}, 9},
    {cmdStartScenario, "cmdStartScenario", Kind::Button, "Start", frameScenario, {120, 1200, 855, 375}, 11},
    {cmdPauseScenario, "cmdPauseScenario", Kind::Button, "Pause", frameScenario, {1080, 1200, 855, 375}, 12},
    {cmdStopScenario, "cmdStopScenario", Kind::Button, "Stop", frameScenario, {2040, 1200, 855, 375}, 13},
    {lblScenarioTimeLabel, "lblScenarioTimeLabel", Kind::ValueLabel, "Elapsed Scenario Time:", frameScenario,
     {120, 1680, 1575, 255}, 18},
    {lblScenarioTime, "lblScenarioTime", Kind::ValueLabel, "lblScenarioTime", frameScenario, {1800, 1680, 855, 255}, 19},
    {lstComment, "lstComment", Kind::CommentList, "", kWindow, {120, 2280, 8655, 2100}, 14},
    {lblComments, "lblComments", Kind::Label, "Comments:", kWindow, {120, 5040, 855, 255}, 16},
    {txtComment, "txtComment", Kind::TextBox, "", kWindow, {1080, 5040, 6375, 285}, 15},
    {cmdEnter, "cmdEnter", Kind::EnterButton, "Enter", kWindow, {7920, 5040, 855, 285}, 26},
    eventButtonDesign(0, "cmd0"),
    eventButtonDesign(1, "cmd1"),
    eventButtonDesign(2, "cmd2"),
    eventButtonDesign(3, "cmd3"),
    eventButtonDesign(4, "cmd4"),
    eventButtonDesign(5, "cmd5"),
    eventButtonDesign(6, "cmd6"),
    eventButtonDesign(7, "cmd7"),
    eventButtonDesign(8, "cmd8"),
    eventButtonDesign(9, "cmd9"),
}};

}  // namespace layout
