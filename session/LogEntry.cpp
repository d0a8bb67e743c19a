#include "session/LogEntry.h"

namespace {

int numberAt(const QString &text, qsizetype from, qsizetype length) {
    if (from < 0)
        return 0;
    // The leading digits of the piece; a piece without any reads as 0.
    int value = 0;
    for (const QChar c : text.mid(from, length)) {
        if (!c.isDigit())
            break;
        value = value * 10 + c.digitValue();
    }
    return value;
}

std::string clean(const QString &text) { return logformat::cleanComment(text.toStdString()); }

}  // namespace

int secondsOfClockText(const QString &text) {
    return numberAt(text, 0, 2) * 3600 + numberAt(text, 3, 2) * 60 + numberAt(text, text.size() - 2, 2);
}

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
