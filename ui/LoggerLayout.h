#pragma once
// The main window's geometry in twips, as designed and as laid out for a window size. Pure
// functions of the outer size, the button count and the controls' current geometry, so the
// layout is tested without widgets.

#include <QString>
#include <array>
#include <cstddef>

namespace layout {

// The controls the layout places, in the order of their geometry in a Geometry.
enum Control : std::size_t {
    frameParticipant,
    cmbParticipants,
    cmdSetUpParticipants,
    lblPCTimeLabel,
    lblPCTime,
    frameVCR,
    chkVCRTimeReminder,
    lblSetVCRTimeLabel,
    dtpVCRTime,
    cmdStartVCR,
    cmdPauseVCR,
    cmdStopVCR,
    lblVCRTimeLabel,
    lblVCRTime,
    frameScenario,
    chkScenarioTimeReminder,
    cmbScenarios,
    cmdSetUpScenarios,
    cmdStartScenario,
    cmdPauseScenario,
    cmdStopScenario,
    lblScenarioTimeLabel,
    lblScenarioTime,
    lstComment,
    lblComments,
    txtComment,
    cmdEnter,
    cmd0,  // cmd0 to cmd9 follow in order
    ControlCount = cmd0 + 10,
};

// Single precision, like the toolkit properties the layout was designed against.
struct Rect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
    bool operator==(const Rect &) const = default;
};
using Geometry = std::array<Rect, ControlCount>;

inline constexpr double kDesignOuterWidth = 9000;
inline constexpr double kDesignOuterHeight = 6000;
// Between the client area and the outer size of the window.
inline constexpr double kFrameWidth = 120;
inline constexpr double kFrameHeight = 690;

constexpr Control eventButton(int k) { return static_cast<Control>(cmd0 + static_cast<std::size_t>(k)); }

Geometry designGeometry();

// Lays the window out for an outer size of W x H twips. Each pass runs only from its threshold
// (W 9000, H 6000) up; a statement whose result is not a number, or a negative size, is skipped
// and leaves its control as it was.
void resize(Geometry &g, double W, double H, const QString &ButtonCount);

// Places the first min(stored, 10) event buttons in one row: N stored names share the width W.
void placeEventButtons(Geometry &g, double W, int stored);

}  // namespace layout
