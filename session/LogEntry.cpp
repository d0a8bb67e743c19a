#include "session/LogEntry.h"

#include "session/Timers.h"
#include "ui/OneLineValidator.h"

namespace {

// A text as a row holds it: one line (a line break would split the row in two), double quotes as
// apostrophes (one would end its field early and shift every later record).
std::string stored(const QString &text) { return logformat::cleanComment(oneLine(text).toStdString()); }

}  // namespace

logformat::Record LogEntry::record() const {
    using namespace logformat;
    Record r;
    r[Date] = Field::txt(date.toString(QStringLiteral("MM/dd/yyyy")).toStdString());
    r[PCTime] = Field::txt(pcTime.toStdString());
    r[VCRTime] = Field::txt(vcrTime.toStdString());
    r[VCRSeconds] = Field::num(secondsOfClockText(vcrTime));
    r[ScenarioTime] = Field::txt(scenarioTime.toStdString());
    r[ScenarioSeconds] = Field::num(secondsOfClockText(scenarioTime));
    r[Participant] = Field::txt(stored(participant));
    r[Scenario] = Field::txt(stored(scenario));
    r[Comment] = Field::txt(stored(comment));
    for (std::size_t k = 0; k < events.size(); ++k)
        r[FirstEventColumn + k] = Field::txt(stored(events[k]));
    return r;
}

std::string LogEntry::displayLine() const {
    return logformat::displayLine(stored(participant), stored(scenario), stored(scenarioTime), stored(comment));
}
