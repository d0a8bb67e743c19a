#include "session/LogEntry.h"

#include "session/Timers.h"

namespace {

std::string clean(const QString &text) { return logformat::cleanComment(text.toStdString()); }

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
    r[Participant] = Field::txt(participant.toStdString());
    r[Scenario] = Field::txt(scenario.toStdString());
    r[Comment] = Field::txt(comment.toStdString());
    for (std::size_t k = 0; k < events.size(); ++k)
        r[FirstEventColumn + k] = Field::txt(events[k].toStdString());
    return r;
}

std::string LogEntry::displayLine() const {
    return logformat::displayLine(clean(participant), clean(scenario), clean(scenarioTime), clean(comment));
}
