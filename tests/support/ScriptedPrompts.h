#pragma once
// Answers the program's questions from a script, for tests: nothing ever waits for a person. Each
// scripted answer names the question it is for by a piece of its title or text, so a test reads
// "to 'Start Scenario Timer?' answer Yes". A question the script does not expect next, or an
// answer left unused, is recorded as a failure that done() reports.

#include "ui/Prompts.h"

#include <QList>
#include <QStringList>
#include <optional>
#include <variant>

class ScriptedPrompts final : public Prompts {
public:
    struct Call {
        enum class Kind { Message, Input, File } kind;
        QString text;  // message text or input prompt
        QString title;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::None;
        int defaultButton = 0;
        QString proposed;
        FileDialog dialog;
    };

    // The next question is a message box whose title or text contains `what`; it gets `answer`.
    void answerMessage(const QString &what, int answer) { script_.append({Call::Kind::Message, what, answer}); }
    // The next question is an input box whose prompt contains `what`; it gets `text`.
    void answerInput(const QString &what, const QString &text) { script_.append({Call::Kind::Input, what, text}); }
    // The next question is a file dialog; it gets `path` (nothing: cancelled).
    void answerFile(std::optional<QString> path) { script_.append({Call::Kind::File, QString(), std::move(path)}); }

    int messageBox(const QString &text, const QString &title, Buttons buttons, Icon icon, int defaultButton) override {
        calls.append({Call::Kind::Message, text, title, buttons, icon, defaultButton, {}, {}});
        const Step *step = next(calls.constLast());
        return step ? std::get<int>(step->answer) : (buttons == Buttons::YesNo ? No : Cancel);
    }
    // Scripted as a message box; nothing is typed meanwhile.
    int reminder(const QString &text, const QString &title, QString &) override {
        return messageBox(text, title, Buttons::YesNo, Icon::None, Yes);
    }
    QString inputBox(const QString &prompt, const QString &title, const QString &proposed) override {
        calls.append({Call::Kind::Input, prompt, title, Buttons::Ok, Icon::None, 0, proposed, {}});
        const Step *step = next(calls.constLast());
        return step ? std::get<QString>(step->answer) : QString();
    }
    std::optional<QString> fileDialog(const FileDialog &dialog) override {
        calls.append({Call::Kind::File, QStringLiteral("file dialog"), {}, Buttons::Ok, Icon::None, 0, {}, dialog});
        const Step *step = next(calls.constLast());
        return step ? std::get<std::optional<QString>>(step->answer) : std::nullopt;
    }

    // True when every scripted answer was used and nothing unexpected was asked.
    bool done() const { return errors_.isEmpty() && script_.isEmpty(); }
    QString report() const {
        QStringList all = errors_;
        for (const Step &s : script_)
            all << QStringLiteral("an answer for \"%1\" left unused").arg(s.what);
        return all.join(QStringLiteral("; "));
    }
    // The questions asked whose title or text contains `what`, in the order asked.
    QList<Call> asked(const QString &what) const {
        QList<Call> out;
        for (const Call &c : calls)
            if (matches(c, what))
                out << c;
        return out;
    }
    // The last message box's text; empty when none was shown.
    QString lastMessage() const {
        for (auto it = calls.crbegin(); it != calls.crend(); ++it)
            if (it->kind == Call::Kind::Message)
                return it->text;
        return {};
    }
    // The last file dialog asked for.
    FileDialog lastFileDialog() const {
        for (auto it = calls.crbegin(); it != calls.crend(); ++it)
            if (it->kind == Call::Kind::File)
                return it->dialog;
        return {};
    }
    void reset() {
        calls.clear();
        script_.clear();
        errors_.clear();
    }

    QList<Call> calls;

private:
    struct Step {
        Call::Kind kind;
        QString what;
        std::variant<int, QString, std::optional<QString>> answer;
    };

    static bool matches(const Call &c, const QString &what) {
        return c.text.contains(what) || c.title.contains(what);
    }
    const Step *next(const Call &call) {
        if (script_.isEmpty() || script_.constFirst().kind != call.kind || !matches(call, script_.constFirst().what)) {
            errors_ << QStringLiteral("unexpected question: \"%1\" (%2)").arg(call.text, call.title);
            return nullptr;
        }
        current_ = script_.takeFirst();
        return &current_;
    }

    QList<Step> script_;
    Step current_{};
    QStringList errors_;
};
