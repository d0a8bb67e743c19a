// Prints the value of one setting (section and key as arguments) and "<missing>" for none.
#include "SettingsStore.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return 2;
    const QString value = SettingsStore().GetSetting(args[1], args[2], QStringLiteral("<missing>"));
    QTextStream(stdout) << '[' << value << ']';
    return 0;
}
