#pragma once
// Answers the program's questions from a script, for tests: nothing ever waits for a person. An
// unexpected question, or an answer left unused, is recorded as a failure that done() reports.

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

    void answerMessage(int answer) { script_.append(Step{Call::Kind::Message, answer}); }
    void answerInput(const QString &text) { script_.append(Step{Call::Kind::Input, text}); }
    void answerFile(std::optional<QString> path) { script_.append(Step{Call::Kind::File, std::move(path)}); }

    int messageBox(const QString &text, const QString &title, Buttons buttons, Icon icon, int defaultButton) override {
        calls.append({Call::Kind::Message, text, title, buttons, icon, defaultButton, {}, {}});
        const Step *step = next(Call::Kind::Message, text);
        return step ? std::get<int>(step->answer) : (buttons == Buttons::YesNo ? No : Cancel);
    }
    QString inputBox(const QString &prompt, const QString &title, const QString &proposed) override {
        calls.append({Call::Kind::Input, prompt, title, Buttons::Ok, Icon::None, 0, proposed, {}});
        const Step *step = next(Call::Kind::Input, prompt);
        return step ? std::get<QString>(step->answer) : QString();
    }
    std::optional<QString> fileDialog(const FileDialog &dialog) override {
        calls.append({Call::Kind::File, {}, {}, Buttons::Ok, Icon::None, 0, {}, dialog});
        const Step *step = next(Call::Kind::File, QStringLiteral("file dialog"));
        return step ? std::get<std::optional<QString>>(step->answer) : std::nullopt;
    }

    // True when every scripted answer was used and nothing unexpected was asked.
    bool done() const { return errors_.isEmpty() && script_.isEmpty(); }
    QString report() const {
        QStringList all = errors_;
        if (!script_.isEmpty())
            all << QStringLiteral("%1 scripted answer(s) left unused").arg(script_.size());
        return all.join(QStringLiteral("; "));
    }
    QStringList messageTexts() const {
        QStringList out;
        for (const Call &c : calls)
            if (c.kind == Call::Kind::Message)
                out << c.text;
        return out;
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
        std::variant<int, QString, std::optional<QString>> answer;
    };

    const Step *next(Call::Kind kind, const QString &what) {
        if (script_.isEmpty() || script_.constFirst().kind != kind) {
            errors_ << QStringLiteral("unexpected prompt: ") + what;
            return nullptr;
        }
        current_ = script_.takeFirst();
        return &current_;
    }

    QList<Step> script_;
    Step current_{};
    QStringList errors_;
};
