#include "ui/LoggerLayout.h"

#include "ui/LoggerDesign.h"

#include <cmath>

namespace layout {
namespace {

enum class Prop { Left, Top, Width, Height };

// One statement of the layout: skipped when the value is not a number or is a negative size.
void set(Geometry &g, Control c, Prop prop, double value) {
    if (!std::isfinite(value))
        return;
    if ((prop == Prop::Width || prop == Prop::Height) && value < 0)
        return;
    const auto v = static_cast<float>(value);
    if (!std::isfinite(v))
        return;
    Rect &r = g[c];
    switch (prop) {
    case Prop::Left:
        r.left = v;
        break;
    case Prop::Top:
        r.top = v;
        break;
    case Prop::Width:
        r.width = v;
        break;
    case Prop::Height:
        r.height = v;
        break;
    }
}

// The button count as a number; nothing when the text is not one.
bool buttonCountValue(const QString &ButtonCount, double &value) {
    bool ok = false;
    value = ButtonCount.trimmed().toDouble(&ok);
    return ok && std::isfinite(value);
}

// The right-hand controls of a frame hang on its right edge; the left-hand ones stretch to them.
void layoutTimerButtons(Geometry &g, double F, Control start, Control pause, Control stop) {
    for (const Control c : {start, pause, stop})
        set(g, c, Prop::Width, F / 3 - 160);
    set(g, start, Prop::Left, F - g[start].width - g[pause].width - g[stop].width - 360);
    set(g, pause, Prop::Left, F - g[pause].width - g[stop].width - 240);
    set(g, stop, Prop::Left, F - g[stop].width - 120);
}

void layoutValueRow(Geometry &g, double F, Control caption, Control value) {
    set(g, value, Prop::Left, F - g[value].width - 120);
    set(g, caption, Prop::Width, F - g[value].width - 240);
}

}  // namespace

Geometry designGeometry() {
    Geometry g;
    for (const ControlDesign &d : kLoggerDesign)
        g[d.id] = d.design;
    return g;
}

void resize(Geometry &g, double W, double H, const QString &ButtonCount) {
    double count = 0;
    const bool countIsNumber = buttonCountValue(ButtonCount, count);

    if (H >= kDesignOuterHeight) {
        const bool buttonRow = countIsNumber && count >= 0;
        set(g, lstComment, Prop::Height,
            H - g[lstComment].top - g[txtComment].height - 1080 - (buttonRow ? 480 : 0));
        for (const Control c : {lblComments, txtComment, cmdEnter})
            set(g, c, Prop::Top, H - 1200);
        for (int k = 0; k < 10; ++k)
            set(g, eventButton(k), Prop::Top, g[txtComment].top - 120 - 375);
    }

    if (W >= kDesignOuterWidth) {
        set(g, lstComment, Prop::Width, W - 360);
        set(g, txtComment, Prop::Width, W - g[lblComments].width - g[cmdEnter].width - 600);
        set(g, cmdEnter, Prop::Left, g[txtComment].left + g[txtComment].width + 120);
        if (countIsNumber)
            for (int k = 0; k < 10; ++k)
                set(g, eventButton(k), Prop::Width, (W - 240) / (count + 1) - 120);
        for (int k = 0; k < 10; ++k)
            set(g, eventButton(k), Prop::Left, k * g[eventButton(k)].width + 120 + k * 120);

        set(g, frameParticipant, Prop::Left, 120);
        set(g, frameParticipant, Prop::Width, (W - 600) / 3);
        double F = g[frameParticipant].width;
        set(g, cmbParticipants, Prop::Width, F - g[cmdSetUpParticipants].width - 360);
        set(g, cmdSetUpParticipants, Prop::Left, F - g[cmdSetUpParticipants].width - 120);
        layoutValueRow(g, F, lblPCTimeLabel, lblPCTime);

        set(g, frameVCR, Prop::Left, g[frameParticipant].width + 240);
        set(g, frameVCR, Prop::Width, (W - 600) / 3);
        F = g[frameVCR].width;
        set(g, chkVCRTimeReminder, Prop::Width, F - 240);
        set(g, dtpVCRTime, Prop::Left, F - g[dtpVCRTime].width - 120);
        set(g, lblSetVCRTimeLabel, Prop::Width, F - g[dtpVCRTime].width - 480);
        set(g, lblSetVCRTimeLabel, Prop::Top,
            g[dtpVCRTime].top + g[dtpVCRTime].height / 2 - g[lblSetVCRTimeLabel].height / 2);
        layoutTimerButtons(g, F, cmdStartVCR, cmdPauseVCR, cmdStopVCR);
        layoutValueRow(g, F, lblVCRTimeLabel, lblVCRTime);

        set(g, frameScenario, Prop::Left, g[frameParticipant].width + g[frameVCR].width + 360);
        set(g, frameScenario, Prop::Width, (W - 600) / 3);
        F = g[frameScenario].width;
        set(g, chkScenarioTimeReminder, Prop::Width, F - 160);
        set(g, cmbScenarios, Prop::Width, F - g[cmdSetUpScenarios].width - 360);
        set(g, cmdSetUpScenarios, Prop::Left, F - g[cmdSetUpScenarios].width - 120);
        layoutTimerButtons(g, F, cmdStartScenario, cmdPauseScenario, cmdStopScenario);
        layoutValueRow(g, F, lblScenarioTimeLabel, lblScenarioTime);
    }
}

void placeEventButtons(Geometry &g, double W, int stored) {
    const double width = (W - 240) / stored - 120;
    for (int i = 0; i < stored && i < 10; ++i) {
        const Control c = eventButton(i);
        set(g, c, Prop::Height, 375);
        set(g, c, Prop::Width, width);
        set(g, c, Prop::Top, g[txtComment].top - 120 - 375);
        set(g, c, Prop::Left, 120 + i * (g[c].width + 120));
    }
}

}  // namespace layout
