// Name list dialog benchmarks, in one process: opening the participant dialog on a stored list of
// [names] names (default 32,767, the most a list holds) to its painted list, and its OK (the list
// saved), each against filling a plain QListWidget with the same names and painting it; adding one
// name against inserting one into a plain list of as many. Floor and figure runs take turns. The
// settings file is made in a temporary folder. Runs offscreen unless QT_QPA_PLATFORM says
// otherwise. Arguments: [names] [runs] (default 5).

#include "bench/BenchUtil.h"
#include "bench/PaintWatch.h"
#include "lists/SettingsStore.h"
#include "ui/Prompts.h"
#include "windows/frmSetUpList.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

namespace {

class NoPrompts final : public Prompts {
public:
    int messageBox(const QString &text, const QString &, Buttons, Icon, int) override {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
        return OK;
    }
    int reminder(const QString &, const QString &, QString &) override { return No; }
    QString inputBox(const QString &, const QString &, const QString &) override { return {}; }
    std::optional<QString> fileDialog(const FileDialog &) override { return std::nullopt; }
};

// Names as observers type them: capitals and small letters, blanks, some alike but for case.
QStringList makeNames(int count) {
    static const char *const syllables[] = {"an", "Be", "cor", "Da", "el", "Fi", "gu", "Ho", "in", "Jo",
                                            "ka", "Li", "mo", "Nu", "or", "Pe", "qui", "Ra", "su", "Ti"};
    QStringList names;
    unsigned state = 12345;
    for (int i = 0; i < count; ++i) {
        QString name;
        for (int k = 0; k < 2 + i % 3; ++k) {
            state = state * 1103515245 + 12345;
            name += QString::fromLatin1(syllables[(state >> 16) % std::size(syllables)]);
        }
        names << (i % 7 == 0 ? name.toUpper() : name) + u' ' + QString::number(i % 1000);
    }
    return names;
}

// The floor: the same names into a plain list, shown and painted.
std::unique_ptr<QListWidget> plainList(const QStringList &names) {
    auto list = std::make_unique<QListWidget>();
    list->resize(289, 186);
    list->addItems(names);
    PaintWatch watch(list->viewport());
    list->show();
    watch.wait();
    return list;
}

// The time `work` takes; what it makes is done away with after the clock stopped.
template <typename Work>
double timed(Work &&work) {
    const double start = bench::nowMs();
    [[maybe_unused]] const auto made = work();
    return bench::nowMs() - start;
}

}  // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 32767;
    const int runs = std::max(1, argc > 2 ? std::atoi(argv[2]) : 5);
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    const QStringList names = makeNames(count);
    {
        // Stored as the dialog's OK stores them, written in one go.
        QSettings seed(QSettings::IniFormat, QSettings::UserScope, "Quorvane", "Quorvane");
        seed.setValue("Participants/Number Of Participants", QString::number(count - 1));
        for (int i = 0; i < count; ++i)
            seed.setValue(QStringLiteral("Participants/Participant %1").arg(i), names.at(i));
    }
    SettingsStore store;
    NoPrompts prompts;
    QString storedCount;
    const auto open = [&] {
        auto dialog = std::make_unique<frmSetUpList>(kSetUpParticipants, store, prompts, storedCount, nullptr);
        PaintWatch watch(dialog->lstScenario->viewport());
        dialog->show();
        watch.wait();
        return dialog;
    };
    (void)plainList(names);  // the toolkit warm
    (void)open();
    std::printf("%d names; %d runs each\n", count, runs);
    bench::header();
    const std::string what = std::to_string(count) + " names";

    bench::Paired opening;
    for (int i = 0; i < runs; ++i) {
        opening.floor.push_back(timed([&] { return plainList(names); }));
        opening.figure.push_back(timed(open));
    }
    if (storedCount != QString::number(count - 1))
        return 1;
    bench::report(("open the list dialog vs names into a plain list, " + what).c_str(), opening, 3.0);
    std::fflush(stdout);

    bench::Paired ok;
    for (int i = 0; i < runs; ++i) {
        ok.floor.push_back(timed([&] { return plainList(names); }));
        const std::unique_ptr<frmSetUpList> dialog = open();
        ok.figure.push_back(timed([&] {
            dialog->OKButton_Click();
            return 0;
        }));
    }
    if (store.GetSetting("Participants", QStringLiteral("Participant %1").arg(count - 1)).isEmpty())
        return 1;
    bench::report(("OK of the list dialog vs names into a plain list, " + what).c_str(), ok, 3.0);
    std::fflush(stdout);

    // One name more, typed and added, against one inserted into a plain list of as many without
    // looking for its place, and a plain text box emptied.
    const std::unique_ptr<frmSetUpList> dialog = open();
    QListWidget plain;
    plain.addItems(names);
    QLineEdit box;
    bench::Paired adding;
    for (int i = 0; i < runs; ++i) {
        box.setText(QStringLiteral("Mo %1").arg(i));
        adding.floor.push_back(timed([&] {
            plain.insertItem(plain.count() / 2, box.text());
            box.clear();
            return 0;
        }) * 1000);
        dialog->txtScenario->setText(QStringLiteral("Mo %1").arg(i));
        adding.figure.push_back(timed([&] {
            dialog->cmdAdd_Click();
            return 0;
        }) * 1000);
    }
    if (dialog->lstScenario->count() != count + runs)
        return 1;
    bench::report(("add one name vs insert one into a plain list, " + what).c_str(), adding, 3.0, "us");
    return 0;
}
